// SPDX-License-Identifier: MIT
// What a screen reader says of each control: a Swedish name, and for the
// lamps and the value display a description of what they show, kept up to
// date as commands change them.
#include "window/frmPortCom.h"

#include "art/ConnectorPicture.h"
#include "lamps/LampNames.h"
#include "widgets/ClassicWrapLabel.h"
#include "window/ValueDisplay.h"
#include "window/WindowLampPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

void Name(QWidget* control, const char* name, const char* description = nullptr) {
    control->setAccessibleName(QString::fromUtf8(name));
    if (description != nullptr)
        control->setAccessibleDescription(QString::fromUtf8(description));
}

} // namespace

void frmPortCom::NameControls() {
    Name(centralWidget(), "Portprov");
    Name(menuBar(), "Menyrad");
    // A menu is read by its title, as the menu bar shows it.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        menu->setAccessibleName(QString(menu->title()).remove(QLatin1Char('&')));
    Name(Command1, "Läs från Aktiv Adress");
    Name(Command2, "Skriva till Aktiv Adress");
    // The caption spaces its register number out to the button's edge.
    Name(Command3, "Skriva till Register 890", Command3->toolTip().toUtf8().constData());
    Name(Text1, "Aktiv Adress", "Portadress, decimalt 0 - 65535");
    Name(Text2, "Värde att skriva", "0 - 255");
    Name(List1, "Välj Adress");
    for (int row = 0; row < List1->count(); ++row) {
        if (List1->item(row)->text().isEmpty())
            List1->item(row)->setData(Qt::AccessibleTextRole, QStringLiteral("tom rad"));
    }
    Name(lblValue, "Läst värde");
    SetValueText(lblValue, lblValue->text());
    Name(Label1, "Aktiv Adress");
    Name(Label2, "Skriv 0 - 255");
    Name(Label3, "Giltiga adresser för skrivning",
         "Decimalt 888 och 890, 632 och 634, 956 och 958, samt spelporten 513 - 520. "
         "Läsning inget hinder.");
    Name(Label4, "Välj Adress");
    Name(lblBiny, "Binärt");
    Name(lblBin[9], "Bitnummer", "7 6 5 4 3 2 1 0");
    Name(Picture1, "Parallellportens kontakt, 25 stift");
    Name(Image1, "Färgförklaring", "Röd: hög, +5 volt. Vit: låg, 0 volt. Svart: jord, minus.");
    // Label5, the direction text, is read by its own changing text.
    for (int i = 1; i <= 8; ++i) {
        lblBin[i]->setAccessibleName(QString::fromStdString(portprov::BitLampName(i)));
        DescribeLamp(lblBin[i]);
    }
    for (int pin = 1; pin <= 25; ++pin) {
        Lpt[pin]->setAccessibleName(QString::fromStdString(portprov::PinLampName(pin)));
        DescribeLamp(Lpt[pin]);
    }
}
