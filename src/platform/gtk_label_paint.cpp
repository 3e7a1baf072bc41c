// Windows that redraw often (the scrolling notice and its strip), painted
// straight with cairo.  A wx paint DC asks the theme and the X server about
// the window each time it is made, and the generic label measures and
// shapes its text again on every paint: fifty times a second that was most
// of the program's CPU.
#include <gtk/gtk.h>

#include <wx/fontutil.h>
#include <wx/window.h>

#include "platform/toolkit.h"

namespace {

struct LabelLayout {
    PangoLayout* layout = nullptr;
    wxString text;
};

void setColour(cairo_t* cr, const wxColour& colour)
{
    cairo_set_source_rgb(cr, colour.Red() / 255.0, colour.Green() / 255.0, colour.Blue() / 255.0);
}

void fillBackground(wxWindow* window, cairo_t* cr)
{
    setColour(cr, window->GetBackgroundColour());
    cairo_paint(cr);
}

void paintLabel(wxWindow* label, LabelLayout* cache)
{
    cairo_t* cr = label->GTKPaintContext();
    if (!cr)
        return;
    fillBackground(label, cr);
    if (!cache->layout || cache->text != label->GetLabel()) {
        if (cache->layout)
            g_object_unref(cache->layout);
        cache->text = label->GetLabel();
        cache->layout = pango_cairo_create_layout(cr);
        pango_layout_set_font_description(cache->layout, label->GetFont().GetNativeFontInfo()->description);
        pango_layout_set_text(cache->layout, cache->text.utf8_str(), -1);
    }
    int height;
    pango_layout_get_pixel_size(cache->layout, nullptr, &height);
    // the colour changes under the mouse; left aligned, centred vertically
    setColour(cr, label->GetForegroundColour());
    cairo_move_to(cr, 0, (label->GetClientSize().GetHeight() - height) / 2);
    pango_cairo_show_layout(cr, cache->layout);
}

}  // namespace

void paintBackgroundOnly(wxWindow* window)
{
    window->SetBackgroundStyle(wxBG_STYLE_PAINT);   // no erase step, no DC for it
    window->Bind(wxEVT_PAINT, [window](wxPaintEvent&) {
        if (cairo_t* cr = window->GTKPaintContext())
            fillBackground(window, cr);
    });
}

void paintFromOneLayout(wxWindow* label)
{
    auto* cache = new LabelLayout;   // lives as long as the label, that is the program
    label->SetBackgroundStyle(wxBG_STYLE_PAINT);
    label->Bind(wxEVT_PAINT, [label, cache](wxPaintEvent&) { paintLabel(label, cache); });
}
