// wxWidgets as the toolkit: start-up, the GBK crossing, and widget texts.
#include <future>

#include <gdk/gdk.h>

#include <wx/app.h>
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "platform/toolkit.h"

wxString toWx(const std::string& gbk)
{
    return wxString::FromUTF8(gbkToUtf8(gbk));
}

std::string fromWx(const wxString& text)
{
    wxScopedCharBuffer utf8 = text.utf8_str();
    return utf8ToGbk(std::string(utf8.data(), utf8.length()));
}

void onGuiThread(const std::function<void()>& fn)
{
    if (wxIsMainThread()) {
        fn();
        return;
    }
    std::promise<void> done;
    wxTheApp->CallAfter([&] {
        fn();
        done.set_value();
    });
    done.get_future().wait();
}

static wxWindow* asWindow(WidgetHandle widget)
{
    return static_cast<wxWindow*>(widget);
}

static std::string readWidgetText(WidgetHandle widget)
{
    std::string text;
    onGuiThread([&] {
        if (!widget)
            return;
        if (auto* field = dynamic_cast<wxTextCtrl*>(asWindow(widget)))
            text = fromWx(field->GetValue());
        else
            text = fromWx(asWindow(widget)->GetLabel());
    });
    return text;
}

// ChangeValue, unlike SetValue, raises no text event: a text set by the
// program must never look like the user's edit.
static void writeWidgetText(WidgetHandle widget, const std::string& text)
{
    onGuiThread([&] {
        if (!widget)
            return;
        if (auto* field = dynamic_cast<wxTextCtrl*>(asWindow(widget)))
            field->ChangeValue(toWx(text));
        else
            asWindow(widget)->SetLabel(toWx(text));
    });
}

// A worker waits for its box; the GUI thread shows it and goes on handling
// events (the status writes and boxes of other workers among them).
static void messageBoxOnGuiThread(const std::string& title, const std::string& text)
{
    if (wxIsMainThread()) {
        showMessageBox(title, text);
        return;
    }
    std::promise<void> dismissed;
    wxTheApp->CallAfter([&] { showMessageBoxThen(title, text, [&] { dismissed.set_value(); }); });
    dismissed.get_future().wait();
}

// The process ends right after this; the toolkit is not torn down under
// workers that may be waiting on it.  What is still buffered for the
// display goes out first.
static void flushDisplay()
{
    if (GdkDisplay* display = gdk_display_get_default())
        gdk_display_flush(display);
}

void setTextColour(WidgetHandle widget, int r, int g, int b)
{
    asWindow(widget)->SetForegroundColour(wxColour(r, g, b));
    asWindow(widget)->Refresh();
}

WidgetHandle focusedWidget()
{
    return wxWindow::FindFocus();
}

void focusWidget(WidgetHandle widget)
{
    asWindow(widget)->SetFocus();
}

void moveWidget(WidgetHandle widget, int x, int y, int width, int height)
{
    // negative positions are real positions here, not "keep the old one"
    asWindow(widget)->SetSize(x, y, width, height, wxSIZE_ALLOW_MINUS_ONE | wxSIZE_FORCE);
}

int widgetX(WidgetHandle widget)
{
    return asWindow(widget)->GetPosition().x;
}

void initToolkit()
{
    // The program takes no arguments: the toolkit gets none either.
    static char name[] = "quirevo";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    // a failed toolkit check must never stop the user with a dialog
    wxDisableAsserts();
    wxApp::SetInstance(new wxApp);
    // with no display there is nothing to show a box in, not even one
    if (!wxEntryStart(argc, argv))
        osEndProcess();
    wxTheApp->CallOnInit();
    // Nothing here handles idle or update-UI events, and wx would otherwise
    // walk every window with both after each event, fifty times a second
    // for the notice alone.
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    platform.messageBox = messageBoxOnGuiThread;
    platform.widgetText = readWidgetText;
    platform.setWidgetText = writeWidgetText;
    platform.shutdownToolkit = flushDisplay;
}
