// SPDX-License-Identifier: MIT
#pragma once

#include "ports/KernelPortAccount.h"
#include "widgets/MessageBox.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QPushButton;
class QTableWidget;

// Verktyg → Portinfo…: each parallel port with what the kernel says of it,
// shown at once (reading the kernel's files touches no port), and what the
// program's own probe finds, only when the user asks for it: the probe sends
// a few short signals to whatever is attached.
class PortinfoDialog : public QDialog {
public:
    // bases: the parallel ports listed, in order. accounts: the kernel's
    // (none in the simulated PC and on Windows). showMessage shows a failed
    // port access.
    PortinfoDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                   std::vector<portprov::KernelPortAccount> accounts, ::ShowMessage showMessage);

    QTableWidget* grdPorts = nullptr;
    QPushButton* cmdProbe = nullptr;
    QPushButton* cmdClose = nullptr;

    // Probes the ports in turn and shows what each can do; the first failed
    // access stops there and is shown, the ports after it stay unprobed.
    void cmdProbe_Click();

private:
    void SetCell(int row, int column, const QString& text);
    void FitRows();

    std::vector<std::uint16_t> bases_;
    std::vector<portprov::KernelPortAccount> accounts_;
    ::ShowMessage showMessage_;
};
