// Films from other catalogues: GCstar, Tellico, Kodi/Jellyfin and Griffith,
// read from the invented samples in tests/data/import.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "../test_support.h"
#include "collection/catalogue_import.h"
#include "collection/zip_archive.h"

namespace zelluo::collection {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Names = std::vector<std::string>;

std::string Sample(const std::string& relative) {
  return std::string(ZELLUO_SOURCE_DIR) + "/tests/data/import/" + relative;
}

// A SQLite file made from the statements in sql.
void MakeDatabase(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* fault = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &fault), SQLITE_OK) << fault;
  sqlite3_free(fault);
  sqlite3_close(db);
}

TEST(CatalogueImport, GcstarFieldsCoversAndLeftOverFields) {
  const std::string path = Sample("gcstar/filme.gcs");
  const ImportResult result = ReadGcstar(ReadBytes(path), path);
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.format, "GCstar");
  // The third item is an empty record and is passed over.
  ASSERT_EQ(result.films.size(), 2u);
  const Film& canal = result.films[0].film;
  EXPECT_EQ(canal.title, "Die Stille am Kanal");
  EXPECT_EQ(canal.originalTitle, "The Quiet by the Canal");
  EXPECT_EQ(canal.year, 1998);
  EXPECT_EQ(canal.runtime, 102);
  EXPECT_EQ(canal.director, "Ilse Marwede");
  EXPECT_EQ(canal.country, "Deutschland, Frankreich");
  EXPECT_EQ(canal.genre, "Drama\nKrimi");
  EXPECT_EQ(canal.actors, "Arno Feldkamp (Schleusenwärter Henk)\nWiebke Sondermann");
  EXPECT_EQ(canal.plot, "Zwei Schleusenwärter streiten um eine Brücke.\nDann kommt der Winter.");
  EXPECT_EQ(canal.notes, "Geschenk von Tante Frieda");
  EXPECT_EQ(canal.rating, 4);
  EXPECT_EQ(result.films[0].cover.path, Sample("gcstar/filme_pictures/kanal.jpg"));

  // Free-text year and running time stay empty; the original title stands in
  // for the missing title; an absolute cover path of another computer is
  // found again in the collection's pictures folder.
  const ImportedFilm& night = result.films[1];
  EXPECT_EQ(night.film.title, "Nachtfahrt");
  EXPECT_EQ(night.film.year, std::nullopt);
  EXPECT_EQ(night.film.runtime, std::nullopt);
  EXPECT_EQ(night.film.rating, std::nullopt);
  EXPECT_EQ(night.film.genre, "Thriller\nRoadmovie");
  EXPECT_EQ(night.cover.path, Sample("gcstar/filme_pictures/nacht.jpg"));
  EXPECT_EQ(result.unmappedFields, (Names{"format", "place", "seen", "tags"}));
}

