#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "../test_support.h"
#include "collection/backup.h"
#include "collection/film_names.h"
#include "collection/film_store.h"
#include "film_generator.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// Films are written with designated initializers that name only what a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace zelluo::collection {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// A store on a fresh folder whose clock and calendar the test sets.
struct Collection {
  TempDir dir;
  platform::LocalDate today{7, 12, 2026};
  std::string folder = dir / "Zelluo Files";
  std::string file = folder + "/Filme.db";

  StoreOptions Options() {
    StoreOptions options;
    options.now = [] { return std::string("2026-12-07T10:00:00Z"); };
    options.today = [this] { return today; };
    return options;
  }
  std::unique_ptr<FilmStore> Open() {
    OpenResult opened = FilmStore::Open(folder, Options());
    EXPECT_EQ(opened.message, "");
    return std::move(opened.store);
  }
};

// Runs SQL on its own connection, as the sqlite3 shell would.
void RunSql(const std::string& file, const std::string& sql) {
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

int64_t Save(FilmStore& store, const std::string& title, std::string actors = {}) {
  Film film;
  film.title = title;
  film.actors = std::move(actors);
  ChangeResult saved = store.SaveFilm(film);
  EXPECT_TRUE(saved.Ok()) << saved.message;
  return saved.id;
}

std::vector<std::string> Titles(FilmStore& store, std::string_view query = {}, int64_t offset = 0,
                                int64_t limit = 1000) {
  std::vector<std::string> titles;
  for (const FilmRow& row : store.ListFilms(query, offset, limit)) titles.push_back(row.title);
  return titles;
}

TEST(FilmStore, CreatesNothingUntilTheFirstFilmAndThenKeepsEveryField) {
  Collection collection;
  auto store = collection.Open();
  EXPECT_EQ(store->CountFilms(""), 0);
  EXPECT_FALSE(std::filesystem::exists(collection.folder));

  Film film{.title = "Die Brücke 🌉 über die Straße",
            .originalTitle = "Ponte\n\"sul\" fiume",
            .year = 1958,
            .runtime = 103,
            .country = "Österreich",
            .director = "Renée Weiß",
            .actors = "Jürgen Groß (Kapitän)\nZoë Ärmel",
            .genre = "Drama\nKomödie",
            .plot = "Zwei Brüder — ein Fluss.\r\nTab\tund 'Anführung'.",
            .cover = "3f2a.jpg",
            .video = "Filme/Brücke.mkv",
            .notes = "geliehen",
            .rating = 4};
  ChangeResult saved = store->SaveFilm(film);
  ASSERT_TRUE(saved.Ok()) << saved.message;
  EXPECT_TRUE(std::filesystem::exists(collection.file));
  film.id = saved.id;
  film.added = film.changed = "2026-12-07T10:00:00Z";
  EXPECT_EQ(store->LoadFilm(saved.id), film);

  // Empty optional fields come back empty; an update keeps the date added.
  Film bare{.id = saved.id, .title = "Nur ein Titel", .added = "1999-01-01T00:00:00Z"};
  ASSERT_TRUE(store->SaveFilm(bare).Ok());
  bare.added = film.added;
  bare.changed = "2026-12-07T10:00:00Z";
  EXPECT_EQ(store->LoadFilm(saved.id), bare);

  EXPECT_FALSE(store->SaveFilm(Film{.title = " \n"}).Ok());
  EXPECT_FALSE(store->SaveFilm(Film{.id = 999, .title = "Weg"}).Ok());
  EXPECT_EQ(store->CountFilms(""), 1);
}

TEST(FilmStore, SearchFoldsUmlautsBothWaysAndMatchesWordPrefixes) {
  Collection collection;
  auto store = collection.Open();
  Save(*store, "Das Mädchen aus der Straße", "Jürgen Müller (Kommissar)");
  Save(*store, "Äpfel im Winter");
  Save(*store, "Apfelkuchen");
  Film other{.title = "Der Pate",
             .director = "Renée Weiß",
             .genre = "Drama\nKomödie",
             .plot = "Eine Familie in New York."};
  ASSERT_TRUE(store->SaveFilm(other).Ok());
  Save(*store, "Maedchen ohne Umlaut");

  const struct {
    std::string query;
    std::set<std::string> found;
  } cases[] = {
      {"madchen", {"Das Mädchen aus der Straße"}},
      {"maedchen", {"Das Mädchen aus der Straße", "Maedchen ohne Umlaut"}},
      {"MÄDCHEN", {"Das Mädchen aus der Straße", "Maedchen ohne Umlaut"}},
      {"strasse", {"Das Mädchen aus der Straße"}},
      {"Straße", {"Das Mädchen aus der Straße"}},
      {"mueller kommissar", {"Das Mädchen aus der Straße"}},
      {"müll", {"Das Mädchen aus der Straße"}},
      {"kommissar müller jürgen", {"Das Mädchen aus der Straße"}},
      {"renee weiss", {"Der Pate"}},
      {"kom", {"Der Pate", "Das Mädchen aus der Straße"}},
      {"york familie", {"Der Pate"}},
      {"apfel", {"Äpfel im Winter", "Apfelkuchen"}},
      {"aepfel", {"Äpfel im Winter"}},
      {"🍎 aepfel…", {"Äpfel im Winter"}},
      {"ate", {}},
      {"pate xyz", {}},
      {"\"*)( OR", {}},
      {"  ",
       {"Das Mädchen aus der Straße", "Äpfel im Winter", "Apfelkuchen", "Der Pate",
        "Maedchen ohne Umlaut"}},
  };
  for (const auto& test : cases) {
    std::vector<std::string> titles = Titles(*store, test.query);
    EXPECT_EQ(std::set<std::string>(titles.begin(), titles.end()), test.found) << test.query;
    EXPECT_EQ(store->CountFilms(test.query), static_cast<int64_t>(test.found.size())) << test.query;
    EXPECT_EQ(store->ReadProblem(), "") << test.query;
  }
}

TEST(FilmStore, OrdersTitlesAfterDin5007SkippingOneArticle) {
  const std::vector<std::string> ordered = {
      "A",        "The Abyss", "Äpfel im Winter", "Apfelkuchen", "Das Boot", "Die",   "Eine Frau",
      "Ein Mann", "Der Pate",  "Strasse",         "Straße",      "Theater",  "Zebra", "zorro"};
  Collection collection;
  auto store = collection.Open();
  std::vector<int64_t> ids(ordered.size());
  for (size_t i : {7, 13, 2, 0, 11, 4, 9, 1, 12, 5, 3, 10, 6, 8}) ids[i] = Save(*store, ordered[i]);

  EXPECT_EQ(Titles(*store), ordered);
  EXPECT_EQ(Titles(*store, "", 2, 3),
            (std::vector<std::string>{"Äpfel im Winter", "Apfelkuchen", "Das Boot"}));
  for (size_t i = 0; i < ordered.size(); ++i) EXPECT_EQ(store->PositionOf("", ids[i]), i);
  EXPECT_EQ(store->PositionOf("apfel", ids[3]), 1);
  EXPECT_EQ(store->PositionOf("apfel", ids[4]), std::nullopt);
}

TEST(FilmStore, MigratesATableMadeByHandAndIndexesRowsWrittenByOthers) {
  Collection collection;
  RunSql(collection.file,
         "CREATE TABLE film(id INTEGER PRIMARY KEY, title TEXT NOT NULL, original_title TEXT,"
         " year INTEGER, runtime INTEGER, country TEXT, director TEXT, actors TEXT, genre TEXT,"
         " plot TEXT, cover TEXT, video TEXT, added TEXT, changed TEXT);"
         "INSERT INTO film(title, year, actors) VALUES('Zwölf Geschworene', 1957, 'Hans Groß'),"
         " ('Der Überfall', 1971, NULL), ('Ärger im Paradies', 1932, NULL);");
  {
    auto store = collection.Open();
    ASSERT_TRUE(store);
    EXPECT_EQ(Titles(*store),
              (std::vector<std::string>{"Ärger im Paradies", "Der Überfall", "Zwölf Geschworene"}));
    EXPECT_EQ(Titles(*store, "zwoelf gross"), std::vector<std::string>{"Zwölf Geschworene"});
    EXPECT_EQ(store->LoadFilm(2)->year, 1971);
  }
  // The file was copied away before it was changed.
  EXPECT_TRUE(std::filesystem::exists(collection.folder + "/Sicherungen/Filme-2026-12-07.db"));

  // Rows written and changed by another program while Zelluo was closed.
  RunSql(collection.file,
         "INSERT INTO film(title) VALUES('Die Brücke am Fluss');"
         "UPDATE film SET title = 'Zauberwald' WHERE id = 2; DELETE FROM film WHERE id = 3;");
  auto store = collection.Open();
  EXPECT_EQ(Titles(*store),
            (std::vector<std::string>{"Die Brücke am Fluss", "Zauberwald", "Zwölf Geschworene"}));
  EXPECT_EQ(Titles(*store, "bruecke"), std::vector<std::string>{"Die Brücke am Fluss"});
  EXPECT_EQ(store->CountFilms("uberfall"), 0);
  EXPECT_EQ(store->CountFilms("arger"), 0);
  EXPECT_EQ(store->RefreshDerivedData(), 0);

  // Films only inserted by others are added alone; a change makes all again.
  RunSql(collection.file, "INSERT INTO film(title) VALUES('Öl'), ('Ähren')");
  EXPECT_EQ(store->RefreshDerivedData(), 2);
  EXPECT_EQ(Titles(*store, "", 0, 2), (std::vector<std::string>{"Ähren", "Die Brücke am Fluss"}));
  RunSql(collection.file, "INSERT INTO film(title) VALUES('Eis'); DELETE FROM film WHERE id = 1");
  Save(*store, "Blau");  // the change catches up first
  EXPECT_EQ(Titles(*store), (std::vector<std::string>{"Ähren", "Blau", "Die Brücke am Fluss", "Eis",
                                                      "Öl", "Zauberwald"}));
  EXPECT_EQ(Titles(*store, "eis"), std::vector<std::string>{"Eis"});
  EXPECT_EQ(Titles(*store, "blau"), std::vector<std::string>{"Blau"});
}

TEST(FilmStore, AddsTheViewingLogToAVersionOneFileAfterItsBackupAndDerivesSeenAndResume) {
  Collection collection;
  int64_t id = 0;
  {
    auto store = collection.Open();
    Film film;
    film.title = "Zwölf Wolken";
    film.video = "/filme/wolken.mkv";
    id = store->SaveFilm(film).id;
    Save(*store, "Ohne Video");
  }
  // The layout of version 1, as an older Zelluo left it.
  RunSql(collection.file,
         "DROP TABLE viewing; DROP TABLE loan; DROP TABLE borrower; DROP TABLE film_side_file;"
         " ALTER TABLE film_file DROP COLUMN path; PRAGMA user_version = 1");
  collection.today.day = 8;
  auto store = collection.Open();
  ASSERT_TRUE(store);
  EXPECT_TRUE(std::filesystem::exists(collection.folder + "/Sicherungen/Filme-2026-12-08.db"));
  // The loans' tables came too (version 4), and the files beside the films (5).
  EXPECT_TRUE(store->LendFilm(id, "Anna", "2026-12-08", "").Ok());
  EXPECT_EQ(store->KnownFilms().size(), 2u);
  EXPECT_EQ(store->ReadProblem(), "");
  EXPECT_TRUE(store->ReturnFilm(id, "2026-12-08").Ok());

  const auto row = [&](PlayFilter filter) {
    std::vector<PlayRow> rows = store->ListPlayable("wolken", filter);
    return rows.empty() ? std::optional<PlayRow>() : rows[0];
  };
  EXPECT_EQ(store->ListPlayable("", PlayFilter::All).size(), 1u);
  EXPECT_TRUE(store->ListPlayable("ohne", PlayFilter::All).empty());
  // Stopped at half: started, a resume point, not seen.
  int64_t viewing = store->StartViewing(id).id;
  ASSERT_TRUE(store->EndViewing(viewing, 50, 100).Ok());
  EXPECT_EQ(row(PlayFilter::Started)->resume, 50);
  EXPECT_TRUE(row(PlayFilter::Unseen));
  // Marked seen: in the log, no longer started; unseen again keeps the log.
  ASSERT_TRUE(store->MarkSeen(id, true).Ok());
  EXPECT_FALSE(row(PlayFilter::Unseen));
  EXPECT_FALSE(row(PlayFilter::Started));
  EXPECT_EQ(row(PlayFilter::All)->lastSeen, "2026-12-07T10:00:00Z");
  ASSERT_TRUE(store->MarkSeen(id, false).Ok());
  EXPECT_EQ(row(PlayFilter::Unseen)->viewings, 2);
  EXPECT_EQ(store->ViewingsOf(id).size(), 2u);
  // A backup carries the log; restored, it belongs to the film's new id.
  std::vector<Film> all = store->AllFilms();
  store->AttachViewings(all);
  const ImportResult read = ReadBackup(BackupArchive(all, collection.folder).bytes, "s.zip");
  ASSERT_TRUE(read.Ok()) << read.error;
  Collection restored;
  auto copy = restored.Open();
  std::vector<Film> films;
  for (const ImportedFilm& imported : read.films) films.push_back(imported.film);
  ASSERT_TRUE(copy->ImportFilms(films).Ok());
  const int64_t copied = copy->ListPlayable("wolken", PlayFilter::All).at(0).id;
  std::vector<Viewing> expected = store->ViewingsOf(id);
  std::vector<Viewing> got = copy->ViewingsOf(copied);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    expected[i].id = got[i].id;
    expected[i].film = copied;
    EXPECT_EQ(got[i], expected[i]) << i;
  }
  // Deleting the film takes its log along.
  ASSERT_TRUE(store->DeleteFilm(id).Ok());
  EXPECT_TRUE(store->ViewingsOf(id).empty());
  EXPECT_FALSE(store->StartViewing(id).Ok());
}

