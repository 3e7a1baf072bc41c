// Shared pieces of the core tests: a loopback server and recorded services.
#pragma once

#include <httplib.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

// A cpp-httplib server on 127.0.0.1:port, listening until it goes out of scope.
class LoopbackServer {
public:
    // One request a connection, so that stopping never waits on an idle
    // keep-alive.  SO_REUSEADDR in place of the library's SO_REUSEPORT: the
    // next test's server must bind over this one's TIME_WAIT connections,
    // and two live servers must never share a port.
    explicit LoopbackServer(int port) : port_(port)
    {
        server_.set_keep_alive_max_count(1);
        server_.set_socket_options([](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
    }
    ~LoopbackServer() { stop(); }
    httplib::Server& routes() { return server_; }
    void start();
    void stop();
    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int port_;
    httplib::Server server_;
    std::thread thread_;
};

// a TCP socket listening on 127.0.0.1:port (SO_REUSEADDR), or -1
int listenOnLoopback(int port, int backlog);

// What the core showed and opened, recorded in place of a toolkit.
struct Recorded {
    std::vector<std::string> boxes;     // "title|text"
    std::vector<std::string> opened;
    std::vector<std::string> statuses;
    std::string doiInputText;
};

extern Recorded recorded;
// a copy taken under the recorders' lock, for tests with worker threads
Recorded recordedSnapshot();

// Thrown by the recorded endProcess, so a test sees where the program would end.
struct ProcessEnded {};

// installs the recorders; openInBrowser records too unless realOpener is set
void installRecorders(bool realOpener = false);

// The calls the recording xdg-open received, each as its argument list.
// Waits up to two seconds for at least `atLeast` calls to arrive.
std::vector<std::vector<std::string>> openerCalls(size_t atLeast = 0);
// starts a new, empty opener log for this process
void resetOpenerLog();
