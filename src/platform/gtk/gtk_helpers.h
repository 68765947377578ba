#pragma once
// Small helpers shared by the GTK backend's source files. A backend's own
// helpers live in the namespace named after it (gtk, win32);
// its Platform class is the program's and lives in zelluo.

#include <gtk/gtk.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelluo::platform::gtk {

// A text GTK can display: invalid UTF-8 sequences become replacement characters.
inline std::string ValidUtf8(std::string_view text) {
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  std::string result(valid);
  g_free(valid);
  return result;
}

// Line breaks as GTK expects them: CR LF and a lone CR both become LF.
inline std::string NormaliseLineBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      result.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result.push_back(text[i]);
    }
  }
  return result;
}

// "rgb(r,g,b)" for a colour stored as red + green * 256 + blue * 65536.
inline std::string CssColour(Rgb colour) {
  return "rgb(" + std::to_string(colour & 0xFF) + "," + std::to_string((colour >> 8) & 0xFF) + "," +
         std::to_string((colour >> 16) & 0xFF) + ")";
}

// A CSS string literal holding text (quotes and backslashes escaped).
inline std::string CssString(std::string_view text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') result.push_back('\\');
    if (c == '\n' || c == '\r') continue;
    result.push_back(c);
  }
  result.push_back('"');
  return result;
}

// Replaces the provider's rules; a parse error leaves it empty.
inline void LoadCss(GtkCssProvider* provider, const std::string& css) {
  GError* error = nullptr;
  if (!gtk_css_provider_load_from_data(provider, css.c_str(), static_cast<gssize>(css.size()),
                                       &error)) {
    g_clear_error(&error);
    gtk_css_provider_load_from_data(provider, "", 0, nullptr);
  }
}

// Runs the main context until done() holds or timeoutMs have passed (a negative
// timeout waits without bound). Returns done() at the end.
template <typename Done>
bool IterateUntil(int32_t timeoutMs, Done done) {
  if (done()) return true;
  bool expired = false;
  guint timer = 0;
  if (timeoutMs >= 0) {
    timer = g_timeout_add(
        static_cast<guint>(timeoutMs),
        [](gpointer flag) -> gboolean {
          *static_cast<bool*>(flag) = true;
          return G_SOURCE_REMOVE;
        },
        &expired);
  }
  while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
  if (timer != 0 && !expired) g_source_remove(timer);
  return done();
}

inline void AttachCss(GtkWidget* widget, GtkCssProvider* provider) {
  gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace zelluo::platform::gtk
