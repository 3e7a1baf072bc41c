// The window messages the hook wants, produced from GTK's signals:
//   WM_MENUSELECT   a menu-bar title or drop-down entry highlighted ("select"),
//                   or the menu closed (the bar's "deactivate": item 0, menu 0)
//   WM_ACTIVATEAPP  the program's windows gained or lost the foreground
// and the two services that answer it: dismissing the menu and the clipboard.
#include <gtk/gtk.h>

#include <wx/frame.h>
#include <wx/menu.h>

#include "platform/toolkit.h"

namespace {

MessageHook hook;
WidgetHandle hookWindow;

struct Highlight {
    unsigned item;
    GtkWidget* menu;
};

void deliver(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (hook)
        hook(hookWindow, message, wParam, lParam);
}

void onSelect(GtkMenuItem*, gpointer data)
{
    auto* h = static_cast<Highlight*>(data);
    deliver(WM_MENUSELECT, h->item, intptr_t(h->menu));
}

void onMenuClosed(GtkMenuShell*, gpointer)
{
    deliver(WM_MENUSELECT, 0, 0);
}

void watchHighlight(GtkWidget* item, unsigned id, GtkWidget* menu)
{
    g_signal_connect_data(item, "select", G_CALLBACK(onSelect), new Highlight{id, menu},
                          [](gpointer data, GClosure*) { delete static_cast<Highlight*>(data); },
                          GConnectFlags(0));
}

// Titles report their index in the bar; entries of a drop-down their
// command id, with the drop-down as their menu.
void watchMenuBar(wxMenuBar* bar)
{
    GtkWidget* barWidget = bar->GetHandle();
    for (size_t i = 0; i < bar->GetMenuCount(); i++) {
        wxMenu* menu = bar->GetMenu(i);
        GList* titles = gtk_container_get_children(GTK_CONTAINER(barWidget));
        GtkWidget* title = GTK_WIDGET(g_list_nth_data(titles, guint(i)));
        g_list_free(titles);
        if (!title)
            continue;
        watchHighlight(title, unsigned(i), barWidget);
        for (wxMenuItem* item : menu->GetMenuItems())
            if (item->GetMenuItem())
                watchHighlight(item->GetMenuItem(), unsigned(item->GetId() - wxID_HIGHEST), menu->m_menu);
    }
    g_signal_connect(barWidget, "deactivate", G_CALLBACK(onMenuClosed), nullptr);
}

// The program counts as active while any of its windows is; a switch
// between two of its own windows is no change.  Before the first
// activation the window is still being created, and that one is not told.
enum { NotYetActive, Active, Inactive } appState = NotYetActive;

gboolean checkActivation(gpointer)
{
    bool active = false;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
        active |= gtk_window_is_active(GTK_WINDOW(w->data)) != FALSE;
    g_list_free(windows);
    if (appState == NotYetActive) {
        if (active)
            appState = Active;
    } else if (active != (appState == Active)) {
        appState = active ? Active : Inactive;
        deliver(WM_ACTIVATEAPP, active ? 1 : 0, 0);
    }
    return G_SOURCE_REMOVE;
}

void onActiveChanged(GObject*, GParamSpec*, gpointer)
{
    g_idle_add(checkActivation, nullptr);
}

void onWindowAdded(GtkWindow* window)
{
    g_signal_connect(window, "notify::is-active", G_CALLBACK(onActiveChanged), nullptr);
}

gboolean deactivateMenuBar(gpointer bar)
{
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(bar));
    return G_SOURCE_REMOVE;
}

void dismissMenu(WidgetHandle window)
{
    void* bar = menuBarOf(static_cast<wxFrame*>(window));
    if (bar)
        g_idle_add(deactivateMenuBar, bar);
}

std::string clipboardText()
{
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    std::string gbk = text ? utf8ToGbk(text) : std::string();
    g_free(text);
    return gbk;
}

}

void watchNewWindow(void* gtkWindow)
{
    onWindowAdded(GTK_WINDOW(gtkWindow));
}

void installMessageHook(MessageHook messageHook, wxFrame* frame)
{
    platform.dismissMenu = dismissMenu;
    platform.clipboardText = clipboardText;
    hookWindow = frame;
    watchMenuBar(frame->GetMenuBar());
    onWindowAdded(GTK_WINDOW(frame->GetHandle()));
    checkActivation(nullptr);
    hook = messageHook;
}
