#include <cstdlib>

#include "app/app_state.h"

// The orderly end.  Workers are not waited for: they may be inside a
// transfer or waiting on a box, so the process ends without running static
// destructors or tearing the toolkit down under their feet.
void exitApplication()
{
    platform.shutdownToolkit();
    platform.endProcess();
    std::_Exit(0);   // in case a test's endProcess came back
}

// A failure before the window exists: tell the user, then end at once,
// releasing nothing.
void fatalStartupError(const std::string& text)
{
    platform.messageBox("错误", text);
    platform.endProcess();
    std::_Exit(0);
}
