#include "lookup/doi_lookup.h"

#include "app/app_state.h"
#include "build_settings.h"
#include "net/http.h"

static const char FirstHitMarker[] = "<iframe src = \"http://";
static const char SecondHitMarker[] = "<iframe src = \"//sci-hub";
static const char FrameStartMarker[] = "<iframe src = \"";
static const char FrameEndMarker[] = "\"";
static const char ViewerSuffix[] = "#view=FitH";
static const char DownloadSuffix[] = "?download=true";

bool isDoiShaped(const std::string& text)
{
    return text.compare(0, 3, "10.") == 0
        && ((text.size() >= 8 && text[7] == '/') || (text.size() >= 9 && text[8] == '/'));
}

std::string fixedMirror(int n)
{
    static const char* const hosts[] = {QUIREVO_MIRROR_1, QUIREVO_MIRROR_2,
                                        QUIREVO_MIRROR_3, QUIREVO_MIRROR_4};
    return std::string("http://") + hosts[n - 1] + "/";
}

static std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool pageHasHit(const std::string& page)
{
    return page.find(FirstHitMarker) != std::string::npos
        || page.find(SecondHitMarker) != std::string::npos;
}

// Only the first frame of the page counts, wherever the marker that hit stands.
std::string frameLink(const std::string& page)
{
    return textBetween(page, FrameStartMarker, FrameEndMarker, nullptr, 1);
}

std::string normaliseScheme(const std::string& link)
{
    if (link.find("http://") != std::string::npos)
        return replaceAll(link, "http://", "https://");
    return "https:" + link;
}

std::string linkToOpen(const std::string& normalisedLink)
{
    std::lock_guard<std::mutex> guard(lookupFieldsLock);
    if (normalisedLink == app.lastPdfUrl)
        return normalisedLink;
    app.lastPdfUrl = normalisedLink;
    return replaceAll(normalisedLink, ViewerSuffix, DownloadSuffix);
}

void startDoiLookup()
{
    std::string text = platform.widgetText(app.doiInput);
    if (text.find("http") != std::string::npos || isDoiShaped(text))
        platform.startThread(doiLookupWorker);
    else
        platform.messageBox("错误", "填写的DOI号不正确,应该以10.开头。");
}

enum Outcome { TransferFailed, NotFound, Hit };

// One attempt against one mirror; opens the link on a hit.
static Outcome askMirror(const std::string& base, const std::string& doi)
{
    std::string url = base + doi;
    HttpRequest request = standardRequest();
    request.url = url.c_str();
    httpPerform(&request);
    Outcome outcome = TransferFailed;
    if (request.result == 0) {
        std::string page = httpBodyText(&request);
        outcome = pageHasHit(page) ? Hit : NotFound;
        if (outcome == Hit)
            platform.openInBrowser(linkToOpen(normaliseScheme(frameLink(page))));
    }
    httpRelease(&request);
    return outcome;
}

static void setMirrorBase(const std::string& base)
{
    std::lock_guard<std::mutex> guard(lookupFieldsLock);
    app.mirrorBase = base;
}

// Each lookup follows its own chain: it starts from the shared mirrorBase and
// then walks the fixed mirrors by its own counter, whatever other lookups write.
void doiLookupWorker()
{
    std::string base;
    {
        std::lock_guard<std::mutex> guard(lookupFieldsLock);
        base = app.mirrorBase;
    }
    for (int failures = 0;;) {
        platform.setWidgetText(app.doiStatus, "当前状态：搜索当中....");
        std::string doi = platform.widgetText(app.doiInput);
        {
            std::lock_guard<std::mutex> guard(lookupFieldsLock);
            app.lookupDoi = doi;
        }
        Outcome outcome = askMirror(base, doi);
        if (outcome == Hit) {
            platform.setWidgetText(app.doiStatus, "当前状态：搜索完毕");
            return;
        }
        if (outcome == NotFound) {
            platform.messageBox("错误", "抱歉，本篇文献未找到，请尝试搜索其它文献！");
            platform.setWidgetText(app.doiStatus, "当前状态：未找到该文献");
            return;
        }
        if (++failures == 4) {
            platform.messageBox("错误", "当前文献服务器异常,请稍后重试...");
            platform.setWidgetText(app.doiStatus, "当前状态：文献服务器异常");
            setMirrorBase(fixedMirror(4));
            return;
        }
        base = fixedMirror(failures);
        setMirrorBase(base);
    }
}
