// Lent films on the List page and in the collection, run whole on the headless
// platform: lending and returning with the line in the form, overdue on a given
// day, the history kept, the list narrowed to lent films, the loans carried by
// a backup, and the due dates as an iCalendar file checked line by line.
#include <gtest/gtest.h>

#include <filesystem>

#include "assets/colours.h"
#include "collection/backup.h"
#include "collection/film_store.h"
#include "collection/icalendar.h"
#include "program.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::testing {
namespace {

using collection::Film;
using collection::FilmStore;

const platform::KeyPress kLend{'L', platform::KeyModifier::Control};
const platform::KeyPress kReturn{'R', platform::KeyModifier::Control};
const platform::KeyPress kNarrow{'U', platform::KeyModifier::Control};
const platform::KeyPress kCalendar{'T', platform::KeyModifier::Control};

std::string ListShows(const Program& run) {
  std::string rows;
  for (const auto& row : run.At(ui::gadget::kFilmList).shownRows) rows += row[0] + ";";
  return rows;
}

// Three films; the program's today is 7 December 2026.
struct LoanProgram : Program {
  LoanProgram() {
    auto store = Open();
    for (const char* title : {"Brücke", "Das Mädchen", "Zebra"}) {
      Film film;
      film.title = title;
      film.year = 2001;
      ids[title] = store->SaveFilm(film).id;
    }
    p.date = {7, 12, 2026};
  }
  std::unique_ptr<FilmStore> Open() const { return FilmStore::Open(dir / "Zelluo Files").store; }
  std::map<std::string, int64_t> ids;
};

TEST(Loans, LendReturnOverdueAndHistoryOnTheListPage) {
  LoanProgram run;
  // The first film (Brücke) is shown; lent to Anna Groß until the offered day.
  run.Run({Click(ui::gadget::kIconList), kLend,
           platform::ScriptedEvent::Typed(ui::gadget::kBorrowerField, "Anna Groß"),
           Click(ui::gadget::kLendFilm)});
  EXPECT_EQ(run.Messages(), "");
  EXPECT_EQ(run.At(ui::gadget::kLoanLine).text,
            "Verliehen an Anna Groß seit 07.12.2026, zurück bis 21.12.2026");
  EXPECT_EQ(run.At(ui::gadget::kLoanLine).front, assets::kTextColour);
  EXPECT_FALSE(run.p.gadgetsWhenIdle.contains(ui::gadget::kBorrowerField));

  // A second program on 22 December: overdue, in the warning colour; the
  // list narrowed to lent films; then the film comes back.
  Program later;
  // File by file, each target removed first: MinGW's library refuses to copy
  // over an existing file or folder.
  const std::filesystem::path from = run.dir / "Zelluo Files";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(from)) {
    const std::filesystem::path to =
        later.dir / "Zelluo Files" / entry.path().lexically_relative(from);
    if (entry.is_directory()) {
      std::filesystem::create_directories(to);
    } else {
      std::filesystem::remove(to);
      std::filesystem::copy_file(entry.path(), to);
    }
  }
  later.p.date = {22, 12, 2026};
  later.Run({Click(ui::gadget::kIconList), kNarrow});
  EXPECT_EQ(later.At(ui::gadget::kLoanLine).front, assets::kWarningColour);
  EXPECT_EQ(ListShows(later), "Brücke;");
  EXPECT_EQ(later.At(ui::gadget::kExchangeStatus).text, text::kNarrowedToLent);

  later.Run({Click(ui::gadget::kIconList), kReturn, kNarrow});
  EXPECT_EQ(later.At(ui::gadget::kLoanLine).text, "");
  EXPECT_EQ(ListShows(later), "");  // overdue narrowing: nothing away any more

  auto store = FilmStore::Open(later.dir / "Zelluo Files").store;
  const std::vector<collection::Loan> history = store->LoansOf(run.ids["Brücke"]);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].borrower.name, "Anna Groß");
  EXPECT_EQ(history[0].lent, "2026-12-07");
  EXPECT_EQ(history[0].due, "2026-12-21");
  EXPECT_EQ(history[0].returned, "2026-12-22");
  // Lent again: the history keeps both, and a film cannot be away twice.
  EXPECT_TRUE(store->LendFilm(run.ids["Brücke"], "Bernd", "2026-12-23", "").Ok());
  EXPECT_FALSE(store->LendFilm(run.ids["Brücke"], "Carla", "2026-12-23", "").Ok());
  EXPECT_EQ(store->LoansOf(run.ids["Brücke"]).size(), 2u);
}

