#pragma once
// The messages of taking over a cover picture, shown to the user as they are.

#include <string_view>

namespace zelluo::text {

inline constexpr std::string_view kCoverFileMissing =
    "Das Bild wurde nicht gefunden oder kann nicht gelesen werden.";
inline constexpr std::string_view kCoverFileEmpty = "Die Bilddatei ist leer.";
inline constexpr std::string_view kCoverFileTooLarge =
    "Die Bilddatei ist größer als 50 MB und wird nicht übernommen.";
inline constexpr std::string_view kCoverUnknownFormat =
    "Die Datei ist kein JPEG- oder PNG-Bild. Bitte ein Bild im Format JPEG oder PNG wählen.";
inline constexpr std::string_view kCoverDamaged =
    "Das Bild ist beschädigt oder unvollständig und kann nicht gelesen werden.";
inline constexpr std::string_view kCoverTooManyPixels =
    "Das Bild ist zu groß (höchstens 16000 Pixel je Seite und 100 Megapixel).";
inline constexpr std::string_view kCoverFolderMissing =
    "Der Cover-Ordner kann nicht angelegt werden.";
inline constexpr std::string_view kCoverWriteFailed =
    "Das Cover kann nicht gespeichert werden (ist der Datenträger voll oder schreibgeschützt?).";
inline constexpr std::string_view kCoverNameTaken =
    "Im Cover-Ordner liegt bereits ein anderes Bild unter demselben Namen.";

}  // namespace zelluo::text
