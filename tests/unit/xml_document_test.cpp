#include "settings/xml_document.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#ifndef ZELLUO_SOURCE_DIR
#define ZELLUO_SOURCE_DIR "."
#endif

namespace zelluo {
namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

std::string JoinLines(std::initializer_list<std::string> lines,
                      const std::string& newLine = "\r\n") {
  std::string out;
  for (const std::string& line : lines) out += line + newLine;
  return out;
}

std::unique_ptr<XmlDocument> Parse(std::string_view bytes,
                                   XmlEncoding encoding = XmlEncoding::Utf8) {
  auto document = ParseDocument(bytes, encoding);
  EXPECT_NE(document, nullptr);
  return document;
}

std::string Relayout(std::string_view bytes) {
  auto document = Parse(bytes);
  Reformat(*document);
  return SerializeDocument(*document);
}

XmlNode* AppendNamed(XmlNode* parent, std::string_view name) {
  XmlNode* child = AppendChild(parent);
  SetNodeName(child, name);
  return child;
}

// Root with three groups of 5, 9 and 5 keys, each key with one Value.
const std::vector<int> kGroupSizes = {5, 9, 5};

std::unique_ptr<XmlDocument> CreateSettingsLikeTree() {
  auto document = CreateDocument();
  XmlNode* root = AppendNamed(DocumentNode(*document), "Root");
  for (size_t g = 0; g < kGroupSizes.size(); ++g) {
    XmlNode* group = AppendNamed(root, "HKey_" + std::to_string(g + 1));
    for (int k = 1; k <= kGroupSizes[g]; ++k) {
      SetAttribute(AppendNamed(group, "Key_" + std::to_string(k)), "Value", std::to_string(k % 2));
    }
  }
  Reformat(*document);
  return document;
}

// The 29 lines of the settings-like tree; lastKeySuffix follows the last key of each group.
std::vector<std::string> SettingsLines(const std::string& lastKeySuffix) {
  std::vector<std::string> lines = {kDeclaration, "", "<Root>"};
  for (size_t g = 0; g < kGroupSizes.size(); ++g) {
    const std::string group = "HKey_" + std::to_string(g + 1);
    lines.push_back("  <" + group + ">");
    for (int k = 1; k <= kGroupSizes[g]; ++k) {
      std::string key =
          "    <Key_" + std::to_string(k) + " Value=\"" + std::to_string(k % 2) + "\"/>";
      lines.push_back(k == kGroupSizes[g] ? key + lastKeySuffix : key);
    }
    lines.push_back("  </" + group + ">");
  }
  lines.push_back("</Root>");
  return lines;
}

std::string Join(const std::vector<std::string>& lines, bool finalBreak) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || finalBreak) out += "\r\n";
  }
  return out;
}

// --- walking and attributes -------------------------------------------------

TEST(XmlDocumentTree, ChildAtCountsEveryKindOfChildFromOne) {
  auto document = Parse("<R><!--c--><?pi data?><A/><![CDATA[x]]><B/></R>");
  ASSERT_EQ(DocumentStatus(*document), 0);
  XmlNode* root = MainElement(*document);
  ASSERT_EQ(ChildCount(root), 5);
  EXPECT_EQ(ChildAt(root, 0), ChildAt(root, 1));
  EXPECT_EQ(ChildAt(root, -3), ChildAt(root, 1));
  EXPECT_EQ(NodeKind(ChildAt(root, 1)), XmlNodeKind::Comment);
  EXPECT_EQ(NodeKind(ChildAt(root, 2)), XmlNodeKind::ProcessingInstruction);
  EXPECT_EQ(NodeName(ChildAt(root, 2)), "pi");
  EXPECT_EQ(NodeText(ChildAt(root, 2)), "data");
  EXPECT_EQ(NodeName(ChildAt(root, 3)), "A");
  EXPECT_EQ(NodeKind(ChildAt(root, 4)), XmlNodeKind::CData);
  EXPECT_EQ(NodeText(ChildAt(root, 4)), "x");
  EXPECT_EQ(NodeName(ChildAt(root, 5)), "B");
  EXPECT_EQ(ChildAt(root, 6), nullptr);
  EXPECT_EQ(ChildAt(ChildAt(root, 3), 0), nullptr);
}

