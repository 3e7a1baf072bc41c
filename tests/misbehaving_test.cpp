// Servers that misbehave, against the HTTP helper and the lookup worker: a
// failed transfer moves the chain on, an arrived page without a hit is "not
// found", and nothing waits longer than the server makes it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>

#include "app/app_state.h"
#include "lookup/doi_lookup.h"
#include "net/http.h"
#include "test_support.h"

namespace {

using namespace std::chrono_literals;
using Behaviour = std::function<void(int fd)>;

// A bare TCP server on 127.0.0.1:port that reads each request's head and
// then does whatever the case says with the connection.
class RawServer {
public:
    RawServer(int port, Behaviour behaviour) : behaviour_(std::move(behaviour))
    {
        listener_ = listenOnLoopback(port, 16);
        EXPECT_GE(listener_, 0) << strerror(errno);
        thread_ = std::thread([this] { serve(); });
    }
    ~RawServer()
    {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        thread_.join();
    }

private:
    void serve()
    {
        for (;;) {
            int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0)
                return;
            readHead(fd);
            behaviour_(fd);
            close(fd);
        }
    }
    static void readHead(int fd)
    {
        std::string head;
        char c;
        while (head.find("\r\n\r\n") == std::string::npos && read(fd, &c, 1) == 1)
            head += c;
    }
    int listener_;
    Behaviour behaviour_;
    std::thread thread_;
};

void send(int fd, const std::string& bytes)
{
    for (size_t sent = 0; sent < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
        if (n <= 0)
            return;
        sent += size_t(n);
    }
}

std::string answer(const char* status, const std::string& body, const char* extra = "")
{
    return std::string("HTTP/1.1 ") + status + "\r\nContent-Length: " + std::to_string(body.size())
         + "\r\nConnection: close\r\n" + extra + "\r\n" + body;
}

const std::string HugeLine = "<iframe src = \"http://" + std::string(1 << 20, 'a');

struct Case {
    const char* name;
    Behaviour behaviour;     // empty: nothing listens
    bool transferFails;
    const char* text;        // the page as text, when it arrives
    int waitsMs;             // what the server imposes
    int slackMs = 1500;      // what the client may add to it
};

const Case cases[] = {
    {"refuses", nullptr, true, "", 0},
    {"closes at once", [](int) {}, true, "", 0},
    {"resets mid-body", [](int fd) {
         send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'x'));
         linger hard{1, 0};
         setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
     }, true, "", 0},
    {"stalls after the headers", [](int fd) {
         send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\n");
         std::this_thread::sleep_for(2s);
         send(fd, "hello");
     }, false, "hello", 2000},
    {"streams past the cap", [](int fd) {
         send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 20971520\r\nConnection: close\r\n\r\n");
         std::string block(64 * 1024, 'x');
         for (int i = 0; i < 320; i++)
             send(fd, block);
     }, true, "", 0, 60000},   // 16 MiB taken in chunk by chunk; slow only under sanitizers
    {"404", [](int fd) { send(fd, answer("404 Not Found", "<html>no such page</html>")); }, false, "<html>no such page</html>", 0},
    {"302", [](int fd) { send(fd, answer("302 Found", "moved", "Location: http://127.0.0.1:18701/\r\n")); }, false, "moved", 0},
    {"empty", [](int fd) { send(fd, answer("200 OK", "")); }, false, "", 0},
    {"zero byte before the frame", [](int fd) {
         send(fd, answer("200 OK", std::string("ab\0<iframe src = \"http://x/p.pdf\">", 34)));
     }, false, "ab", 0},
    {"huge line without a quote", [](int fd) { send(fd, answer("200 OK", HugeLine)); }, false, nullptr, 0},
};

TEST(MisbehavingServer, HttpHelperReportsWhatArrived)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<RawServer> server;
        if (c.behaviour)
            server = std::make_unique<RawServer>(18700, c.behaviour);
        HttpRequest r = standardRequest();
        r.url = "http://127.0.0.1:18700/10.1000/x";
        auto start = std::chrono::steady_clock::now();
        httpPerform(&r);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(r.result != 0, c.transferFails) << "result " << r.result;
        EXPECT_LE(r.bodyLength, HttpBodyCap);
        if (!c.transferFails && c.text)
            EXPECT_EQ(httpBodyText(&r), c.text);
        EXPECT_GE(took.count(), c.waitsMs);
        EXPECT_LT(took.count(), c.waitsMs + c.slackMs);
        httpRelease(&r);
    }
}

TEST(MisbehavingServer, LookupMovesOnOnlyForFailedTransfers)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetAppState();
        installRecorders();
        app.doiInput = reinterpret_cast<WidgetHandle>(1);
        app.doiStatus = reinterpret_cast<WidgetHandle>(2);
        app.mirrorBase = "http://127.0.0.1:18700/";
        recorded.doiInputText = "10.1000/x";
        std::unique_ptr<RawServer> server;
        if (c.behaviour)
            server = std::make_unique<RawServer>(18700, c.behaviour);
        // fixed mirror 1 answers with a hit
        RawServer fallback(18701, [](int fd) { send(fd, answer("200 OK", "<iframe src = \"//sci-hub/fallback.pdf\">")); });
        doiLookupWorker();
        if (c.transferFails) {
            EXPECT_EQ(app.mirrorBase, fixedMirror(1));
            EXPECT_EQ(recorded.opened, std::vector<std::string>{"https://sci-hub/fallback.pdf"});
            EXPECT_TRUE(recorded.boxes.empty());
        } else if (c.text) {
            EXPECT_EQ(app.mirrorBase, "http://127.0.0.1:18700/");
            EXPECT_EQ(recorded.boxes, std::vector<std::string>{"错误|抱歉，本篇文献未找到，请尝试搜索其它文献！"});
            EXPECT_TRUE(recorded.opened.empty());
        } else {
            // a hit marker with no closing quote: the link is empty, and
            // "https:" alone is no web address the opener would launch
            EXPECT_EQ(recorded.opened, std::vector<std::string>{"https:"});
            EXPECT_EQ(recorded.statuses.back(), "当前状态：搜索完毕");
        }
    }
}

}
