// The foreign-file foundations of import: XML with its protections, zip
// archives in memory with theirs.
#include <gtest/gtest.h>

#include "collection/xml_tree.h"
#include "collection/zip_archive.h"

namespace zelluo::collection {
namespace {

TEST(ImportXml, ReadsATreeAndFindsTheRootCheaply) {
  const std::string xml =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE tellico PUBLIC \"x\" "
      "\"http://example.invalid/t.dtd\">\n<tellico a=\"1\">\n <f><t>Ä &amp; B</t></f>\n</tellico>";
  EXPECT_EQ(RootElementName(xml), "tellico");
  EXPECT_EQ(RootElementName("Titel;Jahr\n"), "");
  const XmlParse parsed = ParseXml(xml, "dir/x.xml");
  ASSERT_TRUE(parsed.root) << parsed.error;
  EXPECT_EQ(*parsed.root->Attribute("a"), "1");
  EXPECT_EQ(parsed.root->Child("f")->ChildText("t"), "Ä & B");
  EXPECT_EQ(parsed.root->Child("f")->line, 5);

  // Fed a byte at a time, as a big file is parsed between events, the tree
  // is the same, the umlaut split across pieces included.
  XmlTreeParser pieces("dir/x.xml");
  for (size_t at = 0; at < xml.size(); ++at) {
    ASSERT_TRUE(pieces.Feed(std::string_view(xml).substr(at, 1), at + 1 == xml.size()));
  }
  const XmlParse fed = pieces.Finish();
  ASSERT_TRUE(fed.root) << fed.error;
  EXPECT_EQ(fed.root->Child("f")->ChildText("t"), "Ä & B");
  EXPECT_EQ(fed.root->Child("f")->line, 5);
}

TEST(ImportXml, RefusesEntitiesDepthAndBrokenFilesNamingFileAndLine) {
  const std::string laughs =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY a \"aaaaaaaaaa\">\n"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n<r>&b;</r>";
  const std::string external =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<r>&x;</r>";
  std::string nested;
  for (int i = 0; i < 100; ++i) nested += "<a>";
  const struct {
    std::string bytes;
    std::string expected;
  } cases[] = {
      {laughs, "Zeile 3"},
      {external, "Zeile 2"},
      {nested, "verschachtelt"},
      {"<r>\n<a></b>\n</r>", "Zeile 2"},
      {"<r>", "kein lesbares XML"},
  };
  for (const auto& c : cases) {
    const XmlParse parsed = ParseXml(c.bytes, "sub/f.gcs");
    EXPECT_FALSE(parsed.root) << c.bytes;
    EXPECT_NE(parsed.error.find("\"f.gcs\""), std::string::npos) << parsed.error;
    EXPECT_NE(parsed.error.find(c.expected), std::string::npos) << parsed.error;
  }
}

TEST(ImportZip, WritesAndReadsBackStoredAndDeflatedMembers) {
  ZipWriter writer;
  const std::string text(100000, 'x');
  const std::string picture = "\xFF\xD8\xFF binary \0 bytes";
  ASSERT_TRUE(writer.Add("zelluo.xml", text, true));
  ASSERT_TRUE(writer.Add("Cover/a.jpg", picture, false));
  const std::string archive = writer.Finish();
  ASSERT_FALSE(archive.empty());
  EXPECT_LT(archive.size(), text.size() / 10);

  ZipReader reader(archive, "x.zip");
  ASSERT_EQ(reader.Error(), "");
  EXPECT_EQ(reader.Names(), (std::vector<std::string>{"zelluo.xml", "Cover/a.jpg"}));
  std::string out;
  ASSERT_TRUE(reader.Read("Cover/a.jpg", out));
  EXPECT_EQ(out, picture);
  ASSERT_TRUE(reader.Read("zelluo.xml", out));
  EXPECT_EQ(out, text);
  // A part at a time, as a big member is unpacked between events.
  ASSERT_TRUE(reader.StartReading("zelluo.xml", out));
  int parts = 1;
  ZipReader::Reading reading;
  while ((reading = reader.ReadOn(out, 30000)) == ZipReader::Reading::More) ++parts;
  EXPECT_EQ(reading, ZipReader::Reading::Done);
  EXPECT_EQ(parts, 4);
  EXPECT_EQ(out, text);
  EXPECT_FALSE(reader.Read("fehlt.xml", out));
  EXPECT_NE(reader.Error().find("fehlt.xml"), std::string::npos);
}

// Sets the declared unpacked size of the only member, in the local header and
// the central directory, as a forged archive would.
std::string WithDeclaredSize(std::string archive, uint32_t size) {
  const auto put = [&](size_t at) {
    for (int i = 0; i < 4; ++i) archive[at + i] = static_cast<char>(size >> (8 * i));
  };
  put(22);  // local header
  const size_t central = archive.find("PK\x01\x02");
  put(central + 24);
  return archive;
}

TEST(ImportZip, RefusesBombsLiesDamageAndNonArchives) {
  ZipWriter bomb;
  ASSERT_TRUE(bomb.Add("tellico.xml", std::string(20u << 20, '\0'), true));
  ASSERT_TRUE(bomb.Add("b.xml", std::string(1000, 'b'), true));
  const std::string bombBytes = bomb.Finish();
  ZipReader bombReader(bombBytes, "bombe.tc");
  std::string out;
  EXPECT_FALSE(bombReader.Read("tellico.xml", out));
  EXPECT_NE(bombReader.Error().find("weit mehr"), std::string::npos) << bombReader.Error();
  ZipReader bounded(bombBytes, "bombe.tc", ZipLimits{.maxMemberBytes = 999});
  EXPECT_FALSE(bounded.Read("b.xml", out));

  ZipWriter small;
  ASSERT_TRUE(small.Add("a.xml", std::string(5000, 'a'), true));
  const std::string honest = small.Finish();
  const std::string lying = WithDeclaredSize(honest, 100);  // the reader only looks at it
  ZipReader liar(lying, "luege.zip");
  EXPECT_FALSE(liar.Read("a.xml", out));
  EXPECT_NE(liar.Error().find("luege.zip"), std::string::npos);

  std::string damaged = honest;
  damaged[40] ^= 0x55;  // inside the packed data: the CRC check fails
  ZipReader damagedReader(damaged, "kaputt.zip");
  EXPECT_FALSE(damagedReader.Read("a.xml", out));

  ZipReader truncated(std::string_view(honest).substr(0, honest.size() / 2), "halb.zip");
  EXPECT_NE(truncated.Error(), "");
  ZipReader notZip("Titel;Jahr\n", "filme.csv");
  EXPECT_NE(notZip.Error().find("filme.csv"), std::string::npos);
}

}  // namespace
}  // namespace zelluo::collection
