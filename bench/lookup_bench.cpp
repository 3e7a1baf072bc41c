// The lookup path timed in-process against loopback mirrors, beside the same
// requests made with nothing but libcurl.  Drives the lookup functions
// directly; the toolkit's services are stand-ins that note the time.
//
// usage: lookup_bench  (the build's four fixed mirrors must refuse)
// Prints one JSON object a measurement, a line each.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <curl/curl.h>

#include "app/app_state.h"
#include "lookup/doi_lookup.h"
#include "platform/platform.h"

using Clock = std::chrono::steady_clock;

namespace {

const int FastPort = 18821;      // answers at once
const int SlowPort = 18822;      // answers one second after accepting
const int RefusingPort = 18810;  // nothing listens
const char Doi[] = "10.1000/bench.2026.001";
const int Lookups = 200;
const char ServerFailedText[] = "当前文献服务器异常,请稍后重试...";

std::string mirrorPage()
{
    std::string page =
        "<!DOCTYPE html><html><head><title>Sci-Hub | 10.1000/bench.2026.001</title></head><body>\n"
        "<div id=\"menu\"><a href=\"/\">home</a> <a href=\"#\" onclick=\"save()\">save</a></div>\n"
        "<div id=\"article\"><iframe src = \"//sci-hub.se/downloads/2026-01-01/ab/bench.pdf#view=FitH\" "
        "id = \"pdf\"></iframe></div>\n";
    while (page.size() < 8000)   // a mirror page is a few kilobytes of markup
        page += "<p class=\"filler\">Lorem ipsum dolor sit amet, consectetur adipiscing elit.</p>\n";
    return page + "</body></html>\n";
}

// ---- the mirror, in a process of its own so that it weighs nothing here

int listenOn(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 1024) != 0) {
        std::perror("lookup_bench: listen");
        _exit(1);
    }
    return fd;
}

void answer(int fd, std::chrono::milliseconds delay, const std::string* response)
{
    Clock::time_point accepted = Clock::now();
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.append(buffer, size_t(n));
    }
    std::this_thread::sleep_until(accepted + delay);
    for (size_t sent = 0; sent < response->size();) {
        ssize_t n = write(fd, response->data() + sent, response->size() - sent);
        if (n <= 0)
            break;
        sent += size_t(n);
    }
    shutdown(fd, SHUT_WR);
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
    close(fd);
}

void serve(int listener, std::chrono::milliseconds delay, const std::string* response)
{
    for (;;) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd >= 0)
            std::thread(answer, fd, delay, response).detach();
    }
}

[[noreturn]] void runMirror()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);   // never outlives the bench
    signal(SIGPIPE, SIG_IGN);
    static const std::string page = mirrorPage();
    static const std::string response = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
        + std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page;
    int fast = listenOn(FastPort), slow = listenOn(SlowPort);
    std::thread(serve, slow, std::chrono::milliseconds(1000), &response).detach();
    serve(fast, std::chrono::milliseconds(0), &response);
    _exit(0);
}