TEST(Loans, TheBorrowerCompletedFromTheKnownOnesWithTheirDetails) {
  LoanProgram run;
  ASSERT_TRUE(run.Open()
                  ->LendFilm(run.ids["Zebra"],
                             {"Anna Groß", "anna@example.org", "0171 555", "Nachbarin"},
                             "2026-12-01", "")
                  .Ok());
  // "an" completes to Anna Groß, the rest selected, with her details; the
  // completion deleted takes them away, the whole name typed brings them back.
  using platform::ScriptedEvent;
  run.Run({Click(ui::gadget::kIconList), kLend,
           ScriptedEvent::Typed(ui::gadget::kBorrowerField, "an"),
           ScriptedEvent::Typed(ui::gadget::kBorrowerField, "an"),
           ScriptedEvent::Typed(ui::gadget::kBorrowerField, "Anna Groß"),
           ScriptedEvent::Typed(ui::gadget::kEmailField, "anna@neu.example"),
           ScriptedEvent::Typed(ui::gadget::kLoanNoteField, "mit Bonus-DVD"),
           Click(ui::gadget::kLendFilm)});
  EXPECT_EQ(run.Messages(), "");
  EXPECT_EQ(run.Trace({"SetGadgetText 335", "SelectFieldText", "SetGadgetText 351"}),
            "SetGadgetText 335 \"Anna Groß\" | SelectFieldText 335 2 | "
            "SetGadgetText 351 \"anna@example.org\" | SetGadgetText 351 \"\" | "
            "SetGadgetText 351 \"anna@example.org\"");
  const std::vector<collection::Loan> loans = run.Open()->LoansOf(run.ids["Brücke"]);
  ASSERT_EQ(loans.size(), 1u);
  EXPECT_EQ(loans[0].borrower,
            (collection::Borrower{"Anna Groß", "anna@neu.example", "0171 555", "Nachbarin"}));
  EXPECT_EQ(loans[0].note, "mit Bonus-DVD");
}

TEST(Loans, OverdueFirstBadDatesAndTheBackupRoundTrip) {
  LoanProgram run;
  auto store = run.Open();
  const int64_t bridge = run.ids["Brücke"], girl = run.ids["Das Mädchen"], zebra = run.ids["Zebra"];
  EXPECT_TRUE(store
                  ->LendFilm(zebra, {"Anna Groß", "anna@example.org", "0171 555", "Nachbarin"},
                             "2026-12-01", "2026-12-05")
                  .Ok());
  EXPECT_TRUE(store->LendFilm(girl, "Bernd", "2026-12-02", "2026-12-20").Ok());
  EXPECT_TRUE(store->LendFilm(bridge, "Bernd", "2026-11-01", "2026-11-10").Ok());
  EXPECT_TRUE(store->ReturnFilm(bridge, "2026-11-09").Ok());
  EXPECT_FALSE(store->LendFilm(bridge, "Bernd", "2026-12-31", "2026-12-01").Ok());  // due before
  EXPECT_FALSE(store->LendFilm(bridge, "Bernd", "2026-02-30x", "").Ok());
  EXPECT_FALSE(store->ReturnFilm(bridge, "2026-12-07").Ok());  // not away

  std::string order;
  for (const auto& loan : store->LentFilms("2026-12-07")) {
    order += loan.title + (loan.OverdueOn("2026-12-07") ? "!" : "") + ";";
  }
  EXPECT_EQ(order, "Zebra!;Das Mädchen;");
  store->NarrowTo(collection::Narrowing::Overdue, "2026-12-07");
  EXPECT_EQ(store->CountFilms(""), 1);
  EXPECT_EQ(store->PositionOf("", zebra), 0);
  EXPECT_FALSE(store->PositionOf("", girl));

  // The backup brought (Strg+I) into a collection that has all its films but
  // none of its loans: every loan comes back, once.
  const std::vector<collection::Loan> loans = store->AllLoans();
  collection::BackupResult backup =
      collection::BackupArchive(store->AllFilms(), run.dir / "Cover", {}, loans);
  ASSERT_EQ(backup.error, "");
  collection::ImportResult read = collection::ReadBackup(backup.bytes, "s.zip");
  ASSERT_TRUE(read.Ok()) << read.error;
  EXPECT_TRUE(read.unmappedFields.empty());
  Program other;
  WriteBytes(other.dir / "sicherung.zip", backup.bytes);
  std::vector<Film> films;
  for (const auto& film : read.films) films.push_back(film.film);
  ASSERT_TRUE(FilmStore::Open(other.dir / "Zelluo Files").store->ImportFilms(films).Ok());
  for (const char* added : {"3 Ausleihen übernommen.", "0 Ausleihen übernommen."}) {
    other.p.chosenFiles = {other.dir / "sicherung.zip"};
    other.p.answers = {platform::MessageAnswer::Yes};
    other.Run(
        {Click(ui::gadget::kIconList), platform::KeyPress{'I', platform::KeyModifier::Control}});
    EXPECT_EQ(other.Messages(), std::string("Zelluo: Alle gefundenen Filme (3 Filme) sind schon in "
                                            "der Sammlung.\nDie Datei enthält 3 Ausleihen; die "
                                            "fehlenden übernehmen? | Zelluo: ") +
                                    added);
    other.p.messages.clear();
  }
  std::vector<collection::Loan> back =
      FilmStore::Open(other.dir / "Zelluo Files").store->AllLoans();
  ASSERT_EQ(back.size(), loans.size());
  for (size_t i = 0; i < back.size(); ++i) {
    back[i].id = loans[i].id;
    back[i].film = loans[i].film;
    EXPECT_EQ(back[i], loans[i]);
  }
}

