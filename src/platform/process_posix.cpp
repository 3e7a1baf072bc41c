// Threads and the end of the process on POSIX systems.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "platform/platform.h"

void osStartThread(void (*body)())
{
    std::thread(body).detach();
}

void osEndProcess()
{
    std::fflush(nullptr);
    _exit(0);
}

// A peer that closes its end must fail one transfer, not end the program.
void osIgnoreBrokenPipes()
{
    signal(SIGPIPE, SIG_IGN);
}

void installOsServices()
{
    platform.openInBrowser = osOpenInBrowser;
    platform.startThread = osStartThread;
    platform.endProcess = osEndProcess;
}
