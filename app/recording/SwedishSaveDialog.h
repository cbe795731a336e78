// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// Asks for the name of a file to save, in Swedish throughout, offering
// suggestedName in the folder last saved to (at first the home folder).
// Empty when cancelled. The file dialog asks before a file is replaced.
QString ChooseSwedishSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                              const QString& suggestedName);

// Puts Swedish on the file dialog's labels, buttons and tooltips. Qt's own
// file dialog draws them, and Qt's Swedish catalogue lacks most of its texts.
void SpeakSwedish(QFileDialog& dialog);
