// Measures a GUI program from outside, the way the desktop sees it: the time
// from exec to its window being mapped, the memory of its process tree 5 s
// later and, when asked, its CPU use and the repaint rate of one band of its
// window over a while.
//
// usage: window_probe TITLE WATCH_SECONDS XVFB_PID BAND -- COMMAND [ARGS...]
//   TITLE          the title of the window to wait for
//   WATCH_SECONDS  how long to watch CPU and repaints after the memory (0: not;
//                  negative: end the program as soon as it is mapped, for
//                  profiling the start-up alone)
//   XVFB_PID       the X server, whose CPU is reported beside the program's
//   BAND           x0,y0,x1,y1: the area of the window whose repaints count
//                  as ticks, or - for none
// Prints one JSON object on stdout.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xfixes.h>

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

static double msSince(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

static void fail(const char* why)
{
    std::fprintf(stderr, "window_probe: %s\n", why);
    std::exit(1);
}

// every descendant of pid, found through the parent field of /proc/N/stat
static std::vector<pid_t> processTree(pid_t root)
{
    std::multimap<pid_t, pid_t> children;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        char state;
        pid_t parent;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) == 2)
            children.emplace(parent, pid);
    }
    if (proc)
        closedir(proc);
    std::vector<pid_t> tree{root};
    for (size_t i = 0; i < tree.size(); ++i) {
        auto [from, to] = children.equal_range(tree[i]);
        for (auto it = from; it != to; ++it)
            tree.push_back(it->second);
    }
    return tree;
}

static long statusField(pid_t pid, const char* file, const char* field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    size_t length = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, length, field) == 0)
            return std::atol(line.c_str() + length);
    return 0;
}

// CPU time of all the live threads of a process, in seconds: the
// scheduler's own count, finer than the clock-tick sampling of /proc/N/stat
static double cpuSeconds(pid_t pid)
{
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    DIR* dir = opendir(tasks.c_str());
    while (dirent* entry = dir ? readdir(dir) : nullptr) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
        double runNs = 0;
        if (in >> runNs)
            total += runNs / 1e9;
    }
    if (dir)
        closedir(dir);
    return total;
}

static bool hasTitle(Display* display, Window window, const std::string& title)
{
    char* name = nullptr;
    bool same = XFetchName(display, window, &name) && name && title == name;
    if (name)
        XFree(name);
    return same;
}

static bool isViewable(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

static int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

static bool waitForEvent(Display* display, int timeoutMs)
{
    if (XPending(display))
        return true;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    return poll(&fd, 1, timeoutMs) > 0;
}

// Waits for a top-level window of that title to be mapped; 0 if none within 30 s.
static Window waitForMappedWindow(Display* display, const std::string& title)
{
    Clock::time_point start = Clock::now();
    while (msSince(start) < 30000) {
        if (!waitForEvent(display, 100))
            continue;
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify) {
            Window window = event.xcreatewindow.window;
            XSelectInput(display, window, StructureNotifyMask | PropertyChangeMask);
            // it may have been mapped before the selection took effect
            if (hasTitle(display, window, title) && isViewable(display, window))
                return window;
        } else if (event.type == MapNotify || event.type == PropertyNotify) {
            Window window = event.type == MapNotify ? event.xmap.window : event.xproperty.window;
            if (hasTitle(display, window, title) && isViewable(display, window))
                return window;
        }
    }
    return 0;
}

struct Band {
    int x0, y0, x1, y1;
};

// Counts repaints that touch the band [x0, x1) x [y0, y1) of the window.
// One paint can arrive as several damage reports; reports closer than 4 ms
// are one repaint.
static int countRepaints(Display* display, Window window, Band band, int seconds)
{
    int eventBase, errorBase;
    if (!XDamageQueryExtension(display, &eventBase, &errorBase))
        fail("the X server has no DAMAGE extension");
    Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
    XserverRegion parts = XFixesCreateRegion(display, nullptr, 0);
    int repaints = 0;
    Clock::time_point start = Clock::now(), last = start - std::chrono::seconds(1);
    while (msSince(start) < seconds * 1000.0) {
        if (!waitForEvent(display, 10))
            continue;
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != eventBase + XDamageNotify)
            continue;
        XDamageSubtract(display, damage, None, parts);
        int count = 0;
        XRectangle* rects = XFixesFetchRegion(display, parts, &count);
        bool inBand = false;
        for (int i = 0; i < count; ++i)
            inBand |= rects[i].x < band.x1 && rects[i].x + rects[i].width > band.x0
                && rects[i].y < band.y1 && rects[i].y + rects[i].height > band.y0;
        if (rects)
            XFree(rects);
        if (inBand && std::chrono::duration<double, std::milli>(Clock::now() - last).count() > 4) {
            ++repaints;
            last = Clock::now();
        }
    }
    XDamageDestroy(display, damage);
    XFixesDestroyRegion(display, parts);
    return repaints;
}

static void endTree(pid_t pid)
{
    std::vector<pid_t> tree = processTree(pid);
    kill(pid, SIGTERM);
    for (int i = 0; i < 300 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (pid_t p : tree)
        kill(p, SIGKILL);
    waitpid(pid, nullptr, WNOHANG);
}

int main(int argc, char** argv)
{
    if (argc < 7 || std::strcmp(argv[5], "--") != 0)
        fail("usage: window_probe TITLE WATCH_SECONDS XVFB_PID BAND -- COMMAND [ARGS...]");
    std::string title = argv[1];
    int watchSeconds = std::atoi(argv[2]);
    pid_t xvfb = std::atoi(argv[3]);
    Band area{};
    bool band = std::sscanf(argv[4], "%d,%d,%d,%d", &area.x0, &area.y0, &area.x1, &area.y1) == 4;

    Display* display = XOpenDisplay(nullptr);
    if (!display)
        fail("no X display");
    XSetErrorHandler(ignoreXErrors);   // windows come and go under us
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    Clock::time_point start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[6], argv + 6);
        _exit(127);
    }
    Window window = waitForMappedWindow(display, title);
    double startupMs = msSince(start);
    if (!window) {
        endTree(pid);
        fail("the window never appeared");
    }

    if (watchSeconds < 0) {
        std::printf("{\"startup_ms\": %.1f}\n", startupMs);
        endTree(pid);
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));
    std::vector<pid_t> tree = processTree(pid);
    long pssKb = 0;
    for (pid_t p : tree)
        pssKb += statusField(p, "smaps_rollup", "Pss:");

    std::printf("{\"startup_ms\": %.1f, \"pss_kb\": %ld, \"processes\": %zu", startupMs, pssKb, tree.size());
    if (watchSeconds > 0) {
        double cpu0 = cpuSeconds(pid), xcpu0 = cpuSeconds(xvfb);
        Clock::time_point from = Clock::now();
        int repaints = band ? countRepaints(display, window, area, watchSeconds)
                            : (std::this_thread::sleep_for(std::chrono::seconds(watchSeconds)), 0);
        double seconds = msSince(from) / 1000;
        std::printf(", \"cpu_pct\": %.2f, \"xvfb_cpu_pct\": %.2f", (cpuSeconds(pid) - cpu0) * 100 / seconds,
                    (cpuSeconds(xvfb) - xcpu0) * 100 / seconds);
        if (band)
            std::printf(", \"ticks_per_s\": %.1f", repaints / seconds);
    }
    std::printf("}\n");
    endTree(pid);
    XCloseDisplay(display);
    return 0;
}
