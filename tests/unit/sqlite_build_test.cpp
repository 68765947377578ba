// The SQLite the program is linked with (Debian's on Linux, the one built by
// scripts/build-windows for Windows) has what the film collection relies on:
// a write-ahead log in an ordinary folder and FTS5 full-text search.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "../test_support.h"

namespace zelluo {
namespace {

// Runs sql and gives the first column of the last row, or the error text.
std::string Query(sqlite3* db, const std::string& sql) {
  std::string last;
  char* error = nullptr;
  const int code = sqlite3_exec(
      db, sql.c_str(),
      [](void* out, int columns, char** values, char**) {
        if (columns > 0) *static_cast<std::string*>(out) = values[0] ? values[0] : "NULL";
        return 0;
      },
      &last, &error);
  if (code != SQLITE_OK) {
    last = std::string("error: ") + (error ? error : sqlite3_errstr(code));
    sqlite3_free(error);
  }
  return last;
}

TEST(SqliteBuildTest, KeepsAWriteAheadLogAndFindsRowsThroughFts5) {
  EXPECT_NE(sqlite3_threadsafe(), 0);
  testing::TempDir dir;
  const std::string path = dir / "Filme.db";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
            SQLITE_OK);
  EXPECT_EQ(Query(db, "PRAGMA journal_mode=WAL"), "wal");
  EXPECT_EQ(Query(db,
                  "CREATE VIRTUAL TABLE suche USING fts5(titel, tokenize = "
                  "'unicode61 remove_diacritics 2');"
                  "INSERT INTO suche(rowid, titel) VALUES (1, 'Das Boot'), "
                  "(2, 'Das Mädchen mit den Schwefelhölzern'), (3, 'Metropolis');"
                  "SELECT count(*) FROM suche"),
            "3");
  // While the connection is open the log lives beside the database.
  EXPECT_TRUE(std::filesystem::exists(path + "-wal"));
  EXPECT_EQ(Query(db, "SELECT rowid FROM suche WHERE suche MATCH 'madchen'"), "2");
  EXPECT_EQ(Query(db, "SELECT rowid FROM suche WHERE suche MATCH 'metro*'"), "3");
  EXPECT_EQ(Query(db, "SELECT count(*) FROM suche WHERE suche MATCH 'titanic'"), "0");
  EXPECT_EQ(sqlite3_close(db), SQLITE_OK);

  // Another connection reads what the first one wrote.
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  EXPECT_EQ(Query(db, "PRAGMA journal_mode"), "wal");
  EXPECT_EQ(Query(db, "SELECT titel FROM suche WHERE suche MATCH 'boot'"), "Das Boot");
  EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

}  // namespace
}  // namespace zelluo
