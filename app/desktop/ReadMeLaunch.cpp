// SPDX-License-Identifier: MIT
#include "desktop/ReadMeLaunch.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

QStringList ReadMePlaces(const QString& programFolder, const QStringList& dataFolders) {
    const QDir program(programFolder);
    const QString name = QString::fromLatin1(kReadMeName);
    QStringList places{QDir::toNativeSeparators(program.filePath(name))};
    for (const QString& folder : dataFolders) {
        if (!folder.isEmpty())
            places.append(QDir::toNativeSeparators(
                QDir::cleanPath(QDir(program.filePath(folder)).filePath(name))));
    }
    places.removeDuplicates();
    return places;
}

QString ReadMePath(const QString& programFolder, const QStringList& dataFolders,
                   const FileExists& exists) {
    const QStringList places = ReadMePlaces(programFolder, dataFolders);
    for (const QString& place : places) {
        if (exists(QDir::fromNativeSeparators(place)))
            return place;
    }
    return places.constFirst();
}

QList<LaunchAttempt> LinuxReadMeLaunch(const QString& documentPath) {
    return {{LaunchAttempt::Kind::Opener, QStringLiteral("xdg-open"), {documentPath}}};
}

QList<LaunchAttempt> WindowsReadMeLaunch(const QString& documentPath,
                                         const QStringList& programFilesFolders,
                                         const FileExists& exists) {
    QStringList folders = programFilesFolders;
    // Old Swedish installations kept their programs in C:\Program.
    folders.append(QStringLiteral("C:\\Program"));
    folders.removeAll(QString());
    folders.removeDuplicates();

    QList<LaunchAttempt> attempts;
    for (const QString& folder : folders) {
        for (const QString& accessories :
             {QStringLiteral("Accessories"), QStringLiteral("Tillbehör")}) {
            const QString wordPad = folder + QStringLiteral("\\Windows NT\\") + accessories +
                                    QStringLiteral("\\wordpad.exe");
            if (exists(wordPad)) {
                attempts.append({LaunchAttempt::Kind::Program, wordPad, {documentPath}});
                break;
            }
        }
        if (!attempts.isEmpty())
            break;
    }
    attempts.append({LaunchAttempt::Kind::RegisteredProgram, QString(), {documentPath}});
    return attempts;
}

QList<LaunchAttempt> ReadMeLaunch(const QString& documentPath) {
#ifdef Q_OS_WIN
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    return WindowsReadMeLaunch(documentPath,
                               {environment.value(QStringLiteral("ProgramFiles")),
                                environment.value(QStringLiteral("ProgramW6432"))},
                               [](const QString& path) { return QFileInfo::exists(path); });
#else
    return LinuxReadMeLaunch(documentPath);
#endif
}
