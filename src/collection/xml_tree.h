#pragma once
// Foreign XML read into a small tree, with the protections an import needs:
// a document that declares entities (the way to external files and to nested
// expansion) is refused as a whole, no external DTD is ever loaded, and depth
// and element count are bounded. Names stay as written, prefixes included.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "collection/exchange.h"

namespace zelluo::collection {

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;  // the character data directly inside, joined
  std::vector<XmlElement> children;
  int64_t line = 0;

  // The attribute's value; nothing when absent.
  const std::string* Attribute(std::string_view attributeName) const;
  // The first child of that name; nothing when absent.
  const XmlElement* Child(std::string_view childName) const;
  // The text of the first child of that name; empty when absent.
  std::string ChildText(std::string_view childName) const;
};

struct XmlLimits {
  int64_t maxDepth = 64;
  int64_t maxElements = 5'000'000;
};

struct XmlParse {
  std::optional<XmlElement> root;
  // German, for the user, with the file's name and the line; empty when read.
  std::string error;
};

XmlParse ParseXml(std::string_view bytes, std::string_view filePath, XmlLimits limits = {});

// ParseXml a piece at a time, so that a document of hundreds of megabytes is
// parsed between the window's events: the pieces are parts of the document in
// order, the last one marked as such.
class XmlTreeParser {
 public:
  explicit XmlTreeParser(std::string_view filePath, XmlLimits limits = {});
  ~XmlTreeParser();
  XmlTreeParser(const XmlTreeParser&) = delete;
  XmlTreeParser& operator=(const XmlTreeParser&) = delete;

  // Parses the next piece; false once the document is broken or refused
  // (further pieces are ignored then).
  bool Feed(std::string_view piece, bool last);
  // The tree, or why there is none; after the last piece or a failure, once.
  XmlParse Finish();

  struct State;  // the parser's own, kept in xml_tree.cpp

 private:
  std::unique_ptr<State> state_;
};

// What an XML catalogue makes of its parsed document, for ReadXmlFilms.
class XmlFilmEntries {
 public:
  virtual ~XmlFilmEntries() = default;
  // Checks the document; empty and the elements that each hold a film, in
  // order, or the German reason why it is refused.
  virtual std::string Begin(XmlElement& root, std::vector<XmlElement*>& entries) = 0;
  // Takes one film's element; false when the import fails with it.
  virtual bool Take(XmlElement& entry) = 0;
  // The films taken, or the import failed: by error when it is not empty.
  virtual ImportResult Result(std::string error) = 0;
};

// A document unpacked a part at a time (a zip's member started with
// ZipReader::StartReading) before it is parsed: unpacks about partBytes more
// into xml; the message in error when it fails.
using XmlUnpacking =
    std::function<ZipReader::Reading(std::string& xml, size_t partBytes, std::string& error)>;

// The films of an XML catalogue, read a step at a time: the document unpacked
// (with unpack) and parsed a piece at a time, then its films taken a few at a
// time.
std::unique_ptr<FilmReading> ReadXmlFilms(std::string xml, std::string_view filePath,
                                          std::unique_ptr<XmlFilmEntries> entries,
                                          XmlUnpacking unpack = {});

// The name of the first element of bytes when they look like XML (after a
// byte order mark, the declaration, comments and a document type); empty
// otherwise. Cheap: no parsing beyond the start.
std::string RootElementName(std::string_view bytes);

}  // namespace zelluo::collection
