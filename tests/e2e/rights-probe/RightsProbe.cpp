// SPDX-License-Identifier: MIT
// A display plugin that is none: the toolkit loads it as the platform
// "rightsprobe" from the folder the caller names in
// QT_QPA_PLATFORM_PLUGIN_PATH, as it would any caller's code. Loading it
// copies /proc/self/status (users, groups, capabilities) into the file named
// by PORTPROV_RIGHTS_REPORT and ends the process with status 0.
#include <QObject>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

class RightsProbe : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                          "rightsprobe.json")
};

[[maybe_unused]] static const int reported = [] {
    if (const char* report = std::getenv("PORTPROV_RIGHTS_REPORT")) {
        std::ofstream(report) << std::ifstream("/proc/self/status").rdbuf();
        ::_exit(0);
    }
    return 0;
}();

#include "RightsProbe.moc"
