#pragma once
// The List page's unsaved edits kept through the end of a session: written
// beside the collection when the session ends, offered back at the next
// start, and never stored into the collection without the user.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform_types.h"
#include "ui/film_form.h"

namespace zelluo::core {

// Where the draft is kept, beside Filme.db.
inline constexpr std::string_view kDraftFile = "Zelluo Files/Entwurf.txt";

struct FormDraft {
  int64_t filmId = 0;  // 0 for a new film
  platform::LocalTime written;
  ui::NamedTexts texts;
};

// The file's bytes: a first line that names the format, then one line each
// for the film, the time and every field, with backslash, line feed and
// carriage return written as \\, \n and \r.
std::string FormatFormDraft(const FormDraft& draft);
// None for bytes that are not such a file, cut short or damaged.
std::optional<FormDraft> ParseFormDraft(std::string_view bytes);

// "Ungespeicherte Änderungen vom 07.12.2026, 18:30 wiederherstellen?"
std::string RestoreDraftQuestion(const platform::LocalTime& written);

}  // namespace zelluo::core
