// SPDX-License-Identifier: MIT
// The translation unit that GoogleTest's precompiled headers are made in;
// the core's test programs reuse them.
