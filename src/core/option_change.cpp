#include "core/option_change.h"

#include <string>

#include "core/application.h"
#include "core/navigation.h"
#include "settings/settings_store.h"
#include "settings/xml_document.h"
#include "texts/texts.h"

namespace zelluo::core {
namespace {

void Report(Application& app, const std::string& message) {
  if (app.settings.Log == 1) {
    app.platform.ShowMessage(text::kProgramTitle, message, platform::MessageButtons::Ok);
  }
}

std::string Keys(const std::string& optionKey, const std::string& startKey) {
  return std::string(text::kKeyPrefix) + optionKey + std::string(text::kKeysJoin) + startKey;
}

}  // namespace

void ApplyOptionChange(Application& app, platform::GadgetId gadget, int32_t& quit) {
  const ui::OptionPair* row = ui::FindOptionPair(gadget);
  if (row == nullptr) return;
  const bool on = gadget == row->onSwitch;
  const std::string_view value = on ? "1" : "0";

  PlayClickSound(app.platform, app.settings);
  ui::ShowOptionLook(app.platform, *row, on);
  platform::MessageAnswer answer = app.platform.ShowMessage(
      text::kProgramTitle, text::kConfirmChange, platform::MessageButtons::YesNo);
  if (answer != platform::MessageAnswer::Yes) {
    ShowOptionLook(app.platform, *row, !on);
    return;
  }

  // A file that does not parse is treated like a missing one: saving the part
  // that was read would destroy the rest of the user's settings.
  auto document =
      settings::LoadDocument(app.platform, settings::SettingsPath, settings::XmlEncoding::Utf8);
  settings::XmlNode* optionKey = nullptr;
  settings::XmlNode* startKey = nullptr;
  if (document && settings::DocumentStatus(*document) == 0) {
    settings::XmlNode* mainElement = settings::MainElement(*document);
    const settings::SettingsKeyPlace option = PlaceOfKey(row->field);
    startKey = settings::ChildAt(settings::ChildAt(mainElement, settings::kStartPageKey.group),
                                 settings::kStartPageKey.key);
    optionKey = settings::ChildAt(settings::ChildAt(mainElement, option.group), option.key);
  }
  const std::string optionName = settings::NodeName(optionKey);
  const std::string startName = settings::NodeName(startKey);
  if (optionName.empty() || startName.empty()) {
    Report(app, Keys(optionName, startName) + std::string(text::kKeysNotFound));
    return;
  }

  Report(app, Keys(optionName, startName) + std::string(text::kKeysChanging));
  if (!settings::SetAttribute(optionKey, settings::kSettingsValueAttribute, value) ||
      !settings::SetAttribute(startKey, settings::kSettingsValueAttribute,
                              ui::PageId(ui::Page::Options))) {
    Report(app, std::string(text::kValuePrefix) + settings::CurrentAttributeName(optionKey) +
                    std::string(text::kKeysJoin) + settings::CurrentAttributeName(startKey) +
                    std::string(text::kValueNotChanged));
    return;
  }

  // The Log row's key name is short, so its report lines up with two tabs.
  const std::string separator = row->field == &settings::SettingsRecord::Log ? "\t\t" : "\t";
  Report(app, std::string(text::kChangedHead) + std::string(text::kKeyPrefix) + optionName +
                  separator + std::string(text::kValuePrefix) +
                  settings::GetAttribute(optionKey, settings::kSettingsValueAttribute) + "\n" +
                  std::string(text::kKeyPrefix) + startName + "\t" +
                  std::string(text::kValuePrefix) +
                  settings::GetAttribute(startKey, settings::kSettingsValueAttribute));

  settings::Reformat(*document);
  settings::SaveDocument(app.platform, *document, settings::SettingsPath);
  document.reset();

  quit = 1;
  app.platform.Pause(kRestartPauseMs);
  app.platform.StartOwnExecutable();
}

}  // namespace zelluo::core
