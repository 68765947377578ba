// The Update page on the headless platform: a folder chosen, the scan and its
// review list, nothing stored before Übernehmen; new, matched, moved, missing
// and changed files; the .nfo and poster beside a film; a folder that cannot
// be reached; Abbrechen; the scan that "Automatische Updates" starts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "collection/cover.h"
#include "collection/film_store.h"
#include "program.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::testing {
namespace {

using collection::Film;
using collection::FilmStore;
namespace gadget = ui::gadget;

// A pass of the loop without an event: the scan walks in it.
const platform::Event kPass{};

struct UpdateProgram : Program {
  explicit UpdateProgram(std::optional<std::string> settings = CorpusFile("created.xml"))
      : Program(std::move(settings)) {
    std::filesystem::create_directories(dir / "Filme/Sample");
    WriteBytes(dir / "Filme/Das.Floss.1981.German.DL.1080p.BluRay.x264.mkv",
               std::string(5000, 'b'));
    WriteBytes(dir / "Filme/Der Himmel über Kassel (1987).avi", std::string(4000, 'h'));
    WriteBytes(dir / "Filme/Sample/boot-sample.mkv", "s");
    auto store = Open();
    Film himmel;
    himmel.title = "Der Himmel ueber Kassel";
    himmel.year = 1987;
    Film lola;
    lola.title = "Lotte wandert";
    lola.year = 1998;
    lola.video = Folder() + "/alt/Lotte wandert.mkv";  // gone
    Film fern;
    fern.title = "Fern";
    fern.video = std::string(dir / "Offline/Fern.mkv");  // in a folder that is not there
    ids["himmel"] = store->SaveFilm(himmel).id;
    ids["lola"] = store->SaveFilm(lola).id;
    ids["fern"] = store->SaveFilm(fern).id;
    EXPECT_TRUE(store->AddFilmFolder(std::string(dir / "Offline")).Ok());
  }
  std::string Folder() const { return dir / "Filme"; }
  std::unique_ptr<FilmStore> Open() const { return FilmStore::Open(dir / "Zelluo Files").store; }
  std::string Findings(bool withFile = false) const {
    std::string rows;
    for (const auto& row : At(gadget::kFindingList).shownRows) {
      rows += row[0] + row[1] + " " + row[2] + " " + row[3] + (withFile ? " " + row[4] : "") + ";";
    }
    return rows;
  }
  std::map<std::string, int64_t> ids;
};

TEST(UpdatePage, ReviewsTheFoldersAndStoresOnlyTheCheckedRowsOnUebernehmen) {
  UpdateProgram run;
  run.p.chosenFolders = {run.Folder()};
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kAddFolder), Click(gadget::kScanNow), kPass});
  EXPECT_EQ(run.Messages(), "");
  EXPECT_EQ(run.Trace({"ChooseFolder"}), "ChooseFolder \"Filmordner wählen\"");
  EXPECT_EQ(run.At(gadget::kFolderList).rowCount, 2);
  // Neu and Zugeordnet checked, Fehlt not, the offline folder's film not
  // missing but unreachable; the sample is left out.
  EXPECT_EQ(run.Findings(),
            "☑Neu Das Floss 1981;☑Zugeordnet Der Himmel ueber Kassel 1987;"
            "☐Fehlt Lotte wandert 1998;nicht erreichbar Fern ;");
  EXPECT_NE(run.At(gadget::kScanProgress).text.find("2 Dateien in 1 Ordnern gelesen: 4 Funde"),
            std::string::npos)
      << run.At(gadget::kScanProgress).text;
  EXPECT_EQ(run.Open()->CountFilms(""), 3);  // nothing stored before Übernehmen

  // Lotte's missing file checked too; Übernehmen stores the checked rows.
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow),
           platform::ScriptedEvent::Selected(gadget::kFindingList, 2),
           Click(gadget::kToggleFinding), Click(gadget::kApplyFindings)});
  EXPECT_EQ(run.Findings(), "nicht erreichbar Fern ;");
  auto store = run.Open();
  ASSERT_EQ(store->CountFilms(""), 4);
  const std::vector<collection::FilmRow> boot = store->ListFilms("floss", 0, 5);
  ASSERT_EQ(boot.size(), 1u);
  EXPECT_EQ(store->LoadFilm(boot[0].id)->video,
            run.Folder() + "/Das.Floss.1981.German.DL.1080p.BluRay.x264.mkv");
  EXPECT_EQ(store->LoadFilm(run.ids["himmel"])->video,
            run.Folder() + "/Der Himmel über Kassel (1987).avi");
  EXPECT_EQ(store->LoadFilm(run.ids["lola"])->video, run.Folder() + "/alt/Lotte wandert.mkv");
  EXPECT_EQ(store->LoadFilm(run.ids["fern"])->video, std::string(run.dir / "Offline/Fern.mkv"));

  // Renamed and moved into another folder: the same film with its viewings.
  store->EndViewing(store->StartViewing(boot[0].id).id, 50, 100);
  std::filesystem::create_directories(run.dir / "Filme/Neu");
  std::filesystem::rename(run.dir / "Filme/Das.Floss.1981.German.DL.1080p.BluRay.x264.mkv",
                          run.dir / "Filme/Neu/Floss.mkv");
  store.reset();
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass});
  // Lotte's file, taken over as missing, is not listed again while it stays gone.
  EXPECT_EQ(run.Findings(), "☑Verschoben Das Floss 1981;nicht erreichbar Fern ;");
  run.Run(
      {Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass, Click(gadget::kApplyFindings)});
  store = run.Open();
  EXPECT_EQ(store->CountFilms(""), 4);
  EXPECT_EQ(store->LoadFilm(boot[0].id)->video, run.Folder() + "/Neu/Floss.mkv");
  EXPECT_EQ(store->ViewingsOf(boot[0].id).size(), 1u);
  store.reset();

  // Back in its place, Lotte's file loses the mark with the next Übernehmen;
  // gone again, it is missing again.
  std::filesystem::create_directories(run.dir / "Filme/alt");
  WriteBytes(run.dir / "Filme/alt/Lotte wandert.mkv", "l");
  run.Run(
      {Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass, Click(gadget::kApplyFindings)});
  EXPECT_EQ(run.Findings(), "nicht erreichbar Fern ;");
  std::filesystem::remove(run.dir / "Filme/alt/Lotte wandert.mkv");
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass});
  EXPECT_EQ(run.Findings(), "☐Fehlt Lotte wandert 1998;nicht erreichbar Fern ;");
  // A path the user gives the film on the List page is not the one marked.
  store = run.Open();
  Film lotte = *store->LoadFilm(run.ids["lola"]);
  lotte.video = run.Folder() + "/alt/Lotte wandert (1998).mkv";
  ASSERT_TRUE(store->SaveFilm(lotte).Ok());
  store.reset();
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass,
           platform::ScriptedEvent::Selected(gadget::kFindingList, 0),
           Click(gadget::kToggleFinding), Click(gadget::kApplyFindings), Click(gadget::kScanNow),
           kPass});
  EXPECT_EQ(run.Findings(), "nicht erreichbar Fern ;");
  lotte.video = run.Folder() + "/alt/Lotte.mkv";
  ASSERT_TRUE(run.Open()->SaveFilm(lotte).Ok());
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass});
  EXPECT_EQ(run.Findings(), "☐Fehlt Lotte wandert 1998;nicht erreichbar Fern ;");
}