TEST(XmlDocumentTree, EveryOperationAcceptsNull) {
  EXPECT_EQ(ChildAt(nullptr, 1), nullptr);
  EXPECT_EQ(ChildCount(nullptr), 0);
  EXPECT_EQ(NodeName(nullptr), "");
  EXPECT_EQ(NodeText(nullptr), "");
  EXPECT_EQ(AppendChild(nullptr), nullptr);
  EXPECT_EQ(GetAttribute(nullptr, "Value"), "");
  EXPECT_FALSE(SetAttribute(nullptr, "Value", "1"));
  EXPECT_EQ(CurrentAttributeName(nullptr), "");
  SetNodeName(nullptr, "x");
  // A hand-edited file with a missing group is walked without checks.
  auto document = Parse("<Root><G/></Root>");
  EXPECT_EQ(GetAttribute(ChildAt(ChildAt(ChildAt(MainElement(*document), 2), 1), 1), "Value"), "");
}

TEST(XmlDocumentTree, AttributesAreCaseSensitiveAndKeepTheirOrder) {
  auto document = Parse("<R><K Value=\"1\" Other=\"2\"/></R>");
  XmlNode* key = ChildAt(MainElement(*document), 1);
  EXPECT_EQ(GetAttribute(key, "Value"), "1");
  EXPECT_EQ(GetAttribute(key, "value"), "");
  EXPECT_EQ(GetAttribute(key, "VALUE"), "");
  EXPECT_EQ(CurrentAttributeName(key), "Value");

  EXPECT_TRUE(SetAttribute(key, "Value", "0"));
  EXPECT_TRUE(SetAttribute(key, "value", "3"));
  EXPECT_TRUE(SetAttribute(key, "Id", "k"));
  EXPECT_EQ(key->idAttribute, 3);
  EXPECT_EQ(SerializeDocument(*document),
            std::string(kDeclaration) + "<R><K Value=\"0\" Other=\"2\" value=\"3\" Id=\"k\"/></R>");
  EXPECT_EQ(CurrentAttributeName(key), "Value");
}

TEST(XmlDocumentTree, OnlyElementsTakeAttributesAndNames) {
  auto document = Parse("<!--c--><R/>");
  XmlNode* comment = ChildAt(DocumentNode(*document), 1);
  ASSERT_EQ(NodeKind(comment), XmlNodeKind::Comment);
  EXPECT_FALSE(SetAttribute(comment, "A", "1"));
  EXPECT_FALSE(SetAttribute(DocumentNode(*document), "A", "1"));
  SetNodeName(comment, "x");
  EXPECT_EQ(NodeName(comment), "");
  EXPECT_EQ(SerializeDocument(*document), std::string(kDeclaration) + "<!--c--><R/>");
}

TEST(XmlDocumentTree, DocumentNodeTakesOneMainElement) {
  auto document = CreateDocument();
  EXPECT_EQ(MainElement(*document), nullptr);
  EXPECT_EQ(ChildCount(DocumentNode(*document)), 0);
  XmlNode* root = AppendChild(DocumentNode(*document));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(MainElement(*document), root);
  EXPECT_EQ(AppendChild(DocumentNode(*document)), nullptr);
  EXPECT_EQ(ChildCount(DocumentNode(*document)), 1);
  // A parsed document with a comment before the root still has that root as main element.
  auto parsed = Parse("<!--c--><R/>");
  EXPECT_EQ(NodeName(MainElement(*parsed)), "R");
  EXPECT_EQ(AppendChild(DocumentNode(*parsed)), nullptr);
}

// --- serialisation and encodings -------------------------------------------

TEST(XmlDocumentWrite, EscapesTextAndAttributeValues) {
  auto document = CreateDocument();
  XmlNode* root = AppendNamed(DocumentNode(*document), "R");
  root->text = "a&b<c>\"d'e";
  SetAttribute(root, "V", "x&y<z>\"q'\xC3\xBC\xF0\x9F\x98\x80");
  EXPECT_EQ(
      SerializeDocument(*document),
      std::string(kDeclaration) +
          "<R "
          "V=\"x&amp;y&lt;z&gt;&quot;q&apos;\xC3\xBC\xF0\x9F\x98\x80\">a&amp;b&lt;c&gt;\"d'e</R>");
}

