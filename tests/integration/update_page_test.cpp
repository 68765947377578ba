// The Update page on the headless platform: a folder chosen, the scan and its
// review list, nothing stored before Übernehmen; new, matched, moved and
// missing files; a folder that cannot be reached; Abbrechen.
#include <gtest/gtest.h>

#include <filesystem>

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
  UpdateProgram() {
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
  std::string Findings() const {
    std::string rows;
    for (const auto& row : At(gadget::kFindingList).shownRows) {
      rows += row[0] + row[1] + " " + row[2] + " " + row[3] + ";";
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
  // Lotte's file, taken over as missing, is listed again, unchecked.
  EXPECT_EQ(run.Findings(),
            "☑Verschoben Das Floss 1981;☐Fehlt Lotte wandert 1998;nicht erreichbar Fern ;");
  run.Run(
      {Click(gadget::kIconUpdate), Click(gadget::kScanNow), kPass, Click(gadget::kApplyFindings)});
  store = run.Open();
  EXPECT_EQ(store->CountFilms(""), 4);
  EXPECT_EQ(store->LoadFilm(boot[0].id)->video, run.Folder() + "/Neu/Floss.mkv");
  EXPECT_EQ(store->ViewingsOf(boot[0].id).size(), 1u);
}

TEST(UpdatePage, AbbrechenStopsTheScanAndQuittingAsksFirst) {
  UpdateProgram run;
  run.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), Click(gadget::kCancelScan)});
  EXPECT_EQ(run.At(gadget::kScanProgress).text, text::kScanCancelled);
  EXPECT_EQ(run.At(gadget::kFindingList).rowCount, 0);

  UpdateProgram quitting;
  quitting.p.answers = {platform::MessageAnswer::Yes};
  quitting.Run({Click(gadget::kIconUpdate), Click(gadget::kScanNow), Click(gadget::kClose)});
  EXPECT_EQ(quitting.Messages(), "Zelluo: " + std::string(text::kScanQuitQuestion));
}

}  // namespace
}  // namespace zelluo::testing
