// SPDX-License-Identifier: MIT
#pragma once

#include "recording/GamePortTiming.h"
#include "recording/Recorder.h"
#include "widgets/MessageBox.h"

#include <QDialog>
#include <QPointF>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QPushButton;
class QTimer;

// A square with a cross where one joystick stands: 0 % of X at the left
// edge, 0 % of Y at the top, as a PC joystick's potentiometers run (the
// least resistance with the stick pushed left and forward).
class StickSquare : public QWidget {
public:
    explicit StickSquare(const QString& title, QWidget* parent = nullptr);

    // X and Y in per cent; none when an axis did not answer.
    void setPosition(std::optional<QPointF> percent);
    std::optional<QPointF> position() const { return position_; }

    QSize sizeHint() const override { return {150, 170}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    std::optional<QPointF> position_;
};

// Verktyg → Styrspak…: several times a second starts the game port's axis
// timers (a write to 513) and records 513 for a moment; shows each axis's
// time, both joysticks on a square, and the four buttons. Kalibrera follows
// the extremes while the user moves the sticks to the corners, and takes the
// centre on the second press; the calibration lasts while the dialog is open.
class JoystickDialog : public QDialog {
public:
    JoystickDialog(QWidget* parent, ::ShowMessage showMessage);

    std::array<QLabel*, 4> lblAxis{};   // A X, A Y, B X, B Y: their times
    std::array<QLabel*, 4> lblButton{}; // A1, A2, B1, B2
    StickSquare* picStickA = nullptr;
    StickSquare* picStickB = nullptr;
    QLabel* lblHint = nullptr;
    QPushButton* cmdCalibrate = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* tmrPoll = nullptr;

    // Reads the game port once and shows what it read.
    void tmrPoll_Timer();
    // Starts calibrating, or on the second press takes the centre and ends it.
    void cmdCalibrate_Click();

    bool calibrating() const { return calibrating_; }
    // The time the recordings are timed by: the machine's steady clock, or
    // one a test drives (shared with its simulated PC), so that what the
    // dialog reads does not depend on how busy the machine is.
    void useClock(portprov::Recorder::Clock clock) { clock_ = std::move(clock); }

private:
    // One start of the axis timers and its recording; none when the port
    // could not be read (the failure is shown, or noted while the port is busy).
    std::optional<portprov::GamePortReading> ReadOnce();
    void ShowReading(const portprov::GamePortReading& reading);

    ::ShowMessage showMessage_;
    bool calibrating_ = false;
    portprov::GamePortCalibrator calibrator_;
    std::array<portprov::AxisCalibration, 4> calibration_{};
    portprov::Recorder::Clock clock_;
};
