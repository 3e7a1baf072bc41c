// The message box on GTK: a real GtkMessageDialog with one OK button.
#include <gtk/gtk.h>

#include "platform/toolkit.h"

// The box belongs to the foreground window when that window is ours.
static GtkWindow* ourActiveWindow()
{
    GtkWindow* active = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
        if (gtk_window_is_active(GTK_WINDOW(w->data)))
            active = GTK_WINDOW(w->data);
    g_list_free(windows);
    return active;
}

static GtkWidget* createBox(const std::string& title, const std::string& text)
{
    GtkWindow* owner = ourActiveWindow();
    GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                            GTK_BUTTONS_OK, "%s", gbkToUtf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(box), gbkToUtf8(title).c_str());
    gtk_window_set_position(GTK_WINDOW(box), owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    watchNewWindow(box);
    return box;
}

void showMessageBox(const std::string& title, const std::string& text)
{
    GtkWidget* box = createBox(title, text);
    // OK, the close box and Escape all end it alike
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

static void onResponse(GtkDialog* box, gint, gpointer data)
{
    auto* dismissed = static_cast<std::function<void()>*>(data);
    gtk_widget_destroy(GTK_WIDGET(box));
    (*dismissed)();
    delete dismissed;
}

void showMessageBoxThen(const std::string& title, const std::string& text,
                        std::function<void()> dismissed)
{
    GtkWidget* box = createBox(title, text);
    g_signal_connect(box, "response", G_CALLBACK(onResponse), new std::function<void()>(std::move(dismissed)));
    gtk_widget_show(box);
}
