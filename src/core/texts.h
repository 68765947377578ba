#pragma once
// Every text the program shows, in one place. Most are German; the report of a
// damaged settings file is English.

#include <string_view>

namespace zelluo::text {

// Start-up and the resolution gate.
inline constexpr std::string_view kResolutionTitle = "Zelluo Installation";
inline constexpr std::string_view kResolutionMessage =
    "Für Zelluo ist eine Auflösung von min. 1280x1024 erforderlich.\n\nUnterstützte Auflösungen:\n"
    "1280x1024\n1600x1024\n1600x1200\n\n"
    "Um die Auflösung zu ignorieren, bitte folgenden Schlüssel ändern:\n"
    "\\Zelluo Files\\Zelluo.xml -> Root\\HKey_Options\\Key_IgnoreRes -> 1";
inline constexpr std::string_view kAuthor = "Stellmar/Quorvex";

// Settings store.
inline constexpr std::string_view kInfoTitle = "Info";
inline constexpr std::string_view kProgramTitle = "Zelluo";
inline constexpr std::string_view kErrorTitle = "Error";
inline constexpr std::string_view kXmlCreated = "XML erstellt";
inline constexpr std::string_view kXmlLoadFailed = "Zelluo.xml laden fehlgeschlagen";
inline constexpr std::string_view kXmlLoaded = "Zelluo.xml geladen";
inline constexpr std::string_view kRootNodeFound = "RootNode gefunden";
inline constexpr std::string_view kRootNodeMissing = "RootNode nicht gefunden";
inline constexpr std::string_view kMainNodeFound = "MainNode gefunden";
inline constexpr std::string_view kMainNodeMissing = "MainNode nicht gefunden";
inline constexpr std::string_view kXmlErrorHead = "Error in the XML file:\r";
inline constexpr std::string_view kXmlErrorMessage = "Message: ";
inline constexpr std::string_view kXmlErrorLine = "Line: ";
inline constexpr std::string_view kXmlErrorColumn = "   Character: ";

}  // namespace zelluo::text
