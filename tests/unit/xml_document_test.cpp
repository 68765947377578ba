// The XML layer: walking by position, attributes, writing back in the file's
// encoding and the two-pass layout. Damaged, hostile and hand-edited files go
// through the whole program in tests/integration/settings_file_test.cpp.
#include "settings/xml_document.h"

#include <gtest/gtest.h>

#include "../test_support.h"

namespace zelluo {
namespace {

using testing::CorpusFile;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

std::unique_ptr<settings::XmlDocument> Parse(std::string_view bytes,
                                             settings::XmlEncoding encoding) {
  auto document = settings::ParseDocument(bytes, encoding);
  if (!document) ADD_FAILURE() << "no document";
  return document;
}

std::string Utf16Le(std::u16string_view text) {
  std::string out;
  for (const char16_t unit : text) out += {char(unit & 0xFF), char(unit >> 8)};
  return out;
}

TEST(XmlTree, ChildrenCountFromOneOverEveryKindAndAttributesKeepTheirOrder) {
  auto document = Parse("<R><!--c--><?pi data?><K Value=\"1\" Other=\"2\"/><![CDATA[x]]></R>",
                        settings::XmlEncoding::Utf8);
  settings::XmlNode* key = settings::ChildAt(settings::MainElement(*document), 3);
  EXPECT_EQ(ChildAt(MainElement(*document), 5), nullptr);
  // Names are case-sensitive; a value is replaced in place, a new one appended.
  EXPECT_EQ(settings::GetAttribute(key, "Value") + GetAttribute(key, "value"), "1");
  EXPECT_TRUE(settings::SetAttribute(key, "Value", "0") && SetAttribute(key, "value", "3"));
  EXPECT_FALSE(settings::SetAttribute(ChildAt(MainElement(*document), 1), "A", "1"));  // a comment
  EXPECT_EQ(settings::SerializeDocument(*document),
            kDeclaration +
                "<R><!--c--><?pi data?><K Value=\"0\" Other=\"2\" value=\"3\"/>"
                "<![CDATA[x]]></R>");
}

TEST(XmlWrite, KeepsWhatWasReadInTheDeclaredOrGivenEncoding) {
  const std::u16string utf16 =
      u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<R V=\"\u00FC\U0001F600\">\r\n</R>";
  struct Row {
    std::string in;
    settings::XmlEncoding encoding;
    std::string out;  // empty: the same as in
  };
  // clang-format off
  const Row rows[] = {
      {kDeclaration + "<R><!-- a<b --><?go x&y?><![CDATA[<&>]]>t&amp;&lt;&gt;\"'</R>",
       settings::XmlEncoding::Utf8, ""},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<!-- note -->\r\n\r\n"
       "<Root>\r\n  <A V=\"1\"/>\r\n</Root>\r\n\r\n", settings::XmlEncoding::Utf8, ""},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"no\"?><R V=\"\xFC\"/>",
       settings::XmlEncoding::Unspecified, ""},
      {"<?xml version=\"1.0\" encoding=\"us-ascii\"?><R/>", settings::XmlEncoding::Unspecified,
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><R/>"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><R V=\"a\"/>", settings::XmlEncoding::Utf8,
       kDeclaration + "<R V=\"a\"/>"},
      // UTF-16 is read and written by units: its CR LF is no lone CR.
      {Utf16Le(u"\uFEFF" + utf16), settings::XmlEncoding::Unspecified, Utf16Le(utf16)},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.in);
    auto document = Parse(row.in, row.encoding);
    EXPECT_EQ(settings::DocumentStatus(*document), 0);
    EXPECT_EQ(settings::SerializeDocument(*document), row.out.empty() ? row.in : row.out);
  }
  // Latin-1 holds values as UTF-8 and writes a blank for what it cannot hold.
  auto latin1 = Parse(rows[2].in, settings::XmlEncoding::Unspecified);
  EXPECT_EQ(settings::GetAttribute(settings::MainElement(*latin1), "V"), "\xC3\xBC");
  settings::SetAttribute(settings::MainElement(*latin1), "W", "\xE2\x82\xAC!");
  EXPECT_TRUE(settings::SerializeDocument(*latin1).ends_with("<R V=\"\xFC\" W=\" !\"/>"));
}

TEST(XmlLayout, ReducesWhitespaceThenIndentsInTheLineBreaksOfTheFile) {
  const std::string even =
      kDeclaration + "\r\n\r\n<Root>\r\n  <G>\r\n    <K/>\r\n    <K/>\r\n  </G>\r\n</Root>";
  struct Row {
    std::string in;
    std::string out;
  };
  // clang-format off
  const Row rows[] = {
      // The first rewrite keeps a blank behind the last key of each group of an
      // odd number of keys and drops the line break after </Root>.
      {CorpusFile("created.xml"), CorpusFile("rewritten.xml")},
      {CorpusFile("rewritten.xml"), CorpusFile("rewritten.xml")},
      {even + "\r\n", even},
      {"<R>\n\n   <A>  one   two  </A>\t\t<B/>\n  \n</R>",
       kDeclaration + "\n\n<R>\n  <A>\n    one two \n  </A>\n  <B/>\n</R>\n"},
      {"<R>\n<![CDATA[  a\n\n   b ]]>\n<?pi   x\n  y?>\n</R>\n",
       kDeclaration + "\n\n<R>\n  <![CDATA[  a\n\n   b ]]>\n  <?pi x\n  y?>\n</R>\n"},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.in);
    auto document = Parse(row.in, settings::XmlEncoding::Utf8);
    settings::Reformat(*document);
    EXPECT_EQ(settings::SerializeDocument(*document), row.out);
  }
  // The first line break decides, a leading LF aside; text keeps CR LF.
  EXPECT_EQ(Parse("\n<R>\r\n</R>", settings::XmlEncoding::Utf8)->lineBreaks,
            settings::LineBreakStyle::CrLf);
  EXPECT_EQ(Parse("\n\n<R/>", settings::XmlEncoding::Utf8)->lineBreaks,
            settings::LineBreakStyle::Lf);
  EXPECT_EQ(settings::MainElement(*Parse("<R>a\r\nb\nc</R>", settings::XmlEncoding::Utf8))->text,
            "a\r\nb\r\nc");
}

}  // namespace
}  // namespace zelluo
