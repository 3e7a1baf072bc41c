// The main window, its event loop and its message hook.
#pragma once

#include <string>

#include "app/app_state.h"

extern const char* const DoiHint;
extern const char* const ArticleHint;
extern const char* const JournalHint;

void createFonts();
void openMainWindow(int x, int y, int width, int height);
int addThinBorder(WidgetHandle widget);
void finishMainWindow();

void runEventLoop();
void updateFieldHint(WidgetHandle field, const char* hint);
void stepMarquee();

// sees the window's menu and activation messages; installed last by
// finishMainWindow
int windowMessageHook(WidgetHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
