// The Play page with a collection behind it, run whole on the headless
// platform with its scripted player: the filters and the search, the random
// unseen film, marking seen and unseen, where a stopped film resumes, a file
// that is gone, and the system's player where there is no player inside.
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
using collection::PlayFilter;

constexpr platform::GadgetId kList = ui::gadget::kPlayList;
const platform::KeyPress kSpace{platform::kKeySpace};
const platform::KeyPress kRight{platform::kKeyRight};
const platform::KeyPress kUp{platform::kKeyUp};
const platform::KeyPress kEscapeKey{platform::kKeyEscape};
const platform::KeyPress kBackspaceKey{platform::kKeyBackspace};

// Four films with video files (one of them seen, one stopped at 30 of 100
// seconds) and one without.
struct PlayProgram : Program {
  PlayProgram() {
    std::filesystem::create_directories(dir / "Filme");
    auto store = Open();
    for (const char* title : {"Zebra", "Äpfel", "Das Mädchen", "Brücke", "Ohne Datei"}) {
      Film film;
      film.title = title;
      if (std::string_view(title) != "Ohne Datei") {
        film.video = dir / ("Filme/" + std::string(title) + ".mkv");
        WriteBytes(*film.video, "video");
      }
      ids[title] = store->SaveFilm(film).id;
    }
    // Seen late in the evening of 7 December by UTC: the 8th by the user's clock.
    collection::StoreOptions lateEvening;
    lateEvening.now = [] { return std::string("2026-12-07T23:30:00Z"); };
    EXPECT_TRUE(FilmStore::Open(dir / "Zelluo Files", lateEvening)
                    .store->MarkSeen(ids["Zebra"], true)
                    .Ok());
    store->EndViewing(store->StartViewing(ids["Brücke"]).id, 30, 100);
  }
  std::unique_ptr<FilmStore> Open() const { return FilmStore::Open(dir / "Zelluo Files").store; }
  std::string ListShows() const {
    std::string rows;
    for (const auto& row : At(kList).shownRows) rows += row[0] + "|" + row[3] + "|" + row[4] + ";";
    return rows;
  }
  collection::PlayRow Row(const std::string& title) const {
    for (const auto& row : Open()->ListPlayable(title, PlayFilter::All)) {
      if (row.title == title) return row;
    }
    ADD_FAILURE() << title;
    return {};
  }
  std::map<std::string, int64_t> ids;
};

TEST(PlayPage, ListsFilmsWithAVideoFileFilteredBySeenStartedAndSearch) {
  const struct {
    std::vector<platform::ScriptedEvent> script;
    std::string shows;
  } cases[] = {
      {{}, "Äpfel||;Brücke||0:00 von 0:01;Das Mädchen||;Zebra|08.12.2026|;"},
      {{Click(ui::gadget::kFilterUnseen)}, "Äpfel||;Brücke||0:00 von 0:01;Das Mädchen||;"},
      {{Click(ui::gadget::kFilterStarted)}, "Brücke||0:00 von 0:01;"},
      {{Click(ui::gadget::kFilterUnseen),
        platform::ScriptedEvent::Typed(ui::gadget::kPlaySearchField, "maedchen")},
       "Das Mädchen||;"},
      {{Click(ui::gadget::kFilterStarted), Click(ui::gadget::kFilterAll)},
       "Äpfel||;Brücke||0:00 von 0:01;Das Mädchen||;Zebra|08.12.2026|;"},
  };
  for (const auto& c : cases) {
    PlayProgram run;
    std::vector<platform::ScriptedEvent> script = {Click(ui::gadget::kIconPlay)};
    script.insert(script.end(), c.script.begin(), c.script.end());
    run.Run(script);
    const std::string shows = run.ListShows();
    EXPECT_EQ(shows, c.shows);
    EXPECT_TRUE(run.Shown(ui::gadget::kBackPlay));
  }
}

TEST(PlayPage, TheRandomFilmIsAnUnseenOneOfTheFilter) {
  for (int i = 0; i < 4; ++i) {
    PlayProgram run;
    run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kRandomFilm)});
    const std::string title = run.At(ui::gadget::kPlayTitle).text;
    EXPECT_TRUE(title == "Äpfel" || title == "Brücke" || title == "Das Mädchen") << title;

    PlayProgram started;
    started.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kFilterStarted),
                 Click(ui::gadget::kRandomFilm)});
    EXPECT_EQ(started.At(ui::gadget::kPlayTitle).text, "Brücke");
  }
  PlayProgram none;
  none.Run({Click(ui::gadget::kIconPlay),
            platform::ScriptedEvent::Typed(ui::gadget::kPlaySearchField, "zebra"),
            Click(ui::gadget::kRandomFilm)});
  EXPECT_EQ(none.At(ui::gadget::kPlayTitle).text, "Zebra");
  EXPECT_EQ(none.At(ui::gadget::kPlayStatus).text, text::kNoUnseenFilm);
}