// RFC 5545 by hand: CRLF everywhere, no line above 75 octets, continuation
// lines begun by a space and never splitting a UTF-8 character, TEXT escaped,
// all-day DTSTART and DTEND, UID and DTSTAMP in every event.
TEST(Loans, DueDatesAsAStrictICalendarFile) {
  LoanProgram run;
  {
    auto store = run.Open();
    Film film;
    film.title = "Komma, Semikolon; Rückstrich\\ und ein sehr langer Titel mit Umlauten äöü ÄÖÜ ß";
    const int64_t id = store->SaveFilm(film).id;
    ASSERT_TRUE(
        store->LendFilm(id, "Anna Groß", "2026-12-03", "2026-12-31", "Zeile 1\nZeile 2").Ok());
    ASSERT_TRUE(store->LendFilm(run.ids["Zebra"], "Bernd", "2026-12-03", "").Ok());  // no due day
  }
  run.p.chosenFiles = {run.dir / "termine"};
  run.Run({Click(ui::gadget::kIconList), kCalendar});
  const std::string ics = ReadBytes(run.dir / "termine.ics");
  EXPECT_EQ(run.Messages(),
            "Zelluo: " + text::FormatText(text::kDueDatesExported, "1", run.dir / "termine.ics"));
  // Unfolded, line by line.
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < ics.size()) {
    const size_t end = ics.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "a line without CRLF";
    const std::string line = ics.substr(at, end - at);
    EXPECT_LE(line.size(), 75u) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(static_cast<unsigned char>(line.empty() ? 'x' : line[0]) & 0xC0, 0x80u) << line;
    if (!line.empty() && line[0] == ' ') {
      ASSERT_FALSE(lines.empty());
      lines.back() += line.substr(1);
    } else {
      lines.push_back(line);
    }
    at = end + 2;
  }
  const std::vector<std::string> expected = {
      "BEGIN:VCALENDAR",
      "VERSION:2.0",
      "PRODID:-//Zelluo//Verleih//DE",
      "CALSCALE:GREGORIAN",
      "BEGIN:VEVENT",
      "UID:zelluo-ausleihe-1-20261203@zelluo",
      "DTSTAMP:",
      "DTSTART;VALUE=DATE:20261231",
      "DTEND;VALUE=DATE:20270101",
      "SUMMARY:Rückgabe: Komma\\, Semikolon\\; Rückstrich\\\\ und ein sehr langer Titel mit "
      "Umlauten äöü ÄÖÜ ß (Anna Groß)",
      "DESCRIPTION:Verliehen an Anna Groß am 03.12.2026.\\nZeile 1\\nZeile 2",
      "TRANSP:TRANSPARENT",
      "END:VEVENT",
      "END:VCALENDAR"};
  // The moment of writing, in UTC: "DTSTAMP:20261207T101500Z".
  ASSERT_EQ(lines.size(), expected.size());
  EXPECT_EQ(lines[6].size(), 24u);
  EXPECT_TRUE(lines[6].starts_with("DTSTAMP:") && lines[6].ends_with("Z")) << lines[6];
  lines[6] = "DTSTAMP:";
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace zelluo::testing
