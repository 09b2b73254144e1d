// Browser profiles made by the tests: a Firefox and a Chromium profile with their history
// databases (bookmarks and keywords among them) and cache files, below a home of the test's own.
#pragma once

#include <string>
#include <vector>

#include "platform/BrowserProfiles.h"
#include "support/TempTree.h"

namespace nubrix::test {

void WriteFile(const std::string& name, const std::string& text);
// Runs sql on the database file (created when missing).
void Sql(const std::string& file, const std::string& sql);
// The rows of a query, one "a|b|c" text a row.
std::vector<std::string> Rows(const std::string& file, const std::string& sql);

// Fills tree with the two profiles, their databases in the browsers' own tables: places.sqlite with
// 4 places (one bookmarked, one a keyword's), 5 visits, 1 input, and favicons.sqlite; History with
// 2 urls (one typed) and 2 visits, Favicons, Bookmarks, Top Sites, Shortcuts and Network Action
// Predictor; 3 cache files each. Every address that clearing removes holds "nubrix-secret".
platform::TBrowserHomes MakeBrowserHome(TTempTree& tree);
std::string FirefoxPlaces(const TTempTree& tree);
std::string ChromiumHistory(const TTempTree& tree);

}  // namespace nubrix::test
