// SPDX-License-Identifier: MIT
#include "desktop/SwedishToolkitTexts.h"

#include <cstring>

namespace {

constexpr SwedishToolkitTexts::Text kTexts[] = {
    {"QCommandLineParser", "Usage: %1", "Användning: %1"},
    {"QCommandLineParser", "[options]", "[flaggor]"},
    {"QCommandLineParser", "Options:", "Flaggor:"},
    {"QCommandLineParser", "Arguments:", "Argument:"},
    {"QCommandLineParser", "Unknown option '%1'.", "Okänd flagga '%1'."},
    {"QCommandLineParser", "Unknown options: %1.", "Okända flaggor: %1."},
    {"QCommandLineParser", "Missing value after '%1'.", "Värde saknas efter '%1'."},
    {"QCommandLineParser", "Unexpected value after '%1'.", "Oväntat värde efter '%1'."},
};

} // namespace

std::span<const SwedishToolkitTexts::Text> SwedishToolkitTexts::CommandLineTexts() {
    return kTexts;
}

QString SwedishToolkitTexts::translate(const char* context, const char* sourceText,
                                       const char* /*disambiguation*/, int /*n*/) const {
    if (context == nullptr || sourceText == nullptr)
        return {};
    for (const Text& text : texts_) {
        if (std::strcmp(text.context, context) == 0 && std::strcmp(text.english, sourceText) == 0)
            return QString::fromUtf8(text.swedish);
    }
    return {};
}
