// SPDX-License-Identifier: MIT
#include "generator/SequenceFile.h"

#include "generating/PlayedFile.h"

#include <filesystem>
#include <fstream>

SequenceFromFile ReadSequenceFile(const QString& name, std::uint16_t base) {
    if (name.isEmpty())
        return {std::nullopt, QString::fromUtf8("Välj en fil att spela upp.")};
    const QByteArray utf8 = name.toUtf8();
    std::ifstream file(
        std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                                            static_cast<std::size_t>(utf8.size()))));
    if (!file)
        return {std::nullopt, QString::fromUtf8("Filen %1 kan inte läsas.").arg(name)};
    portprov::PlayedFileResult read = portprov::ReadPlayedFile(file, base);
    return {std::move(read.sequence), QString::fromStdString(read.refusal),
            std::move(read.ignored)};
}
