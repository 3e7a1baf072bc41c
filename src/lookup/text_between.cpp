#include "lookup/doi_lookup.h"

std::string textBetween(const std::string& text, const std::string& startMarker,
                        const std::string& endMarker, int* endPosition, int startPosition)
{
    if (endPosition)
        *endPosition = 0;
    if (startPosition < 1 || startMarker.empty() || endMarker.empty())
        return {};
    size_t from = size_t(startPosition) - 1;
    if (from >= text.size())
        return {};
    size_t p = text.find(startMarker, from);
    if (p == std::string::npos)
        return {};
    p += startMarker.size();
    size_t q = text.find(endMarker, p);
    if (q == std::string::npos)
        return {};
    if (endPosition)
        *endPosition = int(q + endMarker.size()) + 1;   // positions count from 1
    return text.substr(p, q - p);
}
