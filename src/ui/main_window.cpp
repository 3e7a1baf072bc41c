#include "ui/ui.h"

#include <wx/font.h>
#include <wx/frame.h>
#include <wx/hyperlink.h>
#include <wx/generic/hyperlink.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/button.h>
#include <wx/webview.h>

#include "platform/toolkit.h"
#include "ui/quirevo.xpm"

const char* const DoiHint = "请输入您要检索文献的DOI号...";
const char* const ArticleHint = "请输入您要检索的文献...";
const char* const JournalHint = "请输入您要检索的期刊...";

static const wxColour HintGray(128, 128, 128);
static const wxColour StatusBlue(0, 0, 255);
static const char* const StatusText = "当前状态：网络监测中";

static const char* const SiteCaptions[6][6] = {
    {"SCI-HUB ", "SCI-HUB", "SCI-HUB", "Google学术", "Google学术", "Google学术"},
    {"Google搜索", "Google搜索", "Google搜索", "文库下载", "知网下载 ", "万方下载 "},
    {"Ligen", "Pubmed", "Booksc", "影响因子", "核心期刊", "中国知网"},
    {"Google翻译", "有道翻译", "搜狗翻译", "百度翻译", "必应翻译", "腾讯翻译"},
    {"国内专利", "国外专利", "标准下载", "标准查询", "鸠摩搜书", "PDF转换"},
    {"Tavrel学术", "Ossik学术", "Lumbrel ", "文献小镇", "小木虫", "科学网"},
};

static wxFont* font(void* handle) { return static_cast<wxFont*>(handle); }
static wxFrame* mainFrame() { return static_cast<wxFrame*>(app.mainWindow); }

void createFonts()
{
    wxString face = toWx("微软雅黑");
    app.fontLarge = new wxFont(12, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face);
    app.fontSmall = new wxFont(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, face);
}

static void createMenuBar(wxFrame* frame)
{
    wxMenuBar* bar = new wxMenuBar;
    wxMenu* first = new wxMenu;
    first->Append(wxID_HIGHEST + 0, toWx("最新版本下载"));
    first->Append(wxID_HIGHEST + 1, toWx("如何查找DOI 号"));
    bar->Append(first, toWx("菜单"));
    for (const char* title : {"微信公众号", "文献互助", "我要打赏", "软件简介"})
        bar->Append(new wxMenu, toWx(title));
    frame->SetMenuBar(bar);
}

static wxButton* createButton(wxWindow* parent, const char* caption, int x, int y, int w, int h)
{
    wxButton* button = new wxButton(parent, wxID_ANY, toWx(caption), wxPoint(x, y), wxSize(w, h));
    watchButton(button);
    return button;
}

static void createSiteButtons(wxFrame* frame)
{
    app.siteFrame = new wxStaticBox(frame, wxID_ANY, toWx("学术网站大全"), wxPoint(20, 220), wxSize(570, 330));
    for (int r = 1; r <= 6; r++)
        for (int c = 1; c <= 6; c++)
            app.siteButton[r][c] = createButton(frame, SiteCaptions[r - 1][c - 1],
                                                40 + 90 * (c - 1), 250 + 50 * (r - 1), 80, 30);
}

static void createNotice(wxFrame* frame)
{
    wxPanel* strip = new wxPanel(frame, wxID_ANY, wxPoint(110, 14), wxSize(380, 50), wxBORDER_NONE);
    app.marqueeStrip = strip;
    // Said outright rather than left to the theme: the notice repaints 50
    // times a second, and every paint would ask the theme for it again.
    strip->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    paintBackgroundOnly(strip);
    // the address is the program's own business (see watchLink); the control
    // only insists on having one
    auto* link = new wxGenericHyperlinkCtrl(strip, wxID_ANY, wxEmptyString, "#",
                                            wxPoint(0, 11), wxSize(40, 35),
                                            wxHL_ALIGN_LEFT | wxBORDER_NONE);
    link->SetBackgroundColour(strip->GetBackgroundColour());   // the strip's, shown through
    link->SetHoverColour(*wxBLACK);
    link->SetNormalColour(StatusBlue);
    link->SetVisitedColour(StatusBlue);
    link->SetFont(*font(app.fontLarge));   // the large font, not underlined
    link->SetCursor(wxCursor(wxCURSOR_HAND));
    paintFromOneLayout(link);   // it moves every 20 ms
    watchLink(link);
    app.noticeLink = link;
}

