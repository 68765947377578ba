#include "collection/film_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "texts/text_tools.h"

namespace zelluo::collection {
namespace {

// The extensions of film files.
constexpr std::array<std::string_view, 18> kFilmExtensions = {
    "mkv",  "mp4", "avi", "m4v", "mov",  "wmv", "mpg", "mpeg", "ts",
    "m2ts", "mts", "vob", "iso", "webm", "ogv", "flv", "divx", "3gp"};

// Folders of accompanying material.
constexpr std::array<std::string_view, 12> kSkippedFolders = {
    "sample",      "samples",           "trailer",        "trailers", "extras",     "extra",
    "featurettes", "behind the scenes", "deleted scenes", "bonus",    "interviews", "shorts"};

// Words of a file name that make it accompanying material.
constexpr std::array<std::string_view, 3> kSkippedWords = {"sample", "trailer", "extra"};

// Release tags: the title ends before the first of them (case ignored).
constexpr std::array<std::string_view, 57> kReleaseTags = {
    // resolution and picture
    "2160p", "1080p", "1080i", "720p", "576p", "480p", "4k", "uhd", "hdr", "hdr10", "10bit", "sdr",
    // source
    "bluray", "blu-ray", "bdrip", "brrip", "bdremux", "remux", "dvdrip", "dvd9", "dvd5", "webrip",
    "web-dl", "webdl", "web", "hdtv", "hdrip", "dvdscr", "tvrip",
    // codec
    "x264", "x265", "h264", "h265", "hevc", "avc", "xvid", "divx",
    // audio
    "aac", "ac3", "ac3d", "dts", "dd51", "truehd", "atmos",
    // release
    "proper", "repack", "extended", "unrated", "remastered", "uncut", "internal",
    // language (German releases)
    "german", "dl", "md", "ld", "dubbed", "multi"};

// Part markers before a number: "cd1", "part 2", "disc 1".
constexpr std::array<std::string_view, 6> kPartWords = {"cd", "part", "pt", "disc", "disk", "dvd"};

// File stems that say nothing about the film.
constexpr std::array<std::string_view, 7> kGenericStems = {"movie",   "film",  "video",   "main",
                                                           "feature", "index", "vts_01_1"};

// Leading articles left out when titles are matched.
constexpr std::array<std::string_view, 12> kArticles = {"der", "die", "das", "ein", "eine", "the",
                                                        "a",   "an",  "le",  "la",  "les",  "el"};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

template <size_t N>
bool OneOf(const std::array<std::string_view, N>& list, std::string_view word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

bool IsSeparator(char c) { return c == '.' || c == '_' || c == ' ' || c == '-'; }

// A hyphen between two letters joins a word ("Spider-Man") unless every
// hyphen is to split ("film-sample").
bool SplitsAt(std::string_view name, size_t i, bool hyphens) {
  if (!IsSeparator(name[i]) && name[i] != ',') return false;
  if (name[i] != '-' || hyphens) return true;
  return i == 0 || i + 1 == name.size() || IsSeparator(name[i - 1]) || IsSeparator(name[i + 1]);
}

// The words of a name between separators and brackets, with where each begins.
struct Word {
  std::string text;
  size_t begin = 0;
  size_t end = 0;
  bool bracketed = false;  // inside () [] {}
};

std::vector<Word> WordsOf(std::string_view name, bool hyphens = false) {
  std::vector<Word> words;
  int depth = 0;
  size_t i = 0;
  while (i < name.size()) {
    const char c = name[i];
    if (c == '(' || c == '[' || c == '{') {
      ++depth;
      ++i;
      continue;
    }
    if (c == ')' || c == ']' || c == '}') {
      depth = std::max(0, depth - 1);
      ++i;
      continue;
    }
    if (SplitsAt(name, i, hyphens)) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < name.size() && !SplitsAt(name, end, hyphens) &&
           std::string_view("()[]{}").find(name[end]) == std::string_view::npos) {
      ++end;
    }
    words.push_back(Word{std::string(name.substr(i, end - i)), i, end, depth > 0});
    i = end;
  }
  return words;
}

std::optional<int> YearOf(std::string_view word) {
  if (word.size() != 4 || !std::all_of(word.begin(), word.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    return std::nullopt;
  }
  const int year = std::stoi(std::string(word));
  if (year < 1900 || year > 2099) return std::nullopt;
  return year;
}

bool IsReleaseTag(std::string_view word) {
  const std::string lower = Lower(word);
  return OneOf(kReleaseTags, lower) || lower.starts_with("dd5") || lower.starts_with("ddp") ||
         lower.starts_with("dts-") || lower.starts_with("x26");
}

std::string_view StemOf(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

// One code point folded to ASCII lower case, umlauts written out; empty
// for a code point without a plain form.
std::string_view FoldedLetter(uint32_t code) {
  switch (code) {
    case 0xE4:
    case 0xC4:
      return "ae";
    case 0xF6:
    case 0xD6:
      return "oe";
    case 0xFC:
    case 0xDC:
      return "ue";
    case 0xDF:
    case 0x1E9E:
      return "ss";
    case 0xE0:
    case 0xE1:
    case 0xE2:
    case 0xE3:
    case 0xE5:
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC3:
    case 0xC5:
      return "a";
    case 0xE7:
    case 0xC7:
      return "c";
    case 0xE8:
    case 0xE9:
    case 0xEA:
    case 0xEB:
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB:
      return "e";
    case 0xEC:
    case 0xED:
    case 0xEE:
    case 0xEF:
    case 0xCC:
    case 0xCD:
    case 0xCE:
    case 0xCF:
      return "i";
    case 0xF1:
    case 0xD1:
      return "n";
    case 0xF2:
    case 0xF3:
    case 0xF4:
    case 0xF5:
    case 0xF8:
    case 0xD2:
    case 0xD3:
    case 0xD4:
    case 0xD5:
    case 0xD8:
      return "o";
    case 0xF9:
    case 0xFA:
    case 0xFB:
    case 0xD9:
    case 0xDA:
    case 0xDB:
      return "u";
    default:
      return {};
  }
}

}  // namespace

bool IsFilmFileName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  return OneOf(kFilmExtensions, Lower(name.substr(dot + 1)));
}

bool IsSkippedFolderName(std::string_view name) {
  return OneOf(kSkippedFolders, Lower(name)) || name.starts_with(".");
}

bool IsSkippedFileName(std::string_view name) {
  if (name.starts_with(".")) return true;  // hidden files and "._" resource forks
  for (const Word& word : WordsOf(StemOf(name), true)) {
    if (OneOf(kSkippedWords, Lower(word.text))) return true;
  }
  return false;
}

bool IsExcludingMarker(std::string_view name) { return name == ".ignore" || name == ".nomedia"; }

bool IsDiscFolderName(std::string_view name) {
  const std::string lower = Lower(name);
  return lower == "video_ts" || lower == "bdmv";
}

FilmPart PartOf(std::string_view fileName) {
  const std::string_view stem = StemOf(fileName);
  std::vector<Word> words = WordsOf(stem);
  if (words.empty()) return {std::string(stem), 0};
  // "cd1" as one word, or "part" "2" as two; the marker is the last word(s).
  const std::string last = Lower(words.back().text);
  for (std::string_view marker : kPartWords) {
    if (last.size() > marker.size() && last.starts_with(marker) &&
        std::all_of(last.begin() + static_cast<std::ptrdiff_t>(marker.size()), last.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }) &&
        last.size() - marker.size() <= 2) {
      return {std::string(text::TrimView(stem.substr(0, words.back().begin), " ._-([")),
              std::stoi(last.substr(marker.size()))};
    }
  }
  if (words.size() >= 2 && last.size() <= 2 &&
      std::all_of(last.begin(), last.end(),
                  [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }) &&
      OneOf(kPartWords, Lower(words[words.size() - 2].text))) {
    return {std::string(text::TrimView(stem.substr(0, words[words.size() - 2].begin), " ._-([")),
            std::stoi(last)};
  }
  return {std::string(stem), 0};
}

FilmName ReadFilmName(std::string_view name) {
  const std::vector<Word> words = WordsOf(name);
  FilmName result;
  // The title ends at the year (the last one after the first word: "1917
  // (2019)", "2001 A Space Odyssey 1968") or at the first release tag.
  size_t titleWords = words.size();
  for (size_t i = words.size(); i-- > 1;) {
    if (std::optional<int> year = YearOf(words[i].text)) {
      result.year = year;
      titleWords = i;
      break;
    }
  }
  for (size_t i = 1; i < titleWords; ++i) {
    if (IsReleaseTag(words[i].text)) {
      titleWords = i;
      break;
    }
  }
  // Words in brackets are not the title; dots, underscores and spaces
  // between words become single spaces; hyphens inside a word stay, and so
  // does " - " between words.
  std::string title;
  for (size_t i = 0; i < titleWords; ++i) {
    if (words[i].bracketed) continue;
    if (!title.empty()) {
      const std::string_view gap = name.substr(words[i - 1].end, words[i].begin - words[i - 1].end);
      title += gap.find(" - ") != std::string_view::npos ? " - " : " ";
    }
    title += words[i].text;
  }
  result.title = title;
  return result;
}

bool IsGenericFileName(std::string_view stem) {
  const std::string lower = Lower(stem);
  return OneOf(kGenericStems, lower) || lower.empty();
}

std::string TitleMatchKey(std::string_view title) {
  std::string folded;
  for (size_t i = 0; i < title.size();) {
    const text::Utf8Char c = text::DecodeUtf8(title, i);
    const uint32_t code = c.code;
    i += c.length > 0 ? c.length : 1;
    if (code < 0x80) {
      const auto byte = static_cast<unsigned char>(code);
      folded += std::isalnum(byte) != 0 ? static_cast<char>(std::tolower(byte)) : ' ';
    } else {
      const std::string_view plain = FoldedLetter(code);
      folded += plain.empty() ? std::string_view(" ") : plain;
    }
  }
  std::vector<Word> words = WordsOf(folded);
  std::string key;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i == 0 && words.size() > 1 && OneOf(kArticles, words[i].text)) continue;
    if (!key.empty()) key += ' ';
    key += words[i].text;
  }
  return key;
}

}  // namespace zelluo::collection