TEST(CatalogueImport, TellicoPlainXmlAndZipWithTheirPictures) {
  const std::string path = Sample("tellico/videos.xml");
  const std::string xml = ReadBytes(path);
  ZipWriter writer;
  ASSERT_TRUE(writer.Add("tellico.xml", xml, true));
  ASSERT_TRUE(writer.Add("images/d4e5f6.jpeg", "\xFF\xD8\xFF aus dem Archiv", false));
  const std::string zip = writer.Finish();

  for (const bool zipped : {false, true}) {
    SCOPED_TRACE(zipped ? "zip" : "xml");
    const ImportResult result =
        zipped ? ReadTellico(zip, "irgendwo/videos.tc") : ReadTellico(xml, path);
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(result.format, "Tellico");
    ASSERT_EQ(result.films.size(), 2u);
    const Film& glass = result.films[0].film;
    EXPECT_EQ(glass.title, "Der Glasbläser");
    EXPECT_EQ(glass.originalTitle, "The Glassblower");
    EXPECT_EQ(glass.year, 2004);
    EXPECT_EQ(glass.runtime, 118);
    EXPECT_EQ(glass.country, "Österreich, Schweiz");
    EXPECT_EQ(glass.director, "Konrad Pfisterer");
    EXPECT_EQ(glass.actors, "Mara Lindqvist (Ottilie)\nJost Amberger");
    EXPECT_EQ(glass.genre, "Drama\nHistorienfilm");
    EXPECT_EQ(glass.plot, "Erster Absatz.\nZweiter Absatz.");
    EXPECT_EQ(glass.notes, "Ausgeliehen an Paul");
    EXPECT_EQ(glass.rating, 4);
    EXPECT_EQ(result.films[0].cover.bytes, "\x89PNG\r\n\x1a\nGlasblaeser-Testbild");
    EXPECT_EQ(result.films[1].film.year, std::nullopt);
    EXPECT_EQ(result.films[1].film.runtime, std::nullopt);
    // Tellico's own cdate and mdate are not reported.
    EXPECT_EQ(result.unmappedFields, (Names{"keyword", "medium"}));
    if (zipped) {
      EXPECT_EQ(result.films[1].cover.bytes, "\xFF\xD8\xFF aus dem Archiv");
    } else {
      EXPECT_EQ(result.films[1].cover.path, Sample("tellico/videos_files/d4e5f6.jpeg"));
    }
  }
}

TEST(CatalogueImport, TellicoRatingFollowsTheCollectionsMaximum) {
  const std::string xml =
      "<tellico><collection type=\"3\"><fields><field name=\"rating\"><prop name=\"maximum\">10"
      "</prop></field></fields><entry><title>A</title><rating>7</rating></entry></collection>"
      "</tellico>";
  const ImportResult result = ReadTellico(xml, "a.xml");
  ASSERT_EQ(result.films.size(), 1u) << result.error;
  EXPECT_EQ(result.films[0].film.rating, 4);
}

TEST(CatalogueImport, NfoFieldsPosterBesideAndVideo) {
  const std::string path = Sample("nfo/Die Fähre (2011).nfo");
  const ImportResult result = ReadNfo(ReadBytes(path), path);
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.format, "Kodi/Jellyfin (.nfo)");
  ASSERT_EQ(result.films.size(), 1u);
  const Film& ferry = result.films[0].film;
  EXPECT_EQ(ferry.title, "Die Fähre");
  EXPECT_EQ(ferry.originalTitle, "Færgen");
  EXPECT_EQ(ferry.year, 2011);
  EXPECT_EQ(ferry.runtime, 97);
  EXPECT_EQ(ferry.plot, "Eine Kapitänin will ihre letzte Fahrt nicht antreten.");
  EXPECT_EQ(ferry.genre, "Drama\nKomödie");
  EXPECT_EQ(ferry.country, "Dänemark, Deutschland");
  EXPECT_EQ(ferry.director, "Sönke Halvorsen");
  EXPECT_EQ(ferry.actors, "Birte Aagaard (Kapitänin)\nLasse Ohm");
  EXPECT_EQ(ferry.rating, 4);
  EXPECT_EQ(ferry.video, Sample("nfo/Die Fähre (2011).mkv"));
  // <name>-poster comes before folder.jpg.
  EXPECT_EQ(result.films[0].cover.path, Sample("nfo/Die Fähre (2011)-poster.jpg"));
  EXPECT_EQ(result.unmappedFields, (Names{"fileinfo", "rating", "tag", "uniqueid"}));

  // The year from the premiere, the outline for a missing plot, genres in
  // one element, folder.png, and a scraper address after the XML.
  const std::string ebbe = Sample("nfo/ebbe/Ebbe.nfo");
  const ImportResult second = ReadNfo(ReadBytes(ebbe), ebbe);
  ASSERT_EQ(second.films.size(), 1u) << second.error;
  EXPECT_EQ(second.films[0].film.year, 1979);
  EXPECT_EQ(second.films[0].film.runtime, std::nullopt);
  EXPECT_EQ(second.films[0].film.plot, "Ein Dorf wartet auf die Flut.");
  EXPECT_EQ(second.films[0].film.genre, "Drama\nHeimatfilm");
  EXPECT_EQ(second.films[0].film.video, std::nullopt);
  EXPECT_EQ(second.films[0].cover.path, Sample("nfo/ebbe/folder.png"));
  EXPECT_TRUE(second.unmappedFields.empty());
}