TEST(XmlDocumentWrite, NonTextNodesAreWrittenUnescaped) {
  const std::string bytes =
      std::string(kDeclaration) + "<R><!-- a<b --><?go x&y?><![CDATA[<&>]]>t&amp;</R>";
  auto document = Parse(bytes);
  EXPECT_EQ(SerializeDocument(*document), bytes);
}

TEST(XmlDocumentWrite, RoundTripKeepsTextOutsideTheRootAndTheDeclaration) {
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<!-- note -->\r\n\r\n<Root>\r\n  <A V=\"1\"/>\r\n</Root>\r\n\r\n";
  auto document = Parse(bytes);
  EXPECT_EQ(Standalone(*document), XmlStandalone::Yes);
  EXPECT_EQ(SerializeDocument(*document), bytes);
  EXPECT_EQ(ChildCount(DocumentNode(*document)), 2);
}

TEST(XmlDocumentWrite, Latin1DeclarationSetsTheOutputEncodingUnlessFixed) {
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"no\"?><R V=\"\xFC\"/>";
  auto document = Parse(bytes, XmlEncoding::Unspecified);
  ASSERT_EQ(DocumentStatus(*document), 0);
  EXPECT_EQ(OutputEncoding(*document), XmlEncoding::Latin1);
  EXPECT_EQ(Standalone(*document), XmlStandalone::No);
  XmlNode* root = MainElement(*document);
  EXPECT_EQ(GetAttribute(root, "V"), "\xC3\xBC");  // held as UTF-8
  SetAttribute(root, "W", "\xE2\x82\xAC!");        // the euro sign has no Latin-1 byte
  EXPECT_EQ(SerializeDocument(*document), bytes.substr(0, bytes.size() - 2) + " W=\" !\"/>");

  auto fixed =
      Parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><R V=\"a\"/>", XmlEncoding::Utf8);
  ASSERT_EQ(DocumentStatus(*fixed), 0);
  EXPECT_EQ(OutputEncoding(*fixed), XmlEncoding::Utf8);
  EXPECT_EQ(SerializeDocument(*fixed), std::string(kDeclaration) + "<R V=\"a\"/>");

  auto ascii = Parse("<?xml version=\"1.0\" encoding=\"us-ascii\"?><R/>", XmlEncoding::Unspecified);
  EXPECT_EQ(OutputEncoding(*ascii), XmlEncoding::Latin1);
  auto other =
      Parse("<?xml version=\"1.0\" encoding=\"windows-1252\"?><R/>", XmlEncoding::Unspecified);
  EXPECT_EQ(OutputEncoding(*other), XmlEncoding::Utf8);
}

