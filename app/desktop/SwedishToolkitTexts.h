// SPDX-License-Identifier: MIT
#pragma once

#include <QTranslator>

// Swedish for the few texts of the window toolkit that a user of the program
// meets and Qt's Swedish catalogue lacks: the command-line help and its
// errors. Installed on the application, it answers only those texts and
// leaves everything else as it is.
class SwedishToolkitTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }
};
