// SPDX-License-Identifier: MIT
#include "widgets/MessageBox.h"

#include <QMessageBox>

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}
