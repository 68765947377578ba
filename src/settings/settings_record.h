#pragma once
// The settings file's layout and the in-memory record filled from it.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelluo {

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

// Where a key's value goes in the record.
enum class SettingsField {
  None,  // written at creation, never read
  Name,
  Version,
  Create,  // read and discarded
  Update,
  StartPage,
  StartTray,
  StartMinimize,
  AutoUpdate,
  Language,
  Theme,
  Log,
  Fadeout,
  IgnoreRes,
  Sound,
};

struct SettingsKey {
  std::string_view name;
  // The value of a new file; empty for the two dates, which take Today.
  std::string_view defaultValue;
  SettingsField field;
};

struct SettingsGroup {
  std::string_view name;
  std::span<const SettingsKey> keys;
};

inline constexpr std::string_view SettingsRootName = "Root";
inline constexpr std::string_view SettingsValueAttribute = "Value";

inline constexpr std::array kApplicationKeys = {
    SettingsKey{"Key_Name", "Zelluo", SettingsField::Name},
    SettingsKey{"Key_Version", "1.0.0.0", SettingsField::Version},
    SettingsKey{"Key_Create", "", SettingsField::Create},
    SettingsKey{"Key_Update", "", SettingsField::Update},
    SettingsKey{"Key_StartPage", "Main", SettingsField::StartPage},
};
inline constexpr std::array kOptionKeys = {
    SettingsKey{"Key_StartTray", "0", SettingsField::StartTray},
    SettingsKey{"Key_StartMinimize", "0", SettingsField::StartMinimize},
    SettingsKey{"Key_AutoUpdate", "0", SettingsField::AutoUpdate},
    SettingsKey{"Key_Language", "German", SettingsField::Language},
    SettingsKey{"Key_Theme", "Default", SettingsField::Theme},
    SettingsKey{"Key_Log", "0", SettingsField::Log},
    SettingsKey{"Key_Fadeout", "0", SettingsField::Fadeout},
    SettingsKey{"Key_IgnoreRes", "0", SettingsField::IgnoreRes},
    SettingsKey{"Key_Sound", "1", SettingsField::Sound},
};
inline constexpr std::array kDesignKeys = {
    SettingsKey{"Key_Default", "1", SettingsField::None},
    SettingsKey{"Key_Blue", "0", SettingsField::None},
    SettingsKey{"Key_Green", "0", SettingsField::None},
    SettingsKey{"Key_Violet", "0", SettingsField::None},
    SettingsKey{"Key_Red", "0", SettingsField::None},
};

// Groups and keys are found by position (1-based, document order), never by name.
inline constexpr std::array<SettingsGroup, 3> kSettingsGroups = {
    SettingsGroup{"HKey_Application", kApplicationKeys},
    SettingsGroup{"HKey_Options", kOptionKeys},
    SettingsGroup{"HKey_Designs", kDesignKeys},
};
inline constexpr int32_t kApplicationGroup = 1;
inline constexpr int32_t kOptionsGroup = 2;
inline constexpr int32_t kDesignsGroup = 3;
inline constexpr int32_t kStartPageKey = 5;  // in the application group

// "%dd/%mm/%yyyy": 6 December 2026 gives "06/12/2026".
std::string FormatDate(const LocalDate& date);

// The record before the file is read, with Today set from date.
SettingsRecord DefaultSettings(const LocalDate& date);

// Lenient integer reading of a flag: leading blanks and tabs skipped, one sign,
// "$" for hexadecimal and "%" for binary digits, stops at the first character
// that is not a digit, no digits give 0; the result wraps to 32 bits.
int32_t ParseLenientInteger(std::string_view text);

}  // namespace zelluo