TEST(CatalogueImport, GriffithReadsWithoutChangingTheFile) {
  TempDir dir;
  const std::string path = dir / "griffith.db";
  MakeDatabase(path, ReadBytes(Sample("griffith/griffith.sql")));
  WriteBytes(dir / "posters/hafen42.jpg", "Platzhalter Hafen");
  const std::string before = ReadBytes(path);

  const ImportResult result = ReadGriffith(path);
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.format, "Griffith");
  ASSERT_EQ(result.films.size(), 2u);
  const Film& clock = result.films[0].film;
  EXPECT_EQ(clock.title, "Der Uhrmacher von Lenzbach");
  EXPECT_EQ(clock.originalTitle, "The Clockmaker");
  EXPECT_EQ(clock.year, 1971);
  EXPECT_EQ(clock.runtime, 88);
  EXPECT_EQ(clock.country, "Schweiz");
  EXPECT_EQ(clock.director, "Vreni Ammann");
  EXPECT_EQ(clock.actors, "Beat Gysin (Uhrmacher Tobler)\nRegula Frei (Marie)\nUeli Scherrer");
  EXPECT_EQ(clock.plot, "Ein Uhrmacher hält die Zeit an.");
  EXPECT_EQ(clock.genre, "Drama\nMärchen");
  EXPECT_EQ(clock.notes, "Aus dem Nachlass");
  EXPECT_EQ(clock.rating, 5);
  EXPECT_EQ(result.films[0].cover.bytes, std::string("\xFF\xD8\xFF\xE0\x00\x4A\x46\x49\x46", 9));
  EXPECT_EQ(result.films[1].film.title, "Paper Harbour");
  EXPECT_EQ(result.films[1].film.genre, "Dokumentarfilm\nKurzfilm");
  EXPECT_EQ(result.films[1].cover.path, dir / "posters/hafen42.jpg");
  EXPECT_EQ(result.unmappedFields, (Names{"number", "seen", "studio"}));

  EXPECT_EQ(ReadBytes(path), before);
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    EXPECT_FALSE(std::filesystem::exists(path + suffix)) << suffix;
  }
}

TEST(CatalogueImport, GriffithOfAnOlderLayoutWithFewColumns) {
  TempDir dir;
  const std::string path = dir / "alt griffith%3F.db";
  MakeDatabase(path,
               "CREATE TABLE movies(movie_id INTEGER PRIMARY KEY, title, year);"
               "INSERT INTO movies(title, year) VALUES('Kleiner Film', 'neunzehnhundert');");
  const ImportResult result = ReadGriffith(path);
  ASSERT_EQ(result.films.size(), 1u) << result.error;
  EXPECT_EQ(result.films[0].film.title, "Kleiner Film");
  EXPECT_EQ(result.films[0].film.year, std::nullopt);
  EXPECT_TRUE(result.unmappedFields.empty());
}

