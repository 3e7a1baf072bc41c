// The real window under Xvfb and a window manager, driven as a user drives
// it: xdotool moves the mouse and types, the toolkit is read back.  The GUI
// thread runs the program's own start-up and event loop; the tests run on a
// second thread, as the user and an inspector.
#include <gtest/gtest.h>

// before the X11 headers, whose macros clash with its names
#include "test_support.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "app/app_state.h"
#include "app/startup.h"
#include "platform/toolkit.h"
#include "ui/ui.h"

namespace {

using namespace std::chrono_literals;

std::string utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// the home server and the configured mirror of this run
std::atomic<int> statsRequests{0};
const char MirrorPage[] = R"(<div><iframe src = "//sci-hub.test/paper.pdf#view=FitH" id="pdf"></iframe></div>)";

std::string homeConfig()
{
    // ten Chinese characters and five ASCII ones: 200 pixels of notice
    return "{\"SCI-HUB\":\"http://127.0.0.1:18700\",\"Google\":\"https://scholar.test\","
           "\"Notice\":\"" + utf8ToGbk(utf8(u8"欢迎使用文献下载助手")) + "Hello\","
           "\"tongji\":\"http://127.0.0.1:18642/tongji.html\","
           "\"urlgonggao\":\"http://127.0.0.1:18642/notice.html\"}";
}

void serveHome(LoopbackServer& home)
{
    home.routes().Get("/sq/pz.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(homeConfig(), "text/plain");
    });
    home.routes().Get("/gx.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("4.0", "text/plain");
    });
    home.routes().Get("/tongji.html", [](const httplib::Request&, httplib::Response& res) {
        statsRequests++;
        res.set_content("<html><body>counted</body></html>", "text/html");
    });
    home.start();
}

void gui(const std::function<void()>& fn) { onGuiThread(fn); }

wxWindow* win(WidgetHandle h) { return static_cast<wxWindow*>(h); }

void xdo(const std::string& args)
{
    std::string command = "timeout 20 xdotool " + args + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 3000ms)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

// lets the GUI thread handle what the last input produced
void settle()
{
    std::this_thread::sleep_for(150ms);
    gui([] {});
}

unsigned long windowId()
{
    unsigned long id = 0;
    gui([&] { id = gdk_x11_window_get_xid(gtk_widget_get_window(win(app.mainWindow)->GetHandle())); });
    return id;
}

// (no --sync: it waits for a motion that never comes when the pointer is
// already there)
void clickAt(int x, int y)
{
    xdo("mousemove " + std::to_string(x) + " " + std::to_string(y));
    std::this_thread::sleep_for(50ms);
    xdo("click 1");
    settle();
}

void clickOn(WidgetHandle widget)
{
    wxPoint centre;
    gui([&] {
        wxRect r = win(widget)->GetScreenRect();
        centre = wxPoint(r.x + r.width / 2, r.y + r.height / 2);
    });
    clickAt(centre.x, centre.y);
}

void keys(const std::string& names)
{
    xdo("key --delay 40 " + names);
    settle();
}

void typeText(const std::string& text)
{
    xdo("type --delay 40 '" + text + "'");
    settle();
}

std::string textOf(WidgetHandle h) { return platform.widgetText(h); }

wxColour colourOf(WidgetHandle h)
{
    wxColour c;
    gui([&] { c = win(h)->GetForegroundColour(); });
    return c;
}

// screen rectangle of menu-bar title i
wxRect menuTitle(int i)
{
    wxRect r;
    gui([&] {
        GtkWidget* bar = static_cast<GtkWidget*>(app.menuBarHandle);
        GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
        GtkWidget* title = GTK_WIDGET(g_list_nth_data(items, i));
        g_list_free(items);
        GtkAllocation a;
        gtk_widget_get_allocation(title, &a);
        int ox, oy;
        gdk_window_get_origin(gtk_widget_get_window(title), &ox, &oy);
        r = wxRect(ox + a.x, oy + a.y, a.width, a.height);
    });
    return r;
}

bool menuIsOpen()
{
    bool open = false;
    gui([&] {
        GtkMenuShell* bar = GTK_MENU_SHELL(app.menuBarHandle);
        open = gtk_menu_shell_get_selected_item(bar) != nullptr;
        GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
        for (GList* i = items; i; i = i->next) {
            GtkWidget* menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(i->data));
            open |= menu && gtk_widget_get_mapped(menu);
        }
        g_list_free(items);
    });
    return open;
}

void clickTitle(int i)
{
    wxRect r = menuTitle(i);
    clickAt(r.x + r.width / 2, r.y + r.height / 2);
}

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetOpenerLog();
        xdo("windowactivate --sync " + std::to_string(windowId()));
        settle();
    }
};

