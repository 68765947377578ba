// The statistics page run whole on the headless platform: the figures and
// bars of a small collection counted by hand, and a click on a bar narrowing
// the List page to the films behind it.
#include <gtest/gtest.h>

#include "collection/film_store.h"
#include "program.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::testing {
namespace {

using collection::Film;
using collection::StatBar;

std::string ListShows(const Program& run) {
  std::string rows;
  for (const auto& row : run.At(ui::gadget::kFilmList).shownRows) rows += row[0] + ";";
  return rows;
}

// A click on the chart's row (24 pixels each for the 16-pixel body font).
platform::ScriptedEvent ClickRow(int32_t chart, int32_t row) {
  return platform::ScriptedEvent::ClickedAt(ui::gadget::ChartOf(chart), {10, 24 * row + 5});
}

// Five films added over two years; two seen, two lent (one overdue on
// 7 December 2026). Genres with blank lines, spaces and a CR; a country with
// spaces; a film with no year, running time, country, director or genre.
struct StatisticsProgram : Program {
  StatisticsProgram() {
    std::string added;
    collection::StoreOptions options;
    options.now = [&added] { return added; };
    auto store = collection::FilmStore::Open(dir / "Zelluo Files", options).store;
    struct Row {
      const char* title;
      std::optional<int32_t> year;
      std::optional<int32_t> runtime;
      const char* country;
      const char* director;
      const char* genre;
      const char* added;
    };
    const Row rows[] = {
        {"Abendrot", 1987, 94, "Deutschland", "Helga Brandt", "Drama\nFamilienfilm",
         "2025-03-10T09:00:00Z"},
        {"Bergfest", 1995, 120, "Österreich", "Helga Brandt", "Komödie", "2025-03-20T09:00:00Z"},
        {"Chorprobe", 1999, 100, "Deutschland", "", "Drama", "2025-11-02T09:00:00Z"},
        {"Dünenlicht", std::nullopt, std::nullopt, "", "Jonas Falk", "", "2026-01-15T09:00:00Z"},
        {"Eisblumen", 2003, 3000, " Deutschland ", "Jonas Falk", " Drama \r\nKrimi\n\n",
         "2026-12-01T09:00:00Z"},
    };
    for (const Row& row : rows) {
      Film film;
      film.title = row.title;
      film.year = row.year;
      film.runtime = row.runtime;
      film.country = row.country;
      film.director = row.director;
      film.genre = row.genre;
      added = row.added;
      ids[row.title] = store->SaveFilm(film).id;
    }
    EXPECT_TRUE(store->MarkSeen(ids["Abendrot"], true).Ok());
    EXPECT_TRUE(store->MarkSeen(ids["Chorprobe"], true).Ok());
    EXPECT_TRUE(store->LendFilm(ids["Bergfest"], "Anna", "2026-11-20", "2026-12-01").Ok());
    EXPECT_TRUE(store->LendFilm(ids["Chorprobe"], "Bernd", "2026-12-06", "2026-12-20").Ok());
    p.date = {7, 12, 2026};
  }
  std::map<std::string, int64_t> ids;
};

TEST(Statistics, FiguresAndBarsOfASmallCollectionCountedByHand) {
  StatisticsProgram run;
  const std::string without(text::kWithoutValue);
  collection::Statistics expected;
  expected.films = 5;
  expected.minutes = 94 + 120 + 100 + 3000;
  expected.seen = 2;
  expected.lent = 2;
  expected.overdue = 1;
  expected.genres = {{"Drama", "Drama", 3},
                     {"Familienfilm", "Familienfilm", 1},
                     {"Komödie", "Komödie", 1},
                     {"Krimi", "Krimi", 1},
                     {without, "", 1}};
  expected.directors = {
      {"Helga Brandt", "Helga Brandt", 2}, {"Jonas Falk", "Jonas Falk", 2}, {without, "", 1}};
  expected.countries = {
      {"Deutschland", "Deutschland", 3}, {"Österreich", "Österreich", 1}, {without, "", 1}};
  expected.decades = {
      {"1980er", "1980", 1}, {"1990er", "1990", 2}, {"2000er", "2000", 1}, {without, "", 1}};
  // Added over more than twelve months: the films at the end of each year.
  expected.growth = {{"2025", "2026", 3}, {"2026", "2027", 5}};
  auto store = collection::FilmStore::Open(run.dir / "Zelluo Files").store;
  EXPECT_EQ(store->ComputeStatistics("2026-12-07", 8), expected);
  // The top values only; the bucket stays.
  const collection::Statistics top = store->ComputeStatistics("2026-12-07", 1);
  EXPECT_EQ(top.genres, (std::vector<StatBar>{{"Drama", "Drama", 3}, {without, "", 1}}));
  EXPECT_EQ(top.growth, (std::vector<StatBar>{{"2026", "2027", 5}}));
  store.reset();

  // The page: tiles and charts drawn with the same figures.
  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kStatistics)});
  EXPECT_EQ(run.Messages(), "");
  const std::string tiles[] = {"5", "2 Tage 7 Std.", "40 % (2 von 5)", "2", "1"};
  for (int32_t tile = 0; tile < ui::gadget::kTiles; ++tile) {
    EXPECT_EQ(run.At(ui::gadget::TileFigure(tile)).text, tiles[tile]);
    EXPECT_TRUE(run.Shown(ui::gadget::TileCaption(tile)));
  }
  EXPECT_FALSE(run.Shown(ui::gadget::kPlayList));
  // Built empty with the page, then drawn with the bars.
  EXPECT_EQ(run.Trace({"CreateChartGadget 723 "}),
            "CreateChartGadget 723 40,216,560,220 rows | CreateChartGadget 723 40,216,560,220 rows"
            " \"Drama\"=3 \"Familienfilm\"=1 \"Komödie\"=1 \"Krimi\"=1 \"ohne Angabe\"=1");
  EXPECT_EQ(run.Trace({"CreateChartGadget 763 "}),
            "CreateChartGadget 763 40,742,1170,220 columns | CreateChartGadget 763 40,742,1170,220"
            " columns \"2025\"=3 \"2026\"=5");
}

