// Import and export on the List page, run whole on the headless platform: the
// preview and its answers, duplicates skipped, one transaction, bad files
// refused with the collection unchanged, and an export that imports back to
// the same films.
#include "core/film_exchange.h"

#include <gtest/gtest.h>

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

// A file larger than a slice is read a slice per pass of the event loop, the
// progress under the list, before the preview; quitting (Escape) while it is
// read drops the import. The List page runs alone on the headless platform,
// with slices of 30 bytes (and a file name that is not ASCII).
TEST(FilmExchange, ALargeFileIsReadInSlicesAndCanBeDropped) {
  std::string csv = "Titel;Jahr\r\n";
  for (char c : {'A', 'B', 'C', 'D', 'E'}) csv += std::string("Film ") + c + ";2001\r\n";
  csv += "Film " + std::string(100 - csv.size() - 12, 'F') + ";2001\r\n";
  ASSERT_EQ(csv.size(), 100u);
  for (const bool quit : {false, true}) {
    SCOPED_TRACE(quit ? "quit" : "read");
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
    core::StartImport(page, p, 30);
    std::vector<std::string> progress;
    for (int pass = 0; page.RunningReading() != nullptr && pass < 10; ++pass) {
      progress.push_back(p.GadgetText(ui::gadget::kExchangeStatus));
      if (quit && pass == 1) {
        EXPECT_TRUE(core::MayQuitDuringImport(page, p));
        EXPECT_FALSE(page.ImportRunning());
      } else {
        core::StepImport(page, p);
      }
    }
    const std::string messages = p.messages.empty() ? "" : p.messages.back().text;
    auto opened = collection::FilmStore::Open(dir / "Zelluo Files");
    if (quit) {
      EXPECT_EQ(progress, (std::vector<std::string>{"Import: 30 % der Datei gelesen …",
                                                    "Import: 60 % der Datei gelesen …"}));
      EXPECT_EQ(messages, text::kImportQuitQuestion);
      EXPECT_EQ(opened.store->CountFilms(""), 0);
    } else {
      EXPECT_EQ(progress, (std::vector<std::string>{"Import: 30 % der Datei gelesen …",
                                                    "Import: 60 % der Datei gelesen …",
                                                    "Import: 90 % der Datei gelesen …"}));
      EXPECT_EQ(messages, "6 Filme importiert.");
      EXPECT_EQ(opened.store->CountFilms(""), 6);
    }
  }
}

TEST(FilmExchange, BadFilesAreRefusedNamingFileAndLineAndChangeNothing) {
  const struct {
    std::string name, bytes, expected;
  } cases[] = {
      {"offen.csv", "Titel;Jahr\r\nA;2001\r\n\"B;2002\r\nC;2003\r\n", "Zeile 3"},
      {"jahr.csv", "Titel;Jahr\r\nA;2001\r\nB;zweitausend\r\n", "Zeile 3"},
      {"leer.csv", "", "leer"},
      {"fremd.xml", "<?xml version=\"1.0\"?>\n<rezepte/>", "<rezepte>"},
      {"entity.gcs",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE c [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
       "<collection type=\"GCfilms\"><item title=\"&x;\"/></collection>",
       "Entitäten"},
  };
  for (const auto& c : cases) {
    ExchangeProgram run;
    run.Store({MakeFilm("Bleibt", 2000)});
    run.Write(c.name, c.bytes);
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
    source.p.chosenFiles = {source.Path(name)};
    source.Run({Click(ui::gadget::kIconList), kExport});
    EXPECT_NE(source.Messages().find("2 Filme nach \"" + name + "\" exportiert."),
              std::string::npos)
        << source.Messages();

    ExchangeProgram target;
    target.Write(name, ReadBytes(source.Path(name)));
    target.Import(name, {platform::MessageAnswer::Yes});
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