TEST_F(Window, FixedSizeClientAreaBelowTheMenuBar)
{
    int clientW = 0, clientH = 0, menuH = 0;
    bool resizable = true;
    gui([&] {
        wxFrame* frame = static_cast<wxFrame*>(app.mainWindow);
        frame->GetClientSize(&clientW, &clientH);
        menuH = gtk_widget_get_allocated_height(static_cast<GtkWidget*>(app.menuBarHandle));
        resizable = gtk_window_get_resizable(GTK_WINDOW(frame->GetHandle()));
    });
    EXPECT_EQ(clientW, 610);
    EXPECT_GT(menuH, 10);
    EXPECT_LT(menuH, 40);
    EXPECT_EQ(clientH, 590 - menuH);
    EXPECT_FALSE(resizable);

    // neither the window manager's resize nor its maximise changes it
    std::string id = std::to_string(windowId());
    xdo("windowsize " + id + " 900 900");
    std::system("wmctrl -r QuirevoV5.0 -b add,maximized_vert,maximized_horz");
    settle();
    std::this_thread::sleep_for(300ms);
    int w = 0, h = 0;
    gui([&] { static_cast<wxFrame*>(app.mainWindow)->GetClientSize(&w, &h); });
    EXPECT_EQ(w, 610);
    EXPECT_EQ(h, 590 - menuH);
}

