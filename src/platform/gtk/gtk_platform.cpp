// GtkPlatform: start-up, display queries, message boxes, the file chooser, and
// the file, process
// and time services, which the operating-system layer provides.

#include "platform/gtk/gtk_platform.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>

#include "platform/gtk/gtk_helpers.h"

namespace zelluo::platform {

GtkPlatform::GtkPlatform() {
  // Without this GTK loads the GL stack just to probe GLX, which costs time and memory.
  g_setenv("GDK_GL", "disable", FALSE);
  // Window placement and the tray icon rely on X11.
  gdk_set_allowed_backends("x11");
  // The program takes no command-line options, so GTK gets none either (its own
  // options such as --display or --gtk-module would otherwise take effect). The
  // program name, which GTK would take from the arguments, names the window
  // class and the tray icon's window.
  g_set_prgname("zelluo");
  hasDisplay_ = gtk_init_check(nullptr, nullptr) != FALSE;
  for (int signal : {SIGTERM, SIGHUP}) {
    signalSources_.push_back(g_unix_signal_add(signal, ReportSessionEnd, this));
  }
}

int GtkPlatform::ReportSessionEnd(void* self) {
  static_cast<GtkPlatform*>(self)->core_.events.Push(Event{EventKind::SessionEnd});
  return G_SOURCE_CONTINUE;
}

GtkPlatform::~GtkPlatform() {
  for (unsigned int source : signalSources_) g_source_remove(source);
  RemoveTrayIcon();
  CloseAudio();
  DestroyWindow();
  if (menu_ != nullptr) {
    gtk_widget_destroy(menu_);
    menu_ = nullptr;
  }
  menuEntries_.clear();
  FreeAllImages();
  if (hasDisplay_) {
    ProcessPendingEvents();
    gdk_display_flush(gdk_display_get_default());
  }
  for (GtkStatusIcon* icon : retiredTrayIcons_) g_object_unref(icon);
  retiredTrayIcons_.clear();
}

// --- display ---------------------------------------------------------------

Size GtkPlatform::PrimaryDisplaySize() {
  if (!hasDisplay_) return {};
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return {};
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr && gdk_display_get_n_monitors(display) > 0) {
    monitor = gdk_display_get_monitor(display, 0);
  }
  if (monitor != nullptr) {
    GdkRectangle geometry{};
    gdk_monitor_get_geometry(monitor, &geometry);
    // The geometry is in logical pixels; the display mode is in device pixels.
    const int scale = std::max(1, gdk_monitor_get_scale_factor(monitor));
    if (geometry.width > 0 && geometry.height > 0) {
      return {geometry.width * scale, geometry.height * scale};
    }
  }
  GdkScreen* screen = gdk_display_get_default_screen(display);
  if (screen == nullptr) return {};
  GdkWindow* root = gdk_screen_get_root_window(screen);
  if (root == nullptr) return {};
  return {gdk_window_get_width(root), gdk_window_get_height(root)};
}

int32_t GtkPlatform::VerticalDpi() {
  constexpr int32_t kFallbackDpi = 96;
  if (!hasDisplay_) return kFallbackDpi;
  GdkScreen* screen = gdk_screen_get_default();
  if (screen == nullptr) return kFallbackDpi;
  const double dpi = gdk_screen_get_resolution(screen);
  if (!(dpi > 0.0)) return kFallbackDpi;
  return static_cast<int32_t>(std::lround(dpi));
}

// --- message boxes ---------------------------------------------------------

MessageAnswer GtkPlatform::ShowMessage(std::string_view title, std::string_view text,
                                       MessageButtons buttons) {
  const MessageAnswer fallback =
      buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  if (!hasDisplay_) return fallback;

  GtkWindow* parent = WindowShown() ? GTK_WINDOW(window_) : nullptr;
  const std::string message = gtk::ValidUtf8(gtk::NormaliseLineBreaks(text));
  GtkWidget* dialog = gtk_message_dialog_new(
      parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      GTK_MESSAGE_OTHER, GTK_BUTTONS_NONE, "%s", message.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), gtk::ValidUtf8(title).c_str());
  if (parent == nullptr) {
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  }
  if (buttons == MessageButtons::YesNo) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_Ja", GTK_RESPONSE_YES);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_Nein", GTK_RESPONSE_NO);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
  } else {
    gtk_dialog_add_button(GTK_DIALOG(dialog), "OK", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  }

  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  // Let the box vanish from the screen before the caller goes on.
  ProcessPendingEvents();

  if (buttons == MessageButtons::YesNo) {
    return response == GTK_RESPONSE_YES ? MessageAnswer::Yes : MessageAnswer::No;
  }
  return MessageAnswer::Ok;
}

// --- file chooser ------------------------------------------------------------

