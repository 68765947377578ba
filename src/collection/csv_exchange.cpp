#include "collection/csv_exchange.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "collection/film_fields.h"
#include "collection/film_values.h"
#include "platform/invariant.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

using text::IsBlankChar;
using text::kUtf8Bom;
using text::TrimView;

// A bound on the films of one file, far above any collection, so that a
// hostile file of short rows cannot take all memory.
constexpr size_t kMaxCsvFilms = 500000;

// Longest piece of a bad value quoted in a message.
constexpr size_t kMaxQuotedValue = 40;

// Code points of Windows-1252's bytes 0x80 to 0x9F. The five bytes the code
// page leaves undefined become U+FFFD: one odd byte in an otherwise readable
// list should not cost the whole import, and the replacement character shows
// the spot in the imported text.
// clang-format off
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,  // 0x88
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178}; // 0x98
// clang-format on

std::string FromWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      text::AppendUtf8(out, byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
    }
  }
  return out;
}

// A header name reduced for comparison: ASCII letters and Ä Ö Ü in lower case,
// without spaces, tabs, '_' and '-'.
std::string ColumnKey(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == ' ' || c == '\t' || c == '_' || c == '-') continue;
    if (c >= 'A' && c <= 'Z') {
      key += static_cast<char>(c - 'A' + 'a');
    } else if (c == '\xC3' && i + 1 < name.size() &&
               (name[i + 1] == '\x84' || name[i + 1] == '\x96' || name[i + 1] == '\x9C')) {
      key += c;
      key += static_cast<char>(name[++i] + 0x20);
    } else {
      key += c;
    }
  }
  return key;
}

// The field a column of that name holds; none for a name of no field.
const FilmField* FieldOf(std::string_view name) {
  const std::string key = ColumnKey(name);
  if (key.empty()) return nullptr;
  for (const FilmField* field : kCsvFields) {
    const std::string_view names = field->csvNames;
    for (size_t at = names.find(key); at != std::string_view::npos; at = names.find(key, at + 1)) {
      const size_t end = at + key.size();
      if ((at == 0 || names[at - 1] == ' ') && (end == names.size() || names[end] == ' ')) {
        return field;
      }
    }
  }
  return nullptr;
}

// Splits a text into records and fields, RFC 4180 style: quoted fields may hold
// separators, line breaks (given as '\n') and doubled quotes.
class RecordReader {
 public:
  RecordReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

  // The next record's fields; false at the end of the text or on an error.
  bool Next(std::vector<std::string>& fields) {
    if (position_ >= text_.size()) return false;
    recordLine_ = line_;
    size_t count = 0;
    for (;;) {
      if (count == fields.size()) fields.emplace_back();
      std::string& field = fields[count++];
      field.clear();
      if (position_ < text_.size() && text_[position_] == '"') {
        if (!ReadQuoted(field)) return false;
      } else {
        size_t end = position_;
        while (end < text_.size() && !EndsField(text_[end])) ++end;
        field.append(text_.substr(position_, end - position_));
        position_ = end;
      }
      if (position_ >= text_.size()) break;
      const char next = text_[position_++];
      if (next == separator_) continue;
      SkipLineEnd(next);
      break;
    }
    fields.resize(count);
    return true;
  }

  int64_t RecordLine() const { return recordLine_; }
  // How far the text is read, in bytes.
  size_t Position() const { return position_; }
  // Set when Next failed before the end of the text.
  std::string_view Error() const { return error_; }
  int64_t ErrorLine() const { return errorLine_; }

 private:
  bool EndsField(char c) const { return c == separator_ || c == '\n' || c == '\r'; }

  // After a '\r' or '\n' at position_ - 1.
  void SkipLineEnd(char end) {
    ++line_;
    if (end == '\r' && position_ < text_.size() && text_[position_] == '\n') ++position_;
  }