TEST_F(Window, WidgetsStandWhereTheLayoutPutsThem)
{
    struct Case {
        const char* name;
        WidgetHandle widget;
        wxRect rect;            // in the client area of its parent
        std::string caption;    // GBK; empty: not checked
    } cases[] = {
        {"siteFrame", app.siteFrame, {20, 220, 570, 330}, "学术网站大全"},
        {"site 1,1", app.siteButton[1][1], {40, 250, 80, 30}, "SCI-HUB "},
        {"site 1,2", app.siteButton[1][2], {130, 250, 80, 30}, "SCI-HUB"},
        {"site 2,5", app.siteButton[2][5], {400, 300, 80, 30}, "知网下载 "},
        {"site 6,3", app.siteButton[6][3], {220, 500, 80, 30}, "Lumbrel "},
        {"site 6,6", app.siteButton[6][6], {490, 500, 80, 30}, "科学网"},
        {"marqueeStrip", app.marqueeStrip, {110, 14, 380, 50}, ""},
        {"searchPanel", app.searchPanel, {20, 80, 570, 120}, ""},
        {"doiInput", app.doiInput, {20, 18, 411, 25}, "请输入您要检索文献的DOI号..."},
        {"downloadButton", app.downloadButton, {440, 18, 100, 25}, "立即下载"},
        {"doiStatus", app.doiStatus, {20, 58, 530, 30}, "当前状态：网络监测中"},
        {"journalButton", app.journalButton, {440, 18, 100, 25}, "IF查询"},
        {"cnkiButton", app.cnkiButton, {440, 18, 100, 25}, "知网搜索"},
        {"statsView", app.statsView, {640, 210, 120, 170}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wxRect r;
        gui([&] {
            wxWindow* w = win(c.widget);
            GtkAllocation a;
            gtk_widget_get_allocation(w->GetHandle(), &a);
            r = wxRect(w->GetPosition(), wxSize(a.width, a.height));
        });
        EXPECT_EQ(r, c.rect);
        if (!c.caption.empty())
            EXPECT_EQ(textOf(c.widget), c.caption);
    }
    EXPECT_EQ(colourOf(app.doiStatus), wxColour(0, 0, 255));
    EXPECT_EQ(colourOf(app.tabStatus[2]), wxColour(0, 0, 255));
    EXPECT_EQ(colourOf(app.cnkiInput), wxColour(128, 128, 128));
}

TEST_F(Window, FiveTabsOf112PixelsAndTheMenuBar)
{
    std::vector<int> left;
    std::vector<std::string> titles;
    int selected = -1;
    std::vector<std::string> menuTitles;
    std::string item1;
    gui([&] {
        wxNotebook* tabs = static_cast<wxNotebook*>(app.searchPanel);
        GtkNotebook* nb = GTK_NOTEBOOK(tabs->GetHandle());
        for (int i = 0; i < gtk_notebook_get_n_pages(nb); i++) {
            GtkWidget* label = gtk_notebook_get_tab_label(nb, gtk_notebook_get_nth_page(nb, i));
            GtkAllocation a;
            gtk_widget_get_allocation(label, &a);
            left.push_back(a.x);
            titles.push_back(fromWx(tabs->GetPageText(i)));
        }
        selected = tabs->GetSelection();
        wxMenuBar* bar = static_cast<wxFrame*>(app.mainWindow)->GetMenuBar();
        for (size_t i = 0; i < bar->GetMenuCount(); i++)
            menuTitles.push_back(fromWx(bar->GetMenuLabelText(i)));
        item1 = fromWx(bar->GetMenu(0)->FindItemByPosition(1)->GetItemLabelText());
    });
    ASSERT_EQ(left.size(), 5u);
    for (int i = 1; i < 5; i++)
        EXPECT_EQ(left[i] - left[i - 1], 112) << "tab " << i;
    EXPECT_EQ(titles, (std::vector<std::string>{"SCI-HUB", "Google学术", "影响因子", "百度学术", "知网"}));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(menuTitles, (std::vector<std::string>{"菜单", "微信公众号", "文献互助", "我要打赏", "软件简介"}));
    EXPECT_EQ(item1, "如何查找DOI 号");
}

TEST_F(Window, HintsLeaveAndComeBackAsTheUserEdits)
{
    const std::string hint = DoiHint;
    const wxColour gray(128, 128, 128), black(0, 0, 0);
    WidgetHandle field = app.doiInput;
    gui([] { static_cast<wxNotebook*>(app.searchPanel)->SetSelection(0); });

    clickOn(field);   // a field showing its hint empties and turns black
    EXPECT_EQ(textOf(field), "");
    EXPECT_EQ(colourOf(field), black);

    typeText("abc");
    EXPECT_EQ(textOf(field), "abc");
    keys("ctrl+a BackSpace");   // deleting everything brings the hint back
    EXPECT_EQ(textOf(field), hint);
    EXPECT_EQ(colourOf(field), gray);
    EXPECT_EQ(focusedWidget(), app.searchPanel);

    clickOn(field);
    EXPECT_EQ(textOf(field), "");
    keys("Tab");      // leaving an empty field brings the hint back
    EXPECT_EQ(textOf(field), hint);
    EXPECT_EQ(colourOf(field), gray);

    clickOn(field);
    typeText("keep");
    keys("Tab");      // leaving a field that holds text keeps it
    EXPECT_EQ(textOf(field), "keep");
    EXPECT_EQ(colourOf(field), black);

    clickOn(field);
    keys("ctrl+a");
    typeText("new");  // typing over a selection is one edit
    EXPECT_EQ(textOf(field), "new");
    EXPECT_EQ(colourOf(field), black);
    EXPECT_EQ(focusedWidget(), field);

    // a text set by the program triggers no rule
    platform.setWidgetText(field, "");
    settle();
    EXPECT_EQ(textOf(field), "");
}

TEST_F(Window, MarqueeStepsAndRestarts)
{
    struct Case {
        int width, ticks, x, marqueeX;
    } cases[] = {
        {200, 1, 379, 379},
        {200, 580, -200, 380},
        {200, 581, 379, 379},
        {200, 1160, -200, 380},
        {0, 380, 0, 380},
        {0, 381, 379, 379},
    };
    gui([] { app.configLoaded = 0; });   // the timer's own ticks stay out of the way
    for (const Case& c : cases) {
        int x = 0, marqueeX = 0;
        gui([&] {
            app.marqueeWidth = c.width;
            app.marqueeX = MarqueeStartX;
            for (int i = 0; i < c.ticks; i++)
                stepMarquee();
            x = widgetX(app.noticeLink);
            marqueeX = app.marqueeX;
        });
        EXPECT_EQ(x, c.x) << c.width << " after " << c.ticks;
        EXPECT_EQ(marqueeX, c.marqueeX) << c.width << " after " << c.ticks;
    }
    gui([] {
        app.marqueeWidth = 8 * int(app.noticeText.size());
        app.configLoaded = 1;
    });
    EXPECT_EQ(app.marqueeWidth, 200);
    int before = 0, after = 0;
    gui([&] { before = app.marqueeX; });
    std::this_thread::sleep_for(500ms);
    gui([&] { after = app.marqueeX; });
    EXPECT_NE(before, after);   // the timer moves it
}

// Pixels of exactly one colour in a rectangle of the screen, as the X server
// holds them: what the user sees, whoever painted it.
int pixelsOnScreen(wxRect area, const char* hex)
{
    std::string command = "import -window root -crop " + std::to_string(area.width) + "x" +
        std::to_string(area.height) + "+" + std::to_string(area.x) + "+" + std::to_string(area.y) +
        " -depth 8 txt:- 2>/dev/null | grep -ci '" + hex + "'";
    FILE* p = popen(command.c_str(), "r");
    int count = 0;
    if (fscanf(p, "%d", &count) != 1)
        count = 0;
    pclose(p);
    return count;
}

// The notice is drawn in blue on the strip's face, and in black under the mouse.
TEST_F(Window, NoticeShowsBlueThenBlackUnderTheMouse)
{
    wxRect strip;
    gui([&] {
        app.configLoaded = 0;   // holds the notice still
        app.marqueeX = 0;
        moveWidget(app.noticeLink, 0, 10, app.marqueeWidth, 35);
        strip = win(app.marqueeStrip)->GetScreenRect();
    });
    xdo("mousemove 5 5");
    EXPECT_TRUE(waitUntil([&] { return pixelsOnScreen(strip, "#0000FF") > 20; }));
    EXPECT_EQ(pixelsOnScreen(strip, "#000000"), 0);
    xdo("mousemove " + std::to_string(strip.x + 30) + " " + std::to_string(strip.y + 27));
    EXPECT_TRUE(waitUntil([&] { return pixelsOnScreen(strip, "#000000") > 20; }));
    EXPECT_EQ(pixelsOnScreen(strip, "#0000FF"), 0);
    xdo("mousemove 5 5");
    gui([] { app.configLoaded = 1; });
}

TEST_F(Window, StatisticsPageIsRequested)
{
    EXPECT_TRUE(waitUntil([] { return statsRequests > 0; }, 15000ms));
}

TEST_F(Window, MenuItemsAndNoticeOpenTheirPages)
{
    clickTitle(0);
    keys("Down Return");
    clickTitle(0);
    keys("Down Down Return");

    gui([] {
        app.configLoaded = 0;
        app.marqueeX = 100;
        moveWidget(app.noticeLink, 100, 10, app.marqueeWidth, 35);
    });
    clickOn(app.noticeLink);
    gui([] { app.configLoaded = 1; });
    EXPECT_EQ(openerCalls(3), (std::vector<std::vector<std::string>>{
                                  {"http://127.0.0.1:18642/download.html"},
                                  {"http://127.0.0.1:18642/doi.html"},
                                  {"http://127.0.0.1:18642/notice.html"}}));
}

TEST_F(Window, SearchAndSiteButtonsOpenTheirTargets)
{
    gui([] { static_cast<wxNotebook*>(app.searchPanel)->SetSelection(1); });
    settle();
    clickOn(app.scholarButton);   // the hint is what gets searched
    EXPECT_EQ(openerCalls(1).back(), std::vector<std::string>{
        "https://scholar.test/scholar?hl=zh-CN&as_sdt=0%2C5&q=" + utf8(u8"请输入您要检索的文献...") + "&btnG="});
    clickOn(app.siteButton[3][2]);
    EXPECT_EQ(openerCalls(2).back(), std::vector<std::string>{"https://www.ncbi.nlm.nih.gov/pubmed"});
    clickOn(app.siteButton[1][1]);   // not configured: nothing opens
    settle();
    EXPECT_EQ(openerCalls().size(), 2u);
    gui([] { static_cast<wxNotebook*>(app.searchPanel)->SetSelection(0); });
    settle();
}

TEST_F(Window, DownloadButtonOpensThePdfAndReports)
{
    LoopbackServer mirror(18700);
    mirror.routes().Get(R"(/(.*))", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(MirrorPage, "text/html");
    });
    mirror.start();
    platform.setWidgetText(app.doiInput, "");
    clickOn(app.doiInput);
    typeText("10.1038/nphys1170");
    clickOn(app.downloadButton);
    EXPECT_EQ(openerCalls(1), (std::vector<std::vector<std::string>>{{"https://sci-hub.test/paper.pdf?download=true"}}));
    EXPECT_TRUE(waitUntil([] { return textOf(app.doiStatus) == "当前状态：搜索完毕"; }));
}

