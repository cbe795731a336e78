// SPDX-License-Identifier: MIT
#pragma once

#include "lamps/PinRules.h"
#include "ports/KernelPortAccount.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortBackend.h"
#include "widgets/MessageBox.h"
#include "window/ControlArray.h"

#include <QColor>
#include <QMainWindow>
#include <QPalette>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class ClassicWrapLabel;
class ConnectorPicture;
class LegendImage;
class ProgramStarter;
class WindowLampPanel;

// The program's one window: a port address, a byte read or written, shown in
// decimal, on eight bit lamps and on the pins of the connector. The controls
// hold all the state; each user action is one event procedure below.
class frmPortCom : public QMainWindow {
public:
    explicit frmPortCom(QWidget* parent = nullptr);
    ~frmPortCom() override;

    // Controls, by the names the procedures use (object names are the same).
    QPushButton* Command1 = nullptr; // read from the active address
    QPushButton* Command2 = nullptr; // write to the active address
    QPushButton* Command3 = nullptr; // write to the control register 890
    QLineEdit* Text1 = nullptr;      // the active address
    QLineEdit* Text2 = nullptr;      // the value to write
    QLabel* lblValue = nullptr;      // the byte last read, in decimal
    QLabel* lblBiny = nullptr;
    ControlArray<QLabel, 1, 9> lblBin; // 1..8 the bit lamps, 9 the bit numbers
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    ClassicWrapLabel* Label3 = nullptr; // the hint about the addresses
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr; // direction of the data lines
    QListWidget* List1 = nullptr;
    ConnectorPicture* Picture1 = nullptr;
    ControlArray<QLabel, 1, 25> Lpt; // pin lamps, index = pin number
    QWidget* Image1 = nullptr;       // the colour legend
    QMenu* mnuArkiv = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuInfo = nullptr;
    QAction* mnuRead = nullptr;
    QMenu* mnuVerktyg = nullptr;
    QAction* mnuLive = nullptr;      // read the active address continuously
    QAction* mnuLoopback = nullptr;  // the loopback self-test dialog
    QAction* mnuRecord = nullptr;    // the recording dialog
    QAction* mnuGenerator = nullptr; // the signal generator dialog
    QAction* mnuJoystick = nullptr;  // the joystick dialog
    QAction* mnuTestLine = nullptr;  // a test line on the printer at LPT1
    QAction* mnuPortinfo = nullptr;  // what each parallel port can do
    QTimer* tmrLive = nullptr;       // the ticks of continuous reading

    // Event procedures.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Text1_KeyPress(int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void List1_Click();
    void mnuExit_Click();
    void mnuRead_Click();
    void mnuLive_Click();
    void tmrLive_Timer();
    void mnuLoopback_Click();
    void mnuRecord_Click();
    void mnuGenerator_Click();
    void mnuJoystick_Click();
    void mnuTestLine_Click();
    // A click on pin `index` of the connector, or Space on it: sets an output
    // pin of the port the connector shows to the opposite level.
    void Lpt_Click(int index);
    void mnuPortinfo_Click();

    // What shows the window's messages, and what starts the read-me viewer.
    void setMessageHandler(ShowMessage showMessage);
    void setProgramStarter(std::shared_ptr<ProgramStarter> starter);
    // Where the read-me is looked for: beside the program, else the data
    // folders (relative ones from the program's folder).
    void setReadMeFolders(const QString& programFolder, const QStringList& dataFolders);
    // The parallel ports the computer reports, by base. Those not at 888, 632
    // or 956 get their three registers at the end of the address list, each
    // after a blank entry; the data and status registers of each reported
    // port get the pin rules.
    void setReportedParallelPorts(const std::vector<std::uint16_t>& bases);
    // Where Portinfo takes the kernel's account of the ports from, each time
    // it opens; none without one (the simulated PC).
    void setKernelAccountReader(std::function<std::vector<portprov::KernelPortAccount>()> reader) {
        kernelAccounts_ = std::move(reader);
    }
    // The dialog of a kind the window keeps once opened (the recording
    // dialog, the signal generator), or none. By its C++ type: these dialogs
    // have no meta-object of their own, so findChild would take any QDialog.
    template <typename Dialog> Dialog* KeptDialog() const {
        for (QObject* child : children()) {
            if (auto* dialog = dynamic_cast<Dialog*>(child))
                return dialog;
        }
        return nullptr;
    }
    // The rule that shows a byte read at port on the connector's pins.
    std::optional<portprov::Register> PinRuleFor(std::uint16_t port) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What the connector's lamps show, for the pins' tooltips: the register
    // whose byte the lamps of pins 2 to 9 show (none before any byte was
    // shown there), and whether pins 1, 14, 16 and 17 have shown the control
    // register yet.
    struct PinsShown {
        std::optional<portprov::Register> dataPins;
        bool controlPins = false;
    };
    // Everything a command may change, to put back when a port access fails.
    struct Snapshot {
        std::array<QColor, 9> bitLamps;
        std::array<QColor, 26> pinLamps;
        QString direction;
        QString address;
        QString value;
        QString shownByte;
        PinsShown pinsShown;
    };

