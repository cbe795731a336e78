// SPDX-License-Identifier: MIT
#pragma once

#include <thread>

// The system's font configuration (fontconfig on Linux) is read once per
// program, when the first text is measured: some fifty small files, several
// milliseconds. Read on a thread of its own while the window toolkit connects
// to the display, it is ready by the time the window lays out its texts.
// Elsewhere this does nothing.
class FontConfigurationReader {
public:
    FontConfigurationReader();  // starts reading
    ~FontConfigurationReader(); // waits for the reading to end
    FontConfigurationReader(const FontConfigurationReader&) = delete;
    FontConfigurationReader& operator=(const FontConfigurationReader&) = delete;

    void Wait();

private:
    std::thread thread_;
};