std::string Nfo(std::string_view title, std::string_view plot) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<movie>\n  <title>" + std::string(title) +
         "</title>\n  <year>1979</year>\n  <runtime>97</runtime>\n  <plot>" + std::string(plot) +
         "</plot>\n</movie>\n";
}

std::string Poster(int32_t width, uint8_t shade) {
  platform::PixelImage picture{width, 300, 32, false, {}};
  picture.rgba.assign(static_cast<size_t>(width) * 300 * 4, shade);
  return collection::EncodeJpeg(picture, 90);
}

TEST(UpdatePage, TakesTheNfoAndPosterBesideANewFilmAndOffersTheirChangesButNotOverEdits) {
  Program run;
  const std::string folder = run.dir / "Nebel";
  std::filesystem::create_directories(folder);
  WriteBytes(folder + "/Faehre.im.Nebel.mkv", std::string(3000, 'n'));
  WriteBytes(folder + "/Faehre.im.Nebel.nfo", Nfo("Die Fähre im Nebel", "Ein Fährmann wartet."));
  WriteBytes(folder + "/poster.jpg", Poster(200, 90));
  const auto open = [&] { return FilmStore::Open(run.dir / "Zelluo Files").store; };
  ASSERT_TRUE(open()->AddFilmFolder(folder).Ok());
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass});
  const auto findings = [&] {
    std::string rows;
    for (const auto& row : run.At(gadget::kFindingList).shownRows) {
      rows += row[0] + row[1] + " " + row[2] + " " + row[3] + " " + row[4] + ";";
    }
    return rows;
  };
  EXPECT_EQ(findings(), "☑Neu Die Fähre im Nebel 1979 " + folder + "/Faehre.im.Nebel.mkv;");
  run.Run(
      {Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass, Click(gadget::kApplyFindings)});
  EXPECT_EQ(run.Messages(), "");
  auto store = open();
  const std::vector<collection::FilmRow> rows = store->ListFilms("", 0, 5);
  ASSERT_EQ(rows.size(), 1u);
  Film film = *store->LoadFilm(rows[0].id);
  EXPECT_EQ(film.title, "Die Fähre im Nebel");
  EXPECT_EQ(film.year, 1979);
  EXPECT_EQ(film.runtime, 97);
  EXPECT_EQ(film.plot, "Ein Fährmann wartet.");
  ASSERT_TRUE(film.cover);
  EXPECT_TRUE(std::filesystem::exists(run.dir / ("Zelluo Files/Cover/" + *film.cover)));
  const std::string firstCover = *film.cover;

  // The user renames the film; the .nfo gets another title and plot, the
  // poster another picture. Only the plot and the cover are offered.
  film.title = "Die Fähre (eigene Fassung)";
  ASSERT_TRUE(store->SaveFilm(film).Ok());
  store.reset();
  WriteBytes(folder + "/Faehre.im.Nebel.nfo", Nfo("Fähre im Nebel", "Der Fährmann wartet lange."));
  WriteBytes(folder + "/poster.jpg", Poster(240, 200));
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass});
  EXPECT_EQ(findings(),
            "☑Geändert Die Fähre (eigene Fassung) 1979 Faehre.im.Nebel.nfo: Handlung, Cover;");
  // Unchecked, nothing is taken, and the row comes again.
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass,
           Click(gadget::kToggleFinding), Click(gadget::kApplyFindings)});
  EXPECT_EQ(open()->LoadFilm(film.id)->plot, "Ein Fährmann wartet.");
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass,
           Click(gadget::kApplyFindings), Click(gadget::kScanNow), kPass});
  EXPECT_EQ(findings(), "");
  store = open();
  const Film changed = *store->LoadFilm(film.id);
  EXPECT_EQ(changed.title, "Die Fähre (eigene Fassung)");
  EXPECT_EQ(changed.plot, "Der Fährmann wartet lange.");
  ASSERT_TRUE(changed.cover);
  EXPECT_NE(*changed.cover, firstCover);
  EXPECT_EQ(store->CountFilms("lange"), 1);  // the search knows the new plot

  // A cover the user chose stays, whatever the poster does.
  Film own = changed;
  own.cover = firstCover;
  ASSERT_TRUE(store->SaveFilm(own).Ok());
  store.reset();
  WriteBytes(folder + "/poster.jpg", Poster(260, 30));
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass});
  EXPECT_EQ(findings(), "");
}