  bool ReadQuoted(std::string& field) {
    const int64_t startLine = line_;
    ++position_;
    for (;;) {
      size_t stop = position_;
      while (stop < text_.size() && text_[stop] != '"' && text_[stop] != '\n' &&
             text_[stop] != '\r') {
        ++stop;
      }
      if (stop == text_.size()) return Fail(text::kCsvUnclosedQuote, startLine);
      field.append(text_.substr(position_, stop - position_));
      const char c = text_[stop];
      position_ = stop + 1;
      if (c != '"') {
        field += '\n';
        SkipLineEnd(c);
      } else if (position_ < text_.size() && text_[position_] == '"') {
        field += '"';
        ++position_;
      } else {
        break;
      }
    }
    if (position_ < text_.size() && !EndsField(text_[position_])) {
      return Fail(text::kCsvTextAfterQuote, startLine);
    }
    return true;
  }

  bool Fail(std::string_view error, int64_t line) {
    error_ = error;
    errorLine_ = line;
    return false;
  }

  std::string_view text_;
  char separator_;
  size_t position_ = 0;
  int64_t line_ = 1;
  int64_t recordLine_ = 1;
  std::string_view error_;
  int64_t errorLine_ = 0;
};

bool IsBlankRecord(const std::vector<std::string>& fields) {
  return std::all_of(fields.begin(), fields.end(),
                     [](const std::string& field) { return TrimView(field).empty(); });
}

// The first non-blank record; false when there is none or it cannot be read.
bool ReadHeader(RecordReader& reader, std::vector<std::string>& fields) {
  while (reader.Next(fields)) {
    if (!IsBlankRecord(fields)) return true;
  }
  return false;
}

// The separator whose header row names the most known columns, then the one
// giving the most fields; ';' first on a tie, as German spreadsheets write it.
char DetectSeparator(std::string_view text) {
  char best = ';';
  std::pair<size_t, size_t> bestScore{0, 0};
  std::vector<std::string> fields;
  for (const char separator : {';', ',', '\t'}) {
    RecordReader reader(text, separator);
    if (!ReadHeader(reader, fields)) continue;
    const auto known = static_cast<size_t>(
        std::count_if(fields.begin(), fields.end(),
                      [](const std::string& name) { return FieldOf(name) != nullptr; }));
    const std::pair<size_t, size_t> score{known, fields.size()};
    if (score > bestScore) {
      best = separator;
      bestScore = score;
    }
  }
  return best;
}

// Entries one per line. A value already on several lines keeps its lines;
// one line is split at ", " and " / " outside parentheses, so that
// "Name (Rolle, jung)" stays one entry.
std::string EntriesPerLine(std::string_view value) {
  std::string entries;
  const auto add = [&entries](std::string_view entry) {
    entry = TrimView(entry);
    if (entry.empty()) return;
    if (!entries.empty()) entries += '\n';
    entries += entry;
  };
  size_t start = 0;
  if (value.find('\n') != std::string_view::npos) {
    for (size_t end; (end = value.find('\n', start)) != std::string_view::npos; start = end + 1) {
      add(value.substr(start, end - start));
    }
  } else {
    int depth = 0;
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '(') ++depth;
      if (value[i] == ')' && depth > 0) --depth;
      if (depth > 0) continue;
      const size_t length = value.compare(i, 2, ", ") == 0    ? 2
                            : value.compare(i, 3, " / ") == 0 ? 3
                                                              : 0;
      if (length == 0) continue;
      add(value.substr(start, i - start));
      start = i + length;
      i = start - 1;
    }
  }
  add(value.substr(start));
  return entries;
}

// A cover path as written in the file, relative ones taken from the CSV's
// folder. Relative paths may use '\' as well as '/'.
std::string CoverPath(std::string_view csvPath, std::string_view cover) {
  if (IsAbsolutePath(cover)) return std::string(cover);
  std::string path = FolderOf(csvPath);
  for (const char c : cover) path += c == '\\' ? '/' : c;
  return path;
}

// 1 to 5 stars; blank or "0" for none.
ParsedNumber ParseRating(std::string_view text) {
  text = TrimView(text);
  if (text.empty() || text == "0") return {};
  if (text.size() != 1 || text[0] < '1' || text[0] > '5') return {std::nullopt, false};
  return {text[0] - '0', true};
}

// At most kMaxQuotedValue bytes of value, cut at a character's start.
std::string Excerpt(std::string_view value) {
  value = TrimView(value);
  if (value.size() <= kMaxQuotedValue) return std::string(value);
  size_t end = kMaxQuotedValue;
  while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
  return std::string(value.substr(0, end)) + "\xE2\x80\xA6";
}

