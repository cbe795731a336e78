// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// How the read-me document Doruv.rtf is found and which programs are asked,
// in order, to open it.

using FileExists = std::function<bool(const QString& path)>;

inline constexpr const char* kReadMeName = "Doruv.rtf";

// Where the read-me is looked for, in order: next to the program, then in
// each data folder (a folder given relative is taken from the program's
// folder, so that an installed tree can move).
QStringList ReadMePlaces(const QString& programFolder, const QStringList& dataFolders);

// The first of those places that has the read-me; when none has it, the one
// next to the program.
QString ReadMePath(const QString& programFolder, const QStringList& dataFolders,
                   const FileExists& exists);

struct LaunchAttempt {
    enum class Kind {
        Program,           // start program with arguments, detached
        RegisteredProgram, // the program the system has registered for the document
        Opener,            // a launcher that hands the document on to a viewer; it ends
                           // with a status other than 0 when no viewer could open it
    };
    Kind kind = Kind::Program;
    QString program;
    QStringList arguments;
    bool operator==(const LaunchAttempt&) const = default;
};

// Linux: the desktop's default application for the document, through the
// opener xdg-open, with the path as one argument whatever spaces it holds.
QList<LaunchAttempt> LinuxReadMeLaunch(const QString& documentPath);

// Windows: WordPad from its usual folders (English and Swedish names, under
// each Program Files folder given), the first that exists; else the program
// registered for .rtf documents.
QList<LaunchAttempt> WindowsReadMeLaunch(const QString& documentPath,
                                         const QStringList& programFilesFolders,
                                         const FileExists& exists);

// The attempts for the platform the program was built for.
QList<LaunchAttempt> ReadMeLaunch(const QString& documentPath);
