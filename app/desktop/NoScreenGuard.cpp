// SPDX-License-Identifier: MIT
#include "desktop/NoScreenGuard.h"

#include "desktop/WindowsConsole.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

constexpr int kNoScreenStatus = 2;
constexpr int kLostScreenStatus = 1;

constexpr const char* kNoScreen =
    "Portprov hittade ingen skärm att visa sitt fönster på.\n"
    "Starta programmet från skrivbordet, eller under en skärm i minnet med "
    "xvfb-run portprov, eller läs och skriv portarna utan fönster med --read och "
    "--write (se portprov --help).\n";

constexpr const char* kLostScreen =
    "Portprov förlorade kontakten med skärmen som fönstret visades på och avslutas.\n";

void Say(const char* text) {
    const QString swedish = QString::fromUtf8(text);
    if (!windowsconsole::WriteToConsole(stderr, swedish)) {
        const QByteArray bytes = swedish.toLocal8Bit();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
        std::fflush(stderr);
    }
}

// A message of the toolkit's display plugins, kept until the toolkit has
// started. The context's texts are the toolkit's own constants.
struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> heldMessages;
std::mutex heldMessagesMutex; // the toolkit may log from any thread

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // The toolkit's last word when no display plugin could start.
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        Say(kNoScreen);
        // Nothing to close down half way into the toolkit's start.
        std::_Exit(kNoScreenStatus);
    }
    const QByteArray category(context.category != nullptr ? context.category : "");
    if (category.startsWith("qt.qpa") || previousHandler == nullptr) {
        const std::lock_guard<std::mutex> lock(heldMessagesMutex);
        heldMessages.push_back(
            {type, context.file, context.line, context.function, context.category, text});
        return;
    }
    previousHandler(type, context, text);
}

QtMessageHandler handlerBeforeLostScreen = nullptr;

// The X11 plugin's two wordings, each of which it follows with exit(1).
void SayLostScreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("The X11 connection broke"))) {
        Say(kLostScreen);
        // The status the plugin would give, without the exit handlers: the
        // toolkit's threads still run, and its statics would be torn down
        // under them.
        std::_Exit(kLostScreenStatus);
    }
    handlerBeforeLostScreen(type, context, text);
}

} // namespace

void SayLostScreenInSwedish() {
    handlerBeforeLostScreen = qInstallMessageHandler(SayLostScreen);
}

NoScreenGuard::NoScreenGuard() {
    previousHandler = qInstallMessageHandler(HoldOrEnd);
}

NoScreenGuard::~NoScreenGuard() {
    qInstallMessageHandler(previousHandler);
    const std::lock_guard<std::mutex> lock(heldMessagesMutex);
    for (const HeldMessage& held : heldMessages) {
        const QMessageLogContext context(held.file, held.line, held.function, held.category);
        qt_message_output(held.type, context, held.text);
    }
    heldMessages.clear();
}
