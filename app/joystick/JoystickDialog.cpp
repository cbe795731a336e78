// SPDX-License-Identifier: MIT
#include "joystick/JoystickDialog.h"

#include "connector/GamePort.h"
#include "ports/PortError.h"
#include "recording/Recorder.h"
#include "widgets/SwedishNumbers.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t kGamePort = 513;
// Long enough for the slowest axis (1124.2 µs at 100 kΩ) with room to spare.
constexpr std::chrono::microseconds kRecordingLength{1500};
constexpr int kPollMilliseconds = 200;

const std::array<const char*, 4> kAxisNames{"A X", "A Y", "B X", "B Y"};
const std::array<const char*, 4> kButtonNames{"A1", "A2", "B1", "B2"};

const QString kHintIdle = QString::fromUtf8(
    "Tryck Kalibrera, för spakarna ut i alla hörn, släpp dem till mitten och tryck Mitten.");
const QString kHintCalibrating = QString::fromUtf8(
    "För båda spakarna ut i alla fyra hörnen, släpp dem sedan till mitten och tryck Mitten.");
const QString kHintCalibrated =
    QString::fromUtf8("Kalibrerad. Kalibreringen gäller tills fönstret stängs.");
const QString kHintBusy = QString::fromUtf8(
    "Spelporten är upptagen av en inspelning; visningen fortsätter när den är ledig.");

// The axes in a sentence: "A X", "A X och B Y", "A X, A Y och B X".
QString AxisList(const std::vector<std::size_t>& axes) {
    QString list;
    for (std::size_t i = 0; i < axes.size(); ++i) {
        if (i > 0)
            list += i + 1 == axes.size() ? QStringLiteral(" och ") : QStringLiteral(", ");
        list += QString::fromLatin1(kAxisNames[axes[i]]);
    }
    return list;
}

// Why Mitten cannot end the calibration yet, naming the axes that still have
// to move or come back to the middle; empty when every answering axis is ready.
QString CalibrationRefusal(const portprov::GamePortCalibrator& calibrator) {
    std::vector<std::size_t> tooLittle;
    std::vector<std::size_t> offCentre;
    for (std::size_t axis = 0; axis < kAxisNames.size(); ++axis) {
        switch (calibrator.readiness(axis)) {
        case portprov::AxisReadiness::TooLittleTravel:
            tooLittle.push_back(axis);
            break;
        case portprov::AxisReadiness::NotAtCentre:
            offCentre.push_back(axis);
            break;
        case portprov::AxisReadiness::Ready:
        case portprov::AxisReadiness::Absent:
            break;
        }
    }
    if (!tooLittle.empty())
        return QString::fromUtf8("Inte kalibrerad än: %1 har inte rörts nog. För spakarna ut i "
                                 "alla fyra hörnen, släpp dem till mitten och tryck Mitten igen.")
            .arg(AxisList(tooLittle));
    if (!offCentre.empty())
        return QString::fromUtf8("Inte kalibrerad än: %1 stod inte i mitten. Släpp spakarna och "
                                 "tryck Mitten igen.")
            .arg(AxisList(offCentre));
    bool anyAnswered = false;
    for (std::size_t axis = 0; axis < kAxisNames.size(); ++axis)
        anyAnswered |= calibrator.readiness(axis) != portprov::AxisReadiness::Absent;
    if (!anyAnswered)
        return QString::fromUtf8("Inte kalibrerad: ingen styrspak svarar.");
    return {};
}

QString AxisText(std::size_t axis, std::optional<double> micros) {
    const QString name = QString::fromLatin1(kAxisNames[axis]);
    if (!micros)
        return QString::fromUtf8("%1: inget svar").arg(name);
    return QString::fromUtf8("%1: %2 µs").arg(name, SwedishDecimal(*micros, 1));
}

} // namespace

StickSquare::StickSquare(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
    setMinimumSize(120, 140);
}

