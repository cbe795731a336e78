// SPDX-License-Identifier: MIT
// Verktyg → Skriv testrad: a dated line printed on LPT1 through the printer's
// handshake, to see that the printer, its cable and the port work together.
#include "window/frmPortCom.h"

#include "ports/ParallelPortRegisters.h"
#include "ports/PortError.h"
#include "printing/TestLine.h"

#include <QDateTime>

void frmPortCom::mnuTestLine_Click() {
    const QString line =
        QStringLiteral("Portprov testrad %1\r\n")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    try {
        const std::size_t sent = portprov::PrintLine(portprov::kLpt1Base, line.toStdString());
        ShowMessage(QString::fromUtf8("Testraden gick till skrivaren på LPT1 (%1): %2 byte.")
                        .arg(portprov::kLpt1Base)
                        .arg(sent));
    } catch (const portprov::PortError& error) {
        ShowMessage(QString::fromStdString(error.what()));
    }
}
