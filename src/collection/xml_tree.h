#pragma once
// Foreign XML read into a small tree, with the protections an import needs:
// a document that declares entities (the way to external files and to nested
// expansion) is refused as a whole, no external DTD is ever loaded, and depth
// and element count are bounded. Names stay as written, prefixes included.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The name of the first element of bytes when they look like XML (after a
// byte order mark, the declaration, comments and a document type); empty
// otherwise. Cheap: no parsing beyond the start.
std::string RootElementName(std::string_view bytes);

}  // namespace zelluo::collection
