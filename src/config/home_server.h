// Addresses on the tool's own web server.
#pragma once

#include <string>

// "http://" + the home host + path
std::string homeUrl(const char* path);