TEST(Statistics, ABarNarrowsTheListAndTheBackButtonReturnsToThePlayPage) {
  StatisticsProgram run;
  const platform::KeyPress narrow{'U', platform::KeyModifier::Control};
  // Drama, the first row of the genres; then the decade bucket "ohne Angabe"
  // (row 4); a click below the last row hits nothing.
  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kStatistics), ClickRow(0, 0)});
  EXPECT_TRUE(run.Shown(ui::gadget::kFilmList));
  EXPECT_FALSE(run.p.gadgetsWhenIdle.contains(ui::gadget::ChartOf(0)));
  EXPECT_EQ(ListShows(run), "Abendrot;Chorprobe;Eisblumen;");
  EXPECT_EQ(run.At(ui::gadget::kExchangeStatus).text, "Nur Filme mit Genre „Drama“ (Strg+U: alle)");

  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kStatistics), ClickRow(3, 8),
           ClickRow(3, 3)});
  EXPECT_EQ(ListShows(run), "Dünenlicht;");
  EXPECT_EQ(run.At(ui::gadget::kExchangeStatus).text,
            "Nur Filme mit Jahrzehnt „ohne Angabe“ (Strg+U: alle)");

  // Strg+U shows every film again; the growth's first column the films
  // added until the end of 2025.
  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kStatistics),
           platform::ScriptedEvent::ClickedAt(ui::gadget::ChartOf(4), {100, 200})});
  EXPECT_EQ(ListShows(run), "Abendrot;Bergfest;Chorprobe;");
  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kStatistics), ClickRow(1, 1), narrow});
  EXPECT_EQ(ListShows(run), "Abendrot;Bergfest;Chorprobe;Dünenlicht;Eisblumen;");
  EXPECT_EQ(run.At(ui::gadget::kExchangeStatus).text, "");

  run.Run({Click(ui::gadget::kIconPlay), Click(ui::gadget::kStatistics),
           Click(ui::gadget::kBackStatistics)});
  EXPECT_TRUE(run.Shown(ui::gadget::kPlayList));
  EXPECT_TRUE(run.Shown(ui::gadget::kStatistics));
  EXPECT_FALSE(run.p.gadgetsWhenIdle.contains(ui::gadget::kBackStatistics));
}

}  // namespace
}  // namespace zelluo::testing
