// The event queue behind the program's one blocking wait.
//
// wxWidgets calls handlers; the program wants to ask for "the next event".
// Handlers below only append to a queue, and waitEvent runs the toolkit
// until the queue holds something.
#include <chrono>
#include <deque>
#include <memory>
#include <set>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/hyperlink.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "platform/toolkit.h"

static std::deque<Event> pendingEvents;

static void post(int kind, WidgetHandle window, intptr_t source, int type = OtherType)
{
    pendingEvents.push_back(Event{kind, window, source, type});
}

Event waitEvent()
{
    static wxGUIEventLoop loop;
    wxEventLoopBase::SetActive(&loop);
    while (pendingEvents.empty()) {
        // work handed over by workers (CallAfter) runs here too
        wxTheApp->ProcessPendingEvents();
        if (!pendingEvents.empty())
            break;
        loop.Dispatch();
    }
    Event event = pendingEvents.front();
    pendingEvents.pop_front();
    return event;
}

void watchButton(wxWindow* button)
{
    button->Bind(wxEVT_BUTTON, [button](wxCommandEvent&) {
        post(WidgetEvent, button->GetParent(), intptr_t(button));
    });
}

void watchLink(wxWindow* link)
{
    // handled, so the toolkit does not open a browser of its own
    link->Bind(wxEVT_HYPERLINK, [link](wxHyperlinkEvent&) {
        post(WidgetEvent, link->GetParent(), intptr_t(link));
    });
}

// GTK reports replacing a selection by typing as a delete and then an
// insert, with an empty text in between.  The user made one edit, so the
// change is reported once, after GTK has finished the keystroke.
static std::set<wxTextCtrl*> changesAwaitingReport;

static void reportChangeOnce(wxTextCtrl* field)
{
    if (!changesAwaitingReport.insert(field).second)
        return;
    field->CallAfter([field] {
        changesAwaitingReport.erase(field);
        post(WidgetEvent, field->GetParent(), intptr_t(field), TextChange);
    });
}

void watchField(wxTextCtrl* field)
{
    field->Bind(wxEVT_TEXT, [field](wxCommandEvent&) { reportChangeOnce(field); });
    field->Bind(wxEVT_SET_FOCUS, [field](wxFocusEvent& e) {
        post(WidgetEvent, field->GetParent(), intptr_t(field), OtherType);
        e.Skip();
    });
    field->Bind(wxEVT_KILL_FOCUS, [field](wxFocusEvent& e) {
        post(WidgetEvent, field->GetParent(), intptr_t(field), LostFocus);
        e.Skip();
    });
}

void watchFrame(wxFrame* frame)
{
    // The window stays up until the program ends the process: closing only
    // tells the loop.
    frame->Bind(wxEVT_CLOSE_WINDOW, [frame](wxCloseEvent& e) {
        post(CloseEvent, frame, intptr_t(frame));
        if (e.CanVeto())
            e.Veto();
    });
    frame->Bind(wxEVT_MENU, [frame](wxCommandEvent& e) {
        post(MenuEvent, frame, e.GetId() - wxID_HIGHEST);
    });
}

// A tick that arrives while the last one still waits in the queue (say,
// while a message box is up) is dropped, so the notice never jumps.
static bool timerTickQueued(int id)
{
    for (const Event& e : pendingEvents)
        if (e.kind == TimerEvent && e.source == id)
            return true;
    return false;
}

// GLib sets a periodic timeout's next run from the moment the last one ran,
// so a 20 ms timer drifts to a tick every 21 ms or so.  Each tick here is
// set for its own slot on the clock instead; after a stall (a box, a busy
// loop) the count starts again from now rather than catching up in a burst.
void startWindowTimer(wxFrame* frame, int id, int periodMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::duration period = std::chrono::milliseconds(periodMs);
    wxTimer* timer = new wxTimer(frame, id);
    auto slot = std::make_shared<Clock::time_point>(Clock::now() + period);
    frame->Bind(wxEVT_TIMER, [frame, id, timer, period, slot](wxTimerEvent&) {
        if (!timerTickQueued(id))
            post(TimerEvent, frame, id);
        Clock::time_point now = Clock::now();
        *slot += period;
        if (*slot <= now)
            *slot = now + period;
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(*slot - now);
        timer->StartOnce(int(wait.count()));
    }, id);
    timer->StartOnce(periodMs);
}
