// The version comparison against a plain restatement of its rule.
#include <cstdint>
#include <string>

#include "config/remote_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.front() == ' ')
        trimmed.erase(0, 1);
    while (!trimmed.empty() && trimmed.back() == ' ')
        trimmed.pop_back();
    if (isSameVersion(text, "4.0") != (trimmed == "4.0"))
        __builtin_trap();
    return 0;
}