TEST(FilmStore, LeavesForeignDamagedAndNewerFilesByteIdentical) {
  const auto make_damaged = [](Collection& collection) {
    {
      auto store = collection.Open();
      for (int i = 0; i < 200; ++i)
        Save(*store, "Film " + std::to_string(i), std::string(300, 'x'));
    }
    std::string bytes = ReadBytes(collection.file);
    for (size_t at = 4096 * 3; at < 4096 * 4; ++at) bytes[at] = static_cast<char>(at * 7);
    WriteBytes(collection.file, bytes);
  };
  const struct {
    std::string name;
    std::function<void(Collection&)> make;
    std::string says;
  } cases[] = {
      {"text", [](Collection& c) { WriteBytes(c.file, std::string(300, 'T')); }, "keine"},
      {"damaged", make_damaged, "beschädigt"},
      {"newer",
       [](Collection& c) {
         RunSql(c.file, "CREATE TABLE film(id, title); PRAGMA user_version = " +
                            std::to_string(kSchemaVersion + 1));
       },
       "neueren Version"},
      {"no film table", [](Collection& c) { RunSql(c.file, "CREATE TABLE x(y)"); },
       "keine Filmtabelle"},
  };
  for (const auto& test : cases) {
    Collection collection;
    test.make(collection);
    const std::string before = ReadBytes(collection.file);
    OpenResult opened = FilmStore::Open(collection.folder, collection.Options());
    EXPECT_FALSE(opened.store) << test.name;
    EXPECT_NE(opened.message.find(test.says), std::string::npos) << test.name << opened.message;
    EXPECT_NE(opened.message.find(collection.file), std::string::npos) << test.name;
    EXPECT_TRUE(ReadBytes(collection.file) == before) << test.name;
    EXPECT_FALSE(std::filesystem::exists(collection.folder + "/Sicherungen")) << test.name;
  }
  Collection folder;
  std::filesystem::create_directories(folder.file);
  EXPECT_NE(FilmStore::Open(folder.folder).message.find("Ordner"), std::string::npos);
}

