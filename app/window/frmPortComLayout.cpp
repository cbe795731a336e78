// SPDX-License-Identifier: MIT
// The window as it opens: every control at its place, with its text, colours
// and font. Positions come in twips (15 to a pixel at 96 dots per inch),
// measured from the top-left corner of the area below the menu bar.
#include "window/frmPortCom.h"

#include "art/ConnectorDrawing.h"
#include "art/ConnectorPicture.h"
#include "art/LegendDrawing.h"
#include "art/LegendImage.h"
#include "art/WindowColours.h"
#include "connector/Connector.h"
#include "widgets/BitNumbersLabel.h"
#include "widgets/ClassicButtonStyle.h"
#include "widgets/ClassicWrapLabel.h"
#include "window/WindowFonts.h"
#include "window/WindowLampPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr QSize kClientArea{7080 / kTwipsPerPixel, 5220 / kTwipsPerPixel};
constexpr int kHintStretch = 82; // percent of the normal width

const QColor kYellow(255, 255, 0);
const QColor kLightYellow(255, 255, 224);
const QColor kDarkRed(192, 0, 0);
const QColor kLightGreen(192, 255, 192);
const QColor kLightOrange(255, 224, 192);

QRect Twips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

template <typename Control>
Control* Place(QWidget* parent, const char* name, const QRect& twipRect) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipRect);
    control->setFont(windowfonts::Standard());
    return control;
}

// A caption on the teal: yellow text, transparent background, top-left aligned.
QLabel* Caption(QWidget* parent, const char* name, const QRect& twipRect, const char* text) {
    auto* label = Place<QLabel>(parent, name, twipRect);
    label->setText(QString::fromUtf8(text));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetColour(label, QPalette::WindowText, kYellow);
    return label;
}

// A caption whose size follows its text, from its top-left corner.
void SizeToText(QLabel* label) {
    label->resize(label->sizeHint());
}

QPushButton* Button(QWidget* parent, const char* name, const QRect& twipRect, const char* text,
                    QStyle* style) {
    auto* button = Place<QPushButton>(parent, name, twipRect);
    button->setStyle(style);
    button->setText(QString::fromUtf8(text));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* Box(QWidget* parent, const char* name, const QRect& twipRect, const char* text) {
    auto* box = Place<QLineEdit>(parent, name, twipRect);
    box->setFont(windowfonts::SansSerif(12, true));
    box->setAlignment(Qt::AlignCenter);
    box->setText(QString::fromLatin1(text));
    SetColour(box, QPalette::Base, kLightYellow);
    return box;
}

// A list box of the platform the window comes from shows whole rows only: its
// height is cut to the whole rows that fit in its place, from its top.
void ShowWholeRows(QListWidget* list) {
    const int frame = 2 * list->frameWidth();
    const int row = list->sizeHintForRow(0);
    if (row <= 0)
        return;
    list->resize(list->width(), frame + std::max(1, (list->height() - frame) / row) * row);
}

QStringList AddressEntries() {
    return {
        QStringLiteral("888"), QStringLiteral("889"), QStringLiteral("890"), QString(),
        QStringLiteral("632"), QStringLiteral("633"), QStringLiteral("634"), QString(),
        QStringLiteral("956"), QStringLiteral("957"), QStringLiteral("958"), QString(),
        QStringLiteral("513"), QStringLiteral("514"), QStringLiteral("515"), QStringLiteral("516"),
        QStringLiteral("517"), QStringLiteral("519"), QStringLiteral("520"), QStringLiteral("521")};
}

// The eight bit lamps, and under them the bit numbers, each centred under its
// lamp. Until a command colours it, a lamp has the colour of a window's inside.
void PlaceBitLamps(QWidget* client, ControlArray<QLabel, 1, 9>& lblBin, const QColor& unlit) {
    constexpr std::array<int, 8> kBitLampLefts{210, 570, 870, 1200, 1590, 1920, 2250, 2610};
    for (int i = 1; i <= 8; ++i) {
        const QByteArray name = "lblBin" + QByteArray::number(i);
        lblBin[i] =
            Place<QLabel>(client, name.constData(),
                          Twips(kBitLampLefts[static_cast<std::size_t>(i - 1)], 1140, 135, 135));
        SetLampColour(lblBin[i], unlit);
    }
    auto* bitNumbers = Place<BitNumbersLabel>(client, "lblBin9", Twips(210, 1350, 2535, 255));
    bitNumbers->setText(QStringLiteral("7    6    5    4    3    2    1    0"));
    bitNumbers->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetColour(bitNumbers, QPalette::WindowText, kYellow);
    QList<qreal> lampCentres;
    for (int i = 1; i <= 8; ++i)
        lampCentres.append(lblBin[i]->geometry().center().x() + 0.5 - bitNumbers->x());
    bitNumbers->setNumberCentres(lampCentres);
    lblBin[9] = bitNumbers;
}

// The connector with a lamp on each of its 25 pins.
ConnectorPicture* PlaceConnector(QWidget* client, ControlArray<QLabel, 1, 25>& Lpt) {
    auto* Picture1 = new ConnectorPicture(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips(120, 4170, 3315, 825));
    for (int pin = 1; pin <= 25; ++pin) {
        const QByteArray name = "Lpt" + QByteArray::number(pin);
        Lpt[pin] = new QLabel(Picture1);
        Lpt[pin]->setObjectName(QString::fromLatin1(name));
        Lpt[pin]->setGeometry(
            QRect(Picture1->lampTopLeft(pin), QSize(connector::kLampSize, connector::kLampSize)));
        // Ground pins (18 to 25) black, every line white.
        const bool ground = portprov::PinOf(pin)->direction == portprov::LineDirection::Ground;
        SetLampColour(Lpt[pin],
                      ColourOf(ground ? portprov::LampColour::Black : portprov::LampColour::White));
    }

    return Picture1;
}

} // namespace