// Where a piece of text that starts at a character may end so that the next
// starts at one too: before a byte that is no UTF-8 continuation byte (in
// text that is not UTF-8 anyway, anywhere). Each piece is then UTF-8 exactly
// when the whole text is.
size_t PieceEnd(std::string_view text, size_t start, size_t length) {
  size_t end = std::min(text.size(), start + length);
  for (int back = 0; back < 3 && end > start + 1 && end < text.size() &&
                     (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
       ++back) {
    --end;
  }
  return end;
}

// The text looked at (NUL bytes, UTF-8) and decoded in one go between two
// looks at the clock, and the rows read in one go.
constexpr size_t kCsvPiece = size_t{1} << 20;
constexpr int kRowsAtOnce = 256;
// Of the percentage, the looking at the text's part; the rows have the rest.
constexpr size_t kCheckPercent = 10;

class CsvReading final : public FilmReading {
 public:
  CsvReading(std::string bytes, std::string_view filePath)
      : bytes_(std::move(bytes)), filePath_(filePath), fileName_(FileNameOf(filePath)) {
    result_.format = "CSV";
    std::string_view text = bytes_;
    if (text.size() > kMaxCsvBytes) {
      Fail(text::FormatText(text::kCsvTooLarge, fileName_));
    } else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
      Fail(text::FormatText(text::kCsvUtf16, fileName_));
    }
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    text_ = text;
  }

  bool Step(Deadline deadline) override {
    do {
      if (done_) break;
      switch (phase_) {
        case Phase::Check:
          Check();
          break;
        case Phase::Decode:
          Decode();
          break;
        case Phase::Header:
          Header();
          break;
        case Phase::Rows:
          Rows();
          break;
      }
    } while (std::chrono::steady_clock::now() < deadline);
    return done_;
  }

  int Percent() const override {
    if (done_) return 100;
    const size_t size = std::max<size_t>(text_.size(), 1);
    const size_t half = kCheckPercent / 2;
    switch (phase_) {
      case Phase::Check:
        return static_cast<int>(checked_ * half / size);
      case Phase::Decode:
        return static_cast<int>(half + checked_ * half / size);
      case Phase::Header:
        return static_cast<int>(kCheckPercent);
      case Phase::Rows:
        break;
    }
    return static_cast<int>(kCheckPercent + reader_->Position() * (100 - kCheckPercent) / size);
  }

  ImportResult Result() override {
    ZELLUO_ASSERT(done_);
    return std::move(result_);
  }

 private:
  enum class Phase { Check, Decode, Header, Rows };

  // A piece of the text looked at: no NUL bytes, UTF-8 or not, its lines.
  void Check() {
    const size_t end = PieceEnd(text_, checked_, kCsvPiece);
    const std::string_view piece = text_.substr(checked_, end - checked_);
    if (piece.find('\0') != std::string_view::npos) {
      return Fail(text::FormatText(text::kCsvNotText, fileName_));
    }
    utf8_ = utf8_ && text::IsUtf8(piece);
    lines_ += static_cast<size_t>(std::count(piece.begin(), piece.end(), '\n'));
    checked_ = end;
    if (checked_ < text_.size()) return;
    phase_ = utf8_ ? Phase::Header : Phase::Decode;
    checked_ = 0;
    if (!utf8_) decoded_.reserve(text_.size() + text_.size() / 8);
  }

  // A piece of Windows-1252 text made UTF-8.
  void Decode() {
    const size_t end = std::min(text_.size(), checked_ + kCsvPiece);
    decoded_ += FromWindows1252(text_.substr(checked_, end - checked_));
    checked_ = end;
    if (checked_ < text_.size()) return;
    bytes_ = std::string();
    text_ = decoded_;
    phase_ = Phase::Header;
  }

  void Header() {
    reader_.emplace(text_, DetectSeparator(text_));
    phase_ = Phase::Rows;
    if (!ReadHeader(*reader_, fields_)) {
      return ReaderFailed(*reader_, text::FormatText(text::kCsvEmpty, fileName_));
    }
    if (!MapColumns(fields_)) return Fail(text::FormatText(text::kCsvNoTitleColumn, fileName_));
    // Room for every row at once: films moved to a larger vector while it
    // grows would hold the window for a long moment. No more than the limit
    // would fill anyway.
    result_.films.reserve(std::min(lines_ + 1, kMaxCsvFilms));
  }

  void Rows() {
    RecordReader& reader = *reader_;
    for (int row = 0; row < kRowsAtOnce; ++row) {
      if (!reader.Next(fields_)) {
        if (!reader.Error().empty()) return ReaderFailed(reader, {});
        done_ = true;
        return;
      }
      if (IsBlankRecord(fields_)) continue;
      if (result_.films.size() == kMaxCsvFilms) {
        return Fail(text::FormatText(text::kCsvTooManyFilms, fileName_));
      }
      if (!ReadFilm(fields_, reader.RecordLine())) return;
    }
  }

 private:
  // False when no column holds a required field (the title).
  bool MapColumns(const std::vector<std::string>& names) {
    std::array<bool, kFilmFieldCount> taken{};
    columns_.reserve(names.size());
    for (const std::string& name : names) {
      const FilmField* field = FieldOf(name);
      // A second column of the same meaning is passed over like an unknown one.
      if (field != nullptr && std::exchange(taken[IndexOf(*field)], true)) field = nullptr;
      columns_.push_back(field);
      if (field == nullptr && !TrimView(name).empty()) {
        result_.unmappedFields.emplace_back(TrimView(name));
      }
    }
    std::sort(result_.unmappedFields.begin(), result_.unmappedFields.end());
    result_.unmappedFields.erase(
        std::unique(result_.unmappedFields.begin(), result_.unmappedFields.end()),
        result_.unmappedFields.end());
    for (const FilmField* field : kCsvFields) {
      if (field->required && !taken[IndexOf(*field)]) return false;
    }
    return true;
  }

  static size_t IndexOf(const FilmField& field) {
    ZELLUO_ASSERT(&field >= kFilmFields.data() && &field < kFilmFields.data() + kFilmFieldCount);
    return static_cast<size_t>(&field - kFilmFields.data());
  }

  bool ReadFilm(std::vector<std::string>& fields, int64_t line) {
    for (size_t i = columns_.size(); i < fields.size(); ++i) {
      // Extra empty fields, as from separators closing a row, lose nothing.
      if (TrimView(fields[i]).empty()) continue;
      return LineFailed(line,
                        text::FormatText(text::kCsvTooManyFields, std::to_string(fields.size()),
                                         std::to_string(columns_.size())));
    }
    ImportedFilm& imported = result_.films.emplace_back();
    Film& film = imported.film;
    const size_t count = std::min(fields.size(), columns_.size());
    for (size_t i = 0; i < count; ++i) {
      if (columns_[i] == nullptr) continue;
      const FilmField& field = *columns_[i];
      std::string& value = fields[i];
      std::string_view badNumber;
      ParsedNumber number;
      switch (field.kind) {
        case FieldKind::Line:
          film.*field.text = TrimView(value);
          break;
        case FieldKind::List:
          film.*field.text = EntriesPerLine(value);
          break;
        case FieldKind::LongText:
          film.*field.text = std::move(value);
          break;
        case FieldKind::Year:
          number = ParseYear(value);
          badNumber = text::kCsvBadYear;
          break;
        case FieldKind::Minutes:
          number = ParseRunningTime(value);
          badNumber = text::kCsvBadRuntime;
          break;
        case FieldKind::Stars:
          number = ParseRating(value);
          badNumber = text::kCsvBadRating;
          break;
        case FieldKind::CoverFile:
          if (!TrimView(value).empty()) imported.cover.path = CoverPath(filePath_, TrimView(value));
          break;
        case FieldKind::Path:
          if (!TrimView(value).empty()) film.*field.optionalText = std::string(TrimView(value));
          break;
        case FieldKind::Moment:
          ZELLUO_ASSERT(false);  // the store's own: no CSV column reads it
          break;
      }
      if (field.number == nullptr) continue;
      if (!number.valid) return LineFailed(line, text::FormatText(badNumber, Excerpt(value)));
      film.*field.number = number.value;
    }
    if (const FilmField* field = FieldBeyondLimit(film)) {
      return LineFailed(line, FieldTooLong(*field));
    }
    if (film.title.empty()) return LineFailed(line, std::string(text::kCsvNoTitle));
    return true;
  }

  void ReaderFailed(const RecordReader& reader, std::string otherwise) {
    if (reader.Error().empty()) return Fail(std::move(otherwise));
    LineFailed(reader.ErrorLine(), std::string(reader.Error()));
  }

  bool LineFailed(int64_t line, const std::string& detail) {
    Fail(text::FormatText(text::kCsvInLine, fileName_, std::to_string(line)) + detail);
    return false;
  }

  void Fail(std::string message) {
    result_.films.clear();
    result_.unmappedFields.clear();
    result_.error = std::move(message);
    done_ = true;
  }

  std::string bytes_;
  std::string decoded_;    // the text as UTF-8, when the file is Windows-1252
  std::string_view text_;  // the text being read, without byte order mark
  std::string filePath_;
  std::string fileName_;
  Phase phase_ = Phase::Check;
  size_t checked_ = 0;  // of the text, looked at or decoded
  bool utf8_ = true;
  size_t lines_ = 0;
  std::optional<RecordReader> reader_;
  std::vector<std::string> fields_;
  std::vector<const FilmField*> columns_;  // none for a column of no field
  ImportResult result_;
  bool done_ = false;
};

