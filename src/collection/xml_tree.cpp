#include "collection/xml_tree.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "collection/exchange.h"
#include "platform/invariant.h"
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

using TreeState = XmlTreeParser::State;

}  // namespace

struct XmlTreeParser::State {
  XML_Parser parser = nullptr;
  XmlLimits limits;
  std::optional<XmlElement> root;
  std::vector<XmlElement*> open;  // the path from the root to the current element
  int64_t elements = 0;
  std::string_view refusal;  // a text of ours that stopped the parser
  std::string fileName;
  bool failed = false;
  bool finished = false;
};

namespace {

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

XmlTreeParser::XmlTreeParser(std::string_view filePath, XmlLimits limits)
    : state_(std::make_unique<State>()) {
  State& state = *state_;
  state.limits = limits;
  state.fileName = FileNameOf(filePath);
  state.parser = XML_ParserCreate(nullptr);
  if (state.parser == nullptr) {
    state.failed = true;
    return;
  }
  XML_SetUserData(state.parser, &state);
  XML_SetElementHandler(state.parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(state.parser, OnText);
  XML_SetEntityDeclHandler(state.parser, OnEntityDeclaration);
  XML_SetParamEntityParsing(state.parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlTreeParser::~XmlTreeParser() {
  if (state_->parser != nullptr) XML_ParserFree(state_->parser);
}

bool XmlTreeParser::Feed(std::string_view piece, bool last) {
  State& state = *state_;
  if (state.failed || state.finished) return !state.failed;
  do {
    const size_t length = std::min<size_t>(piece.size(), INT_MAX / 2);
    const bool end = last && length == piece.size();
    if (XML_Parse(state.parser, piece.data(), static_cast<int>(length), end) != XML_STATUS_OK) {
      state.failed = true;
      return false;
    }
    piece.remove_prefix(length);
  } while (!piece.empty());
  state.finished = last;
  return true;
}

XmlParse XmlTreeParser::Finish() {
  State& state = *state_;
  XmlParse result;
  if (state.parser == nullptr) {
    result.error = text::FormatText(text::kXmlBroken, state.fileName, "kein Speicher");
    return result;
  }
  const std::string line = std::to_string(XML_GetCurrentLineNumber(state.parser));
  if (!state.refusal.empty()) {
    result.error = text::FormatText(state.refusal, state.fileName, line);
  } else if (state.failed) {
    result.error = text::FormatText(
        text::kXmlBroken, state.fileName,
        text::FormatText(text::kXmlAtLine, line, XML_ErrorString(XML_GetErrorCode(state.parser))));
  } else {
    result.root = std::move(state.root);
  }
  state.failed = true;  // only once
  return result;
}

XmlParse ParseXml(std::string_view bytes, std::string_view filePath, XmlLimits limits) {
  XmlTreeParser parser(filePath, limits);
  parser.Feed(bytes, true);
  return parser.Finish();
}

namespace {

// The part of the document parsed in one go, and the films taken in one go,
// between two looks at the clock: a millisecond or two.
constexpr size_t kXmlPiece = size_t{256} << 10;
constexpr size_t kFilmsAtOnce = 64;
// Of the percentage, the parsing's part; the films' taking has the rest.
constexpr int64_t kParsePercent = 80;

class XmlFilmReading final : public FilmReading {
 public:
  XmlFilmReading(std::string xml, std::string_view filePath,
                 std::unique_ptr<XmlFilmEntries> entries, XmlUnpacking unpack)
      : xml_(std::move(xml)),
        unpack_(std::move(unpack)),
        parser_(filePath),
        entries_(std::move(entries)) {}

  bool Step(Deadline deadline) override {
    do {
      if (done_) break;
      if (unpack_) {
        Unpack();
      } else if (parsing_) {
        Parse();
      } else {
        Take();
      }
    } while (std::chrono::steady_clock::now() < deadline);
    return done_;
  }

  int Percent() const override {
    if (done_) return 100;
    if (unpack_) return 0;
    if (parsing_) {
      return static_cast<int>(static_cast<int64_t>(parsed_) * kParsePercent /
                              std::max<int64_t>(static_cast<int64_t>(xml_.size()), 1));
    }
    return static_cast<int>(kParsePercent +
                            static_cast<int64_t>(next_) * (100 - kParsePercent) /
                                std::max<int64_t>(static_cast<int64_t>(list_.size()), 1));
  }

  ImportResult Result() override {
    ZELLUO_ASSERT(done_);
    return entries_->Result(std::move(error_));
  }

 private:
  void Unpack() {
    switch (unpack_(xml_, kXmlPiece * 4, error_)) {
      case ZipReader::Reading::More:
        return;
      case ZipReader::Reading::Done:
        break;
      case ZipReader::Reading::Failed:
        done_ = true;
        break;
    }
    unpack_ = nullptr;
  }

  void Parse() {
    const size_t length = std::min(kXmlPiece, xml_.size() - parsed_);
    const bool last = parsed_ + length == xml_.size();
    const bool ok = parser_.Feed(std::string_view(xml_).substr(parsed_, length), last);
    parsed_ += length;
    if (ok && !last) return;
    parsing_ = false;
    xml_ = std::string();  // the tree holds what is needed
    tree_ = parser_.Finish();
    if (!tree_.root) {
      error_ = std::move(tree_.error);
    } else {
      error_ = entries_->Begin(*tree_.root, list_);
    }
    done_ = !error_.empty() || list_.empty();
  }

  void Take() {
    const size_t end = std::min(list_.size(), next_ + kFilmsAtOnce);
    while (next_ < end) {
      if (!entries_->Take(*list_[next_++])) {
        done_ = true;
        return;
      }
    }
    done_ = next_ == list_.size();
  }

  std::string xml_;
  XmlUnpacking unpack_;  // until xml_ is unpacked
  size_t parsed_ = 0;
  XmlTreeParser parser_;
  bool parsing_ = true;
  XmlParse tree_;
  std::unique_ptr<XmlFilmEntries> entries_;
  std::vector<XmlElement*> list_;
  size_t next_ = 0;
  std::string error_;
  bool done_ = false;
};

}  // namespace

std::unique_ptr<FilmReading> ReadXmlFilms(std::string xml, std::string_view filePath,
                                          std::unique_ptr<XmlFilmEntries> entries,
                                          XmlUnpacking unpack) {
  return std::make_unique<XmlFilmReading>(std::move(xml), filePath, std::move(entries),
                                          std::move(unpack));
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
