#include "cleaners/BrowserFixtures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

namespace nubrix::test {

namespace {

// The browsers' own tables (tests/cleaners/schemas), filled with rows in their real columns.
std::string Schema(const char* name) {
  std::string text;
  std::ifstream in(std::string(NUBRIX_BROWSER_SCHEMAS) + "/" + name, std::ios::binary);
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  EXPECT_FALSE(text.empty()) << name;
  return text;
}

const char* const kPlaces = R"(
INSERT INTO moz_origins (id, prefix, host, frecency) VALUES (1, 'https://', 'bookmarked.example', 1),
  (2, 'https://', 'visited.example', 1), (3, 'https://', 'kw.example', 1);
INSERT INTO moz_places (id, url, title, visit_count, last_visit_date, typed, frecency,
  foreign_count, origin_id, guid) VALUES
  (1, 'https://bookmarked.example/', 'Bookmarked', 5, 100, 1, 50, 1, 1, 'g1'),
  (2, 'https://visited.example/', 'nubrix-secret visited', 3, 200, 1, 40, 0, 2, 'g2'),
  (3, 'https://kw.example/?q=%s', 'Keyword', 2, 300, 0, 30, 0, 3, 'g3'),
  (4, 'https://visited.example/?q=nubrix-secret', 'Search', 1, 400, 0, 20, 0, NULL, 'g4'),
  (5, 'https://after-a-crash.example/', 'Bookmarked, count lost', 1, 500, 0, 10, 0, NULL, 'g5');
INSERT INTO moz_historyvisits (id, place_id, visit_date) VALUES (1, 1, 1), (2, 2, 2), (3, 2, 3),
  (4, 3, 4), (5, 4, 5);
INSERT INTO moz_inputhistory (place_id, input, use_count) VALUES (2, 'nubrix-secret', 1);
INSERT INTO moz_bookmarks (id, type, fk, title) VALUES (1, 2, NULL, 'menu'), (2, 1, 1, 'A bookmark'),
  (3, 1, 5, 'A bookmark whose place lost its count');
INSERT INTO moz_keywords (id, keyword, place_id) VALUES (1, 'kw', 3);
INSERT INTO moz_annos (id, place_id) VALUES (1, 2), (2, 1);
INSERT INTO moz_meta (key, value) VALUES ('origin_frecency_count', '3'), ('other', 'kept');
)";

const char* const kFirefoxFavicons = R"(
INSERT INTO moz_icons (id, icon_url, fixed_icon_url_hash, root, data) VALUES
  (1, 'https://bookmarked.example/favicon.ico', 1, 1, x'00'),
  (2, 'https://visited.example/nubrix-secret.png', 2, 0, x'00'),
  (3, 'https://kw.example/favicon.ico', 3, 1, x'00');
INSERT INTO moz_pages_w_icons (id, page_url, page_url_hash) VALUES
  (1, 'https://bookmarked.example/', 1), (2, 'https://visited.example/', 2),
  (3, 'https://visited.example/?q=nubrix-secret', 3);
INSERT INTO moz_icons_to_pages (page_id, icon_id) VALUES (1, 1), (2, 2), (3, 2);
)";

const char* const kChromiumHistory = R"(
INSERT INTO meta VALUES ('version', '70');
INSERT INTO urls (id, url, title, visit_count, typed_count, last_visit_time) VALUES
  (1, 'https://a.example/', 'A', 1, 3, 1), (2, 'https://b.example/search?q=nubrix-secret', 'S', 1, 0, 2);
INSERT INTO visits (id, url, visit_time) VALUES (1, 1, 1), (2, 2, 2);
INSERT INTO keyword_search_terms VALUES (1, 2, 'nubrix-secret', 'nubrix-secret');
INSERT INTO segments (id, name, url_id) VALUES (1, 'http://b.example/', 2);
)";

const char* const kChromiumFavicons = R"(
INSERT INTO meta VALUES ('version', '8');
INSERT INTO favicons (id, url) VALUES (1, 'https://bookmarked.example/favicon.ico'),
  (2, 'https://b.example/nubrix-secret.ico');
INSERT INTO icon_mapping (id, page_url, icon_id) VALUES (1, 'https://bookmarked.example/', 1),
  (2, 'https://b.example/search?q=nubrix-secret', 2);
INSERT INTO favicon_bitmaps (id, icon_id, image_data) VALUES (1, 1, x'01'), (2, 2, x'02');
)";

const char* const kChromiumBookmarks = R"({ "roots": { "bookmark_bar": { "children": [
  { "name": "B", "type": "url", "url": "https://bookmarked.example/" } ], "type": "folder" } },
  "version": 1 })";

}  // namespace

void WriteFile(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

void Sql(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error != nullptr ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

// The rows of a query, one "a|b|c" text a row.
std::vector<std::string> Rows(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  std::vector<std::string> rows;
  EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
  while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
    std::string row;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      const auto* text = sqlite3_column_text(statement, column);
      row += (column > 0 ? "|" : "") +
             std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "NULL");
    }
    rows.push_back(row);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

std::string FirefoxPlaces(const TTempTree& tree) {
  return tree / ".mozilla/firefox/abc.default-release/places.sqlite";
}

std::string ChromiumHistory(const TTempTree& tree) {
  return tree / ".config/chromium/Default/History";
}

platform::TBrowserHomes MakeBrowserHome(TTempTree& tree) {
  tree.Add(
      ".mozilla/firefox/abc.default-release/\n.cache/mozilla/firefox/abc.default-release/"
      "cache2/entries/\n.config/chromium/Default/\n.cache/chromium/Default/Cache/"
      "Cache_Data/");
  WriteFile(tree / ".mozilla/firefox/profiles.ini",
            "[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\n"
            "Default=1\n\n[General]\nStartWithLastProfile=1\n");
  const std::string firefox = tree / ".mozilla/firefox/abc.default-release/";
  Sql(FirefoxPlaces(tree), Schema("firefox-places.sql") + kPlaces);
  Sql(firefox + "favicons.sqlite", Schema("firefox-favicons.sql") + kFirefoxFavicons);
  const std::string chromium = tree / ".config/chromium/Default/";
  Sql(ChromiumHistory(tree), Schema("chromium-history.sql") + kChromiumHistory);
  Sql(chromium + "Favicons", Schema("chromium-favicons.sql") + kChromiumFavicons);
  WriteFile(chromium + "Bookmarks", kChromiumBookmarks);
  const std::string secret = "'https://b.example/search?q=nubrix-secret'";
  Sql(chromium + "Top Sites",
      Schema("chromium-top-sites.sql") + "INSERT INTO top_sites VALUES (" + secret + ", 0, 'S');");
  Sql(chromium + "Shortcuts", Schema("chromium-shortcuts.sql") +
                                  "INSERT INTO omni_box_shortcuts (id, text, url) VALUES "
                                  "('1', 'nubrix-secret', " +
                                  secret + ");");
  Sql(chromium + "Network Action Predictor",
      Schema("chromium-network-action-predictor.sql") +
          "INSERT INTO network_action_predictor VALUES ('1', 'nubrix-secret', " + secret +
          ", 1, 0);");
  for (int i = 0; i < 3; ++i) {
    WriteFile(
        tree / (".cache/mozilla/firefox/abc.default-release/cache2/entries/e" + std::to_string(i)),
        std::string(100, 'x'));
    WriteFile(tree / (".cache/chromium/Default/Cache/Cache_Data/f" + std::to_string(i)), "yy");
  }
  return {tree.Root(), tree / ".config", tree / ".cache"};
}

}  // namespace nubrix::test
