// The hidden web view on GTK: WebKitGTK behind wxWebView.
//
// The view is never seen; it only loads the statistics page as a browser
// would.  What a visible browser caches for going back and forth costs
// memory here for nothing, so the view keeps the cache of a document viewer.
#include <wx/webview.h>

#include <webkit2/webkit2.h>

#include "platform/toolkit.h"

wxWindow* createHiddenWebView(wxWindow* parent, int x, int y, int width, int height)
{
    wxWebView* view = wxWebView::New(parent, wxID_ANY, wxString(), wxPoint(x, y), wxSize(width, height));
    WebKitWebView* web = WEBKIT_WEB_VIEW(view->GetNativeBackend());
    webkit_web_context_set_cache_model(webkit_web_view_get_context(web), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    return view;
}

void loadInWebView(wxWindow* view, const std::string& gbkUrl)
{
    static_cast<wxWebView*>(view)->LoadURL(toWx(gbkUrl));
}
