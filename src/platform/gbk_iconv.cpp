// The GBK boundary.  GB18030 is GBK's superset, so whatever GBK spells comes
// through, and any Unicode text read from the toolkit has a GBK form.
#include <errno.h>
#include <iconv.h>

#include "platform/platform.h"

static std::string convert(const std::string& in, const char* to, const char* from,
                           const char* replacement)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1)
        return in;
    std::string out;
    out.resize(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != (size_t)-1)
            break;
        if (errno == E2BIG)
            break;      // cannot happen: four bytes out for every byte in
        // a byte that starts no valid sequence: mark it and go on
        src++;
        srcLeft--;
        for (const char* r = replacement; *r && dstLeft > 0; r++, dstLeft--)
            *dst++ = *r;
    }
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

std::string gbkToUtf8(const std::string& gbk)
{
    return convert(gbk, "UTF-8", "GB18030", "\xEF\xBF\xBD");
}

std::string utf8ToGbk(const std::string& utf8)
{
    return convert(utf8, "GB18030", "UTF-8", "?");
}
