// Turning a DOI into a PDF link through the Sci-Hub mirrors.
#pragma once

#include <string>

// first three bytes "10." and "/" as the 8th or 9th byte
bool isDoiShaped(const std::string& text);

// the text between the first startMarker at or after startPosition (from 1)
// and the next endMarker; endPosition, when given, gets the position just
// after that end marker, or 0
std::string textBetween(const std::string& text, const std::string& startMarker,
                        const std::string& endMarker, int* endPosition, int startPosition);

// fixed mirror n (1-4): "http://" + host n + "/"
std::string fixedMirror(int n);

// whether a mirror's page shows the PDF frame, and the frame's link
bool pageHasHit(const std::string& page);
std::string frameLink(const std::string& page);
// "http://" becomes "https://" throughout, else "https:" goes in front
std::string normaliseScheme(const std::string& link);
// a new link opens in its download form, the same link again in its viewer form
std::string linkToOpen(const std::string& normalisedLink);

// the action of the download button, on the GUI thread
void startDoiLookup();
// one lookup, on a thread of its own
void doiLookupWorker();