TEST(UpdatePage, AbbrechenStopsTheScanOrUebernehmenAndQuittingAsksFirst) {
  UpdateProgram run;
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), Click(gadget::kCancelScan)});
  EXPECT_EQ(run.At(gadget::kScanProgress).text, text::kScanCancelled);
  EXPECT_EQ(run.At(gadget::kFindingList).rowCount, 0);

  // Übernehmen of many rows reads their fingerprints in slices: Abbrechen
  // meanwhile stores nothing; again, to the end, stores them all.
  Program many;
  const std::string folder = many.dir / "Viele";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < 500; ++i) {
    const std::string file = folder + "/Zug " + std::to_string(i) + " (1990).mkv";
    WriteBytes(file, "");
    std::filesystem::resize_file(file, 200'000);
  }
  ASSERT_TRUE(FilmStore::Open(many.dir / "Zelluo Files").store->AddFilmFolder(folder).Ok());
  many.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass,
            Click(gadget::kApplyFindings), Click(gadget::kCancelScan)});
  EXPECT_EQ(many.At(gadget::kScanProgress).text, text::kScanCancelled);
  EXPECT_EQ(FilmStore::Open(many.dir / "Zelluo Files").store->CountFilms(""), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  many.p.keepWaiting = [&] {
    const auto* progress = many.p.desktop.gadgets.Find(gadget::kScanProgress);
    return std::chrono::steady_clock::now() < deadline &&
           (progress == nullptr || progress->text.find("übernommen") == std::string::npos);
  };
  many.Run(
      {Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass, Click(gadget::kApplyFindings)});
  EXPECT_EQ(many.At(gadget::kScanProgress).text, "500 Funde übernommen, davon 500 neue Filme.");
  EXPECT_EQ(FilmStore::Open(many.dir / "Zelluo Files").store->CountFilms(""), 500);

  UpdateProgram quitting;
  quitting.p.answers = {platform::MessageAnswer::Yes};
  quitting.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), Click(gadget::kClose)});
  EXPECT_EQ(quitting.Messages(), "Zelluo: " + std::string(text::kScanQuitQuestion));
}

