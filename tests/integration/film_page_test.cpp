// The List page with a collection behind it, run whole on the headless
// platform: browsing, the German-aware search, adding and editing, the
// question before an edit is lost, deleting and bringing back, bad values, a
// damaged collection file, the draft that a logout keeps of unsaved edits, and
// the opening in stages (first films before the whole file is checked, a
// hand-made file prepared between events).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <thread>

#include "collection/film_store.h"
#include "core/navigation.h"
#include "program.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::testing {
namespace {

using collection::Film;
using collection::FilmStore;

constexpr platform::GadgetId kList = ui::gadget::kFilmList;
const platform::KeyPress kNew{'N', platform::KeyModifier::Control};
const platform::KeyPress kSave{'S', platform::KeyModifier::Control};
const platform::KeyPress kUndo{'Z', platform::KeyModifier::Control};
const platform::KeyPress kDown{platform::kKeyDown};
const platform::KeyPress kDelete{platform::kKeyDelete};
const platform::KeyPress kEscapeKey{27};
const platform::KeyPress kBackspaceKey{8};

struct FilmsProgram : Program {
  explicit FilmsProgram(std::vector<Film> films) {
    auto opened = FilmStore::Open(Folder());
    for (Film& film : films) EXPECT_TRUE(opened.store->SaveFilm(film).Ok());
  }
  std::string Folder() const { return dir / "Zelluo Files"; }
  // The collection as the program left it: every title in order.
  std::string Titles() const {
    auto opened = FilmStore::Open(Folder());
    std::string titles;
    for (const auto& row : opened.store->ListFilms("", 0, 100)) titles += row.title + ";";
    return titles;
  }
  std::string ListShows() const {
    std::string rows;
    for (const auto& row : At(kList).shownRows) rows += row[0] + " " + row[1] + " " + row[2] + ";";
    return rows;
  }
};

Film MakeFilm(std::string title, int32_t year, std::optional<int32_t> runtime,
              std::string country = {}, std::string actors = {}) {
  Film film;
  film.title = std::move(title);
  film.year = year;
  film.runtime = runtime;
  film.country = std::move(country);
  film.actors = std::move(actors);
  return film;
}

std::vector<Film> Three() {
  return {MakeFilm("Zebra", 2001, 90), MakeFilm("Das Mädchen vom See", 1987, 94, "Österreich"),
          MakeFilm("Äpfel", 2015, std::nullopt, "", "Anna Berg (Bäuerin)\nOtto Kern")};
}

TEST(FilmPage, ShowsTheCollectionInGermanOrderAndNarrowsItAsTheUserTypes) {
  FilmsProgram run(Three());
  run.Run({Click(ui::gadget::kIconList)});
  EXPECT_EQ(run.ListShows(), "Äpfel 2015 ;Das Mädchen vom See 1987 94 min;Zebra 2001 90 min;");
  EXPECT_EQ(run.At(kList).selection, 0);
  EXPECT_EQ(run.At(ui::gadget::kTitleField).text, "Äpfel");
  EXPECT_EQ(run.At(ui::gadget::kActorsField).text, "Anna Berg (Bäuerin)\nOtto Kern");
  EXPECT_EQ(run.Trace({"FocusGadget"}), "FocusGadget 323");

  // Typing narrows; Down from the search field shows the film found;
  // Backspace edits the field, Escape leaves it, and neither leaves the page.
  FilmsProgram search(Three());
  search.Run({Click(ui::gadget::kIconList),
              platform::ScriptedEvent::Typed(ui::gadget::kSearchField, "maedchenx"), kBackspaceKey,
              kDown, kEscapeKey});
  EXPECT_EQ(search.ListShows(), "Das Mädchen vom See 1987 94 min;");
  EXPECT_EQ(search.At(ui::gadget::kSearchField).text, "maedchen");
  EXPECT_EQ(search.At(ui::gadget::kCountryField).text, "Österreich");
  EXPECT_TRUE(search.Shown(kList));
  EXPECT_TRUE(search.p.timedOut);  // nothing in the script ended the program
}

TEST(FilmPage, AddsAndEditsFilmsAndRefusesInvalidValues) {
  FilmsProgram run(Three());
  run.Run({Click(ui::gadget::kIconList), kNew,
           platform::ScriptedEvent::Typed(ui::gadget::kTitleField, "Der Neue"),
           platform::ScriptedEvent::Typed(ui::gadget::kYearField, "19x9"), kSave,
           platform::ScriptedEvent::Typed(ui::gadget::kYearField, "1999"),
           platform::ScriptedEvent::Typed(ui::gadget::kRunningTimeField, "1:42"), kSave});
  EXPECT_EQ(run.Messages(), std::string("Zelluo: ") + std::string(text::kInvalidYear));
  EXPECT_EQ(run.Titles(), "Äpfel;Das Mädchen vom See;Der Neue;Zebra;");
  EXPECT_EQ(run.At(ui::gadget::kRunningTimeField).text, "102 min");
  EXPECT_EQ(run.At(kList).selection, 2);
}

// A text beyond its limit, stored by another program, is shown cut and kept
// as stored while the user edits the film's other fields; the form refuses to
// store a text beyond the limit.
TEST(FilmPage, ShowsAHugeStoredTitleCutAndKeepsIt) {
  std::string huge;
  for (int i = 0; i < 2'500'000; ++i) huge += "ä";  // 5 MB
  FilmsProgram run({MakeFilm(huge, 1999, 90)});
  run.Run({Click(ui::gadget::kIconList),
           platform::ScriptedEvent::Typed(ui::gadget::kCountryField, "Island"), kSave, kNew,
           platform::ScriptedEvent::Typed(ui::gadget::kTitleField, std::string(1001, 'x')), kSave});
  const std::string cut = huge.substr(0, 2000) + "…";
  EXPECT_EQ(run.At(kList).shownRows.at(0).at(0), cut);
  EXPECT_EQ(run.Messages(),
            "Zelluo: Das Feld \"Filmtitel\" ist zu lang (höchstens 1.000 "
            "Zeichen). Der Film wurde nicht gespeichert. | Zelluo: Änderungen speichern?");
  auto opened = FilmStore::Open(run.Folder());
  const std::optional<Film> stored = opened.store->LoadFilm(1);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->country, "Island");
  EXPECT_TRUE(stored->title == huge);
  EXPECT_EQ(opened.store->CountFilms(""), 1);
}

