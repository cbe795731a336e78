// SPDX-License-Identifier: MIT
#include "desktop/FontConfigurationReader.h"

#ifdef PORTPROV_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

FontConfigurationReader::FontConfigurationReader() {
#ifdef PORTPROV_HAVE_FONTCONFIG
    // FcInit keeps the configuration for the whole program; the toolkit's own
    // FcInit later finds it there.
    thread_ = std::thread([] { FcInit(); });
#endif
}

FontConfigurationReader::~FontConfigurationReader() {
    Wait();
}

void FontConfigurationReader::Wait() {
    if (thread_.joinable())
        thread_.join();
}
