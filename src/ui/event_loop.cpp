#include "config/home_server.h"
#include "lookup/doi_lookup.h"
#include "lookup/site_links.h"
#include "platform/toolkit.h"
#include "ui/ui.h"

static bool sourceIs(WidgetHandle widget)
{
    return widget && app.currentEvent.source == intptr_t(widget);
}

void updateFieldHint(WidgetHandle field, const char* hint)
{
    int type = app.currentEvent.type;
    if (type == LostFocus && platform.widgetText(field).empty()) {
        setTextColour(field, 128, 128, 128);
        platform.setWidgetText(field, hint);
    }
    if (type == TextChange && platform.widgetText(field).empty()) {
        setTextColour(field, 128, 128, 128);
        platform.setWidgetText(field, hint);
        focusWidget(app.searchPanel);
    }
    if (type != TextChange && platform.widgetText(field) == hint && focusedWidget() == field) {
        platform.setWidgetText(field, "");
        setTextColour(field, 0, 0, 0);
    }
}

void stepMarquee()
{
    app.marqueeX -= 1;
    moveWidget(app.noticeLink, app.marqueeX, 10, app.marqueeWidth, 35);
    if (widgetX(app.noticeLink) == -app.marqueeWidth)
        app.marqueeX = MarqueeStartX;
}

static bool handleFieldEvent()
{
    const struct {
        WidgetHandle field;
        const char* hint;
    } fields[] = {
        {app.doiInput, DoiHint}, {app.scholarInput, ArticleHint}, {app.journalInput, JournalHint},
        {app.baiduInput, ArticleHint}, {app.cnkiInput, ArticleHint},
    };
    for (const auto& f : fields) {
        if (sourceIs(f.field)) {
            updateFieldHint(f.field, f.hint);
            return true;
        }
    }
    return false;
}

static bool handleSiteButton()
{
    for (int r = 1; r <= 6; r++)
        for (int c = 1; c <= 6; c++)
            if (sourceIs(app.siteButton[r][c])) {
                openSiteLink(r, c);
                return true;
            }
    return false;
}

static void handleWidgetEvent()
{
    if (handleFieldEvent() || handleSiteButton())
        return;
    if (sourceIs(app.downloadButton))
        startDoiLookup();
    else if (sourceIs(app.scholarButton))
        openScholarSearch();
    else if (sourceIs(app.journalButton))
        openJournalLookup();
    else if (sourceIs(app.baiduButton))
        openBaiduSearch();
    else if (sourceIs(app.cnkiButton))
        openCnkiSearch();
    else if (sourceIs(app.noticeLink) && !app.noticeUrl.empty())
        platform.openInBrowser(app.noticeUrl);
}

static void handleMenuEvent()
{
    if (app.currentEvent.source == 0)
        platform.openInBrowser(homeUrl("/download.html"));
    else if (app.currentEvent.source == 1)
        platform.openInBrowser(homeUrl("/doi.html"));
}

void runEventLoop()
{
    for (;;) {
        app.currentEvent = waitEvent();
        switch (app.currentEvent.kind) {
        case TimerEvent:
            if (app.currentEvent.source == MarqueeTimer && app.configLoaded == 1)
                stepMarquee();
            break;
        case MenuEvent:
            handleMenuEvent();
            break;
        case WidgetEvent:
            handleWidgetEvent();
            break;
        }
        if (app.currentEvent.kind == CloseEvent && app.currentEvent.window == app.mainWindow)
            return;
    }
}
