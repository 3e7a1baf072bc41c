// The real quirevo binary against a loopback home server: each start-up
// failure shows its box, read back through the accessibility tree, never
// shows the main window, and ends with exit code 0 once the box is dismissed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <rapidjson/document.h>
#include <sys/socket.h>
#include <unistd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "test_support.h"

namespace {

struct ProgramRun {
    std::string title, text;
    bool mainWindowSeen;
    int exitCode;    // -1: did not end in time
};

// The program dies with the test, should the test be killed first.
pid_t spawn(const char* path, std::vector<std::string> args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path));
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        execv(path, argv.data());
        _exit(127);
    }
    return pid;
}

int waitExit(pid_t pid, int seconds)
{
    for (int i = 0; i < seconds * 100; i++) {
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

std::string member(const rapidjson::Document& d, const char* name)
{
    return d.HasMember(name) && d[name].IsString() ? d[name].GetString() : "";
}

// starts the program, reads and dismisses its box as a user would
ProgramRun runUntilBox()
{
    pid_t program = spawn(QUIREVO_BINARY, {});
    std::string command = std::string("/usr/bin/python3 ") + TOOLS_DIR + "/atspi_box.py quirevo 30";
    FILE* reader = popen(command.c_str(), "r");
    char line[8192] = {0};
    if (!fgets(line, sizeof line, reader))
        line[0] = 0;
    pclose(reader);
    ProgramRun run{};
    rapidjson::Document seen;
    seen.Parse(line);
    if (seen.IsObject()) {
        run.title = member(seen, "title");
        run.text = member(seen, "text");
        if (seen.HasMember("frames"))
            for (auto& f : seen["frames"].GetArray())
                run.mainWindowSeen |= std::string(f.GetString()) == "QuirevoV5.0";
    }
    run.exitCode = waitExit(program, 10);
    return run;
}

std::string utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

const std::string GoodConfig = R"({"SCI-HUB":"http://127.0.0.1:18700/","Google":"g","Notice":"n","tongji":""})";

TEST(Program, StartUpFailuresShowTheirBoxAndEndWithZero)
{
    struct Case {
        const char* name;
        int configStatus;          // 0: home server down
        std::string config;
        std::string version;
        std::string title, text;
    } cases[] = {
        {"server down", 0, "", "", utf8(u8"错误"), utf8(u8"服务器网络不通！软件将退出！")},
        {"empty body", 200, "", "4.0", utf8(u8"错误"), utf8(u8"服务器配置文件出错！软件即将退出！")},
        {"HTML 404", 404, "<html><body>Not Found</body></html>", "4.0", utf8(u8"错误"), utf8(u8"pz解析失败")},
        {"no tongji", 200, R"({"SCI-HUB":"s","Google":"g","Notice":"n"})", "4.0", utf8(u8"错误"), utf8(u8"pz解析失败")},
        {"version differs", 200, GoodConfig, "4.1", utf8(u8"提示"), utf8(u8"发现新版本，立即更新！")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetOpenerLog();
        LoopbackServer home(18642);
        if (c.configStatus) {
            home.routes().Get("/sq/pz.txt", [&](const httplib::Request&, httplib::Response& res) {
                res.status = c.configStatus;
                res.set_content(c.config, "text/plain");
            });
            home.routes().Get("/gx.txt", [&](const httplib::Request&, httplib::Response& res) {
                res.set_content(c.version, "text/plain");
            });
            home.start();
        }
        ProgramRun run = runUntilBox();
        EXPECT_EQ(run.title, c.title);
        EXPECT_EQ(run.text, c.text);
        EXPECT_FALSE(run.mainWindowSeen);
        EXPECT_EQ(run.exitCode, 0);
        auto opened = openerCalls(c.version == "4.1" ? 1 : 0);
        if (c.version == "4.1")
            EXPECT_EQ(opened, std::vector<std::vector<std::string>>{{"http://127.0.0.1:18642/download.html"}});
        else
            EXPECT_TRUE(opened.empty());
    }
}


std::string xdotool(const std::string& args)
{
    std::string out;
    FILE* p = popen(("timeout 20 xdotool " + args + " 2>/dev/null").c_str(), "r");
    char buf[256];
    while (fgets(buf, sizeof buf, p))
        out += buf;
    pclose(p);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::string waitForMainWindow()
{
    for (int i = 0; i < 200; i++) {
        std::string id = xdotool("search --name '^QuirevoV5\\.0$'");
        if (!id.empty())
            return id.substr(0, id.find('\n'));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "";
}

// Closing the window ends the process with 0 at once, also while lookups
// wait on a mirror that never answers; an empty tongji loads nothing.
TEST(Program, ClosingEndsAtOnceWhileLookupsWait)
{
    std::atomic<int> statsRequests{0};
    LoopbackServer home(18642);
    home.routes().Get("/sq/pz.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"SCI-HUB":"http://127.0.0.1:18700/","Google":"g","Notice":"n","tongji":""})", "text/plain");
    });
    home.routes().Get("/gx.txt", [](const httplib::Request&, httplib::Response& res) { res.set_content("4.0", "text/plain"); });
    home.routes().Get("/tongji.html", [&](const httplib::Request&, httplib::Response& res) {
        statsRequests++;
        res.set_content("x", "text/html");
    });
    home.start();
    // a mirror that takes the connection and never answers
    std::atomic<int> mirrorRequests{0};
    LoopbackServer mirror(18700);
    mirror.routes().Get(R"(/(.*))", [&](const httplib::Request&, httplib::Response& res) {
        mirrorRequests++;
        std::this_thread::sleep_for(std::chrono::seconds(8));
        res.set_content("late", "text/plain");
    });
    mirror.start();

    pid_t program = spawn(QUIREVO_BINARY, {});
    std::string window = waitForMainWindow();
    ASSERT_FALSE(window.empty());
    xdotool("windowactivate --sync " + window);
    // paste a DOI into the field and press the download button a few times
    xdotool("mousemove --window " + window + " 200 172 click 1");
    xdotool("type --delay 20 10.1038/nphys1170");
    for (int i = 0; i < 3; i++)
        xdotool("mousemove --window " + window + " 510 172 click 1");
    for (int i = 0; i < 100 && mirrorRequests < 3; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(mirrorRequests, 3);
    auto closing = std::chrono::steady_clock::now();
    xdotool("windowactivate --sync " + window + " key alt+F4");
    EXPECT_EQ(waitExit(program, 5), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(2));
    EXPECT_EQ(statsRequests, 0);
}

// A mirror that takes every connection into its backlog and never answers.
struct SilentMirror {
    explicit SilentMirror(int port) : fd(listenOnLoopback(port, 128)) {}
    ~SilentMirror() { close(fd); }
    int fd;
};

// Twenty lookups wait on a silent mirror when the window is closed; a
// hundred times over, every run ends with 0 within two seconds.
TEST(Program, EndsCleanlyUnderLoadEveryTime)
{
    LoopbackServer home(18642);
    home.routes().Get("/sq/pz.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"SCI-HUB":"http://127.0.0.1:18700/","Google":"g","Notice":"n","tongji":""})", "text/plain");
    });
    home.routes().Get("/gx.txt", [](const httplib::Request&, httplib::Response& res) { res.set_content("4.0", "text/plain"); });
    home.start();
    SilentMirror mirror(18700);
    // QUIREVO_LOAD_RUNS shortens the loop while working on it
    const char* runsSetting = getenv("QUIREVO_LOAD_RUNS");
    int runs = runsSetting ? atoi(runsSetting) : 100;
    int slow = 0;
    std::vector<std::string> failed;   // "run N: code C"
    for (int run = 0; run < runs; run++) {
        pid_t program = spawn(QUIREVO_BINARY, {});
        std::string window = waitForMainWindow();
        ASSERT_FALSE(window.empty()) << "run " << run;
        xdotool("windowactivate --sync " + window + " mousemove --window " + window +
                " 200 172 click 1 type --delay 5 10.1038/nphys1170");
        xdotool("mousemove --window " + window + " 510 172 click --repeat 20 --delay 5 1");
        auto closing = std::chrono::steady_clock::now();
        xdotool("windowactivate --sync " + window + " key alt+F4");
        int code = waitExit(program, 10);
        if (code != 0)
            failed.push_back("run " + std::to_string(run) + ": code " + std::to_string(code));
        slow += std::chrono::steady_clock::now() - closing > std::chrono::seconds(2);
    }
    EXPECT_THAT(failed, testing::IsEmpty());
    EXPECT_EQ(slow, 0);
}

}
