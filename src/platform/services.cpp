#include "platform/platform.h"

namespace {
void noBox(const std::string&, const std::string&) {}
void noOpen(const std::string&) {}
std::string noText(WidgetHandle) { return {}; }
void noSetText(WidgetHandle, const std::string&) {}
void runInline(void (*body)()) { body(); }
void noShutdown() {}
void noEnd() {}
void noDismiss(WidgetHandle) {}
}

// Safe defaults until a backend is installed: nothing is shown or opened.
PlatformServices platform = {noBox, noOpen, noText, noSetText, runInline, noShutdown, noEnd,
                             noDismiss, [] { return std::string(); }};