std::string base(int port) { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

// ---- the stand-in services: they note when the lookup got where

std::mutex noted;
std::condition_variable arrived;
int opens = 0;
int boxes = 0;
std::string lastBox;
// when the last link or box was handed over, taken before anything else so
// that waking the waiting thread is not counted
Clock::time_point lastArrival;

void noteOpen(const std::string&)
{
    Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> guard(noted);
    ++opens;
    lastArrival = now;
    arrived.notify_all();
}

void noteBox(const std::string&, const std::string& text)
{
    Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> guard(noted);
    ++boxes;
    lastBox = text;
    lastArrival = now;
    arrived.notify_all();
}

std::string doiText(WidgetHandle) { return Doi; }
void ignoreText(WidgetHandle, const std::string&) {}

// waits until `what` holds, for at most 30 s
template <class Condition> bool waitFor(Condition what)
{
    std::unique_lock<std::mutex> lock(noted);
    return arrived.wait_for(lock, std::chrono::seconds(30), what);
}

double usBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

double usSince(Clock::time_point from) { return usBetween(from, Clock::now()); }

double usToArrival(Clock::time_point from)
{
    std::lock_guard<std::mutex> guard(noted);
    return usBetween(from, lastArrival);
}

size_t keepBody(char* data, size_t size, size_t count, void* body)
{
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// one GET with nothing around it but libcurl; returns its curl code
int bareGet(const std::string& url, std::string* body)
{
    CURL* handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, keepBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, body);
    int code = curl_easy_perform(handle);
    curl_easy_cleanup(handle);
    return code;
}

void printSamples(const char* name, const char* unit, const std::vector<double>& samples)
{
    std::printf("{\"name\": \"%s\", \"unit\": \"%s\", \"samples\": [", name, unit);
    for (size_t i = 0; i < samples.size(); ++i)
        std::printf("%s%.4g", i ? ", " : "", samples[i]);
    std::printf("]}\n");
    std::fflush(stdout);
}

void setMirrorBase(const std::string& mirror)
{
    std::lock_guard<std::mutex> guard(lookupFieldsLock);
    app.mirrorBase = mirror;
}

// Start of the lookup to the link handed to the opener, beside a bare GET.
void measureOverhead(int runs)
{
    setMirrorBase(base(FastPort));
    std::vector<double> lookup, bare;
    for (int i = -20; i < runs; ++i) {   // the first 20 warm up
        int before = opens;
        Clock::time_point start = Clock::now();
        startDoiLookup();
        if (!waitFor([&] { return opens > before; }))
            std::exit(1);
        double lookupUs = usToArrival(start);
        std::string body;
        start = Clock::now();
        int code = bareGet(base(FastPort) + Doi, &body);
        double bareUs = usSince(start);
        if (code != 0 || body.find("<iframe") == std::string::npos)
            std::exit(1);
        if (i >= 0) {
            lookup.push_back(lookupUs);
            bare.push_back(bareUs);
        }
    }
    printSamples("lookup", "us", lookup);
    printSamples("bare_get", "us", bare);
}

long statusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, std::strlen(field), field) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

// Many lookups at once against a mirror that takes a second to answer.
void measureLoad(int runs)
{
    setMirrorBase(base(SlowPort));
    std::vector<double> seconds, growth;
    for (int run = 0; run < runs; ++run) {
        long before = statusKb("VmRSS:");
        std::ofstream("/proc/self/clear_refs") << "5";   // restarts the peak at the current size
        int opened = opens;
        Clock::time_point start = Clock::now();
        for (int i = 0; i < Lookups; ++i)
            startDoiLookup();
        if (!waitFor([&] { return opens == opened + Lookups; }))
            std::exit(1);
        seconds.push_back(usToArrival(start) / 1e6);
        growth.push_back((statusKb("VmHWM:") - before) / 1024.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));   // the workers wind down
    }
    printSamples("load_seconds", "s", seconds);
    printSamples("load_rss_growth", "MB", growth);
}

// A lookup whose every mirror refuses, to the box that says so, beside the
// same four refused GETs made bare.
void measureFailOver(int runs)
{
    std::vector<double> failOver, bare;
    for (int i = -5; i < runs; ++i) {
        setMirrorBase(base(RefusingPort));
        int before = boxes;
        Clock::time_point start = Clock::now();
        startDoiLookup();
        if (!waitFor([&] { return boxes > before; }) || lastBox != ServerFailedText)
            std::exit(1);
        double failOverUs = usToArrival(start);
        start = Clock::now();
        std::string body;
        int failed = bareGet(base(RefusingPort) + Doi, &body) != 0;
        for (int n = 1; n <= 3; ++n)
            failed += bareGet(fixedMirror(n) + Doi, &body) != 0;
        double bareUs = usSince(start);
        if (failed != 4)
            std::exit(1);
        if (i >= 0) {
            failOver.push_back(failOverUs / 1000);
            bare.push_back(bareUs / 1000);
        }
    }
    printSamples("fail_over", "ms", failOver);
    printSamples("fail_over_bare", "ms", bare);
}

}  // namespace

int main()
{
    pid_t mirror = fork();
    if (mirror == 0)
        runMirror();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    curl_global_init(CURL_GLOBAL_DEFAULT);
    resetAppState();
    installOsServices();
    platform.openInBrowser = noteOpen;
    platform.messageBox = noteBox;
    platform.widgetText = doiText;
    platform.setWidgetText = ignoreText;

    measureOverhead(200);
    measureLoad(10);
    measureFailOver(20);
    kill(mirror, SIGKILL);
    waitpid(mirror, nullptr, 0);
    return 0;
}