TEST(PlayPage, MarksSeenAndUnseenKeepingTheLog) {
  PlayProgram run;
  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kMarkSeen)});  // Äpfel, the first
  EXPECT_FALSE(run.Row("Äpfel").lastSeen.empty());
  EXPECT_EQ(run.At(ui::gadget::kMarkSeen).text, text::kMarkUnseen);

  run.Run({Click(ui::gadget::kIconPlay), platform::ScriptedEvent::Selected(kList, 3),
           Click(ui::gadget::kMarkSeen)});
  EXPECT_TRUE(run.Row("Zebra").lastSeen.empty());
  EXPECT_EQ(run.Open()->ViewingsOf(run.ids["Zebra"]).size(), 1u);
}

// The scripted player: a film of 100 s stopped at a position, or played to the end.
TEST(PlayPage, PlaysInsideAndKeepsTheResumePointOnlyBetweenFiveAndNinetyPercent) {
  const struct {
    std::vector<platform::ScriptedEvent> playing;
    double resume;
    bool seen;
  } cases[] = {
      {{platform::ScriptedEvent::VideoAt(ui::gadget::kVideo, 50), kEscapeKey}, 50, false},
      {{platform::ScriptedEvent::VideoAt(ui::gadget::kVideo, 3), kBackspaceKey}, 0, false},
      {{platform::ScriptedEvent::VideoAt(ui::gadget::kVideo, 95), kEscapeKey}, 0, true},
      {{platform::ScriptedEvent::VideoAt(ui::gadget::kVideo, 90), kEscapeKey}, 0, true},
      {{platform::ScriptedEvent::VideoAt(ui::gadget::kVideo, 20), kRight, kUp, kSpace, kEscapeKey},
       0,
       true},
      {{platform::ScriptedEvent::VideoAt(ui::gadget::kVideo, 20), kRight, kEscapeKey}, 30, false},
      {{platform::ScriptedEvent::VideoAt(ui::gadget::kVideo, 100)}, 0, true},
  };
  for (const auto& c : cases) {
    PlayProgram run;
    run.p.videoAvailable = true;
    std::vector<platform::ScriptedEvent> script = {Click(ui::gadget::kIconPlay),
                                                   Click(ui::gadget::kPlayFilm)};
    script.insert(script.end(), c.playing.begin(), c.playing.end());
    run.Run(script);
    // The keys belonged to the film: the program still runs on the Play page.
    EXPECT_TRUE(run.Shown(ui::gadget::kPlayList));
    EXPECT_FALSE(run.p.gadgetsWhenIdle.contains(ui::gadget::kVideo));
    const collection::PlayRow row = run.Row("Äpfel");
    EXPECT_EQ(row.resume, c.resume) << run.Trace({"ControlVideo"});
    EXPECT_EQ(!row.lastSeen.empty(), c.seen);
  }
  // The film stopped at 30 s resumes there; "Von vorn" starts at 0.
  PlayProgram resume;
  resume.p.videoAvailable = true;
  resume.Run({Click(ui::gadget::kIconPlay), platform::ScriptedEvent::Selected(kList, 1),
              Click(ui::gadget::kPlayFilm), kEscapeKey, Click(ui::gadget::kPlayFromStart),
              kEscapeKey});
  EXPECT_EQ(resume.Count("PlayVideo 220"), 2u);
  EXPECT_NE(resume.Trace({"PlayVideo"}).find("Brücke.mkv\" 30 | "), std::string::npos);
  EXPECT_NE(resume.Trace({"PlayVideo"}).find("Brücke.mkv\" 0"), std::string::npos);
}

TEST(PlayPage, WithoutAPlayerInsideHandsTheFileToTheSystemAndSaysWhenItIsGone) {
  PlayProgram run;
  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kPlayFilm)});
  ASSERT_EQ(run.p.openedWithDefaultProgram.size(), 1u);
  EXPECT_NE(run.p.openedWithDefaultProgram[0].find("Äpfel.mkv"), std::string::npos);
  // Logged as begun, not seen; the page offers to mark it.
  EXPECT_EQ(run.Row("Äpfel").viewings, 1);
  EXPECT_TRUE(run.Row("Äpfel").lastSeen.empty());
  EXPECT_NE(run.At(ui::gadget::kPlayStatus).text.find("Als gesehen markieren"), std::string::npos);
  // A film stopped inside keeps its point when the system's player had it
  // since; marked unseen, it starts anew.
  ASSERT_TRUE(run.Open()->StartViewing(run.ids["Brücke"]).Ok());
  EXPECT_EQ(run.Row("Brücke").resume, 30);
  ASSERT_TRUE(run.Open()->MarkSeen(run.ids["Brücke"], false).Ok());
  EXPECT_EQ(run.Row("Brücke").resume, 0);

  PlayProgram gone;
  std::filesystem::remove(testing::SystemPath(gone.dir / "Filme/Äpfel.mkv"));
  gone.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kPlayFilm)});
  EXPECT_NE(gone.Messages().find("Filme/Äpfel.mkv\" ist nicht zu finden"), std::string::npos)
      << gone.Messages();
  EXPECT_TRUE(gone.p.openedWithDefaultProgram.empty());
  EXPECT_EQ(gone.Row("Äpfel").viewings, 0);
}

}  // namespace
}  // namespace zelluo::testing
