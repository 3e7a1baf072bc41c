#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "net/http.h"
#include "test_support.h"

namespace {

const int Port = 18611;

struct Fetched {
    int result;
    int bodyLength;
    bool hasBody;
    std::string text;
    std::string raw;
};

Fetched fetch(const std::string& url, const std::string& extraHeaders = StandardAccept)
{
    HttpRequest r = standardRequest();
    r.extraHeaders = extraHeaders;
    r.url = url.c_str();
    httpPerform(&r);
    Fetched f{r.result, r.bodyLength, r.body != nullptr, httpBodyText(&r),
              r.body ? std::string(r.body, r.bodyLength) : std::string()};
    httpRelease(&r);
    EXPECT_EQ(r.handle, nullptr);
    EXPECT_EQ(r.body, nullptr);
    return f;
}

class HttpHelper : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        auto& s = server.routes();
        s.Get("/chunks", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
                sink.write("abc", 3);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                sink.write("defg", 4);
                sink.done();
                return true;
            });
        });
        s.Get("/zero", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string("12345\0tail", 10), "text/plain");
        });
        s.Get("/empty", [](const httplib::Request&, httplib::Response& res) { res.status = 200; });
        s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("<html>not here</html>", "text/html");
        });
        s.Get("/moved", [](const httplib::Request&, httplib::Response& res) {
            res.status = 302;
            res.set_header("Location", "/zero");
            res.set_content("moved away", "text/html");
        });
        s.Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
            std::string seen = "remote=" + req.remote_addr + "\n";
            for (const auto& [name, value] : req.headers)
                if (name != "Host" && name != "REMOTE_ADDR" && name != "REMOTE_PORT"
                    && name != "LOCAL_ADDR" && name != "LOCAL_PORT")
                    seen += name + "=" + value + "\n";
            res.set_content(req.method + "\n" + seen, "text/plain");
        });
        s.Get("/huge", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
                static const std::string block(64 * 1024, 'x');
                if (offset >= size_t(17) * 1024 * 1024) {
                    sink.done();
                    return true;
                }
                return sink.write(block.data(), block.size());
            });
        });
        server.start();
    }
    static void TearDownTestSuite() { server.stop(); }
    static LoopbackServer server;
};
LoopbackServer HttpHelper::server(Port);

std::string at(const char* path) { return "http://127.0.0.1:" + std::to_string(Port) + path; }

TEST_F(HttpHelper, ResponsesReachTheCallerAsReceived)
{
    struct Case {
        const char* path;
        int bodyLength;
        const char* text;
        const char* raw;
    } cases[] = {
        {"/chunks", 7, "abcdefg", "abcdefg"},
        {"/zero", 10, "12345", nullptr},        // text ends at the zero byte
        {"/empty", 0, "", ""},
        {"/missing", 21, "<html>not here</html>", "<html>not here</html>"},
        {"/moved", 10, "moved away", "moved away"},   // the redirect is not followed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Fetched f = fetch(at(c.path));
        EXPECT_EQ(f.result, 0);
        EXPECT_EQ(f.bodyLength, c.bodyLength);
        EXPECT_EQ(f.text, c.text);
        EXPECT_EQ(f.hasBody, c.bodyLength > 0);
        if (c.raw)
            EXPECT_EQ(f.raw, c.raw);
    }
    EXPECT_EQ(fetch(at("/zero")).raw, std::string("12345\0tail", 10));
}

TEST_F(HttpHelper, WriteFunctionGrowsByEachChunk)
{
    HttpRequest r = standardRequest();
    EXPECT_EQ(httpWriteBody(const_cast<char*>("abc"), 1, 3, &r), 3u);
    EXPECT_EQ(r.bodyLength, 3);
    EXPECT_EQ(httpWriteBody(const_cast<char*>("defg"), 1, 4, &r), 4u);
    ASSERT_EQ(r.bodyLength, 7);
    EXPECT_EQ(std::memcmp(r.body, "abcdefg", 7), 0);
    EXPECT_EQ(httpBodyText(&r), "abcdefg");
    httpRelease(&r);   // never had a handle: frees the body, ends nothing
    EXPECT_EQ(r.body, nullptr);
    EXPECT_EQ(r.bodyLength, 0);
}

TEST_F(HttpHelper, ServerSeesAStandardGet)
{
    Fetched f = fetch("http://localhost:" + std::to_string(Port) + "/echo");
    ASSERT_EQ(f.result, 0);
    EXPECT_EQ(f.text,
              "GET\n"
              "remote=127.0.0.1\n"
              "Accept=text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,"
              "image/apng,*/*;q=0.8\n"
              "User-Agent=Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, "
              "like Gecko) Chrome/48.0.2564.116 Safari/537.36 TheWorld 7\n");
}

TEST_F(HttpHelper, ExtraHeaderLinesAreSentConverted)
{
    Fetched f = fetch(at("/echo"), "X-One: \xE9t\xE9:::X-Two: 2");
    ASSERT_EQ(f.result, 0);
    EXPECT_NE(f.text.find("X-One=\xC3\xA9t\xC3\xA9\n"), std::string::npos) << f.text;
    EXPECT_NE(f.text.find("X-Two=2\n"), std::string::npos) << f.text;
    // with no extra lines, no list is passed and libcurl's own Accept goes out
    EXPECT_NE(fetch(at("/echo"), "").text.find("Accept=*/*\n"), std::string::npos);
}

TEST_F(HttpHelper, FailedTransfersReportNonZero)
{
    Fetched refused = fetch("http://127.0.0.1:18699/");
    EXPECT_NE(refused.result, 0);
    EXPECT_FALSE(refused.hasBody);

    Fetched capped = fetch(at("/huge"));
    EXPECT_NE(capped.result, 0);
    EXPECT_LE(capped.bodyLength, HttpBodyCap);
}

TEST_F(HttpHelper, RequestRefilledAfterReleaseStartsAfresh)
{
    HttpRequest r = standardRequest();
    std::string first = at("/missing"), second = at("/empty");
    r.url = first.c_str();
    httpPerform(&r);
    EXPECT_EQ(r.bodyLength, 21);
    httpRelease(&r);
    r.url = second.c_str();
    httpPerform(&r);
    EXPECT_EQ(r.result, 0);
    EXPECT_NE(r.handle, nullptr);
    EXPECT_EQ(r.body, nullptr);
    EXPECT_EQ(r.bodyLength, 0);
    httpRelease(&r);
}

TEST(HeaderList, SplitsOnTheSeparator)
{
    struct Case {
        const char* text;
        std::vector<std::string> pieces;
    } cases[] = {
        {"A: 1", {"A: 1"}},
        {"A: 1:::B: 2", {"A: 1", "B: 2"}},
        {"A: 1:::", {"A: 1", ""}},
        {"A::::b", {"A", ":b"}},
        {"", {""}},
        {":::::::", {"", "", ":"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitHeaderLines(c.text), c.pieces) << c.text;
}

TEST(HeaderList, EachByteIsALatin1CodePoint)
{
    EXPECT_EQ(latin1ToUtf8("Accept: */*"), "Accept: */*");
    EXPECT_EQ(latin1ToUtf8("\x80\xBF\xC0\xFF"), "\xC2\x80\xC2\xBF\xC3\x80\xC3\xBF");
    EXPECT_EQ(latin1ToUtf8("\xB4\xED"), "\xC2\xB4\xC3\xAD");   // GBK bytes are not kept as GBK
}

}
