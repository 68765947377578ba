// CSV import and export: the encodings, separators and quoting spreadsheets
// write, German and English column names, the refusal of damaged files with
// file and line, and reading an export back.

#include "collection/csv_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../test_support.h"

// The expected films name only the fields a case sets; the rest stay default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace zelluo::collection {
namespace {

using namespace std::string_literals;

const std::string kFolder = std::string(ZELLUO_SOURCE_DIR) + "/tests/data/import/csv/";

std::string Repeated(std::string_view piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

ImportResult ReadSample(const std::string& name) {
  ImportResult result = ReadCsvFilms(testing::ReadBytes(kFolder + name), kFolder + name);
  EXPECT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.format, "CSV");
  return result;
}

TEST(CsvImport, ReadsGermanFileWithBomAndSemicolons) {
  const ImportResult result = ReadSample("filme_de.csv");
  ASSERT_EQ(result.films.size(), 3u);
  EXPECT_EQ(result.films[0].film,
            (Film{.title = "Die Nebelinsel",
                  .originalTitle = "The Fog Island",
                  .year = 1987,
                  .runtime = 102,
                  .country = "Deutschland",
                  .director = "Hanna Kessler",
                  .actors = "Jonas Brandt (Kapitän)\nMira Feld",
                  .genre = "Abenteuer\nDrama",
                  .plot = "Eine Insel verschwindet jeden Herbst im Nebel.",
                  .video = "Filme/nebelinsel.mkv",
                  .notes = "Geschenk von Tante Ilse",
                  .rating = 4}));
  EXPECT_EQ(result.films[0].cover.path, kFolder + "Bilder/Nebelinsel.jpg");
  const Film& second = result.films[1].film;
  EXPECT_EQ(second.title, "Kaltes Licht");
  EXPECT_EQ(second.runtime, 102);
  EXPECT_EQ(second.country, "Österreich");
  EXPECT_EQ(second.actors, "Lea Sommer\nTom Graf (Wirt, alt)");
  EXPECT_EQ(second.genre, "Krimi\nThriller");
  EXPECT_EQ(result.films[1].cover.path, "/srv/bilder/licht.png");
  EXPECT_EQ(result.films[2].film, (Film{.title = "Stille Wasser", .year = 1999, .runtime = 102}));
  EXPECT_EQ(result.unmappedFields, (std::vector<std::string>{"Leihgabe", "Standort"}));
}

TEST(CsvImport, ReadsWindows1252FileWithCommasAndEnglishNames) {
  const ImportResult result = ReadSample("films_en_1252.csv");
  ASSERT_EQ(result.films.size(), 2u);
  EXPECT_EQ(result.films[0].film,
            (Film{.title = "Müllers Büro",
                  .year = 1986,
                  .runtime = 95,
                  .country = "Österreich",
                  .director = "Niklas Fürst",
                  .actors = "Kurt Bäumer\nGrete Öhl",
                  .genre = "Komödie",
                  .plot = "Ein Büro voller Streit – und 5 € Trinkgeld.",
                  .notes = "Größe: groß",
                  .rating = 5}));
  EXPECT_EQ(result.films[0].cover.path, "C:\\Bilder\\buero.jpg");
  EXPECT_EQ(result.films[1].film,
            (Film{.title = "Zwei, drei Tage", .year = 2010, .runtime = 90, .country = "Schweiz",
                  .plot = "Er sagte \"Nein\"."}));
  EXPECT_EQ(result.films[1].cover.path, "\\\\server\\bilder\\tage.jpg");
  EXPECT_TRUE(result.unmappedFields.empty());
}

TEST(CsvImport, ReadsTabsCrLineEndsAndQuotedLineBreaks) {
  const ImportResult tabs = ReadSample("filme_tab.csv");
  ASSERT_EQ(tabs.films.size(), 2u);
  EXPECT_EQ(tabs.films[0].film,
            (Film{.title = "Hafenlichter", .year = 1955, .runtime = 88, .director = "Erna Voss"}));
  EXPECT_EQ(tabs.films[0].cover.path, kFolder + "cover/hafen.png");
  EXPECT_EQ(tabs.films[1].film, (Film{.title = "Nachtzug", .year = 1960}));

  const ImportResult quoted = ReadSample("filme_mehrzeilig.csv");
  ASSERT_EQ(quoted.films.size(), 2u);
  EXPECT_EQ(quoted.films[0].film,
            (Film{.title = "Der \"große\" Coup",
                  .actors = "Anna Roth (Die \"Chefin\")\nBen Ulm",
                  .plot = "Erste Zeile\nZweite Zeile; mit Semikolon"}));
  EXPECT_EQ(quoted.films[1].film.title, "Ende");
}

TEST(CsvImport, RefusesDamagedFilesNamingFileAndLine) {
  const struct {
    std::string bytes;
    std::vector<std::string> expected;  // parts of the message
  } cases[] = {
      {"Titel;Handlung\r\nA;\"eins\r\nzwei\"\r\nB;\"offen\r\n", {"Zeile 4:", "nicht geschlossen"}},
      {"Titel;Jahr\nA;1990\n\n\"B\"x;1991\n", {"Zeile 4:", "folgt weiterer Text"}},
      {"Titel;Jahr\nA;1990\nB;19x0\n", {"Zeile 3:", "\"19x0\""}},
      {"Titel,Laufzeit\nA,\"1:75\"\n", {"Zeile 2:", "\"1:75\""}},
      {"Titel;Bewertung\nA;7\n", {"Zeile 2:", "\"7\""}},
      {"Titel;Jahr\nA;1990;x\n", {"Zeile 2:", "3 Felder", "2 Spalten"}},
      {"Titel;Jahr\n\"  \";1990\n", {"Zeile 2:", "keinen Titel"}},
      {"Name;Jahr\nA;1990\n", {"keine Spalte \"Titel\""}},
      {"\xEF\xBB\xBF\r\n \r\n", {"leer"}},
      {"\xFF\xFE"s + "T\0i\0"s, {"UTF-16", "UTF-8"}},
      {"Titel\nA\0B\n"s, {"keine Textdatei"}},
      // Limits count characters: 1,000 "ä" (2,000 bytes) pass, one more fails.
      {"Titel;Land\nA;" + Repeated("ä", 1000) + "\nB;" + Repeated("ä", 1001) + "\n",
       {"Zeile 3:", "\"Land\" ist zu lang (höchstens 1.000 Zeichen)"}},
      {"Titel;Jahr\nA;1990\n" + Repeated("x", 8 << 20) + ";1991\n",
       {"Zeile 3:", "\"Titel\" ist zu lang"}},
      {"Notizen;Titel\n\"" + Repeated("\n", 100'001) + "\";A\n", {"Zeile 2:", "\"Notizen\""}},
  };
  for (const auto& bad : cases) {
    const ImportResult result = ReadCsvFilms(bad.bytes, "Ordner/liste.csv");
    EXPECT_FALSE(result.Ok()) << bad.bytes;
    EXPECT_TRUE(result.films.empty());
    EXPECT_NE(result.error.find("\"liste.csv\""), std::string::npos) << result.error;
    for (const std::string& part : bad.expected) {
      EXPECT_NE(result.error.find(part), std::string::npos) << result.error << " / " << part;
    }
  }
}

TEST(CsvExport, ReadsBackAsTheSameFilms) {
  std::vector<Film> films = {
      {.title = "Tanz; \"Nacht\"",
       .originalTitle = "Night Dance",
       .year = 1999,
       .runtime = 102,
       .country = "Frankreich",
       .director = "Odile Marchand",
       .actors = "Sammy Kern, Jr.",
       .genre = "Musical\nDrama",
       .plot = "Zeile eins\n\n  Zeile zwei ",
       .cover = "a1b2c3.jpg",
       .video = "D:\\Filme\\tanz.mkv",
       .notes = "=SUMME(A1) ",
       .rating = 3},
      {.title = "Kurz", .actors = "Ida Lenz (Mutter, später)\nOle Nyström"},
  };
  const std::string csv = FilmsAsCsv(films, "C:/Sammlung/Cover", {"07.12.2026"});
  EXPECT_TRUE(csv.starts_with(
      "\xEF\xBB\xBFTitel;Originaltitel;Jahr;Laufzeit;Land;Regie;Darsteller;Genre;Handlung;"
      "Notizen;Bewertung;Cover;Video;Gesehen\r\n\"Tanz; \"\"Nacht\"\"\";Night Dance;1999;"
      "102 min;"))
      << csv;
  EXPECT_NE(csv.find(";\"=SUMME(A1) \";3;C:/Sammlung/Cover/a1b2c3.jpg;D:\\Filme\\tanz.mkv;"
                     "07.12.2026\r\n"),
            std::string::npos)
      << csv;
  EXPECT_TRUE(csv.ends_with(";;\r\n")) << csv;

  const ImportResult result = ReadCsvFilms(csv, "Export/filme.csv");
  ASSERT_TRUE(result.Ok()) << result.error;
  ASSERT_EQ(result.films.size(), films.size());
  EXPECT_EQ(result.films[0].cover.path, "C:/Sammlung/Cover/a1b2c3.jpg");
  EXPECT_TRUE(result.films[1].cover.Empty());
  films[0].cover.reset();
  for (size_t i = 0; i < films.size(); ++i) EXPECT_EQ(result.films[i].film, films[i]);
  EXPECT_EQ(result.unmappedFields, std::vector<std::string>{"Gesehen"});
}

}  // namespace
}  // namespace zelluo::collection
