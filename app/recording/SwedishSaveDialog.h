// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// Asks for the name of a file to save, in Swedish throughout, offering
// suggestedName in the folder last saved to (at first the home folder).
// Empty when cancelled. It asks before a file is replaced.
QString ChooseSwedishSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                              const QString& suggestedName);
// Asks for the name of a file to open, in Swedish throughout, in the folder
// last saved to or opened from. Empty when cancelled.
QString ChooseSwedishOpenFile(QWidget* parent, const QString& caption, const QString& filter);
