// Import and export on the List page, run whole on the headless platform: the
// preview and its answers, duplicates skipped, one transaction, bad files
// refused with the collection unchanged, and an export that imports back to
// the same films.
#include "core/film_exchange.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "collection/cover.h"
#include "collection/film_store.h"
#include "core/list_page_controller.h"
#include "program.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::testing {
namespace {

using collection::Film;
using collection::FilmStore;

const platform::KeyPress kImport{'I', platform::KeyModifier::Control};
const platform::KeyPress kExport{'E', platform::KeyModifier::Control};

struct ExchangeProgram : Program {
  std::string Folder() const { return dir / "Zelluo Files"; }
  std::string Path(const std::string& name) const { return dir / name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  void Store(std::vector<Film> films) const {
    auto opened = FilmStore::Open(Folder());
    for (Film& film : films) EXPECT_TRUE(opened.store->SaveFilm(film).Ok());
  }
  std::vector<Film> Films() const {
    auto opened = FilmStore::Open(Folder());
    return opened.store ? opened.store->AllFilms() : std::vector<Film>{};
  }
  std::string Titles() const {
    std::string titles;
    for (const Film& film : Films()) titles += film.title + ";";
    return titles;
  }
  // Strg+I on the List page, the chooser answering with the file.
  ExchangeProgram& Import(const std::string& name, std::deque<platform::MessageAnswer> answers) {
    p.chosenFiles = {Path(name)};
    p.answers = std::move(answers);
    Run({Click(ui::gadget::kIconList), kImport});
    return *this;
  }
};

Film MakeFilm(std::string title, std::optional<int32_t> year) {
  Film film;
  film.title = std::move(title);
  film.year = year;
  return film;
}

const std::string kList =
    "Titel;Jahr;Laufzeit;Regie;Medium\r\n"
    "Zebra;2001;1:30;Ida Mohn;DVD\r\n"
    "ZEBRA;2001;90;;DVD\r\n"
    "Äpfel im Schnee;2015;97 min;;\r\n"
    "\"Kuckuck; oder: \"\"Der Ruf\"\"\";;95;Paul Roth;Blu-ray\r\n";

TEST(FilmExchange, ThePreviewCountsAndOnlyJaStoresTheNewFilms) {
  ExchangeProgram declined;
  declined.Store({MakeFilm("Das Zebra", 2001), MakeFilm("Zebra", 1990)});
  declined.Write("liste.csv", kList);
  declined.Import("liste.csv", {platform::MessageAnswer::No});
  EXPECT_EQ(declined.Titles(), "Das Zebra;Zebra;");
  const std::string preview = declined.Messages();
  EXPECT_NE(preview.find("Datei: \"liste.csv\" (CSV)"), std::string::npos) << preview;
  EXPECT_NE(preview.find("Gefunden: 4 Filme"), std::string::npos) << preview;
  // Only the second "ZEBRA" 2001 repeats a film: "Das Zebra" keeps its article,
  // "Zebra" 1990 has another year.
  EXPECT_NE(preview.find("übersprungen: 1\n"), std::string::npos) << preview;
  EXPECT_NE(preview.find("Nicht übernommene Felder: Medium"), std::string::npos) << preview;
  EXPECT_NE(preview.find("Importieren?"), std::string::npos) << preview;

  ExchangeProgram accepted;
  accepted.Store({MakeFilm("Zebra", 1990)});
  accepted.Write("liste.csv", kList);
  accepted.Import("liste.csv", {platform::MessageAnswer::Yes});
  EXPECT_EQ(accepted.Titles(), "Äpfel im Schnee;Kuckuck; oder: \"Der Ruf\";Zebra;Zebra;");
  EXPECT_NE(accepted.Messages().find("3 Filme importiert."), std::string::npos);
  const std::vector<Film> films = accepted.Films();
  EXPECT_EQ(films[3].runtime, 90);
  EXPECT_EQ(films[3].director, "Ida Mohn");
  EXPECT_EQ(films[1].year, std::nullopt);
  EXPECT_EQ(accepted.At(ui::gadget::kFilmList).rowCount, 4);
  // The new films are found like any other: by title words and by people.
  auto opened = FilmStore::Open(accepted.Folder());
  EXPECT_EQ(opened.store->CountFilms("kuckuck ruf"), 1);
  EXPECT_EQ(opened.store->CountFilms("mohn"), 1);
  EXPECT_EQ(opened.store->CountFilms("apfel"), 1);
  EXPECT_EQ(accepted.At(ui::gadget::kExchangeStatus).text, "");
}

// A file larger than a slice is read a slice per pass of the event loop, then
// its films a slice per pass and compared with the collection, the progress
// under the list, before the preview; Escape cancels the import while it
// runs, quitting drops it, and then nothing is stored. The List page runs alone on the headless
// platform, with slices of 30 bytes and of no time at all, so that each pass does the least it can
// (and a file name that is not ASCII).
TEST(FilmExchange, ALargeFileIsReadInSlicesAndCanBeCancelled) {
  std::string csv = "Titel;Jahr\r\n";
  for (char c : {'A', 'B', 'C', 'D', 'E'}) csv += std::string("Film ") + c + ";2001\r\n";
  csv += "Film " + std::string(100 - csv.size() - 12, 'F') + ";2001\r\n";
  ASSERT_EQ(csv.size(), 100u);
  const auto reading = [](int percent, const char* done) {
    return "Import: " + std::to_string(percent) + " % der Datei " + done + " … (Escape bricht ab)";
  };
  for (const std::string way : {"read", "cancel", "quit"}) {
    SCOPED_TRACE(way);
    TempDir dir;
    WriteBytes(dir / "große Liste.csv", csv);
    platform::HeadlessPlatform p(dir.Path());
    p.OpenWindow({});
    p.CreateTextGadget(ui::gadget::kExchangeStatus, platform::Rect{0, 0, 100, 20}, "",
                       platform::TextAlign::Left);
    core::ListPageController page(p);
    page.Enter();
    p.chosenFiles = {dir / "große Liste.csv"};
    p.answers = {platform::MessageAnswer::Yes};
    core::StartImport(page, p, {30, std::chrono::milliseconds(0)});
    std::vector<std::string> progress;
    for (int pass = 0; page.RunningReading() != nullptr && pass < 10; ++pass) {
      progress.push_back(p.GadgetText(ui::gadget::kExchangeStatus));
      if (way == "quit" && pass == 1) {
        EXPECT_TRUE(core::MayQuitDuringImport(page, p));
      } else if (way == "cancel" && pass == 4) {
        core::AskToCancelImport(page, p);
      } else {
        core::StepImport(page, p);
      }
    }
    EXPECT_FALSE(page.ImportRunning());
    const std::string messages = p.messages.empty() ? "" : p.messages.back().text;
    auto opened = collection::FilmStore::Open(dir / "Zelluo Files");
    const std::vector<std::string> read = {reading(30, "gelesen"),     reading(60, "gelesen"),
                                           reading(90, "gelesen"),     reading(0, "ausgewertet"),
                                           reading(8, "ausgewertet"),  reading(16, "ausgewertet"),
                                           reading(80, "ausgewertet"), reading(80, "ausgewertet")};
    if (way == "read") {
      EXPECT_EQ(progress, read);
      EXPECT_EQ(messages, "6 Filme importiert.");
      EXPECT_EQ(opened.store->CountFilms(""), 6);
      continue;
    }
    EXPECT_EQ(progress,
              std::vector<std::string>(read.begin(), read.begin() + (way == "quit" ? 2 : 5)));
    EXPECT_EQ(messages, way == "quit" ? text::kImportQuitQuestion : text::kImportCancelQuestion);
    EXPECT_EQ(p.GadgetText(ui::gadget::kExchangeStatus), way == "quit" ? progress.back() : "");
    EXPECT_EQ(opened.store->CountFilms(""), 0);
  }
}

// The whole program: Escape on the List page while an import runs cancels it
// and the program runs on (the close request at the end quits without a
// question); the tray's "Beenden" asks to quit instead. The first Escape
// leaves the search field.
TEST(FilmExchange, EscapeCancelsARunningImportTheTraysQuitEndsIt) {
  std::string csv = "Titel;Jahr;Notizen\r\n";
  for (int i = 0; i < 100000; ++i) {
    csv += "Film " + std::to_string(i) + ";2001;" + std::string(80, 'n') + "\r\n";
  }
  const platform::KeyPress escape{27};
  for (const bool byKey : {true, false}) {
    SCOPED_TRACE(byKey ? "Escape" : "Beenden");
    ExchangeProgram run;
    run.Store({MakeFilm("Bleibt", 2000)});
    run.Write("gross.csv", csv);
    run.p.chosenFiles = {run.Path("gross.csv")};
    run.p.answers = {platform::MessageAnswer::Yes};
    run.Run({Click(ui::gadget::kIconList), kImport, escape,
             byKey ? platform::ScriptedEvent(escape)
                   : platform::ScriptedEvent(MenuEvent(ui::menu::kQuit))});
    EXPECT_EQ(run.Messages(),
              std::string(text::kProgramTitle) + ": " +
                  std::string(byKey ? text::kImportCancelQuestion : text::kImportQuitQuestion));
    EXPECT_EQ(run.Titles(), "Bleibt;");
  }
}

TEST(FilmExchange, BadFilesAreRefusedNamingFileAndLineAndChangeNothing) {
  const struct {
    std::string name, bytes, expected;
    uintmax_t size = 0;  // the file made this large (with a hole), when not 0
  } cases[] = {
      {"offen.csv", "Titel;Jahr\r\nA;2001\r\n\"B;2002\r\nC;2003\r\n", "Zeile 3"},
      {"jahr.csv", "Titel;Jahr\r\nA;2001\r\nB;zweitausend\r\n", "Zeile 3"},
      {"leer.csv", "", "leer"},
      {"fremd.xml", "<?xml version=\"1.0\"?>\n<rezepte/>", "<rezepte>"},
      {"entity.gcs",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE c [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
       "<collection type=\"GCfilms\"><item title=\"&x;\"/></collection>",
       "Entitäten"},
      // A title of 16 MB, read in several slices, refused by its line; a CSV file of
      // 300 MB refused by its first slice; a file of more than 2 GB by its size.
      {"titel.csv", "Titel;Jahr\r\nA;2001\r\n" + std::string(16u << 20, 'x') + ";2002\r\n",
       "Zeile 3: Das Feld \"Titel\" ist zu lang"},
      {"riesig.csv", "Titel;Jahr\r\n", "höchstens 200 MB", uintmax_t{300} << 20},
      {"riesig.gcs", "<collection type=\"GCfilms\">", "größer als 2 GB", uintmax_t{3} << 30},
  };
  for (const auto& c : cases) {
    ExchangeProgram run;
    run.Store({MakeFilm("Bleibt", 2000)});
    run.Write(c.name, c.bytes);
    if (c.size != 0) std::filesystem::resize_file(run.Path(c.name), c.size);
    run.p.idleWaitLimit = 100;  // passes enough for a file read in slices
    run.Import(c.name, {platform::MessageAnswer::Yes});
    EXPECT_EQ(run.Titles(), "Bleibt;") << c.name;
    EXPECT_NE(run.Messages().find("\"" + c.name + "\""), std::string::npos) << run.Messages();
    EXPECT_NE(run.Messages().find(c.expected), std::string::npos) << run.Messages();
  }
}

TEST(FilmExchange, AnExportedCsvAndBackupImportBackToTheSameFilms) {
  Film full = MakeFilm("Über \"alles\"; oder nichts", 1977);
  full.originalTitle = "Over Everything";
  full.runtime = 102;
  full.country = "Deutschland";
  full.director = "Ida Mohn";
  full.actors = "Anna Berg (Bäuerin)\nOtto Kern";
  full.genre = "Drama\nKomödie";
  full.plot = "Zwei Zeilen,\nmit Komma; und Semikolon.";
  platform::PixelImage picture;
  picture.width = collection::kCoverWidth;
  picture.height = collection::kCoverHeight;
  picture.depth = 32;
  picture.rgba.assign(size_t{4} * collection::kCoverWidth * collection::kCoverHeight, 0x80);
  const std::string jpeg = collection::EncodeJpeg(picture, collection::kCoverJpegQuality);
  for (const std::string name : {"aus.csv", "aus.zip"}) {
    ExchangeProgram source;
    full.cover = collection::TakeOverCoverBytes(source.Folder() + "/Cover", jpeg).fileName;
    ASSERT_FALSE(full.cover->empty());
    source.Store({full, MakeFilm("Zweiter", std::nullopt)});
    // Seen late in the evening of 7 December by UTC: the 8th by the user's clock.
    collection::StoreOptions lateEvening;
    lateEvening.now = [] { return std::string("2026-12-07T23:30:00Z"); };
    const int64_t seen = source.Films()[0].title == full.title ? source.Films()[0].id : 0;
    EXPECT_TRUE(FilmStore::Open(source.Folder(), lateEvening).store->MarkSeen(seen, true).Ok());
    source.p.chosenFiles = {source.Path(name)};
    source.Run({Click(ui::gadget::kIconList), kExport});
    EXPECT_NE(source.Messages().find("2 Filme nach \"" + name + "\" exportiert."),
              std::string::npos)
        << source.Messages();
    if (name == "aus.csv") {
      // Gesehen comes last, after every column an older export had.
      const std::string csv = ReadBytes(source.Path(name));
      EXPECT_NE(csv.find(";Bewertung;Cover;Video;Gesehen\r\n"), std::string::npos) << csv;
      EXPECT_NE(csv.find("\r\nZweiter;;;;;;;;;;;;;\r\n"), std::string::npos) << csv;
      EXPECT_NE(csv.find(".jpg;;08.12.2026\r\n"), std::string::npos) << csv;
    }

    ExchangeProgram target;
    target.Write(name, ReadBytes(source.Path(name)));
    target.Import(name, {platform::MessageAnswer::Yes});
    // Read back, the date is named as not taken over, never refused.
    EXPECT_EQ(target.Messages().find("Nicht übernommene Felder: Gesehen") != std::string::npos,
              name == "aus.csv")
        << target.Messages();
    std::vector<Film> before = source.Films(), after = target.Films();
    ASSERT_EQ(after.size(), 2u) << target.Messages();
    // A backup keeps the cover byte for byte; from a CSV it is taken over anew.
    ASSERT_TRUE(after[0].cover) << target.Messages();
    EXPECT_TRUE(collection::LoadCover(target.Folder() + "/Cover", *after[0].cover)) << name;
    if (name == "aus.zip") {
      EXPECT_EQ(after[0].cover, before[0].cover);
    }
    after[0].cover = before[0].cover;
    for (size_t i = 0; i < 2; ++i) {
      for (Film* film : {&before[i], &after[i]}) film->id = 0, film->added = film->changed = "";
      EXPECT_EQ(after[i], before[i]) << name << " " << before[i].title;
    }
  }
}

}  // namespace
}  // namespace zelluo::testing