TEST(CatalogueImport, RefusesOtherAndBrokenFilesNamingThem) {
  const std::string gcstar = ReadBytes(Sample("gcstar/filme.gcs"));
  const std::string cut = gcstar.substr(0, gcstar.find("Geschenk"));
  const std::string cutLine =
      "Zeile " + std::to_string(std::count(cut.begin(), cut.end(), '\n') + 1);
  const std::string books = "<collection type=\"GCbooks\"><item title=\"Buch\"/></collection>";
  const std::string untitled =
      "<collection type=\"GCfilms\">\n<item title=\"A\"/>\n<item date=\"1990\"/>\n</collection>";
  const std::string longTitle =
      "<collection type=\"GCfilms\">\n<item title=\"A\"/>\n<item title=\"" +
      std::string(1001, 'x') + "\"/>\n</collection>";
  const std::string entities =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE c [\n<!ENTITY x \"y\">]>\n<collection "
      "type=\"GCfilms\"/>";
  ZipWriter writer;
  writer.Add("andere.xml", "<tellico/>", true);
  const std::string zipWithoutXml = writer.Finish();
  using Reader = ImportResult (*)(std::string_view, std::string_view);
  const struct {
    Reader read;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {ReadGcstar, books, "der Art \"GCbooks\""},
      {ReadGcstar, "<tellico/>", "keine GCstar-Sammlung"},
      {ReadGcstar, cut, cutLine},
      {ReadGcstar, entities, "Entitäten"},
      {ReadGcstar, untitled, "(Zeile 3) weder Titel"},
      {ReadGcstar, longTitle, "\"quelle.dat\", Zeile 3: Das Feld \"Titel\" ist zu lang"},
      {ReadTellico, "<tellico><collection type=\"2\"/></tellico>", "der Art 2"},
      {ReadTellico, "<collection type=\"3\"/>", "keine Tellico-Datei"},
      {ReadTellico, zipWithoutXml, "fehlt \"tellico.xml\""},
      {ReadTellico, "PK\x03\x04 kaputt", "beschädigt"},
      {ReadNfo, "<tvshow><title>Serie</title></tvshow>", "(<tvshow>)"},
      {ReadNfo, "https://www.example.org/film/1\n", "kein <movie>"},
      {ReadNfo, "<movie><title>A</title>", "kein lesbares XML"},
  };
  for (const auto& c : cases) {
    const ImportResult result = c.read(c.bytes, "ordner/quelle.dat");
    EXPECT_FALSE(result.Ok()) << c.expected;
    EXPECT_TRUE(result.films.empty() && result.unmappedFields.empty()) << c.expected;
    EXPECT_NE(result.error.find("\"quelle.dat\""), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(c.expected), std::string::npos) << result.error;
  }
}

TEST(CatalogueImport, GriffithRefusesWhatIsNoGriffithDatabase) {
  TempDir dir;
  WriteBytes(dir / "text.db", std::string(4096, 'x'));
  MakeDatabase(dir / "fremd.db", "CREATE TABLE film(title);");
  // Many pages, then one of them overwritten as a failing disk would.
  std::string fill = "BEGIN; CREATE TABLE movies(title);";
  for (int i = 0; i < 200; ++i) {
    fill += "INSERT INTO movies VALUES('" + std::string(100, 'a' + i % 26) + "');";
  }
  MakeDatabase(dir / "kaputt.db", fill + "COMMIT;");
  std::string damaged = ReadBytes(dir / "kaputt.db");
  ASSERT_GT(damaged.size(), 4u * 4096);
  damaged.replace(2 * 4096, 64, std::string(64, '\xFF'));
  WriteBytes(dir / "kaputt.db", damaged);
  MakeDatabase(dir / "offen.db", "CREATE TABLE movies(title);");
  WriteBytes(dir / "offen.db-journal", "noch nicht übernommen");

  const struct {
    std::string file;
    std::string expected;
  } cases[] = {
      {"text.db", "keine SQLite-Datenbank"},
      {"fremd.db", "keine Tabelle \"movies\""},
      {"kaputt.db", "beschädigt"},
      {"offen.db", "daneben liegt noch \"offen.db-journal\""},
      {"fehlt.db", "kann nicht geöffnet werden"},
  };
  for (const auto& c : cases) {
    const ImportResult result = ReadGriffith(dir / c.file);
    EXPECT_TRUE(result.films.empty()) << c.file;
    EXPECT_NE(result.error.find("\"" + c.file + "\""), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(c.expected), std::string::npos) << result.error;
  }
  EXPECT_EQ(ReadBytes(dir / "kaputt.db"), damaged);
  EXPECT_FALSE(std::filesystem::exists(dir / "fehlt.db"));
}

}  // namespace
}  // namespace zelluo::collection
