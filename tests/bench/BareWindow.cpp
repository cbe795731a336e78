// SPDX-License-Identifier: MIT
// The yardstick for Portprov's start-up time: a bare Qt window of a given
// size, nothing in it, shown as soon as the application object exists.
//
//     bare_window WIDTH HEIGHT
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    if (arguments.size() >= 3)
        window.resize(arguments.at(1).toInt(), arguments.at(2).toInt());
    window.show();
    return QApplication::exec();
}
