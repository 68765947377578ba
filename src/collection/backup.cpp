#include "collection/backup.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <unordered_map>
#include <utility>

#include "collection/film_fields.h"
#include "collection/xml_tree.h"
#include "collection/zip_archive.h"
#include "platform/invariant.h"
#include "platform/os_services.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// The length of the UTF-8 sequence at text[at] when it is a character XML
// 1.0 can hold; 0 for a malformed sequence, a surrogate, U+FFFE or U+FFFF.
size_t CharacterLength(std::string_view text, size_t at) {
  const text::Utf8Char character = text::DecodeUtf8(text, at);
  return character.code == 0xFFFE || character.code == 0xFFFF ? 0 : character.length;
}

// Appends text as character data that reads back as the same text: markup
// characters as references, a carriage return as "&#13;" (a parser would
// turn a literal one into a line feed). The other control characters cannot
// be held by XML 1.0 at all and are left out, and bytes that are no UTF-8
// become U+FFFD, so that the file always reads back.
void AppendText(std::string& out, std::string_view text) {
  size_t run = 0;  // start of the bytes not yet appended
  size_t at = 0;
  const auto flush = [&] { out.append(text.data() + run, at - run); };
  while (at < text.size()) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x80 && text::XmlReference(text[at], text::XmlQuotes::Kept).empty()) {
      ++at;
      continue;
    }
    if (c == '\n' || c == '\t') {
      ++at;
      continue;
    }
    if (c >= 0x80) {
      const size_t length = CharacterLength(text, at);
      if (length != 0) {
        at += length;
        continue;
      }
    }
    flush();
    if (const std::string_view reference = text::XmlReference(text[at], text::XmlQuotes::Kept);
        !reference.empty()) {
      out += reference;
    } else if (c == '\r') {
      out += "&#13;";
    } else if (c >= 0x80) {
      out += "\xEF\xBF\xBD";
    }
    run = ++at;
  }
  flush();
}

void AppendNumber(std::string& out, int64_t number) {
  char digits[24];
  const auto [end, ignored] = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, end);
}

// "<indent><name>value</name>", one line, left out when value is empty.
void AppendElement(std::string& out, std::string_view indent, std::string_view name,
                   std::string_view value) {
  if (value.empty()) return;
  out += indent;
  out += '<';
  out += name;
  out += '>';
  AppendText(out, value);
  out += "</";
  out += name;
  out += ">\n";
}

// "<indent><name>" or, closing, "<indent></name>", one line.
void AppendTag(std::string& out, std::string_view indent, std::string_view name,
               bool closing = false) {
  out += indent;
  out += closing ? "</" : "<";
  out += name;
  out += ">\n";
}

constexpr std::string_view kFilmIndent = "  ";
constexpr std::string_view kFieldIndent = "    ";
constexpr std::string_view kDetailIndent = "      ";  // of a viewing or a loan

// A film's viewings, oldest first: the dates as the store wrote them, the
// seconds in the shortest form that reads back exactly.
void AppendViewings(std::string& out, const std::vector<Viewing>& viewings) {
  for (const Viewing& viewing : viewings) {
    AppendTag(out, kFieldIndent, kBackupViewingElement);
    char position[32];
    char duration[32];
    const auto positionEnd = std::to_chars(position, position + sizeof position, viewing.position);
    const auto durationEnd = std::to_chars(duration, duration + sizeof duration, viewing.duration);
    AppendElement(out, kDetailIndent, "beginn", viewing.started);
    AppendElement(out, kDetailIndent, "ende", viewing.ended);
    AppendElement(out, kDetailIndent, "position", std::string_view(position, positionEnd.ptr));
    AppendElement(out, kDetailIndent, "dauer", std::string_view(duration, durationEnd.ptr));
    AppendElement(out, kDetailIndent, "gesehen", viewing.complete ? "ja" : "nein");
    AppendTag(out, kFieldIndent, kBackupViewingElement, true);
  }
}

// After the films: every loan, naming its film by title and year.
void AppendLoans(std::string& out, const std::vector<Loan>& loans) {
  if (loans.empty()) return;
  AppendTag(out, kFilmIndent, kBackupLoansElement);
  for (const Loan& loan : loans) {
    AppendTag(out, kFieldIndent, kBackupLoanElement);
    const std::string year = loan.year ? std::to_string(*loan.year) : std::string();
    AppendElement(out, kDetailIndent, "titel", loan.title);
    AppendElement(out, kDetailIndent, "jahr", year);
    AppendElement(out, kDetailIndent, "entleiher", loan.borrower.name);
    AppendElement(out, kDetailIndent, "email", loan.borrower.email);
    AppendElement(out, kDetailIndent, "telefon", loan.borrower.phone);
    AppendElement(out, kDetailIndent, "entleiher-notiz", loan.borrower.note);
    AppendElement(out, kDetailIndent, "verliehen", loan.lent);
    AppendElement(out, kDetailIndent, "zurueck-bis", loan.due);
    AppendElement(out, kDetailIndent, "zurueckgegeben", loan.returned);
    AppendElement(out, kDetailIndent, "notiz", loan.note);
    AppendTag(out, kFieldIndent, kBackupLoanElement, true);
  }
  AppendTag(out, kFilmIndent, kBackupLoansElement, true);
}