// Another program (here through its own SQLite connection, as the sqlite3
// shell) changes the collection while the List page is open: the page shows
// the change by itself, keeps the film it shows selected, and never replaces
// unsaved edits in the form.
struct OtherProgramPlatform : platform::HeadlessPlatform {
  using platform::HeadlessPlatform::HeadlessPlatform;
  std::string file;
  std::string change;  // SQL, run once the script has run out
  platform::Event WaitEvent(int32_t timeoutMs) override {
    if (events.empty() && !change.empty()) {
      sqlite3* db = nullptr;
      EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
      EXPECT_EQ(sqlite3_exec(db, change.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
      sqlite3_close(db);
      change.clear();
    }
    // The collection's check runs on a thread: idle passes give it real time.
    if (events.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return platform::HeadlessPlatform::WaitEvent(timeoutMs);
  }
};

TEST(FilmPage, ShowsWhatAnotherProgramChangedWithoutLosingEdits) {
  const struct {
    const char* name;
    std::optional<std::string> typedCountry;  // an unsaved edit, or none
    std::string title;
    std::string country;
  } cases[] = {
      {"untouched", std::nullopt, "Aal", ""},
      {"edited", "Kenia", "Zebra", "Kenia"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FilmsProgram films(Three());  // makes the collection file
    OtherProgramPlatform p(films.dir.Path());
    WriteBytes(films.File(), CorpusFile("created.xml"));
    p.file = films.Folder() + "/Filme.db";
    p.change =
        "UPDATE film SET title = 'Aal' WHERE title = 'Zebra';"
        "INSERT INTO film(title, year) VALUES('Mond', 1999);";
    p.idleWaitLimit = 100;  // passes enough for the page to look again
    std::vector<platform::ScriptedEvent> script = {Click(ui::gadget::kIconList),
                                                   platform::ScriptedEvent::Selected(kList, 2)};
    if (c.typedCountry)
      script.push_back(platform::ScriptedEvent::Typed(ui::gadget::kCountryField, *c.typedCountry));
    p.events.assign(script.begin(), script.end());
    EXPECT_EQ(core::RunApplication(p), 0);
    std::string rows;
    for (const auto& row : p.gadgetsWhenIdle.at(kList).shownRows) rows += row[0] + ";";
    EXPECT_EQ(rows, "Aal;Äpfel;Das Mädchen vom See;Mond;");
    EXPECT_EQ(p.gadgetsWhenIdle.at(kList).selection, 0);
    EXPECT_EQ(p.gadgetsWhenIdle.at(ui::gadget::kTitleField).text, c.title);
    EXPECT_EQ(p.gadgetsWhenIdle.at(ui::gadget::kCountryField).text, c.country);
  }
}

// Leaving a film with changes asks first: Ja saves, Nein discards; with Ja
// and a value that cannot be saved, the film stays and the program goes on.
TEST(FilmPage, AsksBeforeAnEditIsLost) {
  struct Case {
    const char* name;
    platform::MessageAnswer answer;
    std::string year;
    std::string titles;
    bool quit;
  };
  for (const Case& c :
       {Case{"Ja", platform::MessageAnswer::Yes, "2015", "Äpfelkuchen;Das Mädchen", true},
        Case{"Nein", platform::MessageAnswer::No, "2015", "Äpfel;Das Mädchen", true},
        Case{"invalid", platform::MessageAnswer::Yes, "1700", "Äpfel;Das Mädchen", false}}) {
    SCOPED_TRACE(c.name);
    FilmsProgram run(Three());
    run.p.answers = {c.answer, c.answer};
    run.Run({Click(ui::gadget::kIconList),
             platform::ScriptedEvent::Typed(ui::gadget::kTitleField, "Äpfelkuchen"),
             platform::ScriptedEvent::Typed(ui::gadget::kYearField, c.year),
             platform::ScriptedEvent::Selected(kList, 1), kEscape});
    EXPECT_TRUE(run.Titles().starts_with(c.titles));
    // Escape quits at once, or asks again and stays, until the close request
    // after the script meets no answer (Nein).
    EXPECT_EQ(run.Count("ShowMessage \"Zelluo\" \"Änderungen speichern?\""), c.quit ? 1u : 3u);
    EXPECT_EQ(run.p.timedOut, !c.quit);
  }
}

TEST(FilmPage, DeletesAfterTheQuestionAndBringsTheFilmBack) {
  FilmsProgram run(Three());
  run.p.answers = {platform::MessageAnswer::No, platform::MessageAnswer::Yes};
  run.Run({Click(ui::gadget::kIconList), kEscapeKey, kDelete, kDelete});
  EXPECT_EQ(run.Titles(), "Das Mädchen vom See;Zebra;");
  EXPECT_EQ(run.At(ui::gadget::kTitleField).text, "Das Mädchen vom See");

  FilmsProgram undo(Three());
  undo.p.answers = {platform::MessageAnswer::Yes};
  undo.Run({Click(ui::gadget::kIconList), kEscapeKey, kDelete, kUndo});
  EXPECT_EQ(undo.Titles(), "Äpfel;Das Mädchen vom See;Zebra;");
  EXPECT_EQ(undo.At(ui::gadget::kTitleField).text, "Äpfel");
}

const platform::ScriptedEvent kSessionEnd{platform::Event{platform::EventKind::SessionEnd}};

TEST(FilmPage, ALogoutKeepsUnsavedEditsAsADraftAndAsksNothing) {
  // With Fadeout on, as a fade-out would show in the trace.
  const std::string settings =
      testing::WithValue(testing::CorpusFile("created.xml"), "Key_Fadeout", "1");
  struct Case {
    const char* name;
    std::vector<platform::ScriptedEvent> script;
    std::optional<std::string> draft;
  };
  for (const Case& c : {
           Case{"edited",
                {testing::Click(ui::gadget::kIconList),
                 platform::ScriptedEvent::Typed(ui::gadget::kTitleField, "Ä\\pfel"),
                 platform::ScriptedEvent::Typed(ui::gadget::kPlotField, "Eins\r\nZwei"),
                 kSessionEnd},
                "Zelluo-Entwurf 1\nFilm 3\nZeit 2026-12-06 18:30\ntitle Ä\\\\pfel\n"
                "actors Anna Berg (Bäuerin)\\nOtto Kern\nyear 2015\nruntime \ncountry \n"
                "plot Eins\\r\\nZwei\n"},
           Case{"new film",
                {testing::Click(ui::gadget::kIconList), platform::ScriptedEvent(kNew),
                 platform::ScriptedEvent::Typed(ui::gadget::kTitleField, "Neu"), kSessionEnd},
                "Zelluo-Entwurf 1\nFilm 0\nZeit 2026-12-06 18:30\ntitle Neu\nactors \n"
                "year \nruntime \ncountry \nplot \n"},
           Case{"unchanged", {Click(ui::gadget::kIconList), testing::kSessionEnd}, std::nullopt},
           Case{"main page", {kSessionEnd}, std::nullopt},
       }) {
    SCOPED_TRACE(c.name);
    FilmsProgram run(Three());
    WriteBytes(run.File(), settings);
    run.Run(c.script);
    EXPECT_TRUE(run.p.messages.empty());
    EXPECT_FALSE(run.p.timedOut);
    EXPECT_EQ(run.Count("SetWindowOpacity"), 0u);
    EXPECT_EQ(run.Titles(), "Äpfel;Das Mädchen vom See;Zebra;");
    EXPECT_EQ(run.Saved(), settings);
    const std::string draftFile = run.Folder() + "/Entwurf.txt";
    EXPECT_EQ(std::filesystem::exists(draftFile), c.draft.has_value());
    if (c.draft) {
      EXPECT_EQ(ReadBytes(draftFile), *c.draft);
    }
  }
}

TEST(FilmPage, OffersTheDraftBackWhenTheListIsOpened) {
  const std::string edited =
      "Zelluo-Entwurf 1\nFilm 3\nZeit 2026-12-07 09:05\ntitle Äpfelkuchen\nplot A\\nB\n";
  struct Case {
    const char* name;
    std::string draft;
    platform::MessageAnswer answer;
    std::string title;  // in the form when the script ran out
    std::string plot;
    int32_t selection;
    bool asked;  // whether the draft was offered
  };
  for (const Case& c : {
           Case{"Ja", edited, platform::MessageAnswer::Yes, "Äpfelkuchen", "A\nB", 0, true},
           Case{"Nein", edited, platform::MessageAnswer::No, "Äpfel", "", 0, true},
           Case{"new film", "Zelluo-Entwurf 1\nFilm 0\nZeit 2026-12-07 09:05\ntitle Neu\n",
                platform::MessageAnswer::Yes, "Neu", "", -1, true},
           Case{"film gone since", "Zelluo-Entwurf 1\nFilm 99\nZeit 2026-12-07 09:05\ntitle X\n",
                platform::MessageAnswer::Yes, "X", "", -1, true},
           Case{"cut short", edited.substr(0, edited.size() - 1), platform::MessageAnswer::Yes,
                "Äpfel", "", 0, false},
           Case{"foreign", "<?xml version=\"1.0\"?>\n<Zelluo/>\n", platform::MessageAnswer::Yes,
                "Äpfel", "", 0, false},
           Case{"bad time", "Zelluo-Entwurf 1\nFilm 3\nZeit 2026-13-07 09:05\ntitle X\n",
                platform::MessageAnswer::Yes, "Äpfel", "", 0, false},
           Case{"bad escape", "Zelluo-Entwurf 1\nFilm 3\nZeit 2026-12-07 09:05\ntitle \\x\n",
                platform::MessageAnswer::Yes, "Äpfel", "", 0, false},
       }) {
    SCOPED_TRACE(c.name);
    FilmsProgram run(Three());
    const std::string draftFile = run.Folder() + "/Entwurf.txt";
    WriteBytes(draftFile, c.draft);
    run.p.answers = {c.answer};
    run.Run({Click(ui::gadget::kIconList)});
    const std::string question =
        "ShowMessage \"Zelluo\" \"Ungespeicherte Änderungen vom 07.12.2026, 09:05 "
        "wiederherstellen?\"";
    EXPECT_EQ(run.Count(question), c.asked ? 1u : 0u);
    EXPECT_EQ(run.At(ui::gadget::kTitleField).text, c.title);
    EXPECT_EQ(run.At(ui::gadget::kPlotField).text, c.plot);
    EXPECT_EQ(run.At(kList).selection, c.selection);
    // Restored edits are unsaved: the close after the script asks about them.
    const bool restored = c.answer == platform::MessageAnswer::Yes && c.asked;
    EXPECT_EQ(run.Count("ShowMessage \"Zelluo\" \"Änderungen speichern?\""), restored ? 1u : 0u);
    EXPECT_EQ(run.Titles(), "Äpfel;Das Mädchen vom See;Zebra;");
    EXPECT_FALSE(std::filesystem::exists(draftFile));
  }
}

TEST(FilmPage, LeavesADamagedCollectionAloneAndSaysWhichFile) {
  testing::Program run;
  const std::string damaged = "SQLite format 3" + std::string(4000, '\x07');
  testing::WriteBytes(run.dir / "Zelluo Files/Filme.db", damaged);
  run.Run({testing::Click(ui::gadget::kIconList),
           platform::ScriptedEvent::Typed(ui::gadget::kTitleField, "Neu"),
           platform::ScriptedEvent(kSave)});
  EXPECT_EQ(testing::ReadBytes(run.dir / "Zelluo Files/Filme.db"), damaged);
  // Named on opening and again when saving; then the unsaved title is asked about.
  ASSERT_EQ(run.p.messages.size(), 3u);
  for (int i : {0, 1})
    EXPECT_NE(run.p.messages[i].text.find("Zelluo Files/Filme.db"), std::string::npos);
  EXPECT_TRUE(run.Shown(ui::gadget::kFilmList));
}

// The program with its pages built and the List page coming into view; the
// test takes the loop's part, a step at a time. Quitting is the end of it.
struct SteppedPage {
  explicit SteppedPage(const std::string& dir) : p(dir), app(p) {
    p.OpenWindow(platform::WindowRequest{});
    ui::BuildPages(core::PagesOf(app));
    app.shownPage = ui::Page::List;
  }
  int32_t Rows() const {
    const auto counts = p.TraceOf("SetListRowCount " + std::to_string(Number(kList)) + " ");
    return counts.empty() ? -1 : std::stoi(counts.back().substr(counts.back().rfind(' ') + 1));
  }
  std::string Progress() { return p.GadgetText(ui::gadget::kExchangeStatus); }
  void Save(const std::string& title) {
    app.listPage.HandleMenu(ui::menu::kNewFilm);
    p.SetGadgetText(ui::gadget::kTitleField, title);
    app.listPage.HandleMenu(ui::menu::kSaveFilm);
  }
  platform::HeadlessPlatform p;
  core::Application app;
};

// A table film as the sqlite3 shell makes it, with films numbered 1 to count.
void WriteHandMadeCollection(const std::string& file, int count) {
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  const std::string sql =
      "CREATE TABLE film(id INTEGER PRIMARY KEY, title TEXT NOT NULL, year INTEGER, actors TEXT);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(count) +
      ") INSERT INTO film(title, year, actors) SELECT 'Über die Straße Nr. ' || i, 1950 + i % 70,"
      " 'Anna Berg (Bäuerin)' || char(10) || 'Otto Kern' FROM n";
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

// A file of the current layout shows its first films before the whole file is
// checked. A damaged one is told only then, stays readable and is never
// written; a change is refused with the same message.
TEST(FilmPage, ShowsTheFirstFilmsBeforeTheCheckAndNeverWritesADamagedFile) {
  FilmsProgram films(Three());
  const std::string file = films.Folder() + "/Filme.db";
  {
    // A page of the search index, which the first rows do not need.
    auto opened = FilmStore::Open(films.Folder());
    for (int i = 0; i < 300; ++i) {
      EXPECT_TRUE(opened.store
                      ->SaveFilm(MakeFilm("Nebel " + std::to_string(i), 1990, 90, "",
                                          std::string(200, 'k') + std::to_string(i)))
                      .Ok());
    }
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode = DELETE", nullptr,
               nullptr, nullptr);
  sqlite3_stmt* leaf = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT pageno FROM dbstat WHERE name = 'film_search_data' AND"
                         " pagetype = 'leaf' ORDER BY pageno DESC LIMIT 1",
                         -1, &leaf, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    GTEST_SKIP() << "this SQLite has no dbstat table to find the page to damage";
  }
  ASSERT_EQ(sqlite3_step(leaf), SQLITE_ROW);
  const int64_t damagedPage = sqlite3_column_int64(leaf, 0);
  sqlite3_finalize(leaf);
  sqlite3_close(db);
  std::string bytes = ReadBytes(file);
  for (size_t at = 0; at < 4096; ++at)
    bytes[(damagedPage - 1) * 4096 + at] = static_cast<char>(at * 7);
  WriteBytes(file, bytes);

  SteppedPage page(films.dir.Path());
  page.app.listPage.Enter();
  EXPECT_EQ(page.Rows(), 303);
  EXPECT_EQ(page.p.GadgetText(ui::gadget::kTitleField), "Äpfel");
  // The check runs on a thread of its own; the loop looks at it on every pass.
  // It may be over while the page is entered already: the damage is told once
  // either way, whenever it is found.
  for (int pass = 0; pass < 5000 && page.p.messages.empty(); ++pass) {
    page.app.listPage.StepOpening();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(page.p.messages.size(), 1u);
  EXPECT_NE(page.p.messages[0].text.find("beschädigt"), std::string::npos);
  EXPECT_NE(page.p.messages[0].text.find("Zelluo Files/Filme.db"), std::string::npos);
  // Still readable as far as it can be read.
  page.app.listPage.HandleMenu(ui::menu::kNextFilm);
  EXPECT_EQ(page.p.GadgetText(ui::gadget::kTitleField), "Das Mädchen vom See");
  page.Save("Neu");
  ASSERT_EQ(page.p.messages.size(), 2u);
  EXPECT_EQ(page.p.messages[1].text, page.p.messages[0].text);
  EXPECT_TRUE(ReadBytes(file) == bytes);
}

// A hand-made file shows the page with the progress at once; a save before the
// preparation is over waits for it and succeeds.
TEST(FilmPage, ASaveDuringTheFirstOpeningOfAHandMadeFileWaitsAndSucceeds) {
  Program run;
  const std::string file = run.dir / "Zelluo Files/Filme.db";
  WriteHandMadeCollection(file, 3);
  const std::string before = ReadBytes(file);
  SteppedPage page(run.dir.Path());
  page.app.listPage.Enter();
  EXPECT_EQ(page.Progress(), "Sammlung wird vorbereitet: 0 von 3 Filmen …");
  EXPECT_EQ(page.Rows(), 0);
  EXPECT_TRUE(ReadBytes(file) == before);
  page.Save("Äpfel");
  EXPECT_TRUE(page.p.messages.empty());
  EXPECT_EQ(page.Rows(), 4);
  EXPECT_EQ(page.p.GadgetText(ui::gadget::kTitleField), "Äpfel");
  page.app.listPage.StepOpening();
  EXPECT_EQ(page.Progress(), "");
  EXPECT_TRUE(std::filesystem::exists(run.dir / "Zelluo Files/Sicherungen"));
  EXPECT_EQ(FilmStore::Open(run.dir / "Zelluo Files").store->CountFilms("strasse"), 3);
}

// Quitting while a hand-made file is prepared leaves it byte for byte as it
// was; the next start prepares it again.
TEST(FilmPage, QuittingDuringTheMigrationLeavesTheFileAsItWas) {
  Program run;
  const std::string file = run.dir / "Zelluo Files/Filme.db";
  WriteHandMadeCollection(file, 20000);
  const std::string before = ReadBytes(file);
  {
    SteppedPage page(run.dir.Path());
    page.app.listPage.Enter();
    // Some films prepared, not all.
    const auto partly = [&page] {
      const std::string line = page.Progress();
      const std::string_view head = "Sammlung wird vorbereitet: ";
      return line.starts_with(head) && line.ends_with(" von 20.000 Filmen …") &&
             line.compare(head.size(), 2, "0 ") != 0 && line.compare(head.size(), 6, "20.000") != 0;
    };
    // The loop's passes; the check runs on its thread meanwhile.
    for (int pass = 0; pass < 10000 && !partly(); ++pass) {
      page.app.listPage.StepOpening();
      if (!page.app.listPage.PreparingCollection()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    EXPECT_TRUE(partly()) << page.Progress();
  }
  EXPECT_TRUE(ReadBytes(file) == before);
  EXPECT_FALSE(std::filesystem::exists(file + "-journal"));
  EXPECT_EQ(FilmStore::Open(run.dir / "Zelluo Files").store->CountFilms("bauerin"), 20000);
}

}  // namespace
}  // namespace zelluo::testing
