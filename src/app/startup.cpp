#include "app/startup.h"

#include "app/app_state.h"
#include "config/remote_config.h"
#include "ui/ui.h"

void startUp()
{
    std::string configText = fetchRemoteConfig();
    if (configText.empty())
        fatalStartupError("服务器配置文件出错！软件即将退出！");
    applyRemoteConfig(configText);
    checkForUpdate();
    openMainWindow(0, 0, 610, 590);
    finishMainWindow();
    configText.clear();
    configText.shrink_to_fit();
}