static wxStaticText* createStatus(wxWindow* page)
{
    auto* status = new wxStaticText(page, wxID_ANY, toWx(StatusText), wxPoint(20, 58), wxSize(530, 30),
                                    wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    status->SetForegroundColour(StatusBlue);
    return status;
}

struct TabSpec {
    const char* title;
    const char* hint;
    const char* buttonCaption;
    WidgetHandle* input;
    WidgetHandle* button;
};

static WidgetHandle createTab(wxNotebook* tabs, const TabSpec& spec)
{
    wxPanel* page = new wxPanel(tabs);
    tabs->AddPage(page, toWx(spec.title));
    auto* input = new wxTextCtrl(page, wxID_ANY, toWx(spec.hint), wxPoint(20, 18), wxSize(411, 25),
                                 wxBORDER_NONE);
    input->SetForegroundColour(HintGray);
    input->SetFont(*font(app.fontLarge));
    watchField(input);
    *spec.input = input;
    *spec.button = createButton(page, spec.buttonCaption, 440, 18, 100, 25);
    return createStatus(page);
}

static void createSearchPanel(wxFrame* frame)
{
    wxNotebook* tabs = new wxNotebook(frame, wxID_ANY, wxPoint(20, 80), wxSize(570, 120));
    tabs->SetFont(*font(app.fontSmall));
    app.searchPanel = tabs;
    const TabSpec specs[] = {
        {"SCI-HUB", DoiHint, "立即下载", &app.doiInput, &app.downloadButton},
        {"Google学术", ArticleHint, "立即检索", &app.scholarInput, &app.scholarButton},
        {"影响因子", JournalHint, "IF查询", &app.journalInput, &app.journalButton},
        {"百度学术", ArticleHint, "立即检索", &app.baiduInput, &app.baiduButton},
        {"知网", ArticleHint, "知网搜索", &app.cnkiInput, &app.cnkiButton},
    };
    app.doiStatus = createTab(tabs, specs[0]);
    static_cast<wxWindow*>(app.doiStatus)->SetBackgroundColour(*wxWHITE);
    for (int t = 1; t < 5; t++)
        app.tabStatus[t - 1] = createTab(tabs, specs[t]);
    tabs->SetSelection(0);
}

void openMainWindow(int x, int y, int width, int height)
{
    // caption, system menu and minimise box: no sizing border, no maximise
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, toWx("QuirevoV5.0"), wxPoint(x, y), wxDefaultSize,
                                 wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX);
    app.mainWindow = frame;
    frame->SetIcon(wxIcon(quirevo_xpm));
    // the frame is sized for the whole client area; the menu bar then takes
    // its height out of that
    createMenuBar(frame);
    frame->SetClientSize(width, height - menuBarHeight(frame));
    frame->SetSizeHints(frame->GetSize(), frame->GetSize());
    frame->Centre(wxBOTH);
    // the theme paints the window's face: wx's erase step would make a DC,
    // and ask the theme for the font, at each of the notice's repaints
    frame->SetBackgroundStyle(wxBG_STYLE_SYSTEM);
    watchFrame(frame);

    createSiteButtons(frame);
    createNotice(frame);
    createSearchPanel(frame);
    app.statsView = wxWebView::New(frame, wxID_ANY, wxString(), wxPoint(640, 210), wxSize(120, 170));
    frame->Show();
}

int addThinBorder(WidgetHandle widget)
{
    addBorder(static_cast<wxWindow*>(widget));
    return 0;
}

void finishMainWindow()
{
    if (!app.statsUrl.empty())
        static_cast<wxWebView*>(app.statsView)->LoadURL(toWx(app.statsUrl));
    for (WidgetHandle field : {app.scholarInput, app.doiInput, app.baiduInput, app.journalInput, app.cnkiInput})
        addThinBorder(field);
    wxNotebook* tabs = static_cast<wxNotebook*>(app.searchPanel);
    setFixedTabWidth(tabs, tabs->GetSize().GetWidth() / int(tabs->GetPageCount()) - 2);
    startWindowTimer(mainFrame(), MarqueeTimer, MarqueePeriodMs);
    platform.setWidgetText(app.noticeLink, app.noticeText);
    app.marqueeWidth = 8 * int(app.noticeText.size());
    moveWidget(app.noticeLink, app.marqueeX, 10, app.marqueeWidth, 35);
    app.menuBarHandle = menuBarOf(mainFrame());
    installMessageHook(windowMessageHook, mainFrame());
}
