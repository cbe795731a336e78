// SPDX-License-Identifier: MIT
#pragma once

#include <QTranslator>

#include <span>

// Swedish for the few texts of the window toolkit that a user of the program
// meets and Qt's Swedish catalogue lacks: the command-line help and its
// errors. Installed on the application, it answers only those texts and
// leaves everything else as it is.
//
// Another table (the file dialog's texts) can be put in place of that one.
class SwedishToolkitTexts : public QTranslator {
public:
    // One text: Qt's context and English source, and our Swedish.
    struct Text {
        const char* context;
        const char* english;
        const char* swedish;
    };
    // The command-line help and its errors.
    static std::span<const Text> CommandLineTexts();

    explicit SwedishToolkitTexts(std::span<const Text> texts = CommandLineTexts())
        : texts_(texts) {}

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }

private:
    std::span<const Text> texts_;
};
