// Opening an address in the user's browser, on desktops with xdg-open.
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <thread>

#include "platform/platform.h"

extern char** environ;

// A target may come from a configuration fetched over plain HTTP, so only
// web addresses are handed on: no files, no other schemes, no options.
static bool isWebAddress(const std::string& target)
{
    return strncasecmp(target.c_str(), "http://", 7) == 0
        || strncasecmp(target.c_str(), "https://", 8) == 0;
}

void osOpenInBrowser(const std::string& target)
{
    if (!isWebAddress(target))
        return;
    std::string utf8 = gbkToUtf8(target);
    // Never through a shell: the address is exactly one argument.
    char program[] = "xdg-open";
    char* argv[] = {program, utf8.data(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return;
    // reap it off the caller's thread so that no zombie is left behind
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
}
