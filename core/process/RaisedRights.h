// SPDX-License-Identifier: MIT
#pragma once

namespace portprov {

// Gives up, for good, the rights the program file itself raised the process
// to (file capabilities, set-user-ID, set-group-ID): back to the real user
// and group, with every capability set empty. The window toolkit lets any
// caller steer it through the environment (plugin paths, fonts, styles,
// input methods), so a program with a toolkit must not hold rights its caller
// lacks; port rights belong to the small helper portprov-io. Should anything
// be left over, the program says so and ends with status 1 rather than carry
// on with them. Started by root itself (sudo), nothing was raised and nothing
// changes: that is the user's own choice. Call it first in main(), before
// anything reads the environment. Linux only; elsewhere it does nothing.
void DropRaisedRights();

} // namespace portprov
