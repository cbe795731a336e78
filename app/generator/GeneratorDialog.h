// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Generator.h"
#include "recording/ReferenceCheck.h"
#include "report/ReportSaving.h"
#include "widgets/MessageBox.h"

#include <QDialog>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTimer;
class PinPicker;

// Verktyg → Signalgenerator…: drives chosen output pins of a parallel port
// with a square wave, a pulse train or a sequence played from a CSV file, and
// can record the port's registers on the same timeline. The signal runs on
// the generator's own thread; the dialog polls it, so that the window stays
// responsive. Closed, the dialog is only hidden: opened again it has the
// settings and the figures it had.
class GeneratorDialog : public QDialog {
public:
    // Asks for the name of a file to open (empty: cancelled). Tests put their
    // own in its place.
    using ChooseOpenFile =
        std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
    // What the dialog asks of the window when a signal has ended: to show the
    // port at base as it now is, and to show a recording made beside the
    // signal with the options it was made with.
    using PortChanged = std::function<void(std::uint16_t base)>;
    // comparison: the recording beside a good board's, when one was chosen.
    using Recorded = std::function<void(portprov::RecorderResult result,
                                        const portprov::RecorderOptions& options,
                                        const portprov::ReferenceComparison* comparison)>;

    // bases: the parallel ports offered, first chosen. showMessage shows a
    // refusal or a failure.
    GeneratorDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                    ::ShowMessage showMessage);
    ~GeneratorDialog() override;

    QComboBox* cboPort = nullptr;
    PinPicker* picPins = nullptr;   // the mouse's way to choose pins
    QListWidget* lstPins = nullptr; // the keyboard's: checkable, Space toggles
    QComboBox* cboWave = nullptr;   // square wave, pulse train, file
    QStackedWidget* pgeWave = nullptr;
    QSpinBox* spnSquareHz = nullptr;
    QDoubleSpinBox* spnDuty = nullptr; // %
    QDoubleSpinBox* spnSeconds = nullptr;
    QSpinBox* spnCount = nullptr;
    QSpinBox* spnPulseHz = nullptr;
    QLineEdit* txtFile = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLabel* lblFileHint = nullptr;  // the columns a file to play needs
    QCheckBox* chkRecord = nullptr; // "Spela in samtidigt"
    QCheckBox* chkRecData = nullptr;
    QCheckBox* chkRecStatus = nullptr;
    QCheckBox* chkRecControl = nullptr;
    QSpinBox* spnRecRate = nullptr;    // Hz
    QPushButton* cmdCompare = nullptr; // "Jämför med…": a good board's recording
    QPushButton* cmdNoCompare = nullptr;
    QPushButton* cmdReport = nullptr; // "Spara rapport…" of the last comparison
    QLabel* lblReference = nullptr;
    QListWidget* lstVerdicts = nullptr; // a line's verdict per row, after the run
    QLabel* lblFigures = nullptr;
    QLabel* lblStatus = nullptr;
    QProgressBar* prgSignal = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* tmrPoll = nullptr;

    void cmdStart_Click();
    // Ends the signal early; the generator puts the registers back.
    void cmdStop_Click();
    // Follows the signal, and shows its figures once it is over.
    void tmrPoll_Timer();
    void cmdBrowse_Click();
    // Chooses a recording of a good board to compare the next recordings
    // with (the Swedish file dialog), or none.
    void cmdCompare_Click();
    void cmdNoCompare_Click();
    // Saves the last comparison as a report for the customer (HTML).
    void cmdReport_Click();
    void setReportFileChooser(ChooseReportFile choose) { chooseReportFile_ = std::move(choose); }

    // The pins chosen, in increasing order.
    std::vector<int> ChosenPins() const;
    bool running() const { return generator_ != nullptr; }

    void setOpenFileChooser(ChooseOpenFile choose) { chooseOpenFile_ = std::move(choose); }
    void setPortChanged(PortChanged changed) { portChanged_ = std::move(changed); }
    void setRecorded(Recorded recorded) { recorded_ = std::move(recorded); }
    // The clock the next signals keep; steady_clock unless a test drives one.
    void setClock(portprov::Generator::Clock clock) { clock_ = std::move(clock); }

    // Closing stops a signal that runs and waits for the registers to be put
    // back: hidden, it would keep the port from the window.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr int kProgressSteps = 1000;

    // The waveform's pages, one per kind, in cboWave's order
    // (GeneratorDialogBoxes.cpp): the page's title, the page built, the
    // waveform its controls describe (nullopt, the reason shown, when there is
    // none), and whether the waveform names its own pins.
    struct WavePage {
        const char* title;
        QWidget* (GeneratorDialog::*build)();
        std::optional<portprov::Waveform> (GeneratorDialog::*chosen)(std::uint16_t base);
        bool ownPins;
    };
    static const std::array<WavePage, 3> kWavePages;
    static_assert(std::tuple_size_v<decltype(kWavePages)> ==
                      std::variant_size_v<portprov::Waveform>,
                  "each kind of waveform has its page");
    QWidget* SquarePage();
    std::optional<portprov::Waveform> ChosenSquare(std::uint16_t base);
    QWidget* PulsePage();
    std::optional<portprov::Waveform> ChosenPulses(std::uint16_t base);
    QWidget* FilePage();
    std::optional<portprov::Waveform> ChosenFile(std::uint16_t base);

    // The dialog's parts (GeneratorDialogBoxes.cpp).
    QGroupBox* PortBox();
    QGroupBox* WaveBox();
    QGroupBox* RecordBox();
    QGroupBox* FiguresBox();
    QLayout* ButtonRow();
    // The comparison with a good board (GeneratorComparison.cpp).
    QLayout* CompareRow();
    QListWidget* VerdictList();
    void ShowReference();
    std::vector<portprov::RecordedLine>
    ComparedLines(const portprov::RecorderOptions& options) const;
    // Whether the reference's lines are all among those to be recorded;
    // the reason shown when not.
    bool ReferenceFits(const std::optional<portprov::RecorderOptions>& recording);
    // Each line's verdict shown; the comparison, when there is a reference.
    std::optional<portprov::ReferenceComparison> Compare(const portprov::RecorderResult& result,
                                                         const portprov::RecorderOptions& options);
    void NameControls();
    void ConnectControls();

    void ListPinToggled(QListWidgetItem* item);
    void PickerPinToggled(int pin, bool chosen);
    void ShowWavePage(int page);
    void ShowRecordPorts();
    // Checks these pins, and only these, in the list and on the drawing.
    void ShowPins(const std::vector<int>& pins);
    // The pins of the file chosen, and what its figures add: its changes
    // and the columns it does not play.
    void ShowFile(const portprov::PlayedSequence& sequence,
                  const std::vector<std::string>& ignored);
    void ShowRunning(bool running);
    // The waveform the controls describe; nullopt (the reason shown) when
    // there is none to run.
    std::optional<portprov::Waveform> ChosenWaveform();
    std::optional<portprov::RecorderOptions> ChosenRecording(const portprov::Waveform& waveform);
    // Takes the ended signal's result, shows its figures and tells the
    // window; a failure is shown as a message.
    void Finish(bool showRecording);

    ::ShowMessage showMessage_;
    std::vector<std::uint16_t> bases_;
    std::optional<portprov::Reference> reference_;
    QString referencePath_;
    // The last run compared: its comparison, start and figures, for the report.
    std::optional<portprov::ReferenceComparison> comparison_;
    std::chrono::system_clock::time_point runStarted_;
    ChooseReportFile chooseReportFile_ = ChooseSwedishReportFile;
    ChooseOpenFile chooseOpenFile_;
    PortChanged portChanged_;
    Recorded recorded_;
    portprov::Generator::Clock clock_;
    std::unique_ptr<portprov::Generator> generator_;
    std::uint16_t runningBase_ = 0;
    std::optional<portprov::RecorderOptions> runningRecording_;
    bool startRefused_ = false;            // the last start was refused before a write
    std::array<QGroupBox*, 3> settings_{}; // port, waveform, recording
    // The pins chosen for the waves while a file's own are shown, and those.
    std::vector<int> chosenPins_;
    std::vector<int> filePins_;
    bool filePinsShown_ = false;
    QString fileFigures_;    // the figures' lines of the file chosen
    QString runningFigures_; // those of the signal running
};
