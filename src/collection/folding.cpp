#include "collection/folding.h"

#include <array>
#include <cstdint>
#include <vector>

#include "texts/text_tools.h"

namespace zelluo::collection {
namespace {

// Base letters of U+0100 to U+017F (Latin Extended-A); the ligatures Ĳ ĳ Œ œ
// are handled apart.
constexpr std::string_view kLatinExtendedA =
    "aaaaaaccccccccdd"
    "ddeeeeeeeeeegggg"
    "gggghhhhiiiiiiii"
    "iiiijjkkklllllll"
    "lllnnnnnnnnnoooo"
    "oooorrrrrrssssss"
    "ssttttttuuuuuuuu"
    "uuuuwwyyyzzzzzzs";

// Letters of U+00C0 to U+00FF (Latin-1) with the two-letter ones written out;
// "" marks × and ÷, which separate words.
constexpr std::array<std::string_view, 64> kLatinOne = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y"};

struct FoldedLetter {
  std::string plain;  // empty: the code point separates words
  bool umlaut = false;
};

// The next code point of text at position at, which moves past it; a byte that
// does not start a valid sequence reads as U+FFFD.
uint32_t NextCodePoint(std::string_view text, size_t& at) {
  const text::Utf8Char next = text::DecodeUtf8(text, at);
  if (next.length == 0) {
    ++at;
    return 0xFFFD;
  }
  at += next.length;
  return next.code;
}

FoldedLetter Fold(uint32_t code) {
  if (code < 0x80) {
    if (code >= 'A' && code <= 'Z') return {std::string(1, static_cast<char>(code + 32))};
    if ((code >= 'a' && code <= 'z') || (code >= '0' && code <= '9')) {
      return {std::string(1, static_cast<char>(code))};
    }
    return {};
  }
  if (code < 0xC0) return {};  // controls and Latin-1 punctuation
  if (code < 0x100) {
    const uint32_t lower = code | 0x20;
    return {std::string(kLatinOne[code - 0xC0]), lower == 0xE4 || lower == 0xF6 || lower == 0xFC};
  }
  if (code == 0x132 || code == 0x133) return {"ij"};
  if (code == 0x152 || code == 0x153) return {"oe"};
  if (code < 0x180) return {std::string(1, kLatinExtendedA[code - 0x100])};
  if (code == 0x1E9E) return {"ss"};  // capital sharp s
  std::string same;
  if ((code >= 0x2000 && code <= 0x206F) || (code >= 0x3000 && code <= 0x303F) ||
      (code >= 0xFE00 && code <= 0xFE0F) || code == 0xFFFD || code == 0xFEFF ||
      (code >= 0x2190 && code <= 0x2BFF) || (code >= 0x1F000 && code <= 0x1FAFF)) {
    // Punctuation, variation selectors, replaced bytes, arrows, symbols and
    // emoji: the search index's tokenizer drops them too.
    return {};
  }
  if (code >= 0x391 && code <= 0x3A9) code += 0x20;  // Greek capitals
  if (code >= 0x410 && code <= 0x42F) code += 0x20;  // Cyrillic capitals
  if (code >= 0x400 && code <= 0x40F) code += 0x50;
  text::AppendUtf8(same, code);
  return {same};
}

// A word in its two spellings: umlauts as the bare vowel and as vowel + "e".
struct Word {
  std::string plain;
  std::string withE;
  bool umlaut = false;
};

std::vector<Word> WordsOf(std::string_view text) {
  std::vector<Word> words;
  Word current;
  const auto finish = [&] {
    if (!current.plain.empty()) words.push_back(std::move(current));
    current = {};
  };
  for (size_t at = 0; at < text.size();) {
    FoldedLetter letter = Fold(NextCodePoint(text, at));
    if (letter.plain.empty()) {
      finish();
      continue;
    }
    current.plain += letter.plain;
    current.withE += letter.plain;
    if (letter.umlaut) {
      current.withE += 'e';
      current.umlaut = true;
    }
  }
  finish();
  return words;
}

void AppendSearchWords(std::string& out, std::string_view text) {
  for (const Word& word : WordsOf(text)) {
    if (!out.empty() && out.back() != '\n') out += ' ';
    out += word.plain;
    if (word.umlaut) out += ' ' + word.withE;
  }
}

}  // namespace

std::string SearchWordsOf(std::string_view text) {
  std::string words;
  AppendSearchWords(words, text);
  return words;
}

std::string SearchWordsOf(std::initializer_list<std::string_view> fields) {
  std::string words;
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) words += '\n';
    first = false;
    AppendSearchWords(words, field);
  }
  return words;
}

std::string MatchExpressionOf(std::string_view query) {
  std::string expression;
  for (const Word& word : WordsOf(query)) {
    // FTS5 takes no implicit AND before a parenthesis.
    if (!expression.empty()) expression += " AND ";
    if (word.umlaut) {
      expression += "(\"" + word.plain + "\"* OR \"" + word.withE + "\"*)";
    } else {
      expression += "\"" + word.plain + "\"*";
    }
  }
  return expression;
}

std::string SortKeyOf(std::string_view title) {
  std::vector<Word> words = WordsOf(title);
  size_t first = 0;
  if (words.size() > 1) {
    for (std::string_view article : {"der", "die", "das", "ein", "eine", "the", "a", "an"}) {
      if (words[0].plain == article) first = 1;
    }
  }
  std::string key;
  for (size_t i = first; i < words.size(); ++i) {
    if (i > first) key += ' ';
    key += words[i].plain;
  }
  key += '\x01';
  key += title;
  return key;
}

}  // namespace zelluo::collection
