// SPDX-License-Identifier: MIT
#pragma once

#include "loopback/LoopbackTally.h"
#include "report/ReportSaving.h"
#include "widgets/MessageBox.h"

#include <QDialog>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

// Verktyg → Slingtest…: runs the loopback test on a chosen parallel port with
// a chosen plug wiring and shows what each wire does, and a verdict; or
// repeats it (Upprepa) a number of rounds or until stopped, to catch a fault
// that comes and goes, and shows how many rounds each wire failed in.
class LoopbackDialog : public QDialog {
public:
    // bases: the parallel ports offered, first chosen. showMessage shows a
    // failed port access.
    LoopbackDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                   ::ShowMessage showMessage);

    QComboBox* cboPort = nullptr;
    QComboBox* cboPlug = nullptr;
    QSpinBox* spnRounds = nullptr;
    QCheckBox* chkUntilStopped = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdRepeat = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdReport = nullptr; // "Spara rapport…" of the last run
    QPushButton* cmdClose = nullptr;
    QTableWidget* grdResult = nullptr;
    QLabel* lblVerdict = nullptr;
    // Runs the repeated test's rounds between the event loop's other work.
    QTimer* tmrRepeat = nullptr;

    // Runs the test with the chosen port and wiring.
    void cmdStart_Click();
    // Repeats the test with the chosen port and wiring, the rounds chosen or
    // until Stoppa.
    void cmdRepeat_Click();
    // Ends a repeated run after the round under way, keeping its counts.
    void cmdStop_Click();
    // Saves the last run, one round or repeated, as a report for the
    // customer (HTML).
    void cmdReport_Click();
    void setReportFileChooser(ChooseReportFile choose) { chooseReportFile_ = std::move(choose); }

    // Closing the dialog ends a repeated run first.
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The round count, its check box and the Upprepa and Stoppa buttons.
    void MakeRepeatControls(QFormLayout* choices, QDialogButtonBox* buttons);
    void ShowWiring();
    void ShowReport(const portprov::LoopbackReport& report);
    void RunRounds();
    void EndRun(bool stopped);
    void SetRunning(bool running);
    void ShowTally();
    void ShowVerdict(const QString& text, const QColor& face);
    // Keeps room below the table for every line of the verdict, however
    // many it takes.
    void FitVerdict();

    ::ShowMessage showMessage_;
    // The repeated run: what it tests, how many rounds it wants (0: until
    // stopped) and its counts, kept after it ended.
    std::int32_t runBase_ = 0;
    portprov::LoopbackPlug runPlug_ = portprov::LoopbackPlug::Control;
    std::uint64_t wantedRounds_ = 0;
    std::optional<portprov::LoopbackTally> tally_;
    bool stopped_ = false; // the last run was ended by Stoppa
    std::chrono::system_clock::time_point runStarted_;
    ChooseReportFile chooseReportFile_ = ChooseSwedishReportFile;
};

// The faces of a working and a failing wire, and of the verdict line.
inline const QColor kLoopbackPassFace(192, 255, 192);
inline const QColor kLoopbackFailFace(255, 192, 192);
