#pragma once
// German-aware folding of texts for search and order.
//
// Search: every word is lower-cased, accents are dropped and ß becomes "ss".
// A word with ä, ö or ü is written into the index twice, once with the bare
// vowel and once with the vowel followed by "e" ("Mädchen" -> "madchen
// maedchen"), so that a query typed either way finds it; a query word with an
// umlaut asks for both spellings. Words are matched as prefixes.
//
// Order (DIN 5007-1): ä = a, ö = o, ü = u, ß = ss, accents and case ignored,
// one leading article (Der, Die, Das, Ein, Eine, The, A, An) skipped.

#include <initializer_list>
#include <string>
#include <string_view>

namespace zelluo::collection {

// Raised whenever the folding changes, so that stored derived data is rebuilt.
inline constexpr int kFoldingVersion = 1;

// The words of text in their searched form, separated by single spaces, with
// the second spelling after each word that has an umlaut.
std::string SearchWordsOf(std::string_view text);

// The searched text of a film: the words of all fields, one field per line.
std::string SearchWordsOf(std::initializer_list<std::string_view> fields);

// The FTS5 expression that finds the films whose words begin with every word
// of query; empty when query holds no word (then every film matches).
std::string MatchExpressionOf(std::string_view query);

// The key by which titles are ordered: the folded words without a leading
// article, then a 0x01 byte and the title itself as the tie-breaker.
std::string SortKeyOf(std::string_view title);

}  // namespace zelluo::collection
