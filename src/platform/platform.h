// What the core asks of the operating system and the toolkit.
//
// The core (app, net, config, lookup) never includes a toolkit header: it
// calls these few functions.  The toolkit backend fills them in at start;
// tests of the core fill in their own.  Every text crossing this line is GBK.
#pragma once

#include <cstdint>
#include <string>

using WidgetHandle = void*;

struct PlatformServices {
    // modal box with one OK button; returns when the user has dismissed it.
    // Callable from any thread: a worker waits while the GUI thread shows it.
    void (*messageBox)(const std::string& title, const std::string& text);
    // hands an http(s) address to the user's browser; never reports failure
    void (*openInBrowser)(const std::string& target);
    // text of a widget, and setting it, from any thread (a worker's call is
    // carried out on the GUI thread); setting a text raises no event
    std::string (*widgetText)(WidgetHandle widget);
    void (*setWidgetText)(WidgetHandle widget, const std::string& text);
    // runs body on a new detached thread
    void (*startThread)(void (*body)());
    // closes what the toolkit holds open before the orderly end
    void (*shutdownToolkit)();
    // ends the process with code 0 at once: nothing is released and no
    // static destructor runs under the feet of a worker
    void (*endProcess)();
    // closes an open menu of the window later, as a posted mouse click would
    void (*dismissMenu)(WidgetHandle window);
    // the clipboard's text, empty when it holds none
    std::string (*clipboardText)();
};

// Window messages, in Win32's numbering, that the toolkit backend produces
// for the message hook.
constexpr unsigned WM_ACTIVATEAPP = 0x1C;
constexpr unsigned WM_MENUSELECT = 0x11F;
using MessageHook = int (*)(WidgetHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);

extern PlatformServices platform;

// operating-system services that need no toolkit (src/platform, one file per OS)
void osOpenInBrowser(const std::string& target);
void osStartThread(void (*body)());
[[noreturn]] void osEndProcess();
void osIgnoreBrokenPipes();

// the GBK boundary: the only place where the program's texts change encoding
std::string gbkToUtf8(const std::string& gbk);
std::string utf8ToGbk(const std::string& utf8);

// brings the toolkit up and puts its services into `platform` (the toolkit
// backend: src/platform/wx_toolkit.cpp)
void initToolkit();

// puts the operating-system services above into `platform`; the toolkit
// ones stay no-ops until a toolkit backend is installed
void installOsServices();
