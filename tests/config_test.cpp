#include <gtest/gtest.h>

#include "app/app_state.h"
#include "config/home_server.h"
#include "config/remote_config.h"
#include "test_support.h"

namespace {

// applies a document; returns the fatal box, or "" when it was accepted
std::string apply(const std::string& doc)
{
    resetAppState();
    installRecorders();
    try {
        applyRemoteConfig(doc);
    } catch (const ProcessEnded&) {
        return recorded.boxes.empty() ? "ended without a box" : recorded.boxes.back();
    }
    return "";
}

const char Required[] = R"("SCI-HUB":"http://m.example/","Google":"https://g.example","Notice":"n","tongji":"http://t.example/")";

TEST(RemoteConfig, DocumentsGiveFieldsOrTheirMessage)
{
    const std::string bad = "错误|pz解析失败";
    struct Case {
        std::string doc;
        std::string box;
        std::string mirror, scholar, notice, stats;
    } cases[] = {
        {std::string("{") + Required + "}", "", "http://m.example/", "https://g.example", "n", "http://t.example/"},
        {R"({"SCI-HUB":"http://m.example","Google":"g/","Notice":"","tongji":""})", "", "http://m.example/", "g/", "", ""},
        {R"({"SCI-HUB":"","Google":"","Notice":"","tongji":""})", "", "/", "", "", ""},
        {R"({"SCI-HUB":5,"Google":"","Notice":"","tongji":""})", "", "/", "", "", ""},
        {R"({"SCI-HUB":"x//","Google":null,"Notice":[1],"tongji":{"a":1}})", "", "x//", "", "", ""},
        {R"({"tongji":"t","Notice":"n","Google":"g","SCI-HUB":"s","extra":1})", "", "s/", "g", "n", "t"},
        // GBK bytes and escapes come through byte for byte
        {"{\"SCI-HUB\":\"s\",\"Google\":\"g\",\"Notice\":\"\xB9\xAB\xB8\xE6\\\"q\\\"\",\"tongji\":\"\"}", "", "s/", "g", "\xB9\xAB\xB8\xE6\"q\"", ""},
        {" \n{" + std::string(Required) + "}\r\n\t", "", "http://m.example/", "https://g.example", "n", "http://t.example/"},
        {R"({"SCI-HUB":"s","Google":"g","notice":"n","tongji":"t"})", bad},
        {R"({"SCI-HUB":"s","Google":"g","Notice":"n"})", bad},
        {R"([{"SCI-HUB":"s","Google":"g","Notice":"n","tongji":"t"}])", bad},
        {std::string("{") + Required + "} x", bad},
        {std::string("{") + Required, bad},
        {"<html><body>404 Not Found</body></html>", bad},
        {"\"just a string\"", bad},
        {std::string(10000, '[') + std::string(10000, ']'), bad},
        {"{\"a\":" + std::string(10000, '{') + std::string(10000, '}') + "," + Required + "}", bad},
        // bytes that are no GBK at all still come through untouched
        {"{\"SCI-HUB\":\"s\",\"Google\":\"g\",\"Notice\":\"\x81\x20\xFF\x80\",\"tongji\":\"\"}", "", "s/", "g", "\x81\x20\xFF\x80", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doc.substr(0, 80));
        EXPECT_EQ(apply(c.doc), c.box);
        if (!c.box.empty())
            continue;
        EXPECT_EQ(app.mirrorBase, c.mirror);
        EXPECT_EQ(app.scholarBase, c.scholar);
        EXPECT_EQ(app.noticeText, c.notice);
        EXPECT_EQ(app.statsUrl, c.stats);
        EXPECT_EQ(app.configLoaded, 1);
    }
}

TEST(RemoteConfig, OptionalMembersFillTheirFields)
{
    ASSERT_EQ(apply(std::string("{") + Required + "}"), "");
    EXPECT_EQ(app.noticeUrl, "");
    for (int i = 1; i <= 6; i++)
        EXPECT_EQ(app.rowOneUrls[i] + app.rowTwoUrls[i], "");

    std::string doc = std::string("{") + Required + R"(,"urlgonggao":"http://notice/")";
    for (int i = 1; i <= 6; i++)
        doc += ",\"hang1_" + std::to_string(i) + "\":\"r1c" + std::to_string(i) + "\""
             + ",\"hang2_" + std::to_string(i) + "\":\"r2c" + std::to_string(i) + "\"";
    doc += R"(,"hang2_6":7})";   // a repeated name: the first one counts
    ASSERT_EQ(apply(doc), "");
    EXPECT_EQ(app.noticeUrl, "http://notice/");
    for (int i = 1; i <= 6; i++) {
        EXPECT_EQ(app.rowOneUrls[i], "r1c" + std::to_string(i));
        EXPECT_EQ(app.rowTwoUrls[i], "r2c" + std::to_string(i));
    }
}

class HomeServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAppState();
        installRecorders();
        app.appVersion = "4.0";
    }
    LoopbackServer server{18642};
    void serve(const std::string& path, int status, const std::string& body)
    {
        server.routes().Get(path, [=](const httplib::Request&, httplib::Response& res) {
            res.status = status;
            res.set_content(body, "text/plain");
        });
        server.start();
    }
};

TEST_F(HomeServer, UnreachableConfigurationEndsWithTheNetworkMessage)
{
    EXPECT_THROW(fetchRemoteConfig(), ProcessEnded);
    EXPECT_EQ(recorded.boxes, std::vector<std::string>{"错误|服务器网络不通！软件将退出！"});
}

TEST_F(HomeServer, ConfigurationPastTheBodyCapIsAFailedTransfer)
{
    serve("/sq/pz.txt", 200, std::string(20 * 1024 * 1024, ' '));
    EXPECT_THROW(fetchRemoteConfig(), ProcessEnded);
    EXPECT_EQ(recorded.boxes, std::vector<std::string>{"错误|服务器网络不通！软件将退出！"});
}

TEST_F(HomeServer, ConfigurationBodyEndsAtAZeroByte)
{
    serve("/sq/pz.txt", 404, std::string("{}\0rest", 7));
    EXPECT_EQ(fetchRemoteConfig(), "{}");
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST(VersionText, OnlySpacesAreTrimmed)
{
    struct Case {
        const char* server;
        bool same;
    } cases[] = {
        {"4.0", true}, {"  4.0   ", true}, {"4.0\r\n", false}, {"4.0\n", false},
        {"\t4.0", false}, {"4.00", false}, {"3.9", false}, {"4.1", false},
        {"v4.0", false}, {"", false}, {"   ", false}, {"4.0 \n", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isSameVersion(c.server, "4.0"), c.same) << '"' << c.server << '"';
}

TEST_F(HomeServer, AnotherVersionAnnouncesTheUpdateAndEnds)
{
    serve("/gx.txt", 200, "4.1");
    EXPECT_THROW(checkForUpdate(), ProcessEnded);
    EXPECT_EQ(recorded.boxes, std::vector<std::string>{"提示|发现新版本，立即更新！"});
    EXPECT_EQ(recorded.opened, std::vector<std::string>{homeUrl("/download.html")});
    EXPECT_EQ(homeUrl("/download.html"), "http://127.0.0.1:18642/download.html");
}

TEST_F(HomeServer, SameOrUnreachableVersionGoesOn)
{
    checkForUpdate();   // nothing listens
    serve("/gx.txt", 200, std::string(" 4.0 \0junk", 10));
    checkForUpdate();
    EXPECT_TRUE(recorded.boxes.empty());
    EXPECT_TRUE(recorded.opened.empty());
}

}
