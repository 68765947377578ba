#pragma once
// Small tools for UTF-8 text that the collection and the settings share:
// blanks and trimming, UTF-8 encoding and decoding, XML character references,
// numbers with thousands dots.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelluo::text {

// Blanks as the files the program reads write them: space, tab, line breaks.
inline constexpr std::string_view kBlanks = " \t\r\n";
// Blanks within a line of XML: space and tab.
inline constexpr std::string_view kLineBlanks = " \t";
// What std::isspace counts as space in the C locale (and, for single bytes, in
// a UTF-8 locale): kBlanks and the vertical tab and form feed.
inline constexpr std::string_view kAsciiSpace = " \t\r\n\v\f";

inline bool IsBlankChar(char c, std::string_view blanks = kBlanks) {
  return blanks.find(c) != std::string_view::npos;
}

// text without the blanks at both ends.
inline std::string_view TrimView(std::string_view text, std::string_view blanks = kBlanks) {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

inline std::string Trimmed(std::string_view text, std::string_view blanks = kBlanks) {
  return std::string(TrimView(text, blanks));
}

// Empty or blanks only.
inline bool IsBlank(std::string_view text, std::string_view blanks = kBlanks) {
  return text.find_first_not_of(blanks) == std::string_view::npos;
}

// The byte order mark some programs put before UTF-8 text.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Appends code point code (at most U+10FFFF) as UTF-8.
inline void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// One character of UTF-8 text; length 0 where the bytes are no character.
struct Utf8Char {
  uint32_t code = 0;
  size_t length = 0;
};

// The character at text[at], strictly: no overlong forms, no surrogates,
// nothing above U+10FFFF, no sequence cut short.
inline Utf8Char DecodeUtf8(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  uint32_t code = 0;
  uint32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1Fu, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0Fu, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07u, least = 0x10000;
  } else {
    return {};
  }
  if (text.size() - at < length) return {};
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return {};
    code = (code << 6) | (next & 0x3Fu);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {code, length};
}

inline bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = DecodeUtf8(text, at).length;
    if (length == 0) return false;
    at += length;
  }
  return true;
}

// How quotes and apostrophes are written in XML: as they are (character
// data), as the XML entities (attribute values), or as HTML writes them.
enum class XmlQuotes { Kept, XmlEntities, HtmlEntities };

// The reference c is written as in XML; empty for a character written as it is.
inline std::string_view XmlReference(char c, XmlQuotes quotes) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return quotes == XmlQuotes::Kept ? std::string_view() : "&quot;";
    case '\'':
      return quotes == XmlQuotes::Kept          ? std::string_view()
             : quotes == XmlQuotes::XmlEntities ? "&apos;"
                                                : "&#39;";
    default:
      return {};
  }
}

// Appends text with the markup characters as references.
inline void AppendXmlEscaped(std::string& out, std::string_view text, XmlQuotes quotes) {
  for (const char c : text) {
    const std::string_view reference = XmlReference(c, quotes);
    if (reference.empty()) {
      out += c;
    } else {
      out += reference;
    }
  }
}

// 12345 as "12.345": a number as the German texts write it.
inline std::string WithThousandsDots(int64_t value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out = value < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
    out += digits[i];
  }
  return out;
}

}  // namespace zelluo::text