TEST(FilmStore, UndoBringsBackTheLastDeletedFilms) {
  Collection collection;
  auto store = collection.Open();
  const int64_t first = Save(*store, "Erster Film", "Anna Bär");
  const int64_t second = Save(*store, "Zweiter Film");
  const Film kept = *store->LoadFilm(first);
  ASSERT_TRUE(store->DeleteFilm(first).Ok());
  ASSERT_TRUE(store->DeleteFilm(second).Ok());
  EXPECT_FALSE(store->DeleteFilm(second).Ok());
  EXPECT_EQ(store->CountFilms(""), 0);
  EXPECT_EQ(store->CountFilms("baer"), 0);

  EXPECT_EQ(store->UndoDelete().id, second);
  EXPECT_EQ(store->UndoDelete().id, first);
  EXPECT_FALSE(store->UndoDelete().Ok());
  EXPECT_EQ(store->LoadFilm(first), kept);
  EXPECT_EQ(Titles(*store, "baer"), std::vector<std::string>{"Erster Film"});

  // A film stored meanwhile under the old id keeps it; the undone one gets a new id.
  ASSERT_TRUE(store->DeleteFilm(second).Ok());
  ASSERT_EQ(Save(*store, "Dritter Film"), second);
  const int64_t back = store->UndoDelete().id;
  EXPECT_GT(back, second);
  EXPECT_EQ(Titles(*store),
            (std::vector<std::string>{"Dritter Film", "Erster Film", "Zweiter Film"}));
}

