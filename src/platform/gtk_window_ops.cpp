// Window operations the program thinks of in Win32 terms, done on GTK.
#include <gtk/gtk.h>

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/notebook.h>

#include "platform/toolkit.h"

static void styleWidget(GtkWidget* widget, const std::string& css)
{
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// WS_BORDER: a flat one-pixel line round a field created without a frame.
void addBorder(wxWindow* widget)
{
    GtkWidget* gtk = widget->GetHandle();
    if (GTK_IS_ENTRY(gtk))
        gtk_entry_set_has_frame(GTK_ENTRY(gtk), TRUE);
    styleWidget(gtk, "* { border: 1px solid #646464; border-radius: 0; box-shadow: none; }");
}

// TCS_FIXEDWIDTH with TCM_SETITEMSIZE: every tab the same width, whatever
// its title.  The tab's padding goes to zero so the width is the whole tab.
void setFixedTabWidth(wxNotebook* tabs, int width)
{
    GtkWidget* notebook = tabs->GetHandle();
    styleWidget(notebook, "tab { min-width: " + std::to_string(width) +
                              "px; padding-left: 0; padding-right: 0; margin-left: 0;"
                              " margin-right: 0; border-left-width: 0; border-right-width: 0; }");
    for (size_t i = 0; i < tabs->GetPageCount(); i++) {
        GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), int(i));
        gtk_container_child_set(GTK_CONTAINER(notebook), page, "tab-fill", TRUE, "tab-expand", FALSE, nullptr);
    }
}

// GetMenu: the native menu bar of the window
void* menuBarOf(wxFrame* frame)
{
    wxMenuBar* bar = frame->GetMenuBar();
    return bar ? bar->GetHandle() : nullptr;
}

// the height the menu bar takes, known before the window is first shown
int menuBarHeight(wxFrame* frame)
{
    wxMenuBar* bar = frame->GetMenuBar();
    if (!bar)
        return 0;
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_height(bar->GetHandle(), &minimum, &natural);
    return natural;
}