void AppendField(std::string& out, std::string_view value) {
  const bool quote = value.find_first_of(";\"\r\n") != std::string_view::npos ||
                     (!value.empty() && (IsBlankChar(value.front()) || IsBlankChar(value.back())));
  if (!quote) {
    out += value;
    return;
  }
  out += '"';
  for (size_t mark; (mark = value.find('"')) != std::string_view::npos;) {
    out.append(value.substr(0, mark + 1)) += '"';
    value.remove_prefix(mark + 1);
  }
  out.append(value) += '"';
}

// Entries one per line as EntriesPerLine reads them back: a single entry
// holding ", " or " / " gets a closing line break so that it stays whole.
void AppendEntries(std::string& out, const std::string& entries) {
  if (entries.find('\n') == std::string::npos && EntriesPerLine(entries) != entries) {
    AppendField(out, entries + '\n');
  } else {
    AppendField(out, entries);
  }
}

}  // namespace

std::unique_ptr<FilmReading> StartCsvFilms(std::string bytes, std::string_view filePath) {
  return std::make_unique<CsvReading>(std::move(bytes), filePath);
}

ImportResult ReadCsvFilms(std::string_view bytes, std::string_view filePath) {
  return ReadToEnd(*StartCsvFilms(std::string(bytes), filePath));
}

