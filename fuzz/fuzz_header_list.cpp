// The ":::" header-list splitting and the Latin-1 to UTF-8 conversion.
#include <cstdint>
#include <string>
#include <vector>

#include "net/http.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> pieces = splitHeaderLines(text);
    for (const std::string& piece : pieces) {
        size_t high = 0;
        for (unsigned char b : piece)
            high += b >= 0x80;
        if (latin1ToUtf8(piece).size() != piece.size() + high)
            __builtin_trap();
    }
    // the pieces, joined again, give the text back
    std::string rejoined;
    for (size_t i = 0; i < pieces.size(); i++)
        rejoined += (i ? ":::" : "") + pieces[i];
    if (rejoined != text)
        __builtin_trap();
    return 0;
}
