// The one process-wide record that every part of the program reads and writes.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/platform.h"

constexpr int MarqueeStartX = 380;
constexpr int MarqueeTimer = 7788;
constexpr int MarqueePeriodMs = 20;

enum EventKind { NoEvent = 0, WidgetEvent, MenuEvent, TimerEvent, CloseEvent };
enum FieldEventType { OtherType = 0, LostFocus, TextChange };

struct Event {
    int kind;
    WidgetHandle window;
    intptr_t source;    // the widget, menu item id or timer id
    int type;           // FieldEventType, for single-line edits
};

struct AppState {
    // configuration values, written once by applyRemoteConfig
    std::string mirrorBase;        // always ends in "/"; moved on by the lookup
    std::string scholarBase;
    std::string noticeText;
    std::string statsUrl;
    std::string noticeUrl;
    std::string rowOneUrls[7];     // 1-6
    std::string rowTwoUrls[7];     // 1-6
    int configLoaded;

    std::string appVersion;
    std::string lookupDoi;
    std::string lastPdfUrl;
    int marqueeX;
    int marqueeWidth;
    void* menuBarHandle;
    int popupMenuActive;
    Event currentEvent;

    // widgets, created once by openMainWindow
    WidgetHandle mainWindow;
    WidgetHandle searchPanel;
    WidgetHandle doiInput, downloadButton, doiStatus;
    WidgetHandle scholarInput, scholarButton;
    WidgetHandle journalInput, journalButton;
    WidgetHandle baiduInput, baiduButton;
    WidgetHandle cnkiInput, cnkiButton;
    WidgetHandle tabStatus[4];           // tabs 2-5
    WidgetHandle siteFrame;
    WidgetHandle siteButton[7][7];       // row 1-6, column 1-6
    WidgetHandle marqueeStrip, noticeLink;
    WidgetHandle statsView;
    void* fontLarge;
    void* fontSmall;
};

extern AppState app;

// Lookup workers run side by side; this guards mirrorBase, lookupDoi and
// lastPdfUrl so that none of them is ever read half-written.
extern std::mutex lookupFieldsLock;

void resetAppState();
[[noreturn]] void exitApplication();
[[noreturn]] void fatalStartupError(const std::string& text);
