#include <algorithm>
#include <charconv>
#include <cmath>
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
class BackupEntries final : public XmlFilmEntries {
 public:
  BackupEntries(std::string fileName, std::shared_ptr<OwnedZip> zip)
      : fileName_(std::move(fileName)), zip_(std::move(zip)) {
    result_.format = kBackupFormat;
  }

  std::string Begin(XmlElement& root, std::vector<XmlElement*>& entries) override {
    if (root.name != kBackupRootName) return text::FormatText(text::kBackupNotABackup, fileName_);
    const std::string* version = root.Attribute("version");
    if (version == nullptr) return Damaged(root.line, text::kBackupNoVersion);
    const std::optional<int32_t> number = ParseNumber(*version);
    if (!number || *number < 1) return BadNumber(root.line, "version");
    if (*number > kBackupVersion) return text::FormatText(text::kBackupNewer, fileName_, *version);
    if (const std::string* count = root.Attribute("filme")) {
      expected_ = ParseNumber(*count);
      if (!expected_) return BadNumber(root.line, "filme");
      count_ = *count;
    }
    rootLine_ = root.line;
    result_.films.reserve(root.children.size());
    for (XmlElement& element : root.children) {
      if (element.name == kBackupLoansElement) {
        std::string problem = ReadLoans(element, result_.loans);
        if (!problem.empty()) return problem;
        continue;
      }
      if (element.name != kBackupFilmElement) {
        unmapped_.insert(element.name);
        continue;
      }
      entries.push_back(&element);
    }
    // The last film's Take checks the count; without films it is checked here.
    expectedEntries_ = entries.size();
    if (entries.empty()) return CountProblem();
    return {};
  }

  bool Take(XmlElement& element) override {
    ImportedFilm& imported = result_.films.emplace_back();
    std::string problem = ReadFilm(element, imported, unmapped_);
    element = XmlElement();  // taken over: its memory is no longer needed
    if (problem.empty() && ++taken_ == expectedEntries_) problem = CountProblem();
    if (problem.empty()) return true;
    error_ = std::move(problem);
    return false;
  }

  ImportResult Result(std::string error) override {
    if (error.empty()) error = std::move(error_);
    if (!error.empty()) {
      ImportResult failed;
      failed.format = result_.format;
      failed.error = std::move(error);
      return failed;
    }
    result_.unmappedFields.assign(unmapped_.begin(), unmapped_.end());
    return std::move(result_);
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
      if (child.name == kBackupViewingElement) {
        std::string problem = ReadViewing(child, film.viewings.emplace_back());
        if (!problem.empty()) return problem;
        continue;
      }
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

  // One viewing: its dates as written, seconds that are numbers (0 when left
  // out), seen "ja" or "nein".
  std::string ReadViewing(const XmlElement& element, Viewing& viewing) {
    viewing.started = element.ChildText("beginn");
    viewing.ended = element.ChildText("ende");
    for (const auto& [name, seconds] :
         {std::pair{"position", &viewing.position}, std::pair{"dauer", &viewing.duration}}) {
      const XmlElement* child = element.Child(name);
      if (child == nullptr) continue;
      const std::string trimmed = text::Trimmed(child->text);
      const char* end = trimmed.data() + trimmed.size();
      const auto [stop, error] = std::from_chars(trimmed.data(), end, *seconds);
      if (trimmed.empty() || error != std::errc() || stop != end || !std::isfinite(*seconds) ||
          *seconds < 0) {
        return BadNumber(child->line, name);
      }
    }
    viewing.complete = text::Trimmed(element.ChildText("gesehen")) == "ja";
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

  // The count the root names, checked against the films read.
  std::string CountProblem() const {
    if (!expected_ || static_cast<size_t>(*expected_) == result_.films.size()) return {};
    return Damaged(rootLine_, text::FormatText(text::kBackupFilmCount,
                                               std::to_string(result_.films.size()), count_));
  }

  std::string fileName_;
  std::shared_ptr<OwnedZip> zip_;
  ImportResult result_;
  std::set<std::string> unmapped_;
  std::optional<int32_t> expected_;
  std::string count_;
  int64_t rootLine_ = 0;
  size_t taken_ = 0;
  size_t expectedEntries_ = 0;
  std::string error_;
};

}  // namespace

std::unique_ptr<FilmReading> StartBackup(std::string bytes, std::string_view filePath) {
  const std::string fileName = FileNameOf(filePath);
  const auto refused = [](std::string message) {
    return ReadingInOneStep([message = std::move(message)] {
      ImportResult result;
      result.format = kBackupFormat;
      result.error = message;
      return result;
    });
  };
  std::string xml;
  if (LooksLikeZip(bytes)) {
    auto zip = std::make_shared<OwnedZip>(std::move(bytes), filePath);
    if (!zip->reader.Error().empty() || !zip->reader.StartReading(kBackupXmlName, xml)) {
      return refused(zip->reader.Error());
    }
    const auto unpack = [zip, fileName](std::string& unpacked, size_t part, std::string& error) {
      const ZipReader::Reading reading = zip->reader.ReadOn(unpacked, part);
      if (reading == ZipReader::Reading::Failed) error = zip->reader.Error();
      if (reading != ZipReader::Reading::Done) return reading;
      if (RootElementName(unpacked) == kBackupRootName) return reading;
      error = text::FormatText(text::kBackupNotABackup, fileName);
      return ZipReader::Reading::Failed;
    };
    return ReadXmlFilms(std::move(xml), filePath, std::make_unique<BackupEntries>(fileName, zip),
                        unpack);
  }
  if (RootElementName(bytes) != kBackupRootName) {
    return refused(text::FormatText(text::kBackupNotABackup, fileName));
  }
  return ReadXmlFilms(std::move(bytes), filePath,
                      std::make_unique<BackupEntries>(fileName, nullptr));
}

ImportResult ReadBackup(std::string bytes, std::string_view filePath) {
  return ReadToEnd(*StartBackup(std::move(bytes), filePath));
}

}  // namespace zelluo::collection
