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
inline constexpr std::string_view kXmlReadFailed = "the file could not be read";
inline constexpr std::string_view kXmlErrorLine = "Line: ";
inline constexpr std::string_view kXmlErrorColumn = "   Character: ";

// The main window and its information box.
inline constexpr std::string_view kWindowTitle = "Zelluo";
inline constexpr std::string_view kInformationHead = "Folgende Informationen stehen bereit:\n\nName: ";
inline constexpr std::string_view kInformationVersion = "\nVersion: ";
inline constexpr std::string_view kInformationSize = "\nGröße: ";
inline constexpr std::string_view kKilobytes = " kb";

// Tray menu.
inline constexpr std::string_view kMenuShow = "Einblenden";
inline constexpr std::string_view kMenuHide = "Ausblenden";
inline constexpr std::string_view kMenuQuit = "Beenden";

// Navigation captions and the Main page.
inline constexpr std::string_view kCaptionPlay = "Abspielen";
inline constexpr std::string_view kCaptionList = "Liste";
inline constexpr std::string_view kCaptionOptions = "Optionen";
inline constexpr std::string_view kCaptionUpdate = "Update";
inline constexpr std::string_view kCaptionAbout = "Über Zelluo";
inline constexpr std::string_view kInformationButton = "Zelluo Information";

// List page.
inline constexpr std::string_view kFilmTitle = "Filmtitel";
inline constexpr std::string_view kActors = "Darsteller";
inline constexpr std::string_view kReleaseYear = "Erscheinungsjahr";
inline constexpr std::string_view kRunningTime = "Laufzeit";
inline constexpr std::string_view kCountryOfProduction = "Produktionsland";
inline constexpr std::string_view kPlot = "Handlung";

// Options and About pages.
inline constexpr std::string_view kApplication = "Anwendung";
inline constexpr std::string_view kOptionStartTray = "Im Tray starten";
inline constexpr std::string_view kOptionStartMinimize = "Minimiert starten";
inline constexpr std::string_view kOptionAutoUpdate = "Automatische Updates";
inline constexpr std::string_view kOptionLog = "Protokollierung anzeigen";
inline constexpr std::string_view kOptionFadeout = "Ausblendeffekt beim Beenden";
inline constexpr std::string_view kOptionSound = "Soundausgabe";
inline constexpr std::string_view kVersion = "Version";
inline constexpr std::string_view kSize = "Größe";
inline constexpr std::string_view kProgramming = "Programmierung";
inline constexpr std::string_view kThanks = "Danksagung";
inline constexpr std::string_view kThanks1 = "Quillan für Ideen und testen";
inline constexpr std::string_view kThanks2 = "Brevik für Unterstützung und testen";
inline constexpr std::string_view kThanks3 = "Lumen-Community für Unterstützung";

// The option change.
inline constexpr std::string_view kConfirmChange = "Änderung übernehmen?";
inline constexpr std::string_view kKeyPrefix = "Schlüssel: ";
inline constexpr std::string_view kKeysJoin = " & ";
inline constexpr std::string_view kKeysChanging = " wird geändert";
inline constexpr std::string_view kKeysNotFound = " wurde nicht gefunden";
inline constexpr std::string_view kChangedHead = "Folgende Werte wurden geändert:\n\n";
inline constexpr std::string_view kValuePrefix = "Wert: ";
inline constexpr std::string_view kValueNotChanged = " wurde nicht geändert";

}  // namespace zelluo::text