namespace {

// "*.jpg" -> "*.[jJ][pP][gG]": GTK 3 compares file-name patterns case by case,
// and files from cameras and other systems often end in ".JPG".
std::string CaseBlindPattern(std::string_view pattern) {
  std::string result;
  for (char c : pattern) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalpha(byte) != 0 && byte < 0x80) {
      result += '[';
      result += static_cast<char>(std::tolower(byte));
      result += static_cast<char>(std::toupper(byte));
      result += ']';
    } else {
      result += c;
    }
  }
  return result;
}

// Asks in German whether an existing file may be replaced; GTK's own question
// speaks the language of the locale.
GtkFileChooserConfirmation ConfirmOverwrite(GtkFileChooser* chooser, gpointer) {
  gchar* path = gtk_file_chooser_get_filename(chooser);
  gchar* name = path != nullptr ? g_filename_display_basename(path) : g_strdup("");
  GtkWidget* question = gtk_message_dialog_new(
      GTK_WINDOW(chooser),
      static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      GTK_MESSAGE_OTHER, GTK_BUTTONS_NONE,
      "Die Datei „%s“ gibt es schon.\nSoll sie ersetzt werden?", name);
  gtk_window_set_title(GTK_WINDOW(question), "Datei ersetzen");
  gtk_dialog_add_button(GTK_DIALOG(question), "_Ersetzen", GTK_RESPONSE_ACCEPT);
  gtk_dialog_add_button(GTK_DIALOG(question), "_Abbrechen", GTK_RESPONSE_CANCEL);
  gtk_dialog_set_default_response(GTK_DIALOG(question), GTK_RESPONSE_CANCEL);
  const gint answer = gtk_dialog_run(GTK_DIALOG(question));
  gtk_widget_destroy(question);
  g_free(name);
  g_free(path);
  return answer == GTK_RESPONSE_ACCEPT ? GTK_FILE_CHOOSER_CONFIRMATION_ACCEPT_FILENAME
                                       : GTK_FILE_CHOOSER_CONFIRMATION_SELECT_AGAIN;
}

}  // namespace

std::optional<std::string> GtkPlatform::ChooseFile(std::string_view title,
                                                   const std::vector<FileFilter>& filters,
                                                   bool save, std::string_view suggestedName) {
  if (!hasDisplay_) return std::nullopt;
  GtkWindow* parent = WindowShown() ? GTK_WINDOW(window_) : nullptr;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      gtk::ValidUtf8(title).c_str(), parent,
      save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Abbrechen",
      GTK_RESPONSE_CANCEL, save ? "_Speichern" : "_Öffnen", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
  if (parent == nullptr) gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  // Starts where the program's relative paths start, not in the recent files.
  gchar* workingFolder = g_get_current_dir();
  gtk_file_chooser_set_current_folder(chooser, workingFolder);
  g_free(workingFolder);
  for (const FileFilter& filter : filters) {
    GtkFileFilter* made = gtk_file_filter_new();
    gtk_file_filter_set_name(made, gtk::ValidUtf8(filter.name).c_str());
    for (const std::string& pattern : filter.patterns) {
      gtk_file_filter_add_pattern(made, CaseBlindPattern(pattern).c_str());
    }
    gtk_file_chooser_add_filter(chooser, made);  // takes the floating reference
  }
  if (save) {
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    g_signal_connect(chooser, "confirm-overwrite", G_CALLBACK(ConfirmOverwrite), nullptr);
    if (!suggestedName.empty()) {
      gtk_file_chooser_set_current_name(chooser, gtk::ValidUtf8(suggestedName).c_str());
    }
  }

  std::optional<std::string> chosen;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    if (gchar* file = gtk_file_chooser_get_filename(chooser)) {
      // File names are bytes on Linux; the program works in UTF-8.
      if (gchar* utf8 = g_filename_to_utf8(file, -1, nullptr, nullptr, nullptr)) {
        chosen = std::string(utf8);
        g_free(utf8);
      }
      g_free(file);
    }
  }
  gtk_widget_destroy(dialog);
  ProcessPendingEvents();
  return chosen;
}

std::optional<std::string> GtkPlatform::ChooseFolder(std::string_view title) {
  if (!hasDisplay_) return std::nullopt;
  GtkWindow* parent = WindowShown() ? GTK_WINDOW(window_) : nullptr;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      gtk::ValidUtf8(title).c_str(), parent, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Abbrechen",
      GTK_RESPONSE_CANCEL, "_Auswählen", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
  if (parent == nullptr) gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  // Opened on a folder rather than on the recent files, where a folder's path
  // typed or pasted into the location field cannot be chosen.
  gtk_file_chooser_set_current_folder(chooser, g_get_home_dir());
  std::optional<std::string> chosen;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    // The folder's exact bytes: a film folder whose name is no UTF-8 must
    // still be found again.
    if (gchar* folder = gtk_file_chooser_get_filename(chooser)) {
      chosen = std::string(folder);
      g_free(folder);
    }
  }
  gtk_widget_destroy(dialog);
  ProcessPendingEvents();
  return chosen;
}

}  // namespace zelluo::platform