#ifndef _WIN32
// What a disk may hold: a link that leads back up (walked once), a name that
// is not UTF-8 (titled with a replacement character, its path kept byte for
// byte to be played); a second scan asked for while one runs is refused.
TEST(UpdatePage, WalksALinkLoopOnceKeepsNamesThatAreNotUtf8AndRefusesASecondScan) {
  Program run;
  const std::string folder = run.dir / "Filme";
  std::filesystem::create_directories(folder + "/Reihe");
  std::filesystem::create_directory_symlink(folder, folder + "/Reihe/zurück");
  WriteBytes(folder + "/Reihe/Nachtzug (2003).mkv", "n");
  const std::string latin1 = folder + "/K\xf6nigsweg (1999).mkv";  // ö as Latin-1 writes it
  WriteBytes(latin1, "k");
  ASSERT_TRUE(FilmStore::Open(run.dir / "Zelluo Files").store->AddFilmFolder(folder).Ok());
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), Click(gadget::kScanNow), kPass,
           Click(gadget::kApplyFindings)});
  EXPECT_EQ(run.Messages(), "Zelluo: " + std::string(text::kScanRunning));
  auto store = FilmStore::Open(run.dir / "Zelluo Files").store;
  const std::vector<collection::FilmRow> films = store->ListFilms("", 0, 5);
  ASSERT_EQ(films.size(), 2u);
  EXPECT_EQ(films[0].title, "K\uFFFDnigsweg");
  EXPECT_EQ(store->LoadFilm(films[0].id)->video, latin1);
  EXPECT_EQ(films[1].title, "Nachtzug");
}
#endif

TEST(UpdatePage, AutomatischeUpdatesScanAfterTheStartAndStoreNothing) {
  const std::string settings = WithValue(CorpusFile("created.xml"), "Key_AutoUpdate", "1");
  UpdateProgram run(settings);
  ASSERT_TRUE(run.Open()->AddFilmFolder(run.Folder()).Ok());
  // The scan waits for the collection's check on its thread, then walks.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  run.p.keepWaiting = [&] {
    const auto* progress = run.p.desktop.gadgets.Find(gadget::kScanProgress);
    return std::chrono::steady_clock::now() < deadline &&
           (progress == nullptr || progress->text.find("gelesen") == std::string::npos);
  };
  run.Run();
  EXPECT_EQ(run.Messages(), "");
  EXPECT_FALSE(run.Shown(gadget::kFindingList));  // the Main page stays
  EXPECT_EQ(run.Findings(),
            "☑Neu Das Floss 1981;☑Zugeordnet Der Himmel ueber Kassel 1987;"
            "☐Fehlt Lotte wandert 1998;nicht erreichbar Fern ;");
  EXPECT_EQ(run.Open()->CountFilms(""), 3);
  EXPECT_EQ(run.Saved(), settings);

  // Switched off, nothing is walked.
  UpdateProgram off;
  ASSERT_TRUE(off.Open()->AddFilmFolder(off.Folder()).Ok());
  off.Run({kPass, kPass});
  EXPECT_EQ(off.At(gadget::kFindingList).rowCount, 0);
  EXPECT_EQ(off.At(gadget::kScanProgress).text, "");
}

}  // namespace
}  // namespace zelluo::testing
