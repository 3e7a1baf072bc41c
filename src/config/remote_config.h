// The remote configuration document and the version check.
#pragma once

#include <string>

// body of /sq/pz.txt; ends the process when the transfer fails
std::string fetchRemoteConfig();
// fills the configuration fields of app; ends the process on any failure
void applyRemoteConfig(const std::string& text);

// the server's version text against ours: only spaces are trimmed
bool isSameVersion(const std::string& serverText, const std::string& ownVersion);
// ends the program through exitApplication when the server names another version
void checkForUpdate();
