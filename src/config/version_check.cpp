#include "app/app_state.h"
#include "config/home_server.h"
#include "config/remote_config.h"
#include "net/http.h"

bool isSameVersion(const std::string& serverText, const std::string& ownVersion)
{
    // Only the space character is trimmed: a line break is part of the text.
    size_t first = serverText.find_first_not_of(' ');
    if (first == std::string::npos)
        return ownVersion.empty();
    size_t last = serverText.find_last_not_of(' ');
    return serverText.compare(first, last - first + 1, ownVersion) == 0;
}

void checkForUpdate()
{
    std::string url = homeUrl("/gx.txt");
    HttpRequest request = standardRequest();
    request.url = url.c_str();
    httpPerform(&request);
    // An unreachable version file lets start-up go on.
    if (request.result == 0 && !isSameVersion(httpBodyText(&request), app.appVersion)) {
        platform.messageBox("提示", "发现新版本，立即更新！");
        platform.openInBrowser(homeUrl("/download.html"));
        exitApplication();
    }
    httpRelease(&request);
}
