// SPDX-License-Identifier: MIT
// Writes the program's icon as PNG files icons/<N>x<N>/portprov.png under the
// folder given on the command line, for the desktop's icon theme, and as
// icons/portprov.ico for a Windows executable.
#include "art/IconArt.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>

namespace {

QByteArray Png(int size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    iconart::PaintIcon(size).save(&buffer, "PNG");
    return bytes;
}

void PutLittleEndian(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

// An icon file whose images are stored as PNG, as Windows reads them since
// Vista: a six-byte header, a sixteen-byte entry per image, then the images.
bool WriteIco(const QString& path, const QList<int>& sizes) {
    QByteArray out;
    PutLittleEndian(out, 0, 2); // reserved
    PutLittleEndian(out, 1, 2); // type: icon
    PutLittleEndian(out, static_cast<std::uint32_t>(sizes.size()), 2);
    QList<QByteArray> images;
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
    for (const int size : sizes) {
        images.append(Png(size));
        const std::uint32_t side = size >= 256 ? 0 : static_cast<std::uint32_t>(size);
        PutLittleEndian(out, side, 1); // width, 0 meaning 256
        PutLittleEndian(out, side, 1); // height
        PutLittleEndian(out, 0, 1);    // no palette
        PutLittleEndian(out, 0, 1);    // reserved
        PutLittleEndian(out, 1, 2);    // colour planes
        PutLittleEndian(out, 32, 2);   // bits per pixel
        const auto length = static_cast<std::uint32_t>(images.last().size());
        PutLittleEndian(out, length, 4);
        PutLittleEndian(out, offset, 4);
        offset += length;
    }
    for (const QByteArray& image : images) {
        if (image.isEmpty()) {
            return false;
        }
        out.append(image);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    // Painting needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("icons/%1x%1").arg(size);
        const QString file = root.filePath(folder + QStringLiteral("/portprov.png"));
        if (!root.mkpath(folder) || !iconart::PaintIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    const QString ico = root.filePath(QStringLiteral("icons/portprov.ico"));
    if (!WriteIco(ico, {16, 32, 48, 256})) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ico));
        return 1;
    }
    return 0;
}
