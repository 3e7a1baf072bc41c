// A mirror's page through hit detection, the frame cut, scheme
// normalisation and the download/viewer rule.
#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "lookup/doi_lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string page(reinterpret_cast<const char*>(data), size);
    resetAppState();
    if (pageHasHit(page)) {
        std::string link = normaliseScheme(frameLink(page));
        if (link.compare(0, 6, "https:") != 0 && link.find("https://") == std::string::npos)
            __builtin_trap();
        std::string first = linkToOpen(link);
        if (linkToOpen(link) != link)      // asked again: the viewer form, unchanged
            __builtin_trap();
        if (first.find("#view=FitH") != std::string::npos)
            __builtin_trap();
    }
    // the cut itself, with markers taken from the input
    size_t third = size / 3;
    int end = -1;
    std::string cut = textBetween(page.substr(2 * third), page.substr(0, third % 4),
                                  page.substr(third, third % 3), &end, int(size % 7) - 1);
    if (end < 0 || cut.size() > size)
        __builtin_trap();
    return 0;
}