void StickSquare::setPosition(std::optional<QPointF> percent) {
    position_ = percent;
    update();
}

void StickSquare::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int titleHeight = fontMetrics().height() + 4;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(0, 0, width(), titleHeight), Qt::AlignCenter, title_);
    const int side = std::min(width(), height() - titleHeight) - 2;
    const QRectF square((width() - side) / 2.0, titleHeight, side, side);
    painter.fillRect(square, Qt::white);
    painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
    painter.drawLine(QPointF(square.center().x(), square.top()),
                     QPointF(square.center().x(), square.bottom()));
    painter.drawLine(QPointF(square.left(), square.center().y()),
                     QPointF(square.right(), square.center().y()));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(square);
    if (!position_)
        return;
    const QPointF at(square.left() + square.width() * position_->x() / 100.0,
                     square.top() + square.height() * position_->y() / 100.0);
    painter.setPen(QPen(Qt::red, 2));
    const double arm = 7.0;
    painter.drawLine(at - QPointF(arm, 0), at + QPointF(arm, 0));
    painter.drawLine(at - QPointF(0, arm), at + QPointF(0, arm));
}

JoystickDialog::JoystickDialog(QWidget* parent, ::ShowMessage showMessage)
    : QDialog(parent), showMessage_(std::move(showMessage)) {
    setObjectName(QStringLiteral("JoystickDialog"));
    setWindowTitle(QStringLiteral("Styrspak"));

    auto* times = new QGridLayout;
    for (std::size_t axis = 0; axis < lblAxis.size(); ++axis) {
        lblAxis[axis] = new QLabel(AxisText(axis, std::nullopt));
        lblAxis[axis]->setObjectName(QStringLiteral("lblAxis%1").arg(axis));
        lblAxis[axis]->setMinimumWidth(
            lblAxis[axis]->fontMetrics().horizontalAdvance(AxisText(axis, 88888.8)));
        times->addWidget(lblAxis[axis], static_cast<int>(axis % 2), static_cast<int>(axis / 2));
    }

    picStickA = new StickSquare(QStringLiteral("Styrspak A"));
    picStickA->setObjectName(QStringLiteral("picStickA"));
    picStickB = new StickSquare(QStringLiteral("Styrspak B"));
    picStickB->setObjectName(QStringLiteral("picStickB"));
    auto* sticks = new QHBoxLayout;
    sticks->addWidget(picStickA);
    sticks->addWidget(picStickB);

    auto* buttonsRow = new QHBoxLayout;
    for (std::size_t button = 0; button < lblButton.size(); ++button) {
        lblButton[button] = new QLabel;
        lblButton[button]->setObjectName(QStringLiteral("lblButton%1").arg(button));
        lblButton[button]->setAlignment(Qt::AlignCenter);
        lblButton[button]->setFrameShape(QFrame::Panel);
        lblButton[button]->setFrameShadow(QFrame::Sunken);
        lblButton[button]->setMargin(3);
        lblButton[button]->setAutoFillBackground(true);
        buttonsRow->addWidget(lblButton[button]);
    }

    lblHint = new QLabel(kHintIdle);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setWordWrap(true);

    auto* buttons = new QDialogButtonBox;
    cmdCalibrate = buttons->addButton(QStringLiteral("Kalibrera"), QDialogButtonBox::ActionRole);
    cmdCalibrate->setObjectName(QStringLiteral("cmdCalibrate"));
    cmdClose = buttons->addButton(QString::fromUtf8("Stäng"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(times);
    layout->addLayout(sticks);
    layout->addLayout(buttonsRow);
    layout->addWidget(lblHint);
    layout->addWidget(buttons);

    ShowReading(portprov::GamePortReading{});

    tmrPoll = new QTimer(this);
    tmrPoll->setObjectName(QStringLiteral("tmrPoll"));
    tmrPoll->setInterval(kPollMilliseconds);
    connect(tmrPoll, &QTimer::timeout, this, &JoystickDialog::tmrPoll_Timer);
    connect(cmdCalibrate, &QPushButton::clicked, this, &JoystickDialog::cmdCalibrate_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    tmrPoll->start();
    cmdCalibrate->setFocus();
}

std::optional<portprov::GamePortReading> JoystickDialog::ReadOnce() {
    portprov::RecorderOptions options;
    options.ports = {kGamePort};
    options.length = std::chrono::nanoseconds(kRecordingLength);
    options.startWrite = portprov::RecorderOptions::Write{kGamePort, 0};
    try {
        portprov::Recorder recorder(options, clock_);
        recorder.start();
        const portprov::RecorderResult result = recorder.wait();
        if (lblHint->text() == kHintBusy)
            lblHint->setText(calibrating_ ? kHintCalibrating : kHintIdle);
        return portprov::ReadGamePort(result.recording);
    } catch (const portprov::PortError& error) {
        // A recording elsewhere (a second Portprov) keeps the port for a
        // while: wait for it instead of stopping.
        if (error.kind() == portprov::PortErrorKind::Busy) {
            lblHint->setText(kHintBusy);
            return std::nullopt;
        }
        tmrPoll->stop();
        showMessage_(this, QString::fromStdString(error.what()));
        return std::nullopt;
    }
}

void JoystickDialog::tmrPoll_Timer() {
    const std::optional<portprov::GamePortReading> reading = ReadOnce();
    if (!reading)
        return;
    if (calibrating_)
        calibrator_.see(*reading);
    ShowReading(*reading);
}

void JoystickDialog::cmdCalibrate_Click() {
    if (!calibrating_) {
        calibrator_ = portprov::GamePortCalibrator{};
        calibrating_ = true;
        cmdCalibrate->setText(QStringLiteral("Mitten"));
        lblHint->setText(kHintCalibrating);
        return;
    }
    // The centre is where the sticks stand now, not at the last tick.
    const std::optional<portprov::GamePortReading> reading = ReadOnce();
    if (!reading)
        return;
    calibrator_.takeCentre(*reading);
    if (const QString refusal = CalibrationRefusal(calibrator_); !refusal.isEmpty()) {
        lblHint->setText(refusal);
        ShowReading(*reading);
        return;
    }
    for (std::size_t axis = 0; axis < calibration_.size(); ++axis)
        calibration_[axis] = calibrator_.calibration(axis);
    calibrating_ = false;
    cmdCalibrate->setText(QStringLiteral("Kalibrera"));
    lblHint->setText(kHintCalibrated);
    ShowReading(*reading);
}

void JoystickDialog::ShowReading(const portprov::GamePortReading& reading) {
    for (std::size_t axis = 0; axis < lblAxis.size(); ++axis)
        lblAxis[axis]->setText(AxisText(axis, reading.axisMicros[axis]));
    auto stick = [&](std::size_t x) -> std::optional<QPointF> {
        const auto& times = reading.axisMicros;
        if (!times[x] || !times[x + 1])
            return std::nullopt;
        return QPointF(portprov::AxisPercent(*times[x], calibration_[x]),
                       portprov::AxisPercent(*times[x + 1], calibration_[x + 1]));
    };
    picStickA->setPosition(stick(0));
    picStickB->setPosition(stick(2));
    for (std::size_t button = 0; button < lblButton.size(); ++button) {
        const bool pressed = reading.pressed[button];
        lblButton[button]->setText(QString::fromUtf8("%1: %2").arg(
            QString::fromLatin1(kButtonNames[button]),
            pressed ? QString::fromUtf8("nedtryckt") : QString::fromUtf8("släppt")));
        QPalette palette = lblButton[button]->palette();
        palette.setColor(QPalette::Window, pressed ? QColor(255, 0, 0) : QColor(255, 255, 255));
        palette.setColor(QPalette::WindowText, pressed ? Qt::white : Qt::black);
        lblButton[button]->setPalette(palette);
    }
}
