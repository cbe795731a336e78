// SPDX-License-Identifier: MIT
#pragma once

#include "RecordingPorts.h"
#include "ports/PortIo.h"
#include "window/WindowLampPanel.h"
#include "window/frmPortCom.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTest>

#include <memory>

// A fresh window on recorded ports, with its messages caught instead of shown.
struct WindowFixture {
    std::shared_ptr<portprov::RecordingPorts> ports = std::make_shared<portprov::RecordingPorts>();
    QStringList messages;
    std::unique_ptr<frmPortCom> window;

    WindowFixture() { useBackend(ports); }

    void useBackend(std::shared_ptr<portprov::PortBackend> backend) {
        portprov::SelectPortBackend(portprov::SharedBackend(std::move(backend)));
        if (!window) {
            window = std::make_unique<frmPortCom>();
            window->setMessageHandler(
                [this](QWidget*, const QString& text) { messages.append(text); });
        }
    }

    // Shown and active, for the keyboard.
    bool showActive() {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    const std::vector<portprov::RecordingPorts::Call>& calls() const { return ports->calls(); }
};

using Call = portprov::RecordingPorts::Call;
inline Call Read(std::uint16_t port, std::uint8_t answer) {
    return {Call::Kind::Read, port, answer};
}
inline Call Write(std::uint16_t port, std::uint8_t value) {
    return {Call::Kind::Write, port, value};
}

// A lamp as the tests speak of it: R red, W white, B black, ? anything else.
inline char LampLetter(const QLabel* lamp) {
    const QColor colour = LampColourOf(lamp);
    if (colour == QColor(255, 0, 0))
        return 'R';
    if (colour == QColor(255, 255, 255))
        return 'W';
    if (colour == QColor(0, 0, 0))
        return 'B';
    return '?';
}

// The eight bit lamps, left to right, as a pattern: 1 red, 0 white.
inline QString BitLamps(const frmPortCom& window) {
    QString pattern;
    for (int i = 1; i <= 8; ++i) {
        const char letter = LampLetter(window.lblBin[i]);
        pattern.append(letter == 'R' ? '1' : letter == 'W' ? '0' : '?');
    }
    return pattern;
}

// The pin lamps 1 to 25 as letters.
inline QString PinLamps(const frmPortCom& window) {
    QString letters;
    for (int pin = 1; pin <= 25; ++pin)
        letters.append(QLatin1Char(LampLetter(window.Lpt[pin])));
    return letters;
}

// Pin lamps from a pattern of pins 1 to 25 written with spaces for reading.
inline QString Pins(const char* lettersWithSpaces) {
    return QString::fromLatin1(lettersWithSpaces).remove(QLatin1Char(' '));
}

// Everything a command may change, to see that a refused or failed command
// left the window alone.
inline QStringList WindowState(const frmPortCom& window) {
    const QList<QListWidgetItem*> selected = window.List1->selectedItems();
    return {BitLamps(window),
            PinLamps(window),
            window.Label5->text(),
            window.Text1->text(),
            window.Text2->text(),
            window.lblValue->text(),
            selected.isEmpty() ? QStringLiteral("-") : selected.constFirst()->text()};
}

inline const QString kReadMode = QString::fromUtf8("D0 - D7 står i Läsläge  bit 5 Hög");
inline const QString kWriteMode = QString::fromUtf8("D0 - D7 står i Skrivläge  bit 5 Låg");
inline const QString kBadAddress = QStringLiteral("Ogiltig adress: skriv ett heltal 0 - 65535");
inline const QString kBadValue = QString::fromUtf8("Ogiltigt värde: skriv ett tal 0 - 255");
inline const QString kEmptyValue = QString::fromUtf8("Input får ej vara tom");
// Pins at start-up: 1 to 17 white, 18 to 25 black (ground).
inline const QString kStartPins = Pins("WWWWWWWWW WWWW WWWW BBBBBBBB");
