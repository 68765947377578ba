// The backup of the whole collection, written and read back, the refusal of
// damaged and hostile backups, and the collection as a web page.

#include "collection/backup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../test_support.h"
#include "collection/cover.h"
#include "collection/html_export.h"
#include "collection/zip_archive.h"
#include "film_generator.h"

namespace zelluo::collection {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Invented cover bytes stored in folder; returns the cover's name.
std::string PutCover(const TempDir& folder, const std::string& bytes) {
  const std::string name = ContentHash(bytes) + ".jpg";
  WriteBytes(folder / name, bytes);
  return name;
}

std::string Zip(const std::vector<std::pair<std::string, std::string>>& members) {
  ZipWriter writer;
  for (const auto& [name, bytes] : members) writer.Add(name, bytes, true);
  return writer.Finish();
}

TEST(BackupRoundTrip, KeepsEveryFieldAndEachCoverOnceAndCountsMissingCovers) {
  TempDir covers;
  const std::string first = std::string("\xFF\xD8\xFF erstes \0 Bild", 18);
  const std::string second = "\xFF\xD8\xFF zweites Bild";
  Film full;
  full.title = "  Die \"Brücke\" <über> & 'Fluss'  ";
  full.originalTitle = "Le pont\tsur la rivière";
  full.year = 1959;
  full.runtime = 103;
  full.country = "Deutschland\r\nFrankreich";
  full.director = "Jörg Äbersold";
  full.actors = "Ida Weiß (Mutter)\nOle Østby\n";
  full.genre = "Drama\nKrieg";
  full.plot = "Zeile eins\r\nZeile zwei\n\n\tEingerückt ]]> Ende\r";
  full.notes = "Geliehen an Kai\n⭐ Lieblingsfilm";
  full.rating = 5;
  full.video = "/filme/brücke & co.mkv";
  full.cover = PutCover(covers, first);
  full.added = "2026-01-02T03:04:05Z";
  full.changed = "2026-12-07T10:00:00Z";
  full.viewings = {{0, 0, "2026-12-01T20:00:00Z", "2026-12-01T21:43:02Z", 6181.375, 6180.04, true},
                   {0, 0, "2026-12-05T19:00:00Z", "", 0.1, 0, false}};
  Film bare;
  bare.title = "Nur ein Titel";
  Film sharing = bare;
  sharing.title = "Gleiches Cover";
  sharing.cover = full.cover;
  sharing.year = -5;  // out of range for the UI, still kept exactly
  Film other = bare;
  other.cover = PutCover(covers, second);
  Film lost = bare;
  lost.cover = "0123456789abcdef.jpg";  // no such file
  const std::vector<Film> films = {full, bare, sharing, other, lost};

  int64_t lastDone = -1;
  const BackupResult backup =
      BackupArchive(films, covers.Path(), [&](int64_t done, int64_t) { lastDone = done; });
  ASSERT_TRUE(backup.error.empty()) << backup.error;
  EXPECT_EQ(backup.missingCovers, 1);
  EXPECT_EQ(lastDone, 5);

  const ImportResult read = ReadBackup(backup.bytes, "sicherung.zip");
  ASSERT_TRUE(read.Ok()) << read.error;
  EXPECT_EQ(read.format, "Zelluo-Sicherung");
  EXPECT_TRUE(read.unmappedFields.empty());
  ASSERT_EQ(read.films.size(), films.size());
  for (size_t i = 0; i < films.size(); ++i) {
    Film expected = films[i];
    if (i == 4) expected.cover.reset();
    EXPECT_EQ(read.films[i].film, expected) << i;
  }
  const std::string coverBytes[] = {first, "", first, second, ""};
  for (size_t i = 0; i < films.size(); ++i) {
    std::string bytes, error;
    EXPECT_TRUE(ReadCoverBytes(read.films[i].cover, bytes, error)) << error;
    EXPECT_EQ(bytes, coverBytes[i]) << i;
    EXPECT_EQ(read.films[i].cover.storedCover, !coverBytes[i].empty()) << i;
  }
  ZipReader zip(backup.bytes, "sicherung.zip");
  EXPECT_EQ(zip.Names().size(), 3u);  // two covers and the XML file
}

TEST(BackupRoundTrip, KeepsInventedCollectionsExactly) {
  std::vector<Film> films = GenerateFilms(300, 11);
  const ImportResult read = ReadBackup(BackupArchive(films, "nirgends").bytes, "s.zip");
  ASSERT_EQ(read.films.size(), films.size()) << read.error;
  for (size_t i = 0; i < films.size(); ++i) {
    films[i].cover.reset();  // no cover files: left out
    EXPECT_EQ(read.films[i].film, films[i]) << films[i].title;
  }
}

TEST(BackupRoundTrip, ControlCharactersAndBrokenUtf8StillGiveAReadableBackup) {
  Film film;
  film.title = "A\001B\x7F\xC3";
  film.plot = "x\xED\xA0\x80y\xEF\xBF\xBEz";  // a surrogate and U+FFFE
  const BackupResult backup = BackupArchive({film}, "nirgends");
  const ImportResult read = ReadBackup(backup.bytes, "s.zip");
  ASSERT_TRUE(read.Ok()) << read.error;
  EXPECT_EQ(read.films.at(0).film.title, "AB\x7F\xEF\xBF\xBD");
  EXPECT_EQ(read.films.at(0).film.plot,
            "x\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDy\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz");
}

TEST(BackupRead, TakesThePlainXmlAloneWithoutCoversAndNotesUnknownFields) {
  const std::string xml =
      "<zelluo-sicherung version=\"1\">\n  <film>\n    <titel>Wolken</titel>\n"
      "    <cover>0123456789abcdef.jpg</cover>\n    <farbe>s/w</farbe>\n  </film>\n"
      "  <kommentar/>\n</zelluo-sicherung>\n";
  const ImportResult read = ReadBackup(xml, "zelluo-sicherung.xml");
  ASSERT_TRUE(read.Ok()) << read.error;
  ASSERT_EQ(read.films.size(), 1u);
  EXPECT_EQ(read.films[0].film.title, "Wolken");
  EXPECT_FALSE(read.films[0].film.cover);
  EXPECT_TRUE(read.films[0].cover.Empty());
  EXPECT_EQ(read.unmappedFields, (std::vector<std::string>{"farbe", "kommentar"}));
}

TEST(BackupRead, RefusesDamagedAndHostileBackupsNamingFileAndLine) {
  const auto xml = [](const std::string& version, const std::string& film) {
    return "<?xml version=\"1.0\"?>\n<zelluo-sicherung version=\"" + version + "\">\n<film>\n" +
           film + "\n</film>\n</zelluo-sicherung>\n";
  };
  const auto backup = [&](const std::string& version, const std::string& film) {
    return Zip({{"zelluo-sicherung.xml", xml(version, film)}});
  };
  // A cover that unpacks to a thousand times its packed size.
  const std::string bomb =
      "<zelluo-sicherung version=\"1\">\n<film><cover>00000000000000aa.jpg</cover></film>\n"
      "</zelluo-sicherung>";
  const struct {
    std::string bytes;
    std::vector<std::string> expected;
  } cases[] = {
      {backup("1", "<cover>../../etc/x.jpg</cover>"), {"Zeile 4", "unzulässigem Dateinamen"}},
      {backup("1", "<cover>0123456789ABCDEF.jpg</cover>"), {"Zeile 4", "unzulässigem"}},
      {backup("2", "<titel>Zukunft</titel>"), {"neueren Zelluo", "Format 2"}},
      {backup("eins", ""), {"Zeile 2", "\"version\" ist keine gültige Zahl"}},
      {backup("1", "<titel>a</titel>\n<jahr>neunzehn</jahr>"), {"Zeile 5", "\"jahr\" ist keine"}},
      {backup("1", "<bewertung>99999999999</bewertung>"), {"Zeile 4", "\"bewertung\""}},
      {backup("1", "<ansicht>\n<dauer>-1</dauer></ansicht>"), {"Zeile 5", "\"dauer\" ist keine"}},
      {backup("1", "<titel>a</titel>\n<darsteller>" + std::string(20'001, 'x') + "</darsteller>"),
       {"Zeile 5: Das Feld \"Darsteller\" ist zu lang (höchstens 20.000 Zeichen)"}},
      {backup("1", "<titel>offen</film>"), {"kein lesbares XML", "Zeile 4"}},
      {backup("1", "<cover>0123456789abcdef.jpg</cover>"),
       {"Zeile 4", "\"Cover/0123456789abcdef.jpg\" fehlt"}},
      {Zip({{"zelluo-sicherung.xml",
             "<zelluo-sicherung version=\"1\" filme=\"3\">\n<film/>\n</zelluo-sicherung>"}}),
       {"Zeile 1", "1 statt 3 Filme"}},
      {Zip({{"zelluo-sicherung.xml", bomb},
            {"Cover/00000000000000aa.jpg", std::string(2 << 20, 'x')}}),
       {"zu weit mehr Daten"}},
      {Zip({{"andere.xml", xml("1", "")}}), {"fehlt \"zelluo-sicherung.xml\""}},
      {Zip({{"zelluo-sicherung.xml", "<tellico/>"}}), {"keine Zelluo-Sicherung"}},
      {backup("1", "").substr(0, 60), {"beschädigt oder unvollständig"}},
      {"Titel;Jahr\nWolken;1990\n", {"keine Zelluo-Sicherung"}},
      {"", {"keine Zelluo-Sicherung"}},
  };
  for (const auto& c : cases) {
    const ImportResult read = ReadBackup(c.bytes, "ordner/kaputt.zip");
    EXPECT_TRUE(read.films.empty());
    EXPECT_NE(read.error.find("\"kaputt.zip\""), std::string::npos) << read.error;
    for (const std::string& part : c.expected) {
      EXPECT_NE(read.error.find(part), std::string::npos) << read.error << " / " << part;
    }
  }
}

TEST(HtmlExport, EscapesEveryValueCopiesTheCoversAndListsEveryFilm) {
  TempDir covers;
  TempDir out;
  Film hostile;
  hostile.title = "<script>alert('x')</script>";
  hostile.originalTitle = "Tom & \"Jerry\"";
  hostile.year = 1994;
  hostile.runtime = 102;
  hostile.country = "Österreich";
  hostile.director = "Ana <b>Bold</b>";
  hostile.actors = "Ida Weiß (Mutter)\n\nOle Østby\n";
  hostile.cover = PutCover(covers, "\xFF\xD8 ein Bild");
  Film plain;
  plain.title = "Wolken über Kiel";
  plain.cover = "0123456789abcdef.jpg";  // missing: listed without a picture
  const std::string page = out / "Meine Filme.html";

  ASSERT_EQ(ExportHtml({hostile, plain}, page, covers.Path(), {}, "7. Dezember 2026"), "");
  const std::string html = ReadBytes(page);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<b>Bold"), std::string::npos);
  const std::vector<std::string> expected = {
      "<html lang=\"de\">",
      "<meta charset=\"utf-8\">",
      "@media print",
      "break-inside:avoid",
      "2 Filme \xC2\xB7 Stand: 7. Dezember 2026",
      "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;",
      "Tom &amp; &quot;Jerry&quot;",
      "1994 \xC2\xB7 102 min \xC2\xB7 Österreich",
      "Ana &lt;b&gt;Bold&lt;/b&gt;",
      "Ida Weiß (Mutter), Ole Østby</p>",
      "Wolken über Kiel",
      "<img src=\"Meine%20Filme-Cover/" + *hostile.cover + "\"",
  };
  for (const std::string& part : expected) EXPECT_NE(html.find(part), std::string::npos) << part;
  EXPECT_EQ(html.find("<img"), html.rfind("<img"));  // one picture only
  EXPECT_EQ(ReadBytes(out / ("Meine Filme-Cover/" + *hostile.cover)), "\xFF\xD8 ein Bild");

  const std::string failed = ExportHtml({plain}, out / "fehlt/liste.html", covers.Path());
  EXPECT_NE(failed.find("\"liste.html\""), std::string::npos) << failed;
}

}  // namespace
}  // namespace zelluo::collection
