#pragma once
// A small in-memory XML tree on top of expat, with exactly the operations the
// settings code needs: parse, build from nothing, walk by child position, read
// and write attributes, re-indent, and write back.
//
// Character data is not a node: each node keeps one text string with all the
// character data directly inside it, and each child records how many bytes of
// that text stand in front of it (after the previous child's point). Comments,
// CDATA sections, processing instructions and the document-type declaration are
// child nodes and count in child positions.
//
// Text is held as UTF-8. Every operation accepts a null node and then does
// nothing or answers "none", so that a hand-edited file with missing groups or
// keys can be walked without checks at every step.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelluo::platform {
class Platform;
}  // namespace zelluo::platform

namespace zelluo::settings {

enum class XmlEncoding { Unspecified, Utf8, Utf16, Latin1 };
enum class XmlStandalone { None, No, Yes };
enum class LineBreakStyle { CrLf, Lf, Cr };
enum class XmlNodeKind { Document, Element, Comment, CData, ProcessingInstruction, DocType };

struct XmlNode;
class XmlDocument;

// The fields are open for the layer's own code; callers use the operations
// below. The types are complete here so that callers can own documents.
struct XmlNode {
  XmlNodeKind kind = XmlNodeKind::Element;
  XmlNode* parent = nullptr;
  std::vector<std::unique_ptr<XmlNode>> children;
  std::string name;
  std::string text;
  std::vector<std::pair<std::string, std::string>> attributes;
  int32_t idAttribute = -1;    // the attribute named "id" in any case; -1 for none
  int32_t attributeIndex = 0;  // iteration position for CurrentAttributeName
  size_t offset = 0;           // bytes of the parent's text after the previous child's point
};

class XmlDocument {
 public:
  XmlEncoding encoding = XmlEncoding::Utf8;
  bool encodingFixed = false;  // the caller gave the encoding at load time
  XmlStandalone standalone = XmlStandalone::None;
  LineBreakStyle lineBreaks = LineBreakStyle::CrLf;
  int32_t status = 0;
  int32_t errorLine = 0;
  int32_t errorColumn = 0;
  // Its first element child is the main element.
  XmlNode documentNode;

  XmlDocument() { documentNode.kind = XmlNodeKind::Document; }
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;
};

// Parses bytes into a document. None when bytes is empty; otherwise a document
// even when parsing fails (see DocumentStatus). With an encoding given the input
// is read as that encoding and the file's declaration does not change it.
std::unique_ptr<XmlDocument> ParseDocument(std::string_view bytes, XmlEncoding encoding);
// Reads the file through the platform and parses it; none when the path is
// empty, the file cannot be read or it is empty.
std::unique_ptr<XmlDocument> LoadDocument(platform::Platform& platform, std::string_view path,
                                          XmlEncoding encoding);

// 0 after a successful parse, otherwise expat's error code.
int32_t DocumentStatus(const XmlDocument& document);
// expat's English message for codes 1 to 40, empty otherwise.
std::string ErrorText(const XmlDocument& document);
int32_t ErrorLine(const XmlDocument& document);
// expat's column (0-based) plus 1.
int32_t ErrorColumn(const XmlDocument& document);

// UTF-8, no standalone value, CR LF, status 0, a document node without children.
std::unique_ptr<XmlDocument> CreateDocument();

XmlNode* DocumentNode(XmlDocument& document);
// The first element child of the document node.
XmlNode* MainElement(XmlDocument& document);

// Starts at the first child and steps on n-1 times; n <= 1 gives the first child.
XmlNode* ChildAt(const XmlNode* node, int32_t n);
int32_t ChildCount(const XmlNode* node);
std::string NodeName(const XmlNode* node);
// Names elements and processing instructions; other kinds are left as they are.
void SetNodeName(XmlNode* node, std::string_view name);
// A new, empty element after the parent's last child. Refused (null) on the
// document node when the document already has a main element, and on nodes
// other than elements and the document node.
XmlNode* AppendChild(XmlNode* parent);

// The value of the first attribute with exactly this name; empty when none.
std::string GetAttribute(const XmlNode* node, std::string_view name);
// Replaces the value in place, or appends a new attribute last. Elements only.
bool SetAttribute(XmlNode* node, std::string_view name, std::string_view value);
// The name of the node's first attribute (the program never iterates).
std::string CurrentAttributeName(const XmlNode* node);

// Reduces whitespace and re-indents with two blanks per level, in the
// document's line-break style.
void Reformat(XmlDocument& document);

// The bytes SaveDocument writes.
std::string SerializeDocument(const XmlDocument& document);
// Writes the serialisation through the platform's atomic write; false, with the
// file left alone, when the serialisation would not parse again.
bool SaveDocument(platform::Platform& platform, const XmlDocument& document, std::string_view path);

}  // namespace zelluo::settings
