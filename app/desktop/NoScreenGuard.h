// SPDX-License-Identifier: MIT
#pragma once

// Held while the window toolkit starts. A toolkit that finds no screen (no
// display, or one that does not answer) would print its English advice to
// reinstall and abort; instead the program says in Swedish how to go on and
// ends with status 2, as for a bad command line. The toolkit's warnings about
// its display are held back meanwhile, and passed on when it starts after all.
class NoScreenGuard {
public:
    NoScreenGuard();
    ~NoScreenGuard();
    NoScreenGuard(const NoScreenGuard&) = delete;
    NoScreenGuard& operator=(const NoScreenGuard&) = delete;
};

// For the rest of the program's life: when the connection to the display
// breaks (the X server went away), the display plugin's English last word
// is said in Swedish instead, and the program ends with status 1 as the
// plugin would end it. Every other message passes on untouched. Called
// before a guard is made, so that the guard hands its messages on to it.
void SayLostScreenInSwedish();
