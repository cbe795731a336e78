// SPDX-License-Identifier: MIT
#pragma once

#include "input/Conversions.h"

// How the user's locale writes numbers, for reading the boxes of the window.
portprov::NumberFormat LocaleNumberFormat();
