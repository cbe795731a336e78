// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/MessageBox.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace portprov {
struct LoopbackReport;
}

// Verktyg → Slingtest…: runs the loopback test on a chosen parallel port with
// a chosen plug wiring and shows what each wire does, and a verdict.
class LoopbackDialog : public QDialog {
public:
    // bases: the parallel ports offered, first chosen. showMessage shows a
    // failed port access.
    LoopbackDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                   ::ShowMessage showMessage);

    QComboBox* cboPort = nullptr;
    QComboBox* cboPlug = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdClose = nullptr;
    QTableWidget* grdResult = nullptr;
    QLabel* lblVerdict = nullptr;

    // Runs the test with the chosen port and wiring.
    void cmdStart_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowWiring();
    void ShowReport(const portprov::LoopbackReport& report);
    void ShowVerdict(const QString& text, const QColor& face);
    // Keeps room below the table for every line of the verdict, however
    // many it takes.
    void FitVerdict();

    ::ShowMessage showMessage_;
};

// The faces of a working and a failing wire, and of the verdict line.
inline const QColor kLoopbackPassFace(192, 255, 192);
inline const QColor kLoopbackFailFace(255, 192, 192);
