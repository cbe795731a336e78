// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <cstdio>

// A Windows program built for the window has no console of its own. Started
// from a command prompt, it writes --help, --version and other command-line
// output to the prompt's console. Elsewhere both functions do nothing.
namespace windowsconsole {

// Attaches to the console of the program that started this one and points
// stdout and stderr at it, unless the parent redirected them (to a file or a
// pipe): those stay as they are. Call first thing in main.
void AttachParentConsole();

// Writes text to stream when stream is a Windows console, in the console's own
// characters (Swedish letters whole whatever its code page). Returns false
// when stream is not a console; the caller writes it the usual way then.
bool WriteToConsole(std::FILE* stream, const QString& text);

} // namespace windowsconsole
