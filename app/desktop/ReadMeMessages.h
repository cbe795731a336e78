// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the user is told when "Läs Mig" cannot show the read-me. On Windows it
// is the program's message of old, about WordPad; on Linux each message says
// what failed and how to mend it.

// Windows: no attempt started.
QString WordPadMissingMessage();

// Linux: the read-me is in none of the places it was looked for.
QString ReadMeMissingMessage(const QStringList& placesLooked);
// Linux: the opener xdg-open could not be started.
QString NoOpenerMessage();
// Linux: xdg-open found no program that could show the RTF document.
QString NoRtfViewerMessage(const QString& document);
// Linux: what xdg-open's exit status (or -1 for a crash) says went wrong.
QString OpenerFailureMessage(const QString& document, int exitStatus);

// For the platform built for: the message when the read-me is missing
// (Linux looks before it asks for a viewer; on Windows the word processor
// tells), and when no attempt to show it could start.
std::optional<QString> MissingReadMeMessage(const QStringList& placesLooked, bool found);
QString ReadMeFailureMessage();