TEST(FilmStore, BacksUpOnceADayBeforeTheFirstChangeAndKeepsTheLastSeven) {
  Collection collection;
  for (int day = 1; day <= 10; ++day) {
    collection.today.day = day;
    auto store = collection.Open();
    Save(*store, "Film vom " + std::to_string(day) + ".");
    Save(*store, "Noch einer");
  }
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(collection.folder + "/Sicherungen")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 7u);
  EXPECT_EQ(names.front(), "Filme-2026-12-04.db");
  EXPECT_EQ(names.back(), "Filme-2026-12-10.db");

  // The copy of day 10 holds the films of the nine days before.
  Collection copy;
  std::filesystem::create_directories(copy.folder);
  std::filesystem::copy_file(collection.folder + "/Sicherungen/" + names.back(), copy.file);
  EXPECT_EQ(copy.Open()->CountFilms(""), 18);
}

TEST(FilmStore, TwoStoresOnOneFolderWaitForEachOther) {
  Collection collection;
  auto first = collection.Open();
  Save(*first, "Erster");
  auto second = collection.Open();
  EXPECT_EQ(Titles(*second), std::vector<std::string>{"Erster"});
  // The number of all films follows the other store's changes and its own.
  EXPECT_EQ(first->CountFilms(""), 1);
  const int64_t gone = Save(*second, "Bald weg");
  EXPECT_EQ(first->CountFilms(""), 2);
  ASSERT_TRUE(second->DeleteFilm(gone).Ok());
  EXPECT_EQ(first->CountFilms(""), 1);
  Save(*first, "Dritter");
  EXPECT_EQ(first->CountFilms(""), 2);
  ASSERT_TRUE(first->DeleteFilm(first->ListFilms("dritter", 0, 1).at(0).id).Ok());
  EXPECT_EQ(first->CountFilms(""), 1);

  // A long write of another connection holds the lock; the save waits for it.
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(collection.file.c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  std::thread release([writer] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
  });
  Save(*second, "Zweiter");
  release.join();
  sqlite3_close(writer);
  EXPECT_EQ(Titles(*first), (std::vector<std::string>{"Erster", "Zweiter"}));
}

