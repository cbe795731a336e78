// SPDX-License-Identifier: MIT
// Verktyg → Signalgenerator…: signals on the output pins of a parallel port,
// in a dialog of its own, with a recording beside them shown in the
// recording dialog. There is one such dialog: opened again, it comes forward
// as it was left. While a signal runs, the window's own port accesses are
// refused as busy.
#include "window/frmPortCom.h"

#include "generator/GeneratorDialog.h"
#include "input/CommandInputs.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"
#include "recording/Recorder.h"
#include "recording/RecordingDialog.h"
#include "window/LocaleNumbers.h"

#include <QLineEdit>

namespace {

template <typename Dialog> void Bring(Dialog* dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

void frmPortCom::mnuGenerator_Click() {
    auto* dialog = KeptDialog<GeneratorDialog>();
    if (dialog == nullptr) {
        dialog = new GeneratorDialog(this, ParallelBases(), showMessage_);
        PlaceBesideBoxes(dialog, nullptr);
        dialog->setPortChanged([this](std::uint16_t base) { ShowPortAfterSignal(base); });
        dialog->setRecorded([this, dialog](portprov::RecorderResult result,
                                           const portprov::RecorderOptions& options,
                                           const portprov::ReferenceComparison* comparison) {
            mnuRecord_Click();
            auto* shown = KeptDialog<RecordingDialog>();
            if (shown != nullptr && !shown->showRecording(std::move(result), options))
                ShowMessage(QString::fromUtf8(
                    "Inspelningsfönstret spelar in: signalens inspelning kan inte visas där."));
            else if (shown != nullptr)
                shown->showComparison(comparison);
            // The signal's figures stay in sight, above the recording.
            Bring(dialog);
        });
    }
    Bring(dialog);
}

void frmPortCom::ShowPortAfterSignal(std::uint16_t base) {
    // The bit lamps show the register of the address box: where it is one of
    // this port's, they show it again as the signal left it, as the pins do.
    const portprov::AddressInput shown = portprov::CheckAddress(
        Text1->text().toStdString(), portprov::Rounding::HalfEven, LocaleNumberFormat());
    const bool ofThisPort =
        shown.accepted && shown.port >= base && shown.port <= base + portprov::kControlOffset;
    // The connector shows LPT1 and the ports the computer reports.
    const bool onConnector = PinRuleFor(base) == portprov::Register::Data;
    if (!ofThisPort && !onConnector)
        return;
    RunPortCommand(
        [&] {
            if (ofThisPort)
                ShowByteRead(shown.port, std::nullopt);
            if (!onConnector)
                return;
            ShowOnPins(portprov::DlPortReadPortUchar(base), portprov::Register::Data);
            const auto status = static_cast<std::uint16_t>(base + portprov::kStatusOffset);
            NoteRead(status, portprov::DlPortReadPortUchar(status));
            ShowOnPins(portprov::DlPortReadPortUchar(
                           static_cast<std::uint16_t>(base + portprov::kControlOffset)),
                       portprov::Register::Control);
            connectorBase_ = base;
        },
        WhileBusy::Wait);
}