TEST_F(Window, WorkerBoxesAreShownAndWaitedFor)
{
    LoopbackServer mirror(18700);
    mirror.routes().Get(R"(/(.*))", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html>no frame</html>", "text/html");
    });
    mirror.start();
    platform.setWidgetText(app.doiInput, "10.1000/none");
    clickOn(app.downloadButton);
    // the worker waits on its box: the status changes only once it is dismissed
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(textOf(app.doiStatus), "当前状态：搜索当中....");
    // read the box back from the toolkit, then dismiss it with the keyboard
    std::string title, text;
    unsigned long boxId = 0;
    EXPECT_TRUE(waitUntil([&] {
        gui([&] {
            GList* windows = gtk_window_list_toplevels();
            for (GList* w = windows; w; w = w->next)
                if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
                    title = gtk_window_get_title(GTK_WINDOW(w->data));
                    boxId = gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(w->data)));
                    gchar* t = nullptr;
                    g_object_get(w->data, "text", &t, nullptr);
                    text = t ? t : "";
                    g_free(t);
                }
            g_list_free(windows);
        });
        return !title.empty();
    }));
    EXPECT_EQ(title, utf8(u8"错误"));
    EXPECT_EQ(text, utf8(u8"抱歉，本篇文献未找到，请尝试搜索其它文献！"));
    EXPECT_EQ(textOf(app.doiStatus), "当前状态：搜索当中....");
    xdo("windowactivate --sync " + std::to_string(boxId) + " key Return");
    EXPECT_TRUE(waitUntil([] { return textOf(app.doiStatus) == "当前状态：未找到该文献"; }));
}

