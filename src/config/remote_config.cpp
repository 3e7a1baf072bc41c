#include "config/remote_config.h"

#include <memory>
#include <new>

#include <rapidjson/document.h>

#include "app/app_state.h"
#include "config/home_server.h"
#include "net/http.h"

std::string fetchRemoteConfig()
{
    std::string url = homeUrl("/sq/pz.txt");
    HttpRequest request = standardRequest();
    request.url = url.c_str();
    httpPerform(&request);
    // Only a failed transfer counts here: an error page goes on to the parser.
    if (request.result != 0)
        fatalStartupError("服务器网络不通！软件将退出！");
    std::string text = httpBodyText(&request);
    httpRelease(&request);
    return text;
}

// A member that is not a string still counts as present, as the empty text.
// Texts end at a zero byte, as every text of the program does.
static std::string memberText(const rapidjson::Value& member)
{
    return member.IsString() ? std::string(member.GetString()) : std::string();
}

static void readRequired(const rapidjson::Document& doc, const char* name, std::string& field)
{
    if (!doc.IsObject())
        fatalStartupError("pz解析失败");
    auto member = doc.FindMember(name);
    if (member == doc.MemberEnd())
        fatalStartupError("pz解析失败");
    field = memberText(member->value);
}

static void readOptional(const rapidjson::Document& doc, const char* name, std::string& field)
{
    auto member = doc.FindMember(name);
    if (member != doc.MemberEnd())
        field = memberText(member->value);
}

static void parseOrFail(rapidjson::Document& doc, const std::string& text)
{
    // Iterative parsing keeps a deeply nested document off the call stack;
    // strings are taken byte for byte, with no UTF-8 validation, so GBK survives.
    doc.Parse<rapidjson::kParseIterativeFlag>(text.c_str());
    if (doc.HasParseError())
        fatalStartupError("pz解析失败");
}

void applyRemoteConfig(const std::string& text)
{
    std::unique_ptr<rapidjson::Document> doc(new (std::nothrow) rapidjson::Document);
    if (!doc)
        fatalStartupError("json对象失败");
    parseOrFail(*doc, text);

    readRequired(*doc, "SCI-HUB", app.mirrorBase);
    if (app.mirrorBase.empty() || app.mirrorBase.back() != '/')
        app.mirrorBase += '/';
    readRequired(*doc, "Google", app.scholarBase);
    readRequired(*doc, "Notice", app.noticeText);
    readRequired(*doc, "tongji", app.statsUrl);

    readOptional(*doc, "urlgonggao", app.noticeUrl);
    static const char* const rowOne[] = {"hang1_1", "hang1_2", "hang1_3", "hang1_4", "hang1_5", "hang1_6"};
    static const char* const rowTwo[] = {"hang2_1", "hang2_2", "hang2_3", "hang2_4", "hang2_5", "hang2_6"};
    for (int i = 0; i < 6; i++)
        readOptional(*doc, rowOne[i], app.rowOneUrls[i + 1]);
    for (int i = 0; i < 6; i++)
        readOptional(*doc, rowTwo[i], app.rowTwoUrls[i + 1]);
    app.configLoaded = 1;
}
