// The toolkit side of the platform layer, for src/ui and the backends.
// Texts stay GBK up to here; toWx and fromWx are the crossing.
#pragma once

#include <functional>
#include <string>

#include <wx/string.h>

#include "app/app_state.h"

class wxFrame;
class wxNotebook;
class wxTextCtrl;
class wxTimer;
class wxWindow;

wxString toWx(const std::string& gbk);
std::string fromWx(const wxString& text);

// runs fn on the GUI thread and returns when it is done
void onGuiThread(const std::function<void()>& fn);

// The message box, shown by the GUI thread.  showMessageBox returns once the
// user has dismissed it; showMessageBoxThen returns at once and calls
// dismissed later, so that the GUI thread never sits in a nested loop on a
// worker's behalf.
void showMessageBox(const std::string& title, const std::string& text);
void showMessageBoxThen(const std::string& title, const std::string& text,
                        std::function<void()> dismissed);

// The event queue.  Widgets report into it; waitEvent blocks until there is
// an event, running the toolkit meanwhile.
Event waitEvent();
void watchButton(wxWindow* button);
void watchField(wxTextCtrl* field);
void watchLink(wxWindow* link);
void watchFrame(wxFrame* frame);
void startWindowTimer(wxFrame* frame, int id, int periodMs);

// The message hook: from here on the window's menu and activation messages
// go to hook, until the end of the program.  watchNewWindow takes in a
// further top-level window (a message box) for the activation tracking.
void installMessageHook(MessageHook hook, wxFrame* frame);
void watchNewWindow(void* gtkWindow);

// Window operations that the program expresses in Win32 terms
void addBorder(wxWindow* widget);
void setFixedTabWidth(wxNotebook* tabs, int width);
void* menuBarOf(wxFrame* frame);
int menuBarHeight(wxFrame* frame);
WidgetHandle focusedWidget();
void focusWidget(WidgetHandle widget);
void setTextColour(WidgetHandle widget, int r, int g, int b);
void moveWidget(WidgetHandle widget, int x, int y, int width, int height);
int widgetX(WidgetHandle widget);

// Cheap painting for windows that redraw many times a second: a plain
// window in its background colour, and a label drawn from one text layout
// (made again only when its text changes) over its background colour
void paintBackgroundOnly(wxWindow* window);
void paintFromOneLayout(wxWindow* label);

