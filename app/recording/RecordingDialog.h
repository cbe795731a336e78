// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"
#include "recording/RecordingFormats.h"
#include "recording/ReferenceCheck.h"
#include "widgets/MessageBox.h"

#include <QDialog>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QDialogButtonBox;
class QGridLayout;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;
class TimingDiagram;

namespace portprov {
class Recorder;
struct RecorderOptions;
struct RecorderResult;
} // namespace portprov

// Verktyg → Spela in…: records registers of a parallel port or the game port
// over time, shows them as a timing diagram and saves them as VCD or CSV.
// The recording runs on a thread of its own; the dialog polls it, so that the
// program's window stays responsive. Closed, the dialog is only hidden: opened
// again it has the settings and the recording it had.
class RecordingDialog : public QDialog {
public:
    // Asks for the name of a file to save (empty: cancelled), offering
    // suggestedName, and asks before overwriting one. Tests put their own in
    // its place.
    using ChooseSaveFile =
        std::function<QString(QWidget* parent, const QString& caption, const QString& filter,
                              const QString& suggestedName)>;

    // bases: the parallel ports offered, first chosen, the game port after
    // them; reportedBases: those the computer reports, whose registers get
    // their pins. showMessage shows a failure.
    RecordingDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                    std::vector<std::uint16_t> reportedBases, ::ShowMessage showMessage);
    ~RecordingDialog() override;

    QComboBox* cboPort = nullptr;
    QCheckBox* chkData = nullptr;
    QCheckBox* chkStatus = nullptr;
    QCheckBox* chkControl = nullptr;
    QRadioButton* optFastest = nullptr;
    QRadioButton* optRate = nullptr;
    QSpinBox* spnRate = nullptr; // Hz
    QRadioButton* optSeconds = nullptr;
    QDoubleSpinBox* spnSeconds = nullptr;
    QRadioButton* optSamples = nullptr;
    QSpinBox* spnSamples = nullptr;
    QComboBox* cboTrigger = nullptr;    // none, rising, falling
    QComboBox* cboTriggerPin = nullptr; // the recorded lines
    QCheckBox* chkWrite = nullptr;      // a write just before the first read
    QSpinBox* spnWritePort = nullptr;
    QSpinBox* spnWriteValue = nullptr;
    QProgressBar* prgRecording = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdStop = nullptr;
    // One save button a kind of file, in RecordingFormats()'s order.
    std::vector<QPushButton*> cmdSave;
    QPushButton* cmdClose = nullptr;
    TimingDiagram* diagram = nullptr;
    QLabel* lblStats = nullptr;
    QLabel* lblCursor = nullptr;
    // Beside a comparison with a good board: where the recording differs.
    QGroupBox* fraDifferences = nullptr;
    QLabel* lblDifference = nullptr;
    QPushButton* cmdPrevDifference = nullptr;
    QPushButton* cmdNextDifference = nullptr;
    QTimer* tmrPoll = nullptr;

    // Starts a recording with the chosen settings.
    void cmdStart_Click();
    // Ends it early; what was recorded so far is kept.
    void cmdStop_Click();
    // Follows the recording, and shows it once it is over.
    void tmrPoll_Timer();
    // Saves the recording as a file of the kind of cmdSave[index].
    void cmdSave_Click(std::size_t index);
    // Puts another chooser in place of the file dialog.
    void setSaveFileChooser(ChooseSaveFile choose) { chooseSaveFile_ = std::move(choose); }
    // Shows a recording made elsewhere (beside a signal) at a fixed rate, as
    // one made here is shown, to be measured and saved, with the settings it
    // was made with. False, and nothing changed, while a recording of the
    // dialog's own runs, or for one made without a fixed rate.
    bool showRecording(portprov::RecorderResult result, const portprov::RecorderOptions& options);
    // Draws a comparison of the recording just shown with a good board's:
    // the reference's lines behind, the differences marked, and the buttons
    // that go from one to the next. Null: none.
    void showComparison(const portprov::ReferenceComparison* comparison);
    void cmdNextDifference_Click();
    void cmdPrevDifference_Click();
    // Narrow, the settings stand in two rows instead of one, and the dialog
    // takes less width: for beside the window on a small screen.
    void setNarrow(bool narrow);
    // Whether a recording is running.
    bool recording() const { return recorder_ != nullptr; }
    // Closing stops a recording that runs: hidden, it would keep the port
    // from the window. What it recorded is kept.
    void reject() override;

protected:
    // Home and End move the diagram wherever the focus is, unless the focus
    // is in a box that has its own use for them.
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr int kProgressSteps = 1000;
    // The smallest sizes at which every text is whole, wide and narrow.
    static constexpr QSize kSmallest{900, 600};
    static constexpr QSize kSmallestNarrow{600, 680};

    // The dialog's parts, from top to bottom.
    QGroupBox* PortBox();
    QGroupBox* RateBox();
    QGroupBox* LengthBox();
    QGroupBox* StartBox();
    QWidget* SettingsRow();
    QGroupBox* DifferencesBox();
    void ArrangeSettings(bool narrow);
    QLayout* RecordingRow();
    QWidget* SidePanel();
    QLayout* ButtonRow();
    void ConnectControls();
    void ShowFirstState();
    // The boxes set to a recording's options (RecordingDialogBoxes.cpp).
    void ShowSettings(const portprov::RecorderOptions& options);

    std::vector<std::uint16_t> ChosenPorts() const;
    void ShowRegisters();
    void ShowTriggerPins();
    void ShowRunning(bool running);
    // Shows a recording that has ended, whose lines are shownLines_.
    void ShowResult(portprov::RecorderResult result, std::optional<double> rate);
    void ShowStats(const portprov::RecordingStats& stats);
    QString SuggestedFileName(const QString& extension) const;
    void Save(const portprov::RecordingFormat& format);

    std::vector<std::uint16_t> reportedBases_;
    ::ShowMessage showMessage_;
    ChooseSaveFile chooseSaveFile_;
    QGroupBox* settings_ = nullptr;
    QGridLayout* settingsGrid_ = nullptr;
    std::array<QGroupBox*, 4> settingsBoxes_{}; // port, rate, length, start
    std::unique_ptr<portprov::Recorder> recorder_;
    bool fixedRate_ = false; // of the recording running or shown
    bool triggered_ = false; // the recording running waits for an edge
    std::vector<portprov::RecordedLine> runningLines_;
    std::chrono::system_clock::time_point started_;
    // The recording shown, and its lines, for saving.
    std::optional<portprov::Recording> shown_;
    std::vector<portprov::RecordedLine> shownLines_;
    std::chrono::system_clock::time_point shownStarted_;
    std::chrono::nanoseconds shownResolution_{};
};

// The game port's address, offered after the parallel ports.
inline constexpr std::uint16_t kRecordedGamePort = 513;
