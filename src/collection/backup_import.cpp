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
  }
  return result;
}

}  // namespace zelluo::collection
