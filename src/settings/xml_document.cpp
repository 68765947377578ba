#include "settings/xml_document.h"

#include <expat.h>

#include <algorithm>
#include <cctype>

#include "platform/platform.h"
#include "texts/text_tools.h"

namespace zelluo::settings {
namespace {

constexpr size_t kChunkSize = 16384;

bool IsBlank(char c) { return text::IsBlankChar(c, text::kLineBlanks); }

// Length of the line break (CR LF, lone CR or lone LF) at text[i]; 0 for none.
size_t LineBreakAt(std::string_view text, size_t i) {
  if (text[i] == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  return text[i] == '\n' ? 1 : 0;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view NewLine(LineBreakStyle style) {
  switch (style) {
    case LineBreakStyle::Lf:
      return "\n";
    case LineBreakStyle::Cr:
      return "\r";
    case LineBreakStyle::CrLf:
      break;
  }
  return "\r\n";
}

void AppendIndent(std::string& out, int32_t count) {
  if (count > 0) out.append(static_cast<size_t>(count), ' ');
}

// The part of text that starts at pos and is at most length bytes long.
std::string_view PieceOf(std::string_view text, size_t pos,
                         size_t length = std::string_view::npos) {
  return text.substr(std::min(pos, text.size()), length);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The line-break style is that of the first line break in the raw bytes. A file
// with more than four zero bytes is taken to be UTF-16 (little-endian) and read
// by 16-bit units; a single line feed at the very start does not count.
LineBreakStyle DetectLineBreaks(std::string_view bytes) {
  const size_t width = std::count(bytes.begin(), bytes.end(), '\0') > 4 ? 2 : 1;
  auto unit = [&](size_t i) -> uint32_t {
    const auto low = static_cast<unsigned char>(bytes[i * width]);
    return width == 1 ? low : low | static_cast<unsigned char>(bytes[i * width + 1]) << 8;
  };
  const size_t count = bytes.size() / width;
  for (size_t i = count > 0 && unit(0) == '\n' ? 1 : 0; i < count; ++i) {
    if (unit(i) == '\r')
      return i + 1 < count && unit(i + 1) == '\n' ? LineBreakStyle::CrLf : LineBreakStyle::Cr;
    if (unit(i) == '\n') return LineBreakStyle::Lf;
  }
  return LineBreakStyle::CrLf;
}

const char* ParserEncodingName(XmlEncoding encoding) {
  switch (encoding) {
    case XmlEncoding::Utf8:
      return "UTF-8";
    case XmlEncoding::Utf16:
      return "UTF-16";
    case XmlEncoding::Latin1:
      return "ISO-8859-1";
    case XmlEncoding::Unspecified:
      break;
  }
  return nullptr;
}

XmlEncoding EncodingFromDeclaration(std::string_view name) {
  if (EqualsIgnoringCase(name, "US-ASCII") || EqualsIgnoringCase(name, "ISO-8859-1"))
    return XmlEncoding::Latin1;
  if (EqualsIgnoringCase(name, "UTF-16")) return XmlEncoding::Utf16;
  return XmlEncoding::Utf8;
}

void AddAttribute(XmlNode& node, std::string_view name, std::string_view value) {
  node.attributes.emplace_back(name, value);
  if (EqualsIgnoringCase(name, "id"))
    node.idAttribute = static_cast<int32_t>(node.attributes.size() - 1);
}

// ---------------------------------------------------------------------------
// Loading: what the layer keeps of expat's callbacks.

struct ParseState {
  XmlDocument* document = nullptr;
  XmlNode* current = nullptr;       // receives character data and new children
  std::vector<size_t> childPoints;  // per open node: its text length at its last child
  XmlNode* cdata = nullptr;         // open CDATA section
  XmlNode* doctype = nullptr;       // open document-type declaration
  bool inInternalSubset = false;
};

ParseState& StateOf(void* userData) { return *static_cast<ParseState*>(userData); }

// Character data arrives with every line break as LF; it is kept in the
// document's own style.
void AppendConverted(std::string& out, const XML_Char* data, size_t length, LineBreakStyle style) {
  const std::string_view newLine = NewLine(style);
  for (size_t i = 0; i < length; ++i) {
    if (data[i] == '\n')
      out += newLine;
    else
      out += data[i];
  }
}

std::string Converted(const XML_Char* data, LineBreakStyle style) {
  std::string out;
  AppendConverted(out, data, std::char_traits<char>::length(data), style);
  return out;
}

// A new child of the current node, standing at the current end of its text.
XmlNode* AttachChild(ParseState& state, XmlNodeKind kind) {
  XmlNode& parent = *state.current;
  auto child = std::make_unique<XmlNode>();
  child->kind = kind;
  child->parent = &parent;
  child->offset = parent.text.size() - state.childPoints.back();
  state.childPoints.back() = parent.text.size();
  parent.children.push_back(std::move(child));
  return parent.children.back().get();
}

void XMLCALL OnStartElement(void* userData, const XML_Char* name, const XML_Char** attributes) {
  ParseState& state = StateOf(userData);
  XmlNode* element = AttachChild(state, XmlNodeKind::Element);
  element->name = name;
  for (size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2) {
    AddAttribute(*element, attributes[i], attributes[i + 1]);
  }
  state.current = element;
  state.childPoints.push_back(0);
}

void XMLCALL OnEndElement(void* userData, const XML_Char*) {
  ParseState& state = StateOf(userData);
  if (state.current->parent == nullptr) return;
  state.current = state.current->parent;
  state.childPoints.pop_back();
}

void XMLCALL OnCharacterData(void* userData, const XML_Char* data, int length) {
  ParseState& state = StateOf(userData);
  XmlNode* target = state.cdata != nullptr ? state.cdata : state.current;
  AppendConverted(target->text, data, static_cast<size_t>(length), state.document->lineBreaks);
}

void XMLCALL OnComment(void* userData, const XML_Char* data) {
  ParseState& state = StateOf(userData);
  AttachChild(state, XmlNodeKind::Comment)->text = Converted(data, state.document->lineBreaks);
}

void XMLCALL OnStartCdata(void* userData) {
  ParseState& state = StateOf(userData);
  state.cdata = AttachChild(state, XmlNodeKind::CData);
}

void XMLCALL OnEndCdata(void* userData) { StateOf(userData).cdata = nullptr; }

void XMLCALL OnProcessingInstruction(void* userData, const XML_Char* target, const XML_Char* data) {
  ParseState& state = StateOf(userData);
  XmlNode* instruction = AttachChild(state, XmlNodeKind::ProcessingInstruction);
  instruction->name = target;
  instruction->text = Converted(data, state.document->lineBreaks);
}

std::string QuotedLiteral(std::string_view literal) {
  const char quote = literal.find('"') == std::string_view::npos ? '"' : '\'';
  return std::string(1, quote).append(literal).append(1, quote);
}

// The declaration is kept as the text it is written back as: the name, the
// external identifier and the internal subset as it stood in the file.
void XMLCALL OnStartDoctype(void* userData, const XML_Char* name, const XML_Char* systemId,
                            const XML_Char* publicId, int hasInternalSubset) {
  ParseState& state = StateOf(userData);
  XmlNode* doctype = AttachChild(state, XmlNodeKind::DocType);
  doctype->text = std::string("<!DOCTYPE ") + name;
  if (publicId != nullptr) {
    doctype->text +=
        " PUBLIC " + QuotedLiteral(publicId) + " " + QuotedLiteral(systemId ? systemId : "");
  } else if (systemId != nullptr) {
    doctype->text += " SYSTEM " + QuotedLiteral(systemId);
  }
  if (hasInternalSubset) doctype->text += " [";
  state.doctype = doctype;
  state.inInternalSubset = hasInternalSubset != 0;
}

void XMLCALL OnEndDoctype(void* userData) {
  ParseState& state = StateOf(userData);
  if (state.doctype == nullptr) return;
  state.doctype->text += state.inInternalSubset ? "]>" : ">";
  state.doctype = nullptr;
  state.inInternalSubset = false;
}

// Everything expat has no other handler for: the raw markup of the internal
// subset, and the whitespace around the root element, which goes unchanged into
// the document node's text. Unresolved entity references inside elements are
// dropped.
void XMLCALL OnDefault(void* userData, const XML_Char* data, int length) {
  ParseState& state = StateOf(userData);
  if (state.doctype != nullptr) {
    if (state.inInternalSubset) state.doctype->text.append(data, static_cast<size_t>(length));
  } else if (state.current == &state.document->documentNode) {
    state.current->text.append(data, static_cast<size_t>(length));
  }
}

void XMLCALL OnXmlDeclaration(void* userData, const XML_Char* version, const XML_Char* encoding,
                              int standalone) {
  XmlDocument& document = *StateOf(userData).document;
  if (version == nullptr) return;  // a text declaration of an external entity
  if (standalone == 0) document.standalone = XmlStandalone::No;
  if (standalone == 1) document.standalone = XmlStandalone::Yes;
  if (!document.encodingFixed)
    document.encoding = EncodingFromDeclaration(encoding ? encoding : "");
}

// ---------------------------------------------------------------------------
// Layout, pass 1: whitespace reduction. The two flags run through the whole
// walk in document order, across node boundaries.

struct ReduceFlags {
  bool afterBreak = false;
  bool afterText = false;
};

bool KeepsItsText(const XmlNode& node) {
  return node.kind == XmlNodeKind::CData || node.kind == XmlNodeKind::ProcessingInstruction ||
         node.kind == XmlNodeKind::DocType;
}

void ReducePiece(std::string_view piece, ReduceFlags& flags, std::string& out) {
  for (size_t i = 0; i < piece.size();) {
    if (const size_t length = LineBreakAt(piece, i)) {
      if (!flags.afterBreak) {
        out.append(piece.substr(i, length));
        flags.afterBreak = true;
        flags.afterText = false;
      }
      i += length;
      continue;
    }
    const char c = piece[i++];
    if (!IsBlank(c)) {
      out += c;
      flags.afterText = true;
      flags.afterBreak = false;
    } else if (flags.afterText) {
      out += c;
      flags.afterText = false;
      flags.afterBreak = false;
    }
  }
}

void ReduceNode(XmlNode& node, ReduceFlags& flags) {
  if (KeepsItsText(node)) return;
  if (node.text.empty()) {
    for (auto& child : node.children) {
      child->offset = 0;
      ReduceNode(*child, flags);
    }
    return;
  }
  if (node.kind != XmlNodeKind::Document) flags = {.afterBreak = false, .afterText = true};
  std::string reduced;
  size_t pos = 0;
  for (auto& child : node.children) {
    const size_t start = reduced.size();
    ReducePiece(PieceOf(node.text, pos, child->offset), flags, reduced);
    pos += child->offset;
    child->offset = reduced.size() - start;
    ReduceNode(*child, flags);
    flags.afterText = true;
  }
  ReducePiece(PieceOf(node.text, pos), flags, reduced);
  node.text = std::move(reduced);
}

// ---------------------------------------------------------------------------
// Layout, pass 2: re-indentation. The children of a node stand at indentation
// `indent`; its own end tag at indent - 2.

// Copies piece from pos on, writing every line break as a new line at the
// given indentation and skipping the blanks and tabs that follow it. True when
// the piece ended right after such a line break.
bool CopyIndented(std::string_view piece, size_t pos, int32_t indent, std::string_view newLine,
                  std::string& out) {
  bool endsAfterBreak = false;
  while (pos < piece.size()) {
    if (const size_t length = LineBreakAt(piece, pos)) {
      out += newLine;
      AppendIndent(out, indent);
      for (pos += length; pos < piece.size() && IsBlank(piece[pos]);) ++pos;
      endsAfterBreak = true;
    } else {
      out += piece[pos++];
      endsAfterBreak = false;
    }
  }
  return endsAfterBreak;
}

// Below the document node an element, and the first child, get an empty line
// in front of them, as does whatever follows an element.
bool NeedsEmptyLineBefore(const XmlNode& child, const XmlNode* previous) {
  return previous == nullptr || child.kind == XmlNodeKind::Element ||
         previous->kind == XmlNodeKind::Element;
}

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

void IndentNode(XmlNode& node, int32_t indent, std::string_view newLine) {
  if (KeepsItsText(node)) return;
  if (node.kind == XmlNodeKind::Comment && node.children.empty() && !HasLineBreak(node.text))
    return;
  const bool isDocument = node.kind == XmlNodeKind::Document;
  const XmlNode* previous = nullptr;
  std::string out;

  if (node.text.empty()) {
    if (node.children.empty()) return;  // written as an empty-element tag
    for (auto& child : node.children) {
      const size_t start = out.size();
      if (isDocument && NeedsEmptyLineBefore(*child, previous)) out += newLine;
      out += newLine;
      AppendIndent(out, indent);
      child->offset = out.size() - start;
      IndentNode(*child, indent + 2, newLine);
      previous = child.get();
    }
    out += newLine;
    if (!isDocument) AppendIndent(out, indent - 2);
    node.text = std::move(out);
    return;
  }

  size_t pos = 0;
  for (auto& child : node.children) {
    const std::string_view piece = PieceOf(node.text, pos, child->offset);
    pos += child->offset;
    const size_t start = out.size();
    const size_t first = SkipBlanks(piece, 0);
    if (first < piece.size() && LineBreakAt(piece, first) == 0) {
      out += newLine;
      AppendIndent(out, indent);
    }
    if (isDocument && NeedsEmptyLineBefore(*child, previous)) out += newLine;
    if (!CopyIndented(piece, first, indent, newLine, out)) {
      out += newLine;
      AppendIndent(out, indent);
    }
    child->offset = out.size() - start;
    IndentNode(*child, indent + 2, newLine);
    previous = child.get();
  }

  const std::string_view rest = PieceOf(node.text, pos);
  size_t first = 0;
  if (node.children.empty()) {
    first = SkipBlanks(rest, 0);
    if (first >= rest.size() || LineBreakAt(rest, first) == 0) {
      out += newLine;
      AppendIndent(out, indent);
    }
  }
  if (CopyIndented(rest, first, indent, newLine, out)) {
    // The end tag stands two blanks further left than the children.
    out.resize(out.size() - static_cast<size_t>(std::clamp(indent, 0, 2)));
  } else if (!isDocument) {
    out += newLine;
    AppendIndent(out, indent - 2);
  }
  node.text = std::move(out);
}

// ---------------------------------------------------------------------------
// Serialisation, built as UTF-8 and converted to the output encoding at the end.

void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
  text::AppendXmlEscaped(out, text,
                         inAttribute ? text::XmlQuotes::XmlEntities : text::XmlQuotes::Kept);
}

void WriteNode(const XmlNode& node, std::string& out);

void WriteContent(const XmlNode& node, std::string& out) {
  size_t pos = 0;
  for (const auto& child : node.children) {
    AppendEscaped(out, PieceOf(node.text, pos, child->offset), false);
    pos += child->offset;
    WriteNode(*child, out);
  }
  AppendEscaped(out, PieceOf(node.text, pos), false);
}

void WriteNode(const XmlNode& node, std::string& out) {
  switch (node.kind) {
    case XmlNodeKind::Document:
      WriteContent(node, out);
      return;
    case XmlNodeKind::Comment:
      out.append("<!--").append(node.text).append("-->");
      return;
    case XmlNodeKind::CData:
      out.append("<![CDATA[").append(node.text).append("]]>");
      return;
    case XmlNodeKind::ProcessingInstruction:
      out.append("<?").append(node.name).append(" ").append(node.text).append("?>");
      return;
    case XmlNodeKind::DocType:
      out += node.text;
      return;
    case XmlNodeKind::Element:
      break;
  }
  out.append("<").append(node.name);
  for (const auto& [name, value] : node.attributes) {
    out.append(" ").append(name).append("=\"");
    AppendEscaped(out, value, true);
    out += '"';
  }
  if (node.children.empty() && node.text.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  WriteContent(node, out);
  out.append("</").append(node.name).append(">");
}

// One code point from UTF-8 at text[pos], advancing pos; a malformed sequence
// gives U+FFFD for its first byte.
char32_t NextCodePoint(std::string_view text, size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  const size_t length = lead < 0x80         ? 1
                        : (lead >> 5) == 6  ? 2
                        : (lead >> 4) == 14 ? 3
                        : (lead >> 3) == 30 ? 4
                                            : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return 0xFFFD;
  }
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    code = code << 6 | (next & 0x3F);
  }
  pos += length;
  return code;
}

// ISO-8859-1 writes every character above 255 as a blank; UTF-16 is written
// little-endian without a byte-order mark.
std::string EncodeOutput(std::string_view utf8, XmlEncoding encoding) {
  if (encoding != XmlEncoding::Latin1 && encoding != XmlEncoding::Utf16) return std::string(utf8);
  std::string out;
  auto appendUnit = [&out](char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  };
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t code = NextCodePoint(utf8, pos);
    if (encoding == XmlEncoding::Latin1) {
      out += code > 0xFF ? ' ' : static_cast<char>(code);
    } else if (code < 0x10000) {
      appendUnit(code);
    } else {
      appendUnit(0xD800 + ((code - 0x10000) >> 10));
      appendUnit(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------

std::unique_ptr<XmlDocument> ParseDocument(std::string_view bytes, XmlEncoding encoding) {
  if (bytes.empty()) return nullptr;
  auto document = std::make_unique<XmlDocument>();
  document->lineBreaks = DetectLineBreaks(bytes);
  document->encodingFixed = encoding != XmlEncoding::Unspecified;
  if (document->encodingFixed) document->encoding = encoding;

  XML_Parser parser = XML_ParserCreate(ParserEncodingName(encoding));
  if (parser == nullptr) {
    document->status = XML_ERROR_NO_MEMORY;
    return document;
  }
  ParseState state{
      .document = document.get(), .current = &document->documentNode, .childPoints = {0}};
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(parser, OnStartElement, OnEndElement);
  XML_SetCharacterDataHandler(parser, OnCharacterData);
  XML_SetCommentHandler(parser, OnComment);
  XML_SetCdataSectionHandler(parser, OnStartCdata, OnEndCdata);
  XML_SetProcessingInstructionHandler(parser, OnProcessingInstruction);
  XML_SetDoctypeDeclHandler(parser, OnStartDoctype, OnEndDoctype);
  XML_SetXmlDeclHandler(parser, OnXmlDeclaration);
  // The expanding variant, so that internal entities still reach OnCharacterData.
  XML_SetDefaultHandlerExpand(parser, OnDefault);
  // External entities are never read: no parameter entities and no handler
  // that would fetch one.
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);

  for (size_t pos = 0; pos < bytes.size();) {
    const size_t length = std::min(kChunkSize, bytes.size() - pos);
    const bool isFinal = pos + length == bytes.size();
    if (XML_Parse(parser, bytes.data() + pos, static_cast<int>(length), isFinal) ==
        XML_STATUS_ERROR) {
      document->status = static_cast<int32_t>(XML_GetErrorCode(parser));
      break;
    }
    pos += length;
  }
  document->errorLine = static_cast<int32_t>(XML_GetCurrentLineNumber(parser));
  document->errorColumn = static_cast<int32_t>(XML_GetCurrentColumnNumber(parser)) + 1;
  XML_ParserFree(parser);
  return document;
}

std::unique_ptr<XmlDocument> LoadDocument(platform::Platform& platform, std::string_view path,
                                          XmlEncoding encoding) {
  if (path.empty()) return nullptr;
  const std::optional<std::string> bytes = platform.ReadFile(path);
  if (!bytes || bytes->empty()) return nullptr;
  return ParseDocument(*bytes, encoding);
}

int32_t DocumentStatus(const XmlDocument& document) { return document.status; }

std::string ErrorText(const XmlDocument& document) {
  if (document.status < 1 || document.status > 40) return {};
  const XML_LChar* text = XML_ErrorString(static_cast<XML_Error>(document.status));
  return text != nullptr ? text : "";
}

int32_t ErrorLine(const XmlDocument& document) { return document.errorLine; }
int32_t ErrorColumn(const XmlDocument& document) { return document.errorColumn; }

std::unique_ptr<XmlDocument> CreateDocument() { return std::make_unique<XmlDocument>(); }

XmlNode* DocumentNode(XmlDocument& document) { return &document.documentNode; }

XmlNode* MainElement(XmlDocument& document) {
  for (auto& child : document.documentNode.children) {
    if (child->kind == XmlNodeKind::Element) return child.get();
  }
  return nullptr;
}

XmlNode* ChildAt(const XmlNode* node, int32_t n) {
  if (node == nullptr) return nullptr;
  const size_t index = n <= 1 ? 0 : static_cast<size_t>(n) - 1;
  return index < node->children.size() ? node->children[index].get() : nullptr;
}

int32_t ChildCount(const XmlNode* node) {
  return node != nullptr ? static_cast<int32_t>(node->children.size()) : 0;
}

std::string NodeName(const XmlNode* node) { return node != nullptr ? node->name : std::string(); }

void SetNodeName(XmlNode* node, std::string_view name) {
  if (node != nullptr &&
      (node->kind == XmlNodeKind::Element || node->kind == XmlNodeKind::ProcessingInstruction)) {
    node->name = name;
  }
}

XmlNode* AppendChild(XmlNode* parent) {
  if (parent == nullptr) return nullptr;
  if (parent->kind == XmlNodeKind::Document) {
    const bool hasMainElement =
        std::any_of(parent->children.begin(), parent->children.end(),
                    [](const auto& child) { return child->kind == XmlNodeKind::Element; });
    if (hasMainElement) return nullptr;
  } else if (parent->kind != XmlNodeKind::Element) {
    return nullptr;  // only elements and the document hold elements
  }
  auto child = std::make_unique<XmlNode>();
  child->parent = parent;
  parent->children.push_back(std::move(child));
  return parent->children.back().get();
}

std::string GetAttribute(const XmlNode* node, std::string_view name) {
  if (node == nullptr) return {};
  for (const auto& [key, value] : node->attributes) {
    if (key == name) return value;
  }
  return {};
}

bool SetAttribute(XmlNode* node, std::string_view name, std::string_view value) {
  if (node == nullptr || node->kind != XmlNodeKind::Element) return false;
  for (auto& [key, existing] : node->attributes) {
    if (key == name) {
      existing = value;
      return true;
    }
  }
  AddAttribute(*node, name, value);
  return true;
}

std::string CurrentAttributeName(const XmlNode* node) {
  if (node == nullptr || node->attributeIndex < 0 ||
      static_cast<size_t>(node->attributeIndex) >= node->attributes.size()) {
    return {};
  }
  return node->attributes[static_cast<size_t>(node->attributeIndex)].first;
}

void Reformat(XmlDocument& document) {
  ReduceFlags flags;
  ReduceNode(document.documentNode, flags);
  IndentNode(document.documentNode, 0, NewLine(document.lineBreaks));
}

std::string SerializeDocument(const XmlDocument& document) {
  std::string out = "<?xml version=\"1.0\" encoding=\"";
  switch (document.encoding) {
    case XmlEncoding::Utf16:
      out += "UTF-16\"";
      break;
    case XmlEncoding::Latin1:
      out += "ISO-8859-1\"";
      break;
    case XmlEncoding::Utf8:
    case XmlEncoding::Unspecified:
      out += "UTF-8\"";
      break;
  }
  if (document.standalone == XmlStandalone::No) out += " standalone=\"no\"";
  if (document.standalone == XmlStandalone::Yes) out += " standalone=\"yes\"";
  out += "?>";
  WriteNode(document.documentNode, out);
  return EncodeOutput(out, document.encoding);
}

bool SaveDocument(platform::Platform& platform, const XmlDocument& document,
                  std::string_view path) {
  if (path.empty()) return false;
  const std::string bytes = SerializeDocument(document);
  // A file is never replaced by bytes that cannot be read back. They can arise:
  // expat takes U+00AA, U+00B5 and U+00BA as name characters in UTF-16 input
  // but not in UTF-8, and Latin-1 output turns characters above U+00FF into
  // blanks.
  auto check =
      ParseDocument(bytes, document.encodingFixed ? document.encoding : XmlEncoding::Unspecified);
  if (!check || DocumentStatus(*check) != 0) return false;
  return platform.WriteFileAtomic(path, bytes);
}

}  // namespace zelluo::settings