    void BuildControls();
    void BuildMenus();
    void NameControls();
    void ConnectEvents();
    Snapshot TakeSnapshot() const;
    void Restore(const Snapshot& snapshot);
    // What a command does when another program holds the port for a while
    // (a loopback test or a recording in a second Portprov).
    enum class WhileBusy { Report, Wait };
    // Runs a command that reaches a port. When the port access fails, the
    // window is put back as it was before the outermost command and the
    // failure shown, and continuous reading stops; commands called from
    // within it do not catch on their own. With WhileBusy::Wait a busy port
    // only puts the window back. False when the command failed.
    bool RunPortCommand(const std::function<void()>& command,
                        WhileBusy whileBusy = WhileBusy::Report);
    // Reads port and shows the byte in the value display and on the bit
    // lamps, and on the pins by rule where one is given.
    void ShowByteRead(std::uint16_t port, std::optional<portprov::Register> rule);
    // Shows a byte on the bit lamps and, by rule where one is given, on the
    // pins; ShowOnPins only on the pins. Both note what the pins now show.
    void ShowOnLamps(std::uint8_t byte, std::optional<portprov::Register> rule);
    void ShowOnPins(std::uint8_t byte, portprov::Register rule);
    // Keeps a byte read at port where it is a status register, for the input
    // pins' tooltips: their lamps are never painted.
    void NoteRead(std::uint16_t port, std::uint8_t byte);
    // A pin click during continuous reading, told at its pin.
    void ShowClickWhileLive(int pin, std::uint16_t port, std::uint8_t value);
    // Reads the list entry in the given row (-1 for none) as List1_Click does;
    // false when the port access failed.
    bool ReadListEntry(int row);
    void ShowMessage(const QString& text);
    // Turns continuous reading off and takes its mark off the read button.
    void StopLiveReading();
    // While continuous reading runs, makes the address in text the one it
    // reads; a refused address stops it with the refusal.
    void ConfirmLiveAddress(const QString& text);
    // After a signal has run on the port at base: shows its data and control
    // registers on the pins, where the connector shows that port, and the
    // register of the address box on the bit lamps, where it is one of the
    // port's, as they are now that the generator has put them back.
    void ShowPortAfterSignal(std::uint16_t base);
    // Makes a tool's dialog a window of its own and puts it beside the
    // address and value boxes and their buttons, not over them: narrowed
    // (narrow, where given) or with the window moved to the screen's left
    // edge where there is no room otherwise (frmPortComPlacement.cpp).
    void PlaceBesideBoxes(QWidget* dialog, const std::function<void(bool)>& narrow);
    // The parallel ports the loopback test, Portinfo and the recorder offer
    // (KnownParallelBases: the usual three and those the computer reports).
    std::vector<std::uint16_t> ParallelBases() const;
    // Whether a box's input can be used; if not, its refusal is shown.
    template <typename Input> bool Accepted(const Input& input) {
        if (!input.accepted)
            ShowMessage(QString::fromStdString(input.refusal));
        return input.accepted;
    }

    // The pin's tooltip, from what its lamp shows and its status register's
    // last read.
    QString PinToolTip(int pin) const;

    std::unique_ptr<WindowLampPanel> lamps_;
    ::ShowMessage showMessage_;
    std::shared_ptr<ProgramStarter> starter_;
    QString programFolder_;
    QStringList dataFolders_;
    int runningPortCommands_ = 0;
    std::vector<std::uint16_t> reportedParallelBases_;
    std::vector<std::uint16_t> otherParallelBases_; // those not at a usual base
    std::function<std::vector<portprov::KernelPortAccount>()> kernelAccounts_;
    // The read button as it was before continuous reading marked it.
    QString readButtonText_;
    QPalette readButtonPalette_;
    std::uint16_t livePort_ = 0; // the confirmed address continuous reading reads
    int chosenEntry_ = -1;       // the row of the list that stands chosen, -1 for none
    // The port continuous reading reads, taken where the access path needs that.
    std::unique_ptr<portprov::PortHold> liveHold_;
    // The parallel port whose registers the connector shows, and the pin
    // clicks act on: LPT1, or the reported port whose data or status register
    // was read onto the pins last.
    std::uint16_t connectorBase_ = portprov::kLpt1Base;
    PinsShown pinsShown_;
    // The status register of each parallel port as last read, by base.
    std::map<std::uint16_t, std::uint8_t> statusRead_;
};
