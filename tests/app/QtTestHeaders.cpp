// SPDX-License-Identifier: MIT
// The translation unit that Qt's precompiled headers are made in; the window
// tests reuse them.
