#include "config/home_server.h"

#include "build_settings.h"

std::string homeUrl(const char* path)
{
    return std::string("http://") + QUIREVO_HOME_HOST + path;
}