// The XML file; keepCover[i] tells whether film i's cover is in the archive.
std::string BackupXml(const std::vector<Film>& films, const std::vector<char>& keepCover,
                      const std::vector<Loan>& loans) {
  ZELLUO_ASSERT(keepCover.size() == films.size());
  size_t estimate = 200;
  for (const Film& film : films) {
    estimate += 500 + film.title.size() + film.originalTitle.size() + film.actors.size() +
                film.genre.size() + film.plot.size() + film.notes.size() + film.director.size() +
                film.country.size() + (film.video ? film.video->size() : 0) +
                film.viewings.size() * 200;
  }
  estimate += loans.size() * 300;
  std::string out;
  out.reserve(estimate + estimate / 16);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<";
  out += kBackupRootName;
  out += " version=\"";
  AppendNumber(out, kBackupVersion);
  out += "\" filme=\"";
  AppendNumber(out, static_cast<int64_t>(films.size()));
  out += "\">\n";
  for (size_t i = 0; i < films.size(); ++i) {
    const Film& film = films[i];
    AppendTag(out, kFilmIndent, kBackupFilmElement);
    for (const FilmField* field : kBackupFields) {
      std::string_view value;
      char digits[16];
      if (field->text != nullptr) {
        value = film.*field->text;
      } else if (field->optionalText != nullptr) {
        const std::optional<std::string>& text = film.*field->optionalText;
        if (!text || (field->kind == FieldKind::CoverFile && !keepCover[i])) continue;
        value = *text;
      } else {
        const std::optional<int32_t> number = film.*field->number;
        if (!number) continue;
        const auto [end, ignored] = std::to_chars(digits, digits + sizeof digits, *number);
        value = std::string_view(digits, static_cast<size_t>(end - digits));
      }
      AppendElement(out, kFieldIndent, field->backupElement, value);
    }
    AppendViewings(out, film.viewings);
    AppendTag(out, kFilmIndent, kBackupFilmElement, true);
  }
  AppendLoans(out, loans);
  out += "</";
  out += kBackupRootName;
  out += ">\n";
  return out;
}

}  // namespace

bool IsCoverFileName(std::string_view name) {
  if (name.size() != 20 || name.substr(16) != ".jpg") return false;
  return std::all_of(name.begin(), name.begin() + 16,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

BackupResult BackupArchive(const std::vector<Film>& films, const std::string& coverFolder,
                           const Progress& progress, const std::vector<Loan>& loans) {
  BackupResult result;
  const auto total = static_cast<int64_t>(films.size());
  ZipWriter zip;
  // Each distinct cover is read and added once; the covers go first, so that
  // the XML file names only those that really are in the archive. Their sizes
  // are taken beforehand, so that the archive grows in one piece of memory.
  enum class CoverState : char { Unread, Kept, Missing };
  std::unordered_map<std::string_view, CoverState> covers;
  covers.reserve(films.size());
  uint64_t expectedBytes = 65536 + films.size() * 600;  // the packed XML file, the headers
  for (const Film& film : films) {
    if (film.cover && IsCoverFileName(*film.cover) &&
        covers.try_emplace(*film.cover, CoverState::Unread).second) {
      const int64_t size = platform::os::FileSize(coverFolder + "/" + *film.cover);
      expectedBytes += static_cast<uint64_t>(std::max<int64_t>(size, 0)) + 200;
    }
  }
  zip.Reserve(expectedBytes);
  std::vector<char> keepCover(films.size(), 0);
  for (size_t i = 0; i < films.size(); ++i) {
    const std::optional<std::string>& cover = films[i].cover;
    if (cover && !cover->empty()) {
      const auto known = covers.find(*cover);  // none for a name that is no cover's
      CoverState state = known == covers.end() ? CoverState::Missing : known->second;
      if (state == CoverState::Unread) {
        const std::optional<std::string> bytes =
            platform::os::ReadWholeFile(coverFolder + "/" + *cover);
        state = CoverState::Missing;
        if (bytes && !bytes->empty()) {
          if (!zip.Add(std::string(kBackupCoverPrefix) + *cover, *bytes, false)) {
            result.error = text::kBackupNotMade;
            return result;
          }
          state = CoverState::Kept;
        }
        known->second = state;
      }
      keepCover[i] = state == CoverState::Kept ? 1 : 0;
      if (state != CoverState::Kept) ++result.missingCovers;
    }
    if (progress && i % 256 == 255) progress(static_cast<int64_t>(i) + 1, total);
  }
  const std::string xml = BackupXml(films, keepCover, loans);
  if (!zip.Add(kBackupXmlName, xml, true)) {
    result.error = text::kBackupNotMade;
    return result;
  }
  result.bytes = zip.Finish();
  if (result.bytes.empty()) {
    result.error = text::kBackupNotMade;
    result.missingCovers = 0;
  }
  if (progress) progress(total, total);
  return result;
}

}  // namespace zelluo::collection
