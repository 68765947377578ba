#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "collection/backup.h"
#include "collection/film_fields.h"
#include "collection/xml_tree.h"
#include "collection/zip_archive.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

bool LooksLikeZip(std::string_view bytes) { return bytes.substr(0, 2) == "PK"; }

// A whole number (blanks around it allowed) that fits int32_t.
std::optional<int32_t> ParseNumber(std::string_view text) {
  const std::string trimmed = text::Trimmed(text);
  int32_t value = 0;
  const char* end = trimmed.data() + trimmed.size();
  const auto [stop, error] = std::from_chars(trimmed.data(), end, value);
  if (trimmed.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Reads the films of a parsed backup, with their covers from zip (none when
// the XML file came alone).
class BackupReader {
 public:
  BackupReader(std::string fileName, std::shared_ptr<OwnedZip> zip)
      : fileName_(std::move(fileName)), zip_(std::move(zip)) {}

  // Empty on success, else the German message.
  std::string Read(XmlElement& root, ImportResult& result) {
    const std::string* version = root.Attribute("version");
    if (version == nullptr) return Damaged(root.line, text::kBackupNoVersion);
    const std::optional<int32_t> number = ParseNumber(*version);
    if (!number || *number < 1) return BadNumber(root.line, "version");
    if (*number > kBackupVersion) return text::FormatText(text::kBackupNewer, fileName_, *version);

    std::set<std::string> unmapped;
    result.films.reserve(root.children.size());
    for (XmlElement& element : root.children) {
      if (element.name == kBackupLoansElement) {
        std::string problem = ReadLoans(element, result.loans);
        if (!problem.empty()) return problem;
        continue;
      }
      if (element.name != kBackupFilmElement) {
        unmapped.insert(element.name);
        continue;
      }
      ImportedFilm& imported = result.films.emplace_back();
      std::string problem = ReadFilm(element, imported, unmapped);
      if (!problem.empty()) return problem;
    }
    if (const std::string* count = root.Attribute("filme")) {
      const std::optional<int32_t> expected = ParseNumber(*count);
      if (!expected) return BadNumber(root.line, "filme");
      if (static_cast<size_t>(*expected) != result.films.size()) {
        return Damaged(root.line, text::FormatText(text::kBackupFilmCount,
                                                   std::to_string(result.films.size()), *count));
      }
    }
    result.unmappedFields.assign(unmapped.begin(), unmapped.end());
    return {};
  }

 private:
  std::string Damaged(int64_t line, std::string_view detail) const {
    return text::FormatText(text::kBackupDamaged, fileName_,
                            text::FormatText(text::kXmlAtLine, std::to_string(line), detail));
  }
  std::string BadNumber(int64_t line, std::string_view element) const {
    return Damaged(line, text::FormatText(text::kBackupBadNumber, element));
  }

  std::string ReadFilm(XmlElement& element, ImportedFilm& imported,
                       std::set<std::string>& unmapped) {
    Film& film = imported.film;
    for (XmlElement& child : element.children) {
      const auto found =
          std::find_if(kBackupFields.begin(), kBackupFields.end(),
                       [&](const FilmField* f) { return f->backupElement == child.name; });
      if (found == kBackupFields.end()) {
        unmapped.insert(child.name);
        continue;
      }
      const FilmField* field = *found;
      if (IsBeyondLimit(*field, child.text)) {
        return text::FormatText(
                   text::kFilmInFile, fileName_,
                   text::FormatText(text::kCatalogueAtLine, std::to_string(child.line))) +
               FieldTooLong(*field);
      }
      if (field->text != nullptr) {
        film.*field->text = std::move(child.text);
      } else if (field->number != nullptr) {
        if (text::Trimmed(child.text).empty()) continue;
        const std::optional<int32_t> number = ParseNumber(child.text);
        if (!number) return BadNumber(child.line, child.name);
        film.*field->number = number;
      } else if (field->kind == FieldKind::CoverFile) {
        std::string problem = ReadCover(child, imported);
        if (!problem.empty()) return problem;
      } else if (!child.text.empty()) {
        film.*field->optionalText = std::move(child.text);
      }
    }
    return {};
  }

  // The loans; a loan without its film's title, borrower or day lent is left out.
  std::string ReadLoans(XmlElement& element, std::vector<Loan>& loans) const {
    for (XmlElement& child : element.children) {
      if (child.name != kBackupLoanElement) continue;
      Loan loan;
      for (XmlElement& field : child.children) {
        std::string* target = field.name == "titel"             ? &loan.title
                              : field.name == "entleiher"       ? &loan.borrower.name
                              : field.name == "email"           ? &loan.borrower.email
                              : field.name == "telefon"         ? &loan.borrower.phone
                              : field.name == "entleiher-notiz" ? &loan.borrower.note
                              : field.name == "verliehen"       ? &loan.lent
                              : field.name == "zurueck-bis"     ? &loan.due
                              : field.name == "zurueckgegeben"  ? &loan.returned
                              : field.name == "notiz"           ? &loan.note
                                                                : nullptr;
        if (field.text.size() > 4000) {
          return Damaged(field.line, text::FormatText(text::kBackupValueTooLong, field.name));
        }
        if (target != nullptr) {
          *target = std::move(field.text);
        } else if (field.name == "jahr" && !text::Trimmed(field.text).empty()) {
          loan.year = ParseNumber(field.text);
          if (!loan.year) return BadNumber(field.line, field.name);
        }
      }
      if (!loan.title.empty() && !loan.borrower.name.empty() && !loan.lent.empty()) {
        loans.push_back(std::move(loan));
      }
    }
    return {};
  }

  std::string ReadCover(const XmlElement& element, ImportedFilm& imported) {
    const std::string& name = element.text;
    if (name.empty()) return {};
    if (!IsCoverFileName(name)) {
      return text::FormatText(text::kBackupHostileCover, fileName_, std::to_string(element.line));
    }
    if (zip_ == nullptr) return {};  // the XML file alone: the films come without covers
    const std::string member = std::string(kBackupCoverPrefix) + name;
    if (!zip_->reader.Has(member)) {
      return Damaged(element.line, text::FormatText(text::kBackupCoverMissing, member));
    }
    if (!zip_->reader.Plausible(member)) return zip_->reader.Error();
    // Read when it is taken over, one at a time.
    imported.film.cover = name;
    imported.cover.storedCover = true;
    imported.cover.archive = zip_;
    imported.cover.member = member;
    return {};
  }

  std::string fileName_;
  std::shared_ptr<OwnedZip> zip_;
};

}  // namespace

ImportResult ReadBackup(std::string bytes, std::string_view filePath) {
  ImportResult result;
  result.format = kBackupFormat;
  const std::string fileName = FileNameOf(filePath);
  std::shared_ptr<OwnedZip> zip;
  std::string unpacked;
  std::string_view xml = bytes;
  if (LooksLikeZip(bytes)) {
    zip = std::make_shared<OwnedZip>(std::move(bytes), filePath);
    if (!zip->reader.Error().empty() || !zip->reader.Read(kBackupXmlName, unpacked)) {
      result.error = zip->reader.Error();
      return result;
    }
    xml = unpacked;
  }
  if (RootElementName(xml) != kBackupRootName) {
    result.error = text::FormatText(text::kBackupNotABackup, fileName);
    return result;
  }
  XmlParse parsed = ParseXml(xml, filePath);
  unpacked = std::string();
  if (!parsed.root) {
    result.error = std::move(parsed.error);
    return result;
  }
  if (parsed.root->name != kBackupRootName) {
    result.error = text::FormatText(text::kBackupNotABackup, fileName);
    return result;
  }
  BackupReader reader(fileName, zip);
  result.error = reader.Read(*parsed.root, result);
  if (!result.error.empty()) {
    result.films.clear();
    result.unmappedFields.clear();
    result.loans.clear();
  }
  return result;
}

}  // namespace zelluo::collection
