#include "config/home_server.h"
#include "lookup/doi_lookup.h"
#include "ui/ui.h"

static const char* const TitlePages[] = {nullptr, "/sq/gzh.html", "/sq/qun.html", "/sq/ds.html", "/sq/jj.html"};

static void onMenuSelect(WidgetHandle window, unsigned item, intptr_t menu)
{
    if (menu == 0 && item == 0)
        app.popupMenuActive = 0;
    if (menu != 0 && menu == intptr_t(app.menuBarHandle) && item != 0) {
        // A link title: opened straight from a closed menu it is a click;
        // reached by sliding over from an open drop-down it only closes it.
        if (app.popupMenuActive == 1) {
            platform.dismissMenu(window);
            app.popupMenuActive = 0;
        } else {
            if (item <= 4)
                platform.openInBrowser(homeUrl(TitlePages[item]));
            platform.dismissMenu(window);
        }
    } else if (menu != 0) {
        app.popupMenuActive = 1;
    }
}

static void onActivateApp()
{
    std::string text = platform.clipboardText();
    if (isDoiShaped(text))
        platform.setWidgetText(app.doiInput, text);
}

int windowMessageHook(WidgetHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (message == WM_MENUSELECT)
        onMenuSelect(window, unsigned(wParam & 0xFFFF), lParam);
    else if (message == WM_ACTIVATEAPP)
        onActivateApp();
    return 0;   // normal processing goes on
}