TEST_F(Window, LinkTitlesOpenTheirPageAndCloseTheMenu)
{
    clickTitle(4);   // 软件简介
    EXPECT_EQ(openerCalls(1), (std::vector<std::vector<std::string>>{{"http://127.0.0.1:18642/sq/jj.html"}}));
    EXPECT_TRUE(waitUntil([] { return !menuIsOpen(); }));

    clickTitle(0);   // 菜单 opens its drop-down ...
    EXPECT_TRUE(menuIsOpen());
    wxRect title = menuTitle(1);
    xdo("mousemove " + std::to_string(title.x + title.width / 2) + " " + std::to_string(title.y + title.height / 2));
    settle();        // ... and sliding onto 微信公众号 closes it, opening nothing
    EXPECT_TRUE(waitUntil([] { return !menuIsOpen(); }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(openerCalls().size(), 1u);

    clickTitle(1);   // a direct click afterwards opens its page
    EXPECT_EQ(openerCalls(2).back(), std::vector<std::string>{"http://127.0.0.1:18642/sq/gzh.html"});
    EXPECT_TRUE(waitUntil([] { return !menuIsOpen(); }));
}

// another program's window, to switch to and back from
struct OtherWindow {
    OtherWindow() { std::system("xmessage -name quirevo-other -geometry 200x80+0+0 other & sleep 0.5"); }
    ~OtherWindow() { std::system("pkill -f quirevo-other"); }
};

void switchAwayAndBack()
{
    xdo("search --sync --classname quirevo-other windowactivate --sync");
    settle();
    xdo("windowactivate --sync " + std::to_string(windowId()));
    settle();
}

TEST_F(Window, ClipboardDoiFillsTheFieldOnActivationChanges)
{
    OtherWindow other;
    struct Case {
        const char* clipboard;
        const char* before;     // the field's text before the switch
        const char* after;
    } cases[] = {
        {"10.1038/nphys1170", "typed by the user", "10.1038/nphys1170"},
        {"10.12345/abc", "", "10.12345/abc"},
        {"10.1/abc", "kept", "kept"},
        {"doi:10.1038/x", "kept", "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clipboard);
        platform.setWidgetText(app.doiInput, c.before);
        std::system(("printf '%s' '" + std::string(c.clipboard) + "' | xclip -selection clipboard >/dev/null 2>&1").c_str());
        switchAwayAndBack();
        EXPECT_TRUE(waitUntil([&] { return textOf(app.doiInput) == c.after; })) << textOf(app.doiInput);
    }

    // a field showing its gray hint shows the picked-up DOI in gray
    gui([] {
        setTextColour(app.doiInput, 128, 128, 128);
        platform.setWidgetText(app.doiInput, DoiHint);
    });
    std::system("printf '10.1038/nature12373' | xclip -selection clipboard >/dev/null 2>&1");
    switchAwayAndBack();
    EXPECT_TRUE(waitUntil([] { return textOf(app.doiInput) == "10.1038/nature12373"; }));
    EXPECT_EQ(colourOf(app.doiInput), wxColour(128, 128, 128));
}

int testResult = 1;

void runTestsThenClose()
{
    testResult = RUN_ALL_TESTS();
    // closing the window as the user does ends the event loop
    xdo("windowactivate --sync " + std::to_string(windowId()) + " key alt+F4");
}

}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    LoopbackServer home(18642);
    serveHome(home);
    resetAppState();
    osIgnoreBrokenPipes();
    installOsServices();
    initToolkit();
    createFonts();
    app.appVersion = "4.0";
    app.marqueeX = MarqueeStartX;
    startUp();
    std::thread user(runTestsThenClose);
    runEventLoop();
    user.join();
    return testResult;
}
