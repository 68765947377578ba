#pragma once
// Brings the settings file into the record: creation of a missing file, the
// start-up read and the full read at the start of the event loop.

#include <memory>
#include <string_view>

#include "settings/settings_record.h"
#include "settings/xml_document.h"

namespace zelluo::platform {
class Platform;
}  // namespace zelluo::platform

namespace zelluo::settings {

// A new settings document holding the defaults, dates from record.Today.
std::unique_ptr<XmlDocument> CreateSettingsDocument(const SettingsRecord& record);

// Creates the file with its defaults when there is none (missing, unreadable
// or empty); otherwise reads what start-up needs. Start-up runs it twice.
void LoadOrCreateSettings(platform::Platform& platform, SettingsRecord& record);

// Reads every value; the one place that reports a damaged file.
void ReadAllSettings(platform::Platform& platform, SettingsRecord& record);

// Sets the Value of one key, found by position, and saves the file re-laid
// out. False when the file could not be loaded, the key does not exist or the
// save failed; the file is then unchanged.
bool WriteSettingsValue(platform::Platform& platform, SettingsKeyPlace place,
                        std::string_view value);

}  // namespace zelluo::settings
