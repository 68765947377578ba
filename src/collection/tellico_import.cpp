#include <map>
#include <optional>
#include <string>
#include <vector>

#include "collection/catalogue_import.h"
#include "collection/catalogue_values.h"
#include "collection/xml_tree.h"
#include "collection/zip_archive.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// Base64 as the catalogues embed pictures (line breaks allowed); none when it
// is not base64.
std::optional<std::string> FromBase64(std::string_view text) {
  std::string bytes;
  uint32_t buffer = 0;
  int bits = 0;
  for (const char c : text) {
    int value = -1;
    if (c >= 'A' && c <= 'Z') value = c - 'A';
    if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
    if (IsDigit(c)) value = c - '0' + 52;
    if (c == '+') value = 62;
    if (c == '/') value = 63;
    if (c == '=') break;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (value < 0) return std::nullopt;
    buffer = (buffer << 6) | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return bytes;
}

// Tellico keeps line breaks of long texts as HTML.
std::string WithoutHtmlBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    size_t tagSize = 0;
    for (const std::string_view tag : {"<br/>", "<br />", "<br>"}) {
      if (text.substr(at, tag.size()) == tag) tagSize = tag.size();
    }
    if (tagSize > 0) {
      out += '\n';
      at += tagSize;
    } else {
      out += text[at++];
    }
  }
  return out;
}

// One field of a Tellico entry: its name and its values. Fields that allow
// several values wrap them: <genres><genre>A</genre><genre>B</genre></genres>.
struct TellicoField {
  std::string name;
  std::vector<const XmlElement*> values;
};

std::vector<TellicoField> TellicoFields(const XmlElement& entry) {
  std::vector<TellicoField> fields;
  for (const XmlElement& child : entry.children) {
    const std::string_view name = LocalName(child);
    TellicoField field{std::string(name), {&child}};
    if (!child.children.empty() && name.size() > 1 && name.back() == 's') {
      const std::string_view single = name.substr(0, name.size() - 1);
      bool wrapped = true;
      for (const XmlElement& value : child.children) {
        wrapped = wrapped && LocalName(value) == single;
      }
      if (wrapped) {
        field.name = single;
        field.values.clear();
        for (const XmlElement& value : child.children) field.values.push_back(&value);
      }
    }
    fields.push_back(std::move(field));
  }
  return fields;
}

// A row of a table field (cast): its <column>s, or "Name::Role" as older
// files write it.
std::vector<std::string> TellicoColumns(const XmlElement& row) {
  std::vector<std::string> columns;
  for (const XmlElement& column : row.children) {
    if (LocalName(column) == "column") columns.push_back(text::Trimmed(column.text));
  }
  if (columns.empty()) {
    std::string_view text = row.text;
    const size_t separator = text.find("::");
    columns.push_back(text::Trimmed(text.substr(0, separator)));
    if (separator != std::string_view::npos)
      columns.push_back(text::Trimmed(text.substr(separator + 2)));
  }
  return columns;
}

const XmlElement* LocalChild(const XmlElement& parent, std::string_view name) {
  for (const XmlElement& child : parent.children) {
    if (LocalName(child) == name) return &child;
  }
  return nullptr;
}

// The highest rating of the collection: 5 unless its field says otherwise.
double TellicoRatingMaximum(const XmlElement& collection) {
  const XmlElement* fields = LocalChild(collection, "fields");
  if (fields == nullptr) return 5;
  for (const XmlElement& field : fields->children) {
    const std::string* name = field.Attribute("name");
    if (LocalName(field) != "field" || name == nullptr || *name != "rating") continue;
    for (const XmlElement& property : field.children) {
      const std::string* propertyName = property.Attribute("name");
      if (propertyName == nullptr || *propertyName != "maximum") continue;
      const std::optional<double> maximum = DecimalIn(property.text);
      if (maximum && *maximum >= 1) return *maximum;
    }
  }
  return 5;
}

struct TellicoPictures {
  ZipReader* zip = nullptr;
  std::map<std::string, const XmlElement*, std::less<>> inside;  // <images> of the XML
  std::string folder;  // "<name>_files/" beside the file, where Tellico may keep them

