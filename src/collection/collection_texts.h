#pragma once
// The German texts of the film collection, in one place so that they can join
// the program's table of texts. "%1" stands for the path of the file or
// folder concerned, "%2" for SQLite's own description of the fault.

#include <string>
#include <string_view>

namespace zelluo::collection {

inline constexpr std::string_view TextNotADatabase =
    "Die Datei \"%1\" ist keine Filmsammlung von Zelluo. Sie bleibt unverändert; "
    "Zelluo arbeitet ohne die Sammlung weiter.";
inline constexpr std::string_view TextDamaged =
    "Die Filmsammlung \"%1\" ist beschädigt (%2). Sie bleibt unverändert; Zelluo arbeitet ohne "
    "die Sammlung weiter. Frühere Sicherungen liegen, falls vorhanden, im Ordner "
    "\"Sicherungen\" daneben.";
inline constexpr std::string_view TextNewerVersion =
    "Die Filmsammlung \"%1\" stammt aus einer neueren Version von Zelluo. Sie bleibt unverändert; "
    "Zelluo arbeitet ohne die Sammlung weiter.";
inline constexpr std::string_view TextUnknownLayout =
    "Die Datei \"%1\" enthält keine Filmtabelle, die Zelluo lesen kann. Sie bleibt unverändert; "
    "Zelluo arbeitet ohne die Sammlung weiter.";
inline constexpr std::string_view TextIsAFolder =
    "An der Stelle der Filmsammlung \"%1\" steht ein Ordner. Zelluo arbeitet ohne die Sammlung "
    "weiter.";
inline constexpr std::string_view TextCannotOpen =
    "Die Filmsammlung \"%1\" lässt sich nicht öffnen (%2). Zelluo arbeitet ohne die Sammlung "
    "weiter.";
inline constexpr std::string_view TextCannotWrite =
    "Die Änderung konnte nicht in \"%1\" gespeichert werden (%2). Die Sammlung ist unverändert.";
inline constexpr std::string_view TextCannotCreateFolder =
    "Der Ordner \"%1\" konnte nicht angelegt werden. Der Film wurde nicht gespeichert.";
inline constexpr std::string_view TextNoTitle = "Ein Film braucht einen Titel.";
inline constexpr std::string_view TextFilmMissing =
    "Der Film ist nicht mehr in der Sammlung \"%1\"; vielleicht hat ihn eine andere Zelluo "
    "gelöscht.";
inline constexpr std::string_view TextNothingToUndo =
    "Es gibt keinen gelöschten Film zum Zurückholen.";
inline constexpr std::string_view TextCannotRead =
    "Die Filmsammlung \"%1\" konnte nicht gelesen werden (%2).";
inline constexpr std::string_view TextBackupFailed =
    "Die Sicherung \"%1\" konnte nicht geschrieben werden (%2).";

// The text with %1 and %2 replaced.
inline std::string FormatText(std::string_view text, std::string_view first,
                              std::string_view second = {}) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      result += text[i + 1] == '1' ? first : second;
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

}  // namespace zelluo::collection