std::string FilmsAsCsv(const std::vector<Film>& films, std::string_view coverFolder,
                       const std::vector<std::string>& seen) {
  std::string out(kUtf8Bom);
  for (const FilmField* field : kCsvFields) {
    if (field != *kCsvFields.begin()) out += ';';
    out += field->csvHeading;
  }
  // Written, never read back: the viewings are the store's own.
  (out += ';') += text::kCsvSeenHeading;
  out += "\r\n";
  std::string folder(coverFolder);
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  for (size_t i = 0; i < films.size(); ++i) {
    const Film& film = films[i];
    for (const FilmField* field : kCsvFields) {
      if (field != *kCsvFields.begin()) out += ';';
      if (field->kind == FieldKind::List) {
        AppendEntries(out, film.*field->text);
      } else if (field->kind == FieldKind::CoverFile) {
        const std::optional<std::string>& cover = film.*field->optionalText;
        if (cover && !cover->empty()) AppendField(out, folder + *cover);
      } else if (field->text != nullptr) {
        AppendField(out, film.*field->text);
      } else if (field->optionalText != nullptr) {
        if (const std::optional<std::string>& text = film.*field->optionalText) {
          AppendField(out, *text);
        }
      } else {
        out += FieldText(film, *field);  // digits, and " min": never quoted
      }
    }
    out += ';';
    if (i < seen.size()) AppendField(out, seen[i]);
    out += "\r\n";
  }
  return out;
}

}  // namespace zelluo::collection
