#include "net/http.h"

#include <cstdlib>
#include <cstring>

#include <curl/curl.h>

const char* const StandardUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/48.0.2564.116 Safari/537.36 TheWorld 7";
const char* const StandardAccept =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,"
    "image/apng,*/*;q=0.8";

static const char HeaderSeparator[] = ":::";

HttpRequest standardRequest()
{
    HttpRequest r{};
    r.extraHeaders = StandardAccept;
    r.userAgent = StandardUserAgent;
    r.includeHeaders = 0;
    r.followRedirects = 0;
    r.maxRedirects = 10;
    r.timeoutSeconds = 100;
    r.connectTimeoutSeconds = 100;
    r.noBody = 0;
    return r;
}

std::vector<std::string> splitHeaderLines(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t from = 0;
    for (;;) {
        size_t at = text.find(HeaderSeparator, from);
        if (at == std::string::npos) {
            pieces.push_back(text.substr(from));
            return pieces;
        }
        pieces.push_back(text.substr(from, at - from));
        from = at + 3;
    }
}

std::string latin1ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char b : text) {
        if (b < 0x80) {
            out += char(b);
        } else {
            out += char(0xC0 | (b >> 6));
            out += char(0x80 | (b & 0x3F));
        }
    }
    return out;
}

static curl_slist* buildHeaderList(const std::string& extraHeaders)
{
    curl_slist* list = nullptr;
    for (const std::string& piece : splitHeaderLines(extraHeaders))
        list = curl_slist_append(list, latin1ToUtf8(piece).c_str());
    return list;
}

static void dropBody(HttpRequest* r)
{
    std::free(r->body);
    r->body = nullptr;
    r->bodyLength = 0;
}

static void dropHeaderList(HttpRequest* r)
{
    curl_slist_free_all(r->headerList);
    r->headerList = nullptr;
}

static void setTransferOptions(HttpRequest* r)
{
    CURL* h = r->handle;
    curl_easy_setopt(h, CURLOPT_URL, r->url);
    curl_easy_setopt(h, CURLOPT_IPRESOLVE, (long)CURL_IPRESOLVE_V4);
    curl_easy_setopt(h, CURLOPT_COOKIESESSION, 1L);
    if (!r->cookie.empty())
        curl_easy_setopt(h, CURLOPT_COOKIE, r->cookie.c_str());
    if (r->userAgent)
        curl_easy_setopt(h, CURLOPT_USERAGENT, r->userAgent);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, (long)r->timeoutSeconds);
    // Signal-based resolver time-outs are unsafe with worker threads.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HEADER, r->includeHeaders == 1 ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, r->followRedirects == 1 ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_NOBODY, r->noBody == 1 ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, (long)r->maxRedirects);
    if (!r->extraHeaders.empty()) {
        dropHeaderList(r);
        r->headerList = buildHeaderList(r->extraHeaders);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, r->headerList);
    }
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, (long)r->connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_POST, 0L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, httpWriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, r);
}

void httpPerform(HttpRequest* r)
{
    if (!r->handle)
        r->handle = curl_easy_init();
    if (!r->handle) {
        r->result = HttpNoHandle;
        return;
    }
    dropBody(r);
    setTransferOptions(r);
    r->result = curl_easy_perform(r->handle);
}

size_t httpWriteBody(char* data, size_t size, size_t count, void* request)
{
    HttpRequest* r = static_cast<HttpRequest*>(request);
    size_t n = size * count;
    if (n == 0)
        return 0;
    // Refusing the chunk fails the transfer with CURLE_WRITE_ERROR.
    if (n > size_t(HttpBodyCap) - size_t(r->bodyLength))
        return 0;
    char* grown = static_cast<char*>(std::realloc(r->body, r->bodyLength + n));
    if (!grown)
        return 0;
    std::memcpy(grown + r->bodyLength, data, n);
    r->body = grown;
    r->bodyLength += int(n);
    return n;
}

std::string httpBodyText(const HttpRequest* r)
{
    if (!r->body)
        return {};
    const void* zero = std::memchr(r->body, 0, r->bodyLength);
    size_t length = zero ? static_cast<const char*>(zero) - r->body : size_t(r->bodyLength);
    return std::string(r->body, length);
}

void httpRelease(HttpRequest* r)
{
    if (r->handle)
        curl_easy_cleanup(r->handle);
    r->handle = nullptr;
    dropBody(r);
    dropHeaderList(r);
}
