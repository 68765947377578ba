#pragma once
// The settings file's layout and the in-memory record filled from it.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/platform.h"
#include "texts/version.h"

namespace zelluo::settings {

// Relative to the working directory.
inline constexpr std::string_view SettingsFolder = "Zelluo Files";
inline constexpr std::string_view SettingsPath = "Zelluo Files/Zelluo.xml";

struct SettingsRecord {
  std::string Name = "Zelluo";
  std::string Version;
  std::string Update;
  std::string StartPage = "Main";
  int32_t StartTray = 0;
  int32_t StartMinimize = 0;
  int32_t AutoUpdate = 0;
  std::string Language = "German";
  std::string Theme = "Default";
  int32_t Log = 0;
  int32_t IgnoreRes = 0;
  int32_t Fadeout = 0;
  int32_t Sound = 1;
  // The local date at start-up, "%dd/%mm/%yyyy"; written into both dates of a
  // new file.
  std::string Today;
};

// One key of the settings file: its element name, its value in a new file, and
// where its value goes in the record (a text, a flag read as a lenient integer,
// or nowhere: written at creation and never read).
struct SettingsKey {
  std::string_view name = {};
  std::string_view defaultValue = {};
  std::string SettingsRecord::*text = nullptr;
  int32_t SettingsRecord::*flag = nullptr;
  bool readAtStartUp = false;  // start-up reads these; the loop's prologue reads all
  bool isDate = false;         // a new file takes Today instead of defaultValue
};

struct SettingsGroup {
  std::string_view name = {};
  std::span<const SettingsKey> keys;
};

inline constexpr std::string_view kSettingsRootName = "Root";
inline constexpr std::string_view kSettingsValueAttribute = "Value";

inline constexpr std::array kApplicationKeys = {
    SettingsKey{.name = "Key_Name",
                .defaultValue = "Zelluo",
                .text = &SettingsRecord::Name,
                .readAtStartUp = true},
    SettingsKey{.name = "Key_Version",
                .defaultValue = text::kProgramVersion,
                .text = &SettingsRecord::Version,
                .readAtStartUp = true},
    SettingsKey{.name = "Key_Create", .isDate = true},
    SettingsKey{.name = "Key_Update",
                .text = &SettingsRecord::Update,
                .readAtStartUp = true,
                .isDate = true},
    SettingsKey{.name = "Key_StartPage",
                .defaultValue = "Main",
                .text = &SettingsRecord::StartPage,
                .readAtStartUp = true},
};
inline constexpr std::array kOptionKeys = {
    SettingsKey{.name = "Key_StartTray", .defaultValue = "0", .flag = &SettingsRecord::StartTray},
    SettingsKey{
        .name = "Key_StartMinimize", .defaultValue = "0", .flag = &SettingsRecord::StartMinimize},
    SettingsKey{.name = "Key_AutoUpdate", .defaultValue = "0", .flag = &SettingsRecord::AutoUpdate},
    SettingsKey{
        .name = "Key_Language", .defaultValue = "German", .text = &SettingsRecord::Language},
    SettingsKey{.name = "Key_Theme", .defaultValue = "Default", .text = &SettingsRecord::Theme},
    SettingsKey{.name = "Key_Log",
                .defaultValue = "0",
                .flag = &SettingsRecord::Log,
                .readAtStartUp = true},
    SettingsKey{.name = "Key_Fadeout",
                .defaultValue = "0",
                .flag = &SettingsRecord::Fadeout,
                .readAtStartUp = true},
    SettingsKey{.name = "Key_IgnoreRes",
                .defaultValue = "0",
                .flag = &SettingsRecord::IgnoreRes,
                .readAtStartUp = true},
    SettingsKey{.name = "Key_Sound",
                .defaultValue = "1",
                .flag = &SettingsRecord::Sound,
                .readAtStartUp = true},
};
inline constexpr std::array kDesignKeys = {
    SettingsKey{.name = "Key_Default", .defaultValue = "1"},
    SettingsKey{.name = "Key_Blue", .defaultValue = "0"},
    SettingsKey{.name = "Key_Green", .defaultValue = "0"},
    SettingsKey{.name = "Key_Violet", .defaultValue = "0"},
    SettingsKey{.name = "Key_Red", .defaultValue = "0"},
};

// Groups and keys are found by position (1-based, document order), never by name.
inline constexpr std::array<SettingsGroup, 3> kSettingsGroups = {
    SettingsGroup{"HKey_Application", kApplicationKeys},
    SettingsGroup{"HKey_Options", kOptionKeys},
    SettingsGroup{"HKey_Designs", kDesignKeys},
};

// A key's place in the file: group and key position, both 1-based.
struct SettingsKeyPlace {
  int32_t group = 0;
  int32_t key = 0;
};

// The place of the key whose value goes into member; {0, 0} for none.
template <typename Member>
constexpr SettingsKeyPlace PlaceOfKey(Member SettingsRecord::*member) {
  for (size_t group = 0; group < kSettingsGroups.size(); ++group) {
    const std::span<const SettingsKey> keys = kSettingsGroups[group].keys;
    for (size_t key = 0; key < keys.size(); ++key) {
      bool found = false;
      if constexpr (std::is_same_v<Member, std::string>) found = keys[key].text == member;
      if constexpr (std::is_same_v<Member, int32_t>) found = keys[key].flag == member;
      if (found) return {static_cast<int32_t>(group + 1), static_cast<int32_t>(key + 1)};
    }
  }
  return {};
}

inline constexpr SettingsKeyPlace kStartPageKey = PlaceOfKey(&SettingsRecord::StartPage);

// "%dd/%mm/%yyyy": 6 December 2026 gives "06/12/2026".
std::string FormatDate(const platform::LocalDate& date);

// The record before the file is read, with Today set from date.
SettingsRecord DefaultSettings(const platform::LocalDate& date);

// Lenient integer reading of a flag: leading blanks and tabs skipped, one sign,
// "$" for hexadecimal and "%" for binary digits, stops at the first character
// that is not a digit, no digits give 0; the result wraps to 32 bits.
int32_t ParseLenientInteger(std::string_view text);

}  // namespace zelluo::settings
