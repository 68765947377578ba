#include "collection/xml_tree.h"

#include <expat.h>

#include <climits>

#include "collection/exchange.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {

const std::string* XmlElement::Attribute(std::string_view attributeName) const {
  for (const auto& [key, value] : attributes) {
    if (key == attributeName) return &value;
  }
  return nullptr;
}

const XmlElement* XmlElement::Child(std::string_view childName) const {
  for (const XmlElement& child : children) {
    if (child.name == childName) return &child;
  }
  return nullptr;
}

std::string XmlElement::ChildText(std::string_view childName) const {
  const XmlElement* child = Child(childName);
  return child ? child->text : std::string();
}

namespace {

struct TreeState {
  XML_Parser parser = nullptr;
  XmlLimits limits;
  std::optional<XmlElement> root;
  std::vector<XmlElement*> open;  // the path from the root to the current element
  int64_t elements = 0;
  std::string_view refusal;  // a text of ours that stopped the parser
};

void Refuse(TreeState& state, std::string_view text) {
  if (state.refusal.empty()) state.refusal = text;
  XML_StopParser(state.parser, XML_FALSE);
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& state = *static_cast<TreeState*>(data);
  if (static_cast<int64_t>(state.open.size()) >= state.limits.maxDepth ||
      ++state.elements > state.limits.maxElements) {
    Refuse(state, text::kXmlTooDeep);
    return;
  }
  XmlElement element;
  element.name = name;
  element.line = static_cast<int64_t>(XML_GetCurrentLineNumber(state.parser));
  for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
    element.attributes.emplace_back(a[0], a[1]);
  }
  XmlElement* placed = nullptr;
  if (state.open.empty()) {
    state.root = std::move(element);
    placed = &*state.root;
  } else {
    state.open.back()->children.push_back(std::move(element));
    placed = &state.open.back()->children.back();
  }
  state.open.push_back(placed);
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  auto& state = *static_cast<TreeState*>(data);
  if (!state.open.empty()) state.open.pop_back();
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& state = *static_cast<TreeState*>(data);
  if (!state.open.empty()) state.open.back()->text.append(text, static_cast<size_t>(length));
}

// Any entity declaration, internal or external, general or parameter.
void XMLCALL OnEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int,
                                 const XML_Char*, const XML_Char*, const XML_Char*,
                                 const XML_Char*) {
  Refuse(*static_cast<TreeState*>(data), text::kXmlEntities);
}

}  // namespace

XmlParse ParseXml(std::string_view bytes, std::string_view filePath, XmlLimits limits) {
  XmlParse result;
  TreeState state;
  state.limits = limits;
  state.parser = XML_ParserCreate(nullptr);
  if (state.parser == nullptr) {
    result.error = text::FormatText(text::kXmlBroken, FileNameOf(filePath), "kein Speicher");
    return result;
  }
  XML_SetUserData(state.parser, &state);
  XML_SetElementHandler(state.parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(state.parser, OnText);
  XML_SetEntityDeclHandler(state.parser, OnEntityDeclaration);
  XML_SetParamEntityParsing(state.parser, XML_PARAM_ENTITY_PARSING_NEVER);

  bool ok = true;
  size_t pos = 0;
  do {
    const size_t length = std::min<size_t>(bytes.size() - pos, INT_MAX / 2);
    const bool last = pos + length == bytes.size();
    if (XML_Parse(state.parser, bytes.data() + pos, static_cast<int>(length), last) !=
        XML_STATUS_OK) {
      ok = false;
      break;
    }
    pos += length;
  } while (pos < bytes.size());

  const std::string line = std::to_string(XML_GetCurrentLineNumber(state.parser));
  if (!state.refusal.empty()) {
    result.error = text::FormatText(state.refusal, FileNameOf(filePath), line);
  } else if (!ok) {
    result.error = text::FormatText(
        text::kXmlBroken, FileNameOf(filePath),
        text::FormatText(text::kXmlAtLine, line, XML_ErrorString(XML_GetErrorCode(state.parser))));
  } else {
    result.root = std::move(state.root);
  }
  XML_ParserFree(state.parser);
  return result;
}

std::string RootElementName(std::string_view bytes) {
  if (bytes.starts_with(text::kUtf8Bom)) bytes.remove_prefix(text::kUtf8Bom.size());
  size_t pos = 0;
  while (pos < bytes.size() && pos < 65536) {
    pos = bytes.find_first_not_of(text::kBlanks, pos);
    if (pos == std::string_view::npos || bytes[pos] != '<') return {};
    const std::string_view rest = bytes.substr(pos);
    size_t end = std::string_view::npos;
    std::string_view terminator = ">";
    if (rest.substr(0, 2) == "<?") {
      terminator = "?>";
    } else if (rest.substr(0, 4) == "<!--") {
      terminator = "-->";
    } else if (rest.substr(0, 2) == "<!") {
      // A document type, possibly with an internal subset in brackets.
      const size_t bracket = rest.find('[');
      if (bracket != std::string_view::npos && bracket < rest.find('>')) terminator = "]>";
    } else {
      const size_t stop = rest.find_first_of(" \t\r\n/>", 1);
      return std::string(rest.substr(1, stop == std::string_view::npos ? 0 : stop - 1));
    }
    end = rest.find(terminator);
    if (end == std::string_view::npos) return {};
    pos += end + terminator.size();
  }
  return {};
}

}  // namespace zelluo::collection