std::string Utf16Le(std::u16string_view text) {
  std::string out;
  for (const char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

TEST(XmlDocumentWrite, Utf16FileIsReadAndWrittenByUnits) {
  // Its CR LF shows as CR, zero byte, LF, zero byte: read by bytes it would look like a lone CR.
  const std::u16string body = u"<R V=\"\u00FC\U0001F600\">\r\n</R>";
  auto document = Parse(Utf16Le(u"\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n" + body),
                        XmlEncoding::Unspecified);
  ASSERT_EQ(DocumentStatus(*document), 0);
  EXPECT_EQ(OutputEncoding(*document), XmlEncoding::Utf16);
  EXPECT_EQ(LineBreaks(*document), LineBreakStyle::CrLf);
  EXPECT_EQ(GetAttribute(MainElement(*document), "V"), "\xC3\xBC\xF0\x9F\x98\x80");
  EXPECT_EQ(SerializeDocument(*document),
            Utf16Le(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n" + body));
}

// --- layout -------------------------------------------------------------------

TEST(XmlDocumentLayout, CreatedDocumentAndItsFirstRewrite) {
  auto document = CreateDocument();
  XmlNode* root = AppendNamed(DocumentNode(*document), "Root");
  SetAttribute(AppendNamed(root, "Child"), "A", "v");
  Reformat(*document);
  const std::string created =
      JoinLines({kDeclaration, "", "<Root>", "  <Child A=\"v\"/>", "</Root>"});
  ASSERT_EQ(SerializeDocument(*document), created);

  const std::string rewritten = created.substr(0, created.size() - 2);
  EXPECT_EQ(Relayout(created), rewritten);
  EXPECT_EQ(Relayout(rewritten), rewritten);
}

TEST(XmlDocumentLayout, SettingsTreeCreatedThenRewrittenInItsSecondForm) {
  auto document = CreateSettingsLikeTree();
  const std::string created = SerializeDocument(*document);
  ASSERT_EQ(created, Join(SettingsLines(""), true));
  EXPECT_EQ(SettingsLines("").size(), 29u);

  // Lines 9, 20 and 27 (the last key of each group) gain a trailing blank and the
  // line break after </Root> goes.
  const std::string second = Relayout(created);
  EXPECT_EQ(second, Join(SettingsLines(" "), false));

  auto loaded = Parse(second);
  SetAttribute(ChildAt(ChildAt(MainElement(*loaded), 2), 4), "Value", "Eng & <lish>");
  Reformat(*loaded);
  std::vector<std::string> expected = SettingsLines(" ");
  expected[14] = "    <Key_4 Value=\"Eng &amp; &lt;lish&gt;\"/>";
  EXPECT_EQ(SerializeDocument(*loaded), Join(expected, false));
  EXPECT_EQ(Relayout(SerializeDocument(*loaded)), Join(expected, false));
}

// Pass 1 keeps the line break in front of the first child, drops the one
// after it (the flags carry over the child) but keeps one blank, keeps the next
// break, and so on: with an odd number of children the final piece keeps a
// blank, which lands in front of the end tag's line break.
TEST(XmlDocumentLayout, TrailingBlankDependsOnTheNumberOfChildren) {
  const auto build = [](int children) {
    std::vector<std::string> lines = {kDeclaration, "", "<Root>", "  <G>"};
    for (int i = 0; i < children; ++i) lines.push_back("    <K/>");
    lines.insert(lines.end(), {"  </G>", "</Root>"});
    return lines;
  };
  std::vector<std::string> three = build(3);
  const std::string threeCreated = Join(three, true);
  three[6] += " ";
  EXPECT_EQ(Relayout(threeCreated), Join(three, false));
  EXPECT_EQ(Relayout(Join(build(2), true)), Join(build(2), false));
}

// With nothing outside the root the document node has no text and gets the
// created layout: an empty line in front of the root, a line break after it.
TEST(XmlDocumentLayout, WhitespaceIsReducedAndTextIndented) {
  auto document = Parse("<R>\n\n   <A>  one   two  </A>\t\t<B/>\n  \n</R>");
  Reformat(*document);
  EXPECT_EQ(SerializeDocument(*document),
            std::string(kDeclaration) + "\n\n<R>\n  <A>\n    one two \n  </A>\n  <B/>\n</R>\n");
}

TEST(XmlDocumentLayout, CDataAndProcessingInstructionsKeepTheirWhitespace) {
  auto document = Parse("<R>\n<![CDATA[  a\n\n   b ]]>\n<?pi   x\n  y?>\n</R>\n");
  Reformat(*document);
  EXPECT_EQ(NodeText(ChildAt(MainElement(*document), 1)), "  a\n\n   b ");
  EXPECT_EQ(
      SerializeDocument(*document),
      std::string(kDeclaration) + "\n\n<R>\n  <![CDATA[  a\n\n   b ]]>\n  <?pi x\n  y?>\n</R>\n");
}

TEST(XmlDocumentLayout, LineBreakStyleComesFromTheFirstLineBreak) {
  const std::string lf = JoinLines({kDeclaration, "", "<Root>", "  <A/>", "</Root>"}, "\n");
  auto lfDocument = Parse(lf);
  EXPECT_EQ(LineBreaks(*lfDocument), LineBreakStyle::Lf);
  EXPECT_EQ(Relayout(lf), lf.substr(0, lf.size() - 1));

  const std::string cr = JoinLines({kDeclaration, "", "<Root>", "  <A/>", "</Root>"}, "\r");
  auto crDocument = Parse(cr);
  EXPECT_EQ(LineBreaks(*crDocument), LineBreakStyle::Cr);
  EXPECT_EQ(Relayout(cr), cr.substr(0, cr.size() - 1));

  EXPECT_EQ(LineBreaks(*Parse("\n<R>\r\n</R>")),
            LineBreakStyle::CrLf);  // a leading LF does not count
  EXPECT_EQ(LineBreaks(*Parse("\n\n<R/>")), LineBreakStyle::Lf);
  EXPECT_EQ(LineBreaks(*Parse("<R/>")), LineBreakStyle::CrLf);
  // Character data in a CR LF document holds CR LF even though expat passes LF.
  auto crlf = Parse("<R>a\r\nb\nc</R>");
  EXPECT_EQ(NodeText(MainElement(*crlf)), "a\r\nb\r\nc");
}

// --- loading failures -------------------------------------------------------

TEST(XmlDocumentLoad, EmptyInputGivesNoDocument) {
  EXPECT_EQ(ParseDocument("", XmlEncoding::Utf8), nullptr);
  EXPECT_EQ(ParseDocument("", XmlEncoding::Unspecified), nullptr);
}

TEST(XmlDocumentLoad, FileCutBeforeTheRootEndTagKeepsTheTreeSoFar) {
  const std::string created = SerializeDocument(*CreateSettingsLikeTree());
  const std::string cut = created.substr(0, created.rfind("</Root>"));
  auto document = Parse(cut);
  EXPECT_EQ(DocumentStatus(*document), 3);
  EXPECT_EQ(ErrorText(*document), "no element found");
  // Parsing stops at the end of the input: the start of line 29, expat's column 0.
  EXPECT_EQ(ErrorLine(*document), 29);
  EXPECT_EQ(ErrorColumn(*document), 1);
  EXPECT_EQ(ChildCount(MainElement(*document)), 3);
  EXPECT_EQ(GetAttribute(ChildAt(ChildAt(MainElement(*document), 3), 5), "Value"), "1");
}

TEST(XmlDocumentLoad, SyntaxErrorReportsItsPosition) {
  auto document = Parse("<R>\r\n  <A></B>\r\n</R>");
  EXPECT_EQ(DocumentStatus(*document), 7);  // mismatched tag
  EXPECT_EQ(ErrorText(*document), "mismatched tag");
  EXPECT_EQ(ErrorLine(*document), 2);
  EXPECT_EQ(ErrorColumn(*document), 8);  // expat points at the name B, its 0-based column 7
  auto success = Parse("<R/>");
  EXPECT_EQ(DocumentStatus(*success), 0);
  EXPECT_EQ(ErrorText(*success), "");
}

TEST(XmlDocumentLoad, ExternalEntitiesAreNeverRead) {
  const std::string bytes = "<!DOCTYPE R [\n<!ENTITY x SYSTEM \"file://" ZELLUO_SOURCE_DIR
                            "/CMakeLists.txt\">\n]>\n<R>&x;</R>";
  auto document = Parse(bytes);
  EXPECT_EQ(DocumentStatus(*document), 0);
  EXPECT_EQ(NodeText(MainElement(*document)), "");
  XmlNode* doctype = ChildAt(DocumentNode(*document), 1);
  EXPECT_EQ(NodeKind(doctype), XmlNodeKind::DocType);
  EXPECT_EQ(SerializeDocument(*document),
            std::string(kDeclaration) + bytes.substr(0, bytes.size() - 10) + "<R/>");

  const std::string external = "<!DOCTYPE R PUBLIC \"-//Z//X\" 'q\"t.dtd'>\n<R/>";
  EXPECT_EQ(SerializeDocument(*Parse(external)), kDeclaration + external);
}

TEST(XmlDocumentLoad, EntityExpansionIsBounded) {
  std::string bytes = "<!DOCTYPE R [<!ENTITY e0 \"ha\">";
  for (int i = 1; i <= 10; ++i) {
    bytes += "<!ENTITY e" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) bytes += "&e" + std::to_string(i - 1) + ";";
    bytes += "\">";
  }
  bytes += "]><R>&e10;</R>";
  auto document = Parse(bytes);
  EXPECT_EQ(DocumentStatus(*document), 43);  // amplification limit breach
  EXPECT_EQ(ErrorText(*document), "");       // beyond the codes with a text
}

}  // namespace
}  // namespace zelluo
