// The yardstick for start-up time and memory: a bare wxWidgets frame of
// 610 x 590 holding the same hidden web view, loading the same page.
// usage: reference_frame URL
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/webview.h>

class ReferenceApp : public wxApp {
public:
    bool OnInit() override
    {
        wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "ReferenceFrame");
        frame->SetClientSize(610, 590);
        wxWebView* view = wxWebView::New(frame, wxID_ANY, wxString(), wxPoint(640, 210), wxSize(120, 170));
        if (argc > 1)
            view->LoadURL(argv[1]);
        frame->Show();
        return true;
    }
};

wxIMPLEMENT_APP(ReferenceApp);