  CoverSource Find(const std::string& id) const {
    CoverSource cover;
    if (id.empty()) return cover;
    const std::string member = "images/" + id;
    if (zip != nullptr && zip->Has(member) && zip->Read(member, cover.bytes)) return cover;
    cover.bytes.clear();
    if (const auto found = inside.find(id); found != inside.end()) {
      const std::string* link = found->second->Attribute("link");
      if (link != nullptr && *link == "true") {
        const std::string path = PathOfFileUrl(id);
        if (IsFile(path)) cover.path = path;
        return cover;
      }
      if (std::optional<std::string> bytes = FromBase64(found->second->text)) {
        cover.bytes = std::move(*bytes);
        return cover;
      }
    }
    if (const std::string path = PathOfFileUrl(id); IsFile(path)) {
      cover.path = path;
    } else if (id.find_first_of("/\\") == std::string::npos && IsFile(folder + id)) {
      cover.path = folder + id;
    }
    return cover;
  }
};

}  // namespace

ImportResult ReadTellico(std::string_view bytes, std::string_view filePath) {
  ImportCollector collector("Tellico", filePath);
  std::optional<ZipReader> zip;
  std::string unpacked;
  std::string_view xml = bytes;
  if (bytes.substr(0, 2) == "PK") {
    zip.emplace(bytes, filePath);
    if (!zip->Error().empty()) return collector.Fail(zip->Error());
    if (!zip->Has("tellico.xml")) {
      return collector.Fail(
          text::FormatText(text::kZipMemberMissing, FileNameOf(filePath), "tellico.xml"));
    }
    if (!zip->Read("tellico.xml", unpacked)) return collector.Fail(zip->Error());
    xml = unpacked;
  }
  const XmlParse parsed = ParseXml(xml, filePath);
  if (!parsed.root) return collector.Fail(parsed.error);
  const XmlElement& root = *parsed.root;
  const XmlElement* collection = LocalChild(root, "collection");
  if (LocalName(root) != "tellico" || collection == nullptr) {
    return collector.Fail(text::FormatText(text::kCatalogueNotTellico, FileNameOf(filePath)));
  }
  const std::string* type = collection->Attribute("type");
  if (type == nullptr || text::Trimmed(*type) != "3") {
    return collector.Fail(text::FormatText(text::kCatalogueNotTellicoVideos, FileNameOf(filePath),
                                           type ? *type : std::string("?")));
  }
  const double ratingMaximum = TellicoRatingMaximum(*collection);

  TellicoPictures pictures;
  pictures.zip = zip ? &*zip : nullptr;
  pictures.folder = FolderOf(filePath) + WithoutExtension(FileNameOf(filePath)) + "_files/";
  for (const XmlElement* holder : {&root, collection}) {
    if (const XmlElement* images = LocalChild(*holder, "images")) {
      for (const XmlElement& image : images->children) {
        const std::string* id = image.Attribute("id");
        if (LocalName(image) == "image" && id != nullptr) pictures.inside.emplace(*id, &image);
      }
    }
  }

  for (const XmlElement& entry : collection->children) {
    if (LocalName(entry) != "entry") continue;
    ImportedFilm imported;
    Film& film = imported.film;
    for (const TellicoField& field : TellicoFields(entry)) {
      const std::string& name = field.name;
      const std::string first = text::Trimmed(field.values.front()->text);
      if (name == "title") {
        film.title = OneLine(first);
      } else if (name == "origtitle" || name == "orig-title" || name == "original-title") {
        film.originalTitle = OneLine(first);
      } else if (name == "year") {
        film.year = YearIn(first);
      } else if (name == "running-time") {
        film.runtime = MinutesIn(first);
      } else if (name == "nationality") {
        for (const XmlElement* value : field.values) AddToLine(film.country, value->text);
      } else if (name == "director") {
        for (const XmlElement* value : field.values) AddToLine(film.director, value->text);
      } else if (name == "genre") {
        for (const XmlElement* value : field.values) AddLine(film.genre, value->text);
      } else if (name == "cast") {
        for (const XmlElement* value : field.values) {
          const std::vector<std::string> columns = TellicoColumns(*value);
          AddLine(film.actors, ActorLine(columns[0], columns.size() > 1 ? columns[1] : ""));
        }
      } else if (name == "plot") {
        film.plot = text::Trimmed(WithoutHtmlBreaks(field.values.front()->text));
      } else if (name == "comments") {
        film.notes = text::Trimmed(WithoutHtmlBreaks(field.values.front()->text));
      } else if (name == "rating") {
        film.rating = Stars(first, ratingMaximum);
      } else if (name == "cover") {
        imported.cover = pictures.Find(first);
      } else if (name != "cdate" && name != "mdate") {
        // cdate and mdate are Tellico's own bookkeeping, as added and changed
        // are the store's.
        for (const XmlElement* value : field.values) collector.Unmapped(name, AllText(*value));
      }
    }
    if (!collector.Take(std::move(imported), LineOf(entry))) return collector.Result();
  }
  return collector.Result();
}

}  // namespace zelluo::collection