void frmPortCom::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(kClientArea);
    client->setAutoFillBackground(true);
    SetColour(client, QPalette::Window, kWindowTeal);
    client->setFont(windowfonts::Standard());
    setCentralWidget(client);

    auto* buttonStyle = new ClassicButtonStyle();
    buttonStyle->setParent(this);

    Command1 =
        Button(client, "Command1", Twips(90, 330, 2955, 405), "Läs från Aktiv Adress", buttonStyle);

    lblValue = Place<QLabel>(client, "lblValue", Twips(3540, 330, 1275, 405));
    lblValue->setFont(windowfonts::SansSerif(18, false));
    lblValue->setAlignment(Qt::AlignCenter);
    lblValue->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblValue->setAutoFillBackground(true);
    SetColour(lblValue, QPalette::Window, kLightYellow);
    SetColour(lblValue, QPalette::WindowText, kDarkRed);

    Label4 = Caption(client, "Label4", Twips(5640, 270, 960, 195), "Välj Adress");
    SizeToText(Label4);

    List1 = Place<QListWidget>(client, "List1", Twips(5700, 510, 915, 1260));
    List1->setFont(windowfonts::SansSerif(9.75, true));
    List1->addItems(AddressEntries());
    List1->setSortingEnabled(false);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetColour(List1, QPalette::Base, kLightYellow);
    ShowWholeRows(List1);

    lblBiny = Caption(client, "lblBiny", Twips(120, 810, 615, 240), "Binärt");
    lblBiny->setFont(windowfonts::SansSerif(9.75, true));
    SizeToText(lblBiny);

    PlaceBitLamps(client, lblBin, palette().color(QPalette::Base));

    Label1 = Caption(client, "Label1", Twips(3570, 1680, 1185, 255), "Aktiv Adress");
    Command2 = Button(client, "Command2", Twips(90, 1950, 2955, 435), "Skriva till Aktiv Adress",
                      buttonStyle);
    SetColour(Command2, QPalette::Button, kLightGreen);
    Text1 = Box(client, "Text1", Twips(3540, 1950, 1275, 375), "888");

    Label3 = Place<ClassicWrapLabel>(client, "Label3", Twips(5100, 1920, 1815, 1845));
    Label3->setText(QString::fromUtf8(
        "Giltiga Adresser för skrivning är decimal       888 och  890            632 o     634  "
        "          956 o     958                  samt GamePort  513 - 520                    "
        "            Läsning inget hinder"));
    SetColour(Label3, QPalette::WindowText, kYellow);
    // Our sans-serif is wider than the face the hint's groups were laid out
    // for; cut as narrow as Arial Narrow, each address group keeps one line.
    QFont hintFont = windowfonts::Standard();
    hintFont.setStretch(kHintStretch);
    Label3->setFont(hintFont);

    Label2 = Caption(client, "Label2", Twips(3570, 2850, 1275, 195), "Skriv  0 - 255");
    Command3 = Button(client, "Command3", Twips(90, 3150, 2955, 435),
                      "Skriva till Register               890", buttonStyle);
    SetColour(Command3, QPalette::Button, kLightOrange);
    Command3->setToolTip(QString::fromUtf8(
        "Skriv 32 till Register Läsa från porten  . 0 till Rregister Skriv till porten"));
    Text2 = Box(client, "Text2", Twips(3540, 3120, 1275, 405), "0");

    Label5 = Caption(client, "Label5", Twips(120, 3840, 3435, 255), kWriteModeText);
    Label5->setFont(windowfonts::SansSerif(9.75, true));

    Picture1 = PlaceConnector(client, Lpt);

    Image1 = new LegendImage(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(QRect(Twips(4080, 4200, 1560, 855).topLeft(), legend::kDrawingSize));

    setTabOrder(Command1, Text1);
    setTabOrder(Text1, Command2);
    setTabOrder(Command2, Text2);
    setTabOrder(Text2, List1);
    setTabOrder(List1, Picture1);
    setTabOrder(Picture1, Command3);
    Command1->setFocus();
}
