// What the four search buttons and the 36 site buttons open.
#pragma once

#include <string>

enum SearchKind { ScholarSearch, JournalSearch, BaiduSearch, CnkiSearch };

// prefix + the text as typed (no encoding, no trimming) + suffix
std::string searchTarget(SearchKind kind, const std::string& text);
// the target of the site button at row, column (1-6)
std::string siteTarget(int row, int column);

void openScholarSearch();
void openJournalLookup();
void openBaiduSearch();
void openCnkiSearch();
void openSiteLink(int row, int column);
