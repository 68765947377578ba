#include "settings/settings_store.h"

#include <string>

#include "platform/platform.h"
#include "texts/texts.h"

namespace zelluo::settings {
namespace {

// Informational messages appear only while Log is 1, at the moment they are due.
void Inform(platform::Platform& platform, const SettingsRecord& record, std::string_view message) {
  if (record.Log == 1)
    platform.ShowMessage(text::kInfoTitle, message, platform::MessageButtons::Ok);
}

// Reads the keys of one group by position. A key missing from a hand-edited
// file leaves its field as it is; a key without a Value reads as empty text.
void ReadGroup(const XmlNode* mainElement, int32_t group, SettingsRecord& record,
               bool startUpOnly) {
  const XmlNode* groupNode = ChildAt(mainElement, group);
  const SettingsGroup& layout = kSettingsGroups[static_cast<size_t>(group - 1)];
  for (size_t index = 0; index < layout.keys.size(); ++index) {
    const SettingsKey& field = layout.keys[index];
    if (startUpOnly && !field.readAtStartUp) continue;
    if (field.text == nullptr && field.flag == nullptr) continue;
    const XmlNode* key = ChildAt(groupNode, static_cast<int32_t>(index + 1));
    if (key == nullptr) continue;
    const std::string value = GetAttribute(key, kSettingsValueAttribute);
    if (field.text != nullptr) {
      record.*field.text = value;
    } else {
      record.*field.flag = ParseLenientInteger(value);
    }
  }
}

void ReadGroups(const XmlNode* mainElement, SettingsRecord& record, bool startUpOnly) {
  for (size_t group = 1; group <= kSettingsGroups.size(); ++group) {
    ReadGroup(mainElement, static_cast<int32_t>(group), record, startUpOnly);
  }
}

// A file with content that could not be read (no permission, an I/O error
// part way) did not load: it is reported like a file that does not parse and
// is never replaced by the defaults. An empty file holds nothing to lose.
bool FileCouldNotBeRead(platform::Platform& platform) {
  return platform.FileSize(SettingsPath) > 0;
}

void CreateSettingsFile(platform::Platform& platform, const SettingsRecord& record) {
  platform.CreateFolder(SettingsFolder);
  auto document = CreateSettingsDocument(record);
  Reformat(*document);
  SaveDocument(platform, *document, SettingsPath);
  Inform(platform, record, text::kXmlCreated);
}

}  // namespace

std::unique_ptr<XmlDocument> CreateSettingsDocument(const SettingsRecord& record) {
  auto document = CreateDocument();
  XmlNode* root = AppendChild(DocumentNode(*document));
  SetNodeName(root, kSettingsRootName);
  for (const SettingsGroup& group : kSettingsGroups) {
    XmlNode* groupNode = AppendChild(root);
    SetNodeName(groupNode, group.name);
    for (const SettingsKey& key : group.keys) {
      XmlNode* keyNode = AppendChild(groupNode);
      SetNodeName(keyNode, key.name);
      SetAttribute(keyNode, kSettingsValueAttribute, key.isDate ? record.Today : key.defaultValue);
    }
  }
  return document;
}

void LoadOrCreateSettings(platform::Platform& platform, SettingsRecord& record) {
  auto document = LoadDocument(platform, SettingsPath, XmlEncoding::Utf8);
  if (!document && FileCouldNotBeRead(platform)) {
    Inform(platform, record, text::kXmlLoadFailed);
    return;
  }
  if (!document) {
    CreateSettingsFile(platform, record);
    return;
  }
  if (DocumentStatus(*document) != 0) {
    Inform(platform, record, text::kXmlLoadFailed);
    return;
  }
  Inform(platform, record, text::kXmlLoaded);
  if (DocumentNode(*document) == nullptr) {
    Inform(platform, record, text::kRootNodeMissing);
    return;
  }
  Inform(platform, record, text::kRootNodeFound);
  const XmlNode* mainElement = MainElement(*document);
  if (mainElement == nullptr) {
    Inform(platform, record, text::kMainNodeMissing);
    return;
  }
  Inform(platform, record, text::kMainNodeFound);
  ReadGroups(mainElement, record, true);
}

void ReadAllSettings(platform::Platform& platform, SettingsRecord& record) {
  auto document = LoadDocument(platform, SettingsPath, XmlEncoding::Utf8);
  if (!document && FileCouldNotBeRead(platform)) {
    platform.ShowMessage(text::kErrorTitle,
                         std::string(text::kXmlErrorHead) + std::string(text::kXmlErrorMessage) +
                             std::string(text::kXmlReadFailed),
                         platform::MessageButtons::Ok);
    return;
  }
  if (!document) return;
  if (DocumentStatus(*document) != 0) {
    std::string report(text::kXmlErrorHead);
    report += text::kXmlErrorMessage;
    report += ErrorText(*document);
    report += "\r";
    report += text::kXmlErrorLine;
    report += std::to_string(ErrorLine(*document));
    report += text::kXmlErrorColumn;
    report += std::to_string(ErrorColumn(*document));
    platform.ShowMessage(text::kErrorTitle, report, platform::MessageButtons::Ok);
    return;
  }
  if (DocumentNode(*document) == nullptr) {
    platform.ShowMessage(text::kProgramTitle, text::kRootNodeMissing, platform::MessageButtons::Ok);
    return;
  }
  const XmlNode* mainElement = MainElement(*document);
  if (mainElement == nullptr) {
    platform.ShowMessage(text::kProgramTitle, text::kMainNodeMissing, platform::MessageButtons::Ok);
    return;
  }
  ReadGroups(mainElement, record, false);
}

bool WriteSettingsValue(platform::Platform& platform, SettingsKeyPlace place,
                        std::string_view value) {
  auto document = LoadDocument(platform, SettingsPath, XmlEncoding::Utf8);
  if (!document || DocumentStatus(*document) != 0) return false;
  XmlNode* keyNode = ChildAt(ChildAt(MainElement(*document), place.group), place.key);
  if (!SetAttribute(keyNode, kSettingsValueAttribute, value)) return false;
  Reformat(*document);
  return SaveDocument(platform, *document, SettingsPath);
}

}  // namespace zelluo::settings
