// A configuration document through parsing and field filling.  The fatal
// paths end the process in the program; here they come back as an
// exception, so that one run can try the next input.
#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "config/remote_config.h"

namespace {
struct Ended {};
void quietBox(const std::string&, const std::string&) {}
void endByThrowing() { throw Ended{}; }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform.messageBox = quietBox;
    platform.endProcess = endByThrowing;
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
    resetAppState();
    try {
        applyRemoteConfig(text);
    } catch (const Ended&) {
        return 0;
    }
    // an accepted document always leaves a mirror base ending in "/"
    if (app.mirrorBase.empty() || app.mirrorBase.back() != '/' || app.configLoaded != 1)
        __builtin_trap();
    return 0;
}
