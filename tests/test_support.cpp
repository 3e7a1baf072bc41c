#include "test_support.h"

#include <chrono>
#include <mutex>

#include "app/app_state.h"

Recorded recorded;
static std::mutex recordLock;

void LoopbackServer::start()
{
    thread_ = std::thread([this] { server_.listen("127.0.0.1", port_); });
    for (int i = 0; i < 500 && !server_.is_running(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void LoopbackServer::stop()
{
    server_.stop();
    if (thread_.joinable())
        thread_.join();
}

Recorded recordedSnapshot()
{
    std::lock_guard<std::mutex> g(recordLock);
    return recorded;
}

namespace {
void recordBox(const std::string& title, const std::string& text)
{
    std::lock_guard<std::mutex> g(recordLock);
    recorded.boxes.push_back(title + "|" + text);
}
void recordOpen(const std::string& target)
{
    std::lock_guard<std::mutex> g(recordLock);
    recorded.opened.push_back(target);
}
std::string readField(WidgetHandle w)
{
    std::lock_guard<std::mutex> g(recordLock);
    return w == app.doiInput ? recorded.doiInputText : std::string();
}
void writeField(WidgetHandle w, const std::string& text)
{
    std::lock_guard<std::mutex> g(recordLock);
    if (w == app.doiStatus)
        recorded.statuses.push_back(text);
}
void runInline(void (*body)()) { body(); }
void endByThrowing() { throw ProcessEnded{}; }
void noShutdown() {}
}

void installRecorders(bool realOpener)
{
    recorded = Recorded{};
    platform.messageBox = recordBox;
    platform.openInBrowser = realOpener ? osOpenInBrowser : recordOpen;
    platform.widgetText = readField;
    platform.setWidgetText = writeField;
    platform.startThread = runInline;
    platform.shutdownToolkit = noShutdown;
    platform.endProcess = endByThrowing;
}

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

static std::string openerLogPath()
{
    static std::string path = "/tmp/quirevo-open-" + std::to_string(getpid());
    return path;
}

void resetOpenerLog()
{
    setenv("QUIREVO_OPEN_LOG", openerLogPath().c_str(), 1);
    std::filesystem::remove_all(openerLogPath());
}

// one file a call, named by the time of the call
static std::vector<std::vector<std::string>> parseOpenerLog()
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(openerLogPath(), error))
        if (entry.path().extension() != ".part")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    std::vector<std::vector<std::string>> calls;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::string> args;
        std::string arg;
        while (std::getline(in, arg, '\0'))
            args.push_back(arg);
        calls.push_back(args);
    }
    return calls;
}

std::vector<std::vector<std::string>> openerCalls(size_t atLeast)
{
    auto calls = parseOpenerLog();
    for (int i = 0; i < 200 && calls.size() < atLeast; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        calls = parseOpenerLog();
    }
    return calls;
}

// as the program does at entry: a peer that hangs up fails one transfer
// (or one write of a test server), not the whole test
static const bool brokenPipesIgnored = (osIgnoreBrokenPipes(), true);

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

int listenOnLoopback(int port, int backlog)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}
