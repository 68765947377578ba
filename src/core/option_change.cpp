#include "core/option_change.h"

#include <string>

#include "core/application.h"
#include "core/navigation.h"
#include "settings/settings_store.h"
#include "settings/xml_document.h"
#include "texts/texts.h"

namespace zelluo {
namespace {

void Report(Application& app, const std::string& message) {
  if (app.settings.Log == 1) {
    app.platform.ShowMessage(text::kProgramTitle, message, MessageButtons::Ok);
  }
}

std::string Keys(const std::string& optionKey, const std::string& startKey) {
  return std::string(text::kKeyPrefix) + optionKey + std::string(text::kKeysJoin) + startKey;
}

}  // namespace

void ApplyOptionChange(Application& app, GadgetId gadget, int32_t& quit) {
  const OptionPair* row = FindOptionPair(gadget);
  if (row == nullptr) return;
  const bool on = gadget == row->onSwitch;
  const std::string_view value = on ? "1" : "0";

  PlayClickSound(app.platform, app.settings);
  ShowOptionLook(app.platform, *row, on);
  MessageAnswer answer =
      app.platform.ShowMessage(text::kProgramTitle, text::kConfirmChange, MessageButtons::YesNo);
  if (answer != MessageAnswer::Yes) {
    ShowOptionLook(app.platform, *row, !on);
    return;
  }

  // A file that does not parse is treated like a missing one: saving the part
  // that was read would destroy the rest of the user's settings.
  auto document = LoadDocument(app.platform, SettingsPath, XmlEncoding::Utf8);
  XmlNode* optionKey = nullptr;
  XmlNode* startKey = nullptr;
  if (document && DocumentStatus(*document) == 0) {
    XmlNode* mainElement = MainElement(*document);
    const SettingsKeyPlace option = PlaceOfKey(row->field);
    startKey = ChildAt(ChildAt(mainElement, kStartPageKey.group), kStartPageKey.key);
    optionKey = ChildAt(ChildAt(mainElement, option.group), option.key);
  }
  const std::string optionName = NodeName(optionKey);
  const std::string startName = NodeName(startKey);
  if (optionName.empty() || startName.empty()) {
    Report(app, Keys(optionName, startName) + std::string(text::kKeysNotFound));
    return;
  }

  Report(app, Keys(optionName, startName) + std::string(text::kKeysChanging));
  if (!SetAttribute(optionKey, SettingsValueAttribute, value) ||
      !SetAttribute(startKey, SettingsValueAttribute, PageId(Page::Options))) {
    Report(app, std::string(text::kValuePrefix) + CurrentAttributeName(optionKey) +
                    std::string(text::kKeysJoin) + CurrentAttributeName(startKey) +
                    std::string(text::kValueNotChanged));
    return;
  }

  // The Log row's key name is short, so its report lines up with two tabs.
  const std::string separator = row->field == &SettingsRecord::Log ? "\t\t" : "\t";
  Report(app, std::string(text::kChangedHead) + std::string(text::kKeyPrefix) + optionName +
                  separator + std::string(text::kValuePrefix) +
                  GetAttribute(optionKey, SettingsValueAttribute) + "\n" +
                  std::string(text::kKeyPrefix) + startName + "\t" +
                  std::string(text::kValuePrefix) + GetAttribute(startKey, SettingsValueAttribute));

  Reformat(*document);
  SaveDocument(app.platform, *document, SettingsPath);
  document.reset();

  quit = 1;
  app.platform.Pause(kRestartPauseMs);
  app.platform.StartOwnExecutable();
}

}  // namespace zelluo
