#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

#include "app/app_state.h"
#include "lookup/doi_lookup.h"
#include "test_support.h"

namespace {

TEST(DoiShape, FirstThreeBytesAndASlashAtEightOrNine)
{
    struct Case {
        const char* text;
        bool shaped;
    } cases[] = {
        {"10.1038/nphys1170", true}, {"10.12345/abc", true}, {"10.1038/", true},
        {"10.123/45678", false}, {"10.1038", false}, {" 10.1038/x", false},
        {"DOI:10.1038/x", false}, {"doi:10.1038/x", false}, {"10.1/abc", false},
        {"", false}, {"10.", false}, {"10,1038/x", false}, {"10.abcd/", true},
        {"10.1234567/", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isDoiShaped(c.text), c.shaped) << c.text;
}

TEST(TextBetween, CutsBetweenMarkersAndReportsWhereItStopped)
{
    struct Case {
        const char* text;
        const char* start;
        const char* end;
        int from;
        const char* result;
        int endPosition;
    } cases[] = {
        {"x(ab)y(cd)", "(", ")", 1, "ab", 6},
        {"x(ab)y(cd)", "(", ")", 6, "cd", 11},
        {"x(ab)y(cd)", "(", ")", 0, "", 0},
        {"x(ab)y(cd)", "(", ")", 11, "", 0},
        {"x()y", "(", ")", 1, "", 4},
        {"x(ab", "(", ")", 1, "", 0},
        {"xab)", "(", ")", 1, "", 0},
        {"x(ab)", "", ")", 1, "", 0},
        {"x(ab)", "(", "", 1, "", 0},
        {"", "(", ")", 1, "", 0},
        {"<a>one</a><a>two</a>", "<a>", "</a>", 1, "one", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " from " + std::to_string(c.from));
        int endPosition = -1;
        EXPECT_EQ(textBetween(c.text, c.start, c.end, &endPosition, c.from), c.result);
        EXPECT_EQ(endPosition, c.endPosition);
        EXPECT_EQ(textBetween(c.text, c.start, c.end, nullptr, c.from), c.result);
    }
}

TEST(PdfLink, SchemeIsMadeSecure)
{
    struct Case {
        const char* link;
        const char* normalised;
    } cases[] = {
        {"http://a/b.pdf", "https://a/b.pdf"},
        {"//sci-hub.se/b.pdf", "https://sci-hub.se/b.pdf"},
        {"http://a/?u=http://b/", "https://a/?u=https://b/"},
        {"//a/?u=http://b/", "//a/?u=https://b/"},
        {"https://a/b.pdf", "https:https://a/b.pdf"},
        {"", "https:"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normaliseScheme(c.link), c.normalised) << c.link;
}

// Mirrors on the loopback ports of the test build; the configured one is
// separate, and a port with no listener stands for an unreachable mirror.
const int ConfiguredPort = 18700;
std::string configuredMirror() { return "http://127.0.0.1:18700/"; }

struct Mirror {
    explicit Mirror(int port, int status = 200, std::string page = {}, int delayMs = 0)
        : server(port)
    {
        server.routes().Get(R"(/(.*))", [=, this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard<std::mutex> g(lock);
                paths.push_back(req.target);
            }
            if (delayMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            res.status = status;
            if (status == 302)
                res.set_header("Location", "/elsewhere");
            res.set_content(page, "text/html");
        });
        server.start();
    }
    std::vector<std::string> requests()
    {
        std::lock_guard<std::mutex> g(lock);
        return paths;
    }
    LoopbackServer server;
    std::mutex lock;
    std::vector<std::string> paths;
};

class Lookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAppState();
        installRecorders();
        app.doiInput = reinterpret_cast<WidgetHandle>(1);
        app.doiStatus = reinterpret_cast<WidgetHandle>(2);
        app.mirrorBase = configuredMirror();
    }
    void lookUp(const std::string& doi)
    {
        recorded.doiInputText = doi;
        doiLookupWorker();
    }
};

const std::string Searching = "当前状态：搜索当中....";
const std::string Done = "当前状态：搜索完毕";
const std::string NotFoundBox = "错误|抱歉，本篇文献未找到，请尝试搜索其它文献！";
const std::string NotFoundStatus = "当前状态：未找到该文献";

TEST_F(Lookup, HitsOpenTheFirstFrameInItsDownloadForm)
{
    struct Case {
        const char* page;
        const char* opened;
    } cases[] = {
        {R"(<p><iframe src = "http://x.example/a.pdf#view=FitH" id="pdf"></iframe>)",
         "https://x.example/a.pdf?download=true"},
        {R"(<iframe src = "//sci-hub.se/b.pdf#view=FitH"></iframe>)", "https://sci-hub.se/b.pdf?download=true"},
        {R"(<iframe src = "//cdn/first.pdf"> <iframe src = "http://second/x.pdf">)", "https://cdn/first.pdf"},
        {R"(<iframe src = "http://a/x.pdf?u=http://b/#view=FitH">)", "https://a/x.pdf?u=https://b/?download=true"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        Mirror mirror(ConfiguredPort, 200, c.page);
        recorded = Recorded{};
        lookUp("10.1038/nphys1170");
        EXPECT_EQ(recorded.opened, std::vector<std::string>{c.opened});
        EXPECT_EQ(recorded.statuses, (std::vector<std::string>{Searching, Done}));
        EXPECT_TRUE(recorded.boxes.empty());
        EXPECT_EQ(mirror.requests(), std::vector<std::string>{"/10.1038/nphys1170"});
    }
}

TEST_F(Lookup, ArrivedPagesWithoutAHitAreNotFound)
{
    struct Case {
        int status;
        const char* page;
    } cases[] = {
        {200, R"(<iframe src="http://x/a.pdf">)"},
        {200, R"(<IFRAME SRC = "http://x/a.pdf">)"},
        {200, R"(<iframe src = "https://x/a.pdf">)"},
        {200, ""},
        {404, "<html>not found</html>"},
        {302, "moved"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        Mirror mirror(ConfiguredPort, c.status, c.page);
        recorded = Recorded{};
        lookUp("10.1038/nphys1170");
        EXPECT_EQ(recorded.boxes, std::vector<std::string>{NotFoundBox});
        EXPECT_EQ(recorded.statuses, (std::vector<std::string>{Searching, NotFoundStatus}));
        EXPECT_TRUE(recorded.opened.empty());
        EXPECT_EQ(app.mirrorBase, configuredMirror());
    }
}

TEST_F(Lookup, FailedTransfersWalkTheFixedMirrors)
{
    Mirror third(18703, 200, R"(<iframe src = "//sci-hub/p.pdf">)");
    lookUp("10.1000/xyz");
    EXPECT_EQ(third.requests(), std::vector<std::string>{"/10.1000/xyz"});
    EXPECT_EQ(recorded.statuses, (std::vector<std::string>{Searching, Searching, Searching, Searching, Done}));
    EXPECT_EQ(recorded.opened, std::vector<std::string>{"https://sci-hub/p.pdf"});
    EXPECT_EQ(app.mirrorBase, fixedMirror(3));
    EXPECT_EQ(fixedMirror(3), "http://127.0.0.1:18703/");

    // the next lookup starts where this one left off
    recorded = Recorded{};
    lookUp("10.1000/abc");
    EXPECT_EQ(third.requests().size(), 2u);
    EXPECT_EQ(recorded.statuses, (std::vector<std::string>{Searching, Done}));
}

TEST_F(Lookup, AllFourFailingBlamesTheServerAndMovesToTheFourthMirror)
{
    lookUp("10.1000/xyz");
    EXPECT_EQ(recorded.boxes, std::vector<std::string>{"错误|当前文献服务器异常,请稍后重试..."});
    ASSERT_EQ(recorded.statuses.size(), 5u);
    EXPECT_EQ(recorded.statuses.back(), "当前状态：文献服务器异常");
    EXPECT_EQ(app.mirrorBase, fixedMirror(4));

    Mirror fourth(18704, 200, "no frame here");
    recorded = Recorded{};
    lookUp("10.1000/again");
    EXPECT_EQ(fourth.requests(), std::vector<std::string>{"/10.1000/again"});
    EXPECT_EQ(recorded.boxes, std::vector<std::string>{NotFoundBox});
}

TEST_F(Lookup, SamePaperAgainOpensTheViewerForm)
{
    Mirror mirror(ConfiguredPort, 200, R"(<iframe src = "//sci-hub.se/one.pdf#view=FitH">)");
    lookUp("10.1038/one");
    lookUp("10.1038/one");
    EXPECT_EQ(app.lastPdfUrl, "https://sci-hub.se/one.pdf#view=FitH");
    mirror.server.stop();

    Mirror other(ConfiguredPort, 200, R"(<iframe src = "//sci-hub.se/two.pdf">)");
    lookUp("10.1038/two");
    EXPECT_EQ(app.lastPdfUrl, "https://sci-hub.se/two.pdf");
    other.server.stop();

    Mirror again(ConfiguredPort, 200, R"(<iframe src = "//sci-hub.se/one.pdf#view=FitH">)");
    lookUp("10.1038/one");
    EXPECT_EQ(recorded.opened, (std::vector<std::string>{
                                   "https://sci-hub.se/one.pdf?download=true",
                                   "https://sci-hub.se/one.pdf#view=FitH",
                                   "https://sci-hub.se/two.pdf",
                                   "https://sci-hub.se/one.pdf?download=true"}));
}

TEST_F(Lookup, DownloadButtonChecksTheText)
{
    struct Case {
        const char* text;
        bool starts;
    } cases[] = {
        {"10.1038/nphys1170", true}, {"10.12345/abc", true},
        {"https://doi.org/10.1038/x", true}, {"see http", true},
        {"HTTP://DOI.ORG/10.1/x", false}, {"10.123/45678", false}, {"10.1038", false},
        {" 10.1038/x", false}, {"DOI:10.1038/x", false}, {"请输入您要检索文献的DOI号...", false},
    };
    static std::atomic<int> started;
    platform.startThread = [](void (*)()) { started++; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        started = 0;
        recorded.boxes.clear();
        recorded.doiInputText = c.text;
        startDoiLookup();
        EXPECT_EQ(started, c.starts ? 1 : 0);
        EXPECT_EQ(recorded.boxes.size(), c.starts ? 0u : 1u);
        if (!c.starts)
            EXPECT_EQ(recorded.boxes[0], "错误|填写的DOI号不正确,应该以10.开头。");
    }
}

TEST_F(Lookup, WholeLinkGoesAfterTheMirrorUnencoded)
{
    Mirror mirror(ConfiguredPort, 200, "nothing");
    lookUp("https://doi.org/10.1038/x?a=1&b=%41");
    ASSERT_EQ(mirror.requests().size(), 1u);
    EXPECT_EQ(mirror.requests()[0], "/https://doi.org/10.1038/x?a=1&b=%41");
}

TEST_F(Lookup, SideBySideLookupsEachFollowTheirOwnChain)
{
    platform.startThread = osStartThread;
    Mirror first(18701, 200, R"(<iframe src = "//sci-hub/p.pdf">)", 300);
    Mirror second(18702, 200, "the chain went too far");
    recorded.doiInputText = "10.1038/nphys1170";
    startDoiLookup();
    startDoiLookup();
    // both workers done with the recorders, last status set, before the test
    // looks (and long before the recorders go away at exit)
    auto bothDone = [] {
        Recorded r = recordedSnapshot();
        return r.opened.size() == 2 && std::count(r.statuses.begin(), r.statuses.end(), Done) == 2;
    };
    for (int i = 0; i < 500 && !bothDone(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Recorded seen = recordedSnapshot();
    EXPECT_EQ(first.requests(), (std::vector<std::string>{"/10.1038/nphys1170", "/10.1038/nphys1170"}));
    EXPECT_EQ(seen.opened.size(), 2u);
    // each ends on its own hit; whether the second started before or after the
    // first moved the shared base on, neither goes past fixed mirror 1
    EXPECT_EQ(seen.statuses.back(), Done);
    EXPECT_TRUE(seen.boxes.empty());
    EXPECT_TRUE(second.requests().empty());
    std::lock_guard<std::mutex> g(lookupFieldsLock);
    EXPECT_EQ(app.mirrorBase, fixedMirror(1));
}

}
