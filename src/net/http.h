// One blocking HTTP GET through libcurl's easy interface.
#pragma once

#include <string>
#include <vector>

typedef void CURL;
struct curl_slist;

constexpr int HttpNoHandle = 110;
// a body larger than this fails the transfer, like any other failed transfer
constexpr int HttpBodyCap = 16 * 1024 * 1024;

extern const char* const StandardUserAgent;
extern const char* const StandardAccept;

struct HttpRequest {
    CURL* handle;
    const char* url;              // the caller's text, unchanged until httpPerform returns
    std::string cookie;
    std::string extraHeaders;     // lines joined by ":::"
    const char* userAgent;
    int includeHeaders;
    int followRedirects;
    int maxRedirects;
    int timeoutSeconds;
    int connectTimeoutSeconds;
    int noBody;
    char* body;                   // exactly bodyLength bytes, no terminating zero
    int bodyLength;
    int result;
    curl_slist* headerList;       // kept until httpRelease: it must outlive the transfer
};

// a fresh request with the standard settings; the caller sets url
HttpRequest standardRequest();

void httpPerform(HttpRequest* request);
std::string httpBodyText(const HttpRequest* request);
void httpRelease(HttpRequest* request);
size_t httpWriteBody(char* data, size_t size, size_t count, void* request);

// the pieces of an extra-header text, in order, empty pieces included
std::vector<std::string> splitHeaderLines(const std::string& text);
// every byte read as a Latin-1 code point
std::string latin1ToUtf8(const std::string& text);