// The journal mode the file itself records, read on its own connection.
std::string JournalMode(const std::string& file) {
  sqlite3* db = nullptr;
  std::string mode;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr);
    if (sqlite3_step(statement) == SQLITE_ROW) {
      mode = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return mode;
}

TEST(FilmStore, OnANetworkFileSystemKeepsARollbackJournalInsteadOfTheLog) {
  struct Case {
    bool onNetwork;
    bool madeOnALocalDiskBefore;
    const char* journal;
  };
  for (const Case& c :
       {Case{true, false, "delete"}, Case{true, true, "delete"}, Case{false, false, "wal"}}) {
    SCOPED_TRACE(::testing::Message()
                 << "network " << c.onNetwork << ", local before " << c.madeOnALocalDiskBefore);
    Collection collection;
    StoreOptions options = collection.Options();
    options.onNetworkFileSystem = [](std::string_view) { return false; };
    if (c.madeOnALocalDiskBefore) {
      OpenResult local = FilmStore::Open(collection.folder, options);
      Save(*local.store, "Lokal");
      local.store.reset();
      ASSERT_EQ(JournalMode(collection.file), "wal");
    }
    options.onNetworkFileSystem = [&](std::string_view folder) {
      EXPECT_EQ(folder, collection.folder);
      return c.onNetwork;
    };
    OpenResult opened = FilmStore::Open(collection.folder, options);
    ASSERT_NE(opened.store, nullptr) << opened.message;
    Save(*opened.store, "Im Netz");
    EXPECT_EQ(JournalMode(collection.file), c.journal);
    EXPECT_EQ(std::filesystem::exists(collection.file + "-wal"), !c.onNetwork);
    EXPECT_EQ(opened.store->CountFilms(""), c.madeOnALocalDiskBefore ? 2 : 1);
  }
}

TEST(FilmStore, TheSampleLoadsSearchesAndSorts) {
  Collection collection;
  ASSERT_EQ(LoadSampleCollection(collection.folder,
                                 std::string(ZELLUO_SOURCE_DIR) + "/assets/sample/filme.sql"),
            "");
  auto store = collection.Open();
  EXPECT_EQ(store->CountFilms(""), 30);
  EXPECT_EQ(Titles(*store, "", 0, 3), (std::vector<std::string>{"Abgründe", "Äpfel im Schnee",
                                                                "Der Bäcker von Sankt Ilgen"}));
  const std::vector<std::string> girls = Titles(*store, "maedchen");
  EXPECT_EQ(girls, (std::vector<std::string>{"Der Fuchs und die Straßenbahn",
                                             "Das Mädchen vom Leuchtturm"}));
}

