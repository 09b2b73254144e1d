#include "cleaners/BrowserFixtures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

namespace nubrix::test {

namespace {

const char* const kPlaces = R"(
CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, host TEXT);
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, visit_count INTEGER, last_visit_date
  INTEGER, typed INTEGER, frecency INTEGER, foreign_count INTEGER, origin_id INTEGER);
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER);
CREATE TABLE moz_inputhistory (place_id INTEGER, input TEXT);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, fk INTEGER, title TEXT);
CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY, keyword TEXT, place_id INTEGER);
CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER);
CREATE TABLE moz_meta (key TEXT PRIMARY KEY, value TEXT);
INSERT INTO moz_origins VALUES (1, 'bookmarked.example'), (2, 'visited.example'), (3, 'kw.example');
INSERT INTO moz_places VALUES
  (1, 'https://bookmarked.example/', 5, 100, 1, 50, 1, 1),
  (2, 'https://visited.example/', 3, 200, 1, 40, 0, 2),
  (3, 'https://kw.example/?q=%s', 2, 300, 0, 30, 0, 3),
  (4, 'https://visited.example/other', 1, 400, 0, 20, 0, NULL);
INSERT INTO moz_historyvisits VALUES (1, 1), (2, 2), (3, 2), (4, 3), (5, 4);
INSERT INTO moz_inputhistory VALUES (2, 'vis');
INSERT INTO moz_bookmarks VALUES (1, NULL, 'menu'), (2, 1, 'A bookmark');
INSERT INTO moz_keywords VALUES (1, 'kw', 3);
INSERT INTO moz_annos VALUES (1, 2), (2, 1);
INSERT INTO moz_meta VALUES ('origin_frecency_count', '3'), ('other', 'kept');
)";

const char* const kChromiumHistory = R"(
CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE urls (id INTEGER PRIMARY KEY, url TEXT, typed_count INTEGER);
CREATE TABLE visits (id INTEGER PRIMARY KEY, url INTEGER);
CREATE TABLE keyword_search_terms (keyword_id INTEGER, url_id INTEGER, term TEXT);
CREATE TABLE downloads (id INTEGER PRIMARY KEY, target_path TEXT);
CREATE TABLE segments (id INTEGER PRIMARY KEY, name TEXT);
INSERT INTO meta VALUES ('version', '60');
INSERT INTO urls VALUES (1, 'https://a.example/', 3), (2, 'https://b.example/', 0);
INSERT INTO visits VALUES (1, 1), (2, 2);
INSERT INTO keyword_search_terms VALUES (1, 1, 'query');
INSERT INTO downloads VALUES (1, '/tmp/x');
INSERT INTO segments VALUES (1, 'a');
)";

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
  Sql(FirefoxPlaces(tree), kPlaces);
  Sql(ChromiumHistory(tree), kChromiumHistory);
  for (int i = 0; i < 3; ++i) {
    WriteFile(
        tree / (".cache/mozilla/firefox/abc.default-release/cache2/entries/e" + std::to_string(i)),
        std::string(100, 'x'));
    WriteFile(tree / (".cache/chromium/Default/Cache/Cache_Data/f" + std::to_string(i)), "yy");
  }
  return {tree.Root(), tree / ".config", tree / ".cache"};
}

}  // namespace nubrix::test
