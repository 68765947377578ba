#include "settings/settings_store.h"

#include <string>

#include "core/texts.h"
#include "platform/platform.h"

namespace zelluo {
namespace {

// Informational messages appear only while Log is 1, at the moment they are due.
void Inform(Platform& platform, const SettingsRecord& record, std::string_view message) {
  if (record.Log == 1) platform.ShowMessage(text::kInfoTitle, message, MessageButtons::Ok);
}

void AssignField(SettingsRecord& record, SettingsField field, const std::string& value) {
  switch (field) {
    case SettingsField::None:
    case SettingsField::Create: break;
    case SettingsField::Name: record.Name = value; break;
    case SettingsField::Version: record.Version = value; break;
    case SettingsField::Update: record.Update = value; break;
    case SettingsField::StartPage: record.StartPage = value; break;
    case SettingsField::Language: record.Language = value; break;
    case SettingsField::Theme: record.Theme = value; break;
    case SettingsField::StartTray: record.StartTray = ParseLenientInteger(value); break;
    case SettingsField::StartMinimize: record.StartMinimize = ParseLenientInteger(value); break;
    case SettingsField::AutoUpdate: record.AutoUpdate = ParseLenientInteger(value); break;
    case SettingsField::Log: record.Log = ParseLenientInteger(value); break;
    case SettingsField::Fadeout: record.Fadeout = ParseLenientInteger(value); break;
    case SettingsField::IgnoreRes: record.IgnoreRes = ParseLenientInteger(value); break;
    case SettingsField::Sound: record.Sound = ParseLenientInteger(value); break;
  }
}

// Reads the keys of one group by position. A key missing from a hand-edited
// file leaves its field as it is; a key without a Value reads as empty text.
void ReadGroup(const XmlNode* mainElement, int32_t group, SettingsRecord& record,
               bool (*wanted)(SettingsField)) {
  const XmlNode* groupNode = ChildAt(mainElement, group);
  const SettingsGroup& layout = kSettingsGroups[static_cast<size_t>(group - 1)];
  for (size_t index = 0; index < layout.keys.size(); ++index) {
    SettingsField field = layout.keys[index].field;
    if (!wanted(field)) continue;
    const XmlNode* key = ChildAt(groupNode, static_cast<int32_t>(index + 1));
    if (key == nullptr) continue;
    AssignField(record, field, GetAttribute(key, SettingsValueAttribute));
  }
}

// The values start-up needs before the event loop.
bool StartUpField(SettingsField field) {
  switch (field) {
    case SettingsField::Name:
    case SettingsField::Version:
    case SettingsField::Update:
    case SettingsField::StartPage:
    case SettingsField::Log:
    case SettingsField::Fadeout:
    case SettingsField::IgnoreRes:
    case SettingsField::Sound: return true;
    default: return false;
  }
}

bool EveryField(SettingsField) { return true; }

void CreateSettingsFile(Platform& platform, const SettingsRecord& record) {
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
  SetNodeName(root, SettingsRootName);
  for (const SettingsGroup& group : kSettingsGroups) {
    XmlNode* groupNode = AppendChild(root);
    SetNodeName(groupNode, group.name);
    for (const SettingsKey& key : group.keys) {
      XmlNode* keyNode = AppendChild(groupNode);
      SetNodeName(keyNode, key.name);
      bool isDate = key.field == SettingsField::Create || key.field == SettingsField::Update;
      SetAttribute(keyNode, SettingsValueAttribute, isDate ? record.Today : key.defaultValue);
    }
  }
  return document;
}

void LoadOrCreateSettings(Platform& platform, SettingsRecord& record) {
  auto document = LoadDocument(platform, SettingsPath, XmlEncoding::Utf8);
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
  ReadGroup(mainElement, kApplicationGroup, record, StartUpField);
  ReadGroup(mainElement, kOptionsGroup, record, StartUpField);
}

void ReadAllSettings(Platform& platform, SettingsRecord& record) {
  auto document = LoadDocument(platform, SettingsPath, XmlEncoding::Utf8);
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
    platform.ShowMessage(text::kErrorTitle, report, MessageButtons::Ok);
    return;
  }
  if (DocumentNode(*document) == nullptr) {
    platform.ShowMessage(text::kProgramTitle, text::kRootNodeMissing, MessageButtons::Ok);
    return;
  }
  const XmlNode* mainElement = MainElement(*document);
  if (mainElement == nullptr) {
    platform.ShowMessage(text::kProgramTitle, text::kMainNodeMissing, MessageButtons::Ok);
    return;
  }
  ReadGroup(mainElement, kApplicationGroup, record, EveryField);
  ReadGroup(mainElement, kOptionsGroup, record, EveryField);
}

bool WriteSettingsValue(Platform& platform, int32_t group, int32_t key, std::string_view value) {
  auto document = LoadDocument(platform, SettingsPath, XmlEncoding::Utf8);
  if (!document || DocumentStatus(*document) != 0) return false;
  XmlNode* keyNode = ChildAt(ChildAt(MainElement(*document), group), key);
  if (!SetAttribute(keyNode, SettingsValueAttribute, value)) return false;
  Reformat(*document);
  return SaveDocument(platform, *document, SettingsPath);
}

}  // namespace zelluo