#ifndef _WIN32
TEST(FilmStore, AWriterKilledInATransactionLeavesTheLastCommittedState) {
  Collection collection;
  {
    auto store = collection.Open();
    for (int i = 0; i < 20; ++i) Save(*store, "Bestand " + std::to_string(i));
  }
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(collection.file.c_str(), &db);
    // A tiny cache makes the transaction spill its pages into the file.
    sqlite3_exec(db, "PRAGMA cache_size = 2; BEGIN;", nullptr, nullptr, nullptr);
    for (int i = 0; i < 2000; ++i) {
      sqlite3_exec(db, "INSERT INTO film(title, plot) VALUES('Halb', hex(randomblob(200)))",
                   nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "UPDATE film SET title = 'Kaputt'", nullptr, nullptr, nullptr);
    [[maybe_unused]] auto written = ::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char signal = 0;
  ASSERT_EQ(::read(ready[0], &signal, 1), 1);
  EXPECT_GT(std::filesystem::file_size(collection.file + "-wal"), 100000u);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);

  auto store = collection.Open();
  EXPECT_EQ(store->CountFilms(""), 20);
  EXPECT_EQ(store->CountFilms("halb"), 0);
  EXPECT_EQ(Titles(*store, "", 0, 1), std::vector<std::string>{"Bestand 0"});
}
#endif

}  // namespace
}  // namespace zelluo::collection

namespace zelluo::collection {
namespace {

// File and folder names as people write them, read into title, year and part.
TEST(FilmNames, ReadTitleYearAndPartFromNamesAsPeopleWriteThem) {
  const struct {
    std::string_view name;
    std::string_view title;
    int year;  // 0: none
    int part;
  } cases[] = {
      {"Glut (1995).mkv", "Glut", 1995, 0},
      {"Das.Floss.1981.German.DL.1080p.BluRay.x264.mkv", "Das Floss", 1981, 0},
      {"Der_Himmel_über_Kassel_1987_AC3D_MD.avi", "Der Himmel über Kassel", 1987, 0},
      {"1848 (2019) [2160p] [HDR].mkv", "1848", 2019, 0},
      {"2001 Ein Sommer am Meer 1968 REMASTERED.mp4", "2001 Ein Sommer am Meer", 1968, 0},
      {"Lotte wandert.German.DUBBED.LD.XviD.avi", "Lotte wandert", 0, 0},
      {"Kletter-Maus - Heimkehr (2017).m4v", "Kletter-Maus - Heimkehr", 2017, 0},
      {"Nebelstadt.1927.EXTENDED.PROPER.720p.WEB-DL.mkv", "Nebelstadt", 1927, 0},
      {"Das Floss CD2.avi", "Das Floss", 0, 2},
      {"Das.Floss.1981.part1.avi", "Das Floss", 1981, 1},
      {"Der Name der Tulpe - Disc 2.mkv", "Der Name der Tulpe", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(IsFilmFileName(c.name));
    const FilmPart part = PartOf(c.name);
    EXPECT_EQ(part.part, c.part);
    const FilmName name = ReadFilmName(part.stem);
    EXPECT_EQ(name.title, c.title);
    EXPECT_EQ(name.year.value_or(0), c.year);
  }
  // What is no film, or only accompanies one, and what the titles match as.
  for (std::string_view name : {"Heat.nfo", "poster.jpg", "Heat.mkv.part", "film"}) {
    EXPECT_FALSE(IsFilmFileName(name)) << name;
  }
  EXPECT_TRUE(IsSkippedFileName("heat-sample.mkv"));
  EXPECT_TRUE(IsSkippedFileName("Heat.Trailer.mp4"));
  EXPECT_FALSE(IsSkippedFileName("Heat.mkv"));
  EXPECT_TRUE(IsSkippedFolderName("Extras"));
  EXPECT_TRUE(IsDiscFolderName("VIDEO_TS"));
  EXPECT_TRUE(IsGenericFileName("movie"));
  EXPECT_EQ(TitleMatchKey("Die Maedchen"), TitleMatchKey("Mädchen"));
  EXPECT_EQ(TitleMatchKey("STRASSE der Sehnsucht"), TitleMatchKey("Die Straße der Sehnsucht"));
  EXPECT_NE(TitleMatchKey("Glut"), TitleMatchKey("Heart"));
}

}  // namespace
}  // namespace zelluo::collection
