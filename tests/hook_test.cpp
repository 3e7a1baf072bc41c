#include <gtest/gtest.h>

#include "app/app_state.h"
#include "test_support.h"
#include "ui/ui.h"

namespace {

int dismissals;
std::string clipboard;

WidgetHandle window() { return reinterpret_cast<WidgetHandle>(0x10); }
const intptr_t Bar = 0xBA, DropDown = 0xD0;

struct Message {
    unsigned item;
    intptr_t menu;
};

TEST(MessageHook, MenuSelectSequences)
{
    const std::string home = "http://127.0.0.1:18642";
    struct Case {
        const char* name;
        std::vector<Message> messages;
        std::vector<std::string> opened;
        int dismissed;
    } cases[] = {
        {"click on 软件简介", {{4, Bar}}, {home + "/sq/jj.html"}, 1},
        {"click on 微信公众号, then it closes", {{1, Bar}, {0, 0}}, {home + "/sq/gzh.html"}, 1},
        {"each link title", {{1, Bar}, {0, 0}, {2, Bar}, {0, 0}, {3, Bar}, {0, 0}},
         {home + "/sq/gzh.html", home + "/sq/qun.html", home + "/sq/ds.html"}, 3},
        {"菜单 open, slide onto 微信公众号", {{0, Bar}, {1, Bar}}, {}, 1},
        {"an entry of the drop-down, then a link title", {{0, Bar}, {1, DropDown}, {3, Bar}}, {}, 1},
        {"id 1 inside the drop-down is no title", {{0, Bar}, {1, DropDown}}, {}, 0},
        {"slide closes; a later click opens", {{0, Bar}, {1, Bar}, {0, 0}, {1, Bar}}, {home + "/sq/gzh.html"}, 2},
        {"menu closed resets", {{0, Bar}, {0, 0}, {2, Bar}}, {home + "/sq/qun.html"}, 1},
        {"a title past the four opens nothing", {{7, Bar}}, {}, 1},
        {"another menu's highlight is not the bar's", {{2, DropDown}}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetAppState();
        installRecorders();
        app.menuBarHandle = reinterpret_cast<void*>(Bar);
        dismissals = 0;
        platform.dismissMenu = [](WidgetHandle w) { dismissals += w == window(); };
        for (const Message& m : c.messages)
            EXPECT_EQ(windowMessageHook(window(), WM_MENUSELECT, m.item | (0x8010u << 16), m.menu), 0);
        EXPECT_EQ(recorded.opened, c.opened);
        EXPECT_EQ(dismissals, c.dismissed);
    }
}

TEST(MessageHook, ActivationPicksUpADoiShapedClipboard)
{
    struct Case {
        const char* clipboard;
        const char* field;
    } cases[] = {
        {"10.1038/nphys1170", "10.1038/nphys1170"},
        {"10.12345/abc\r\n", "10.12345/abc\r\n"},   // whole, untrimmed
        {"10.1/abc", "typed"},
        {"doi:10.1038/x", "typed"},
        {"", "typed"},
    };
    for (const Case& c : cases) {
        for (uintptr_t activated : {0u, 1u}) {
            resetAppState();
            installRecorders();
            app.doiInput = reinterpret_cast<WidgetHandle>(1);
            app.doiStatus = reinterpret_cast<WidgetHandle>(2);
            clipboard = c.clipboard;
            std::string field = "typed";
            static std::string* target;
            target = &field;
            platform.clipboardText = [] { return clipboard; };
            platform.setWidgetText = [](WidgetHandle w, const std::string& t) {
                if (w == app.doiInput)
                    *target = t;
            };
            EXPECT_EQ(windowMessageHook(window(), WM_ACTIVATEAPP, activated, 0), 0);
            EXPECT_EQ(field, c.field) << c.clipboard << " activated " << activated;
        }
    }
}

}
