// GtkPlatform: editable text fields, the texts of fields and text gadgets,
// the keyboard focus, and the CSS of fields and lists.
//
// A single-line field is a GtkEntry; a multi-line field is a GtkTextView that
// wraps by word inside a GtkScrolledWindow. Changes the user makes are queued
// as text-changed events; changes made through SetGadgetText are not.

#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"

namespace zelluo::platform {

// The CSS of a field or a list from its font rules and colours. The provider
// is attached to every widget of the gadget, so each rule names the node it
// is meant for.
std::string GtkPlatform::FieldAndListCss(const Gadget& gadget, const std::string& fontRules) const {
  std::string colours;
  if (gadget.front) {
    const std::string front = gtk::CssColour(*gadget.front);
    colours += "color: " + front + "; caret-color: " + front + ";";
  }
  if (gadget.back) {
    colours += "background-color: " + gtk::CssColour(*gadget.back) + "; background-image: none;";
  }
  std::string css;
  switch (gadget.Kind()) {
    case ControlKind::SingleLineField:
      // As small as the rectangle the program gives it.
      css = "entry { min-height: 0; min-width: 0; padding: 0 4px; " + fontRules + colours + "}";
      break;
    case ControlKind::MultiLineField:
      css = "textview { " + fontRules + "} textview text { " + colours + "}";
      if (gadget.back) {
        css += "scrolledwindow { background-color: " + gtk::CssColour(*gadget.back) + "; }";
      }
      break;
    case ControlKind::List:
      css = "treeview.view { " + fontRules + colours + "}";
      // The rule above would hide the selected row in the gadget's colours.
      css += "treeview.view:selected { background-color: rgb(33,93,156); color: white; }";
      // The column headings: their buttons and the labels in them.
      css +=
          "button { min-height: 0; padding: 1px 4px; " + colours + "} label { " + fontRules + "}";
      break;
    default:
      break;
  }
  return css;
}

void GtkPlatform::CreateTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) {
  if (layout_ == nullptr) return;
  Gadget record(FieldControlKind(kind));
  record.rect = rect;
  DeferGadget(gadget, record, [this, gadget, rect, kind] { MakeTextField(gadget, rect, kind); });
}

void GtkPlatform::MakeTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) {
  if (layout_ == nullptr) return;
  Gadget entry(FieldControlKind(kind));
  entry.rect = rect;
  entry.css = gtk_css_provider_new();
  if (kind == TextFieldKind::SingleLine) {
    entry.widget = gtk_entry_new();
    entry.content = entry.widget;
    // Otherwise the entry asks for room for 20 characters whatever its rectangle.
    gtk_entry_set_width_chars(GTK_ENTRY(entry.widget), 1);
    g_signal_connect(entry.widget, "changed", G_CALLBACK(OnFieldChanged), this);
  } else {
    entry.widget = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(entry.widget), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(entry.widget), GTK_SHADOW_IN);
    entry.content = gtk_text_view_new();
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(entry.content), GTK_WRAP_WORD_CHAR);
    // Tab moves on to the next control instead of writing a tab.
    gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(entry.content), FALSE);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(entry.content), 4);
    gtk_text_view_set_right_margin(GTK_TEXT_VIEW(entry.content), 4);
    gtk_container_add(GTK_CONTAINER(entry.widget), entry.content);
    g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(entry.content)), "changed",
                     G_CALLBACK(OnFieldChanged), this);
    gtk::AttachCss(entry.content, entry.css);
  }
  gtk::AttachCss(entry.widget, entry.css);
  ApplyGadgetStyle(entry);
  PlaceGadget(gadget, entry);
}

void GtkPlatform::SetGadgetText(GadgetId gadget, std::string_view text) {
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr) return;
  const std::string valid = gtk::ValidUtf8(gtk::NormaliseLineBreaks(text));
  const QuietChanges::Scope quiet(core_.quiet);
  switch (entry->Kind()) {
    case ControlKind::Text:
      gtk_label_set_text(GTK_LABEL(entry->content), valid.c_str());
      break;
    case ControlKind::SingleLineField: {
      // A single line: the breaks of a pasted or stored text become spaces.
      std::string line = valid;
      std::replace(line.begin(), line.end(), '\n', ' ');
      gtk_entry_set_text(GTK_ENTRY(entry->content), line.c_str());
      break;
    }
    case ControlKind::MultiLineField:
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(entry->content)),
                               valid.c_str(), static_cast<gint>(valid.size()));
      break;
    default:
      break;
  }
}

void GtkPlatform::SelectFieldText(GadgetId gadget, size_t from) {
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr || entry->Kind() != ControlKind::SingleLineField) return;
  const QuietChanges::Scope quiet(core_.quiet);
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(entry->content));
  // GTK counts characters, the program bytes.
  const glong start = g_utf8_strlen(text, static_cast<gssize>(std::min(from, std::strlen(text))));
  gtk_editable_select_region(GTK_EDITABLE(entry->content), static_cast<gint>(start), -1);
}

std::string GtkPlatform::GadgetText(GadgetId gadget) {
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr) return {};
  switch (entry->Kind()) {
    case ControlKind::Text:
      return gtk_label_get_text(GTK_LABEL(entry->content));
    case ControlKind::SingleLineField:
      return gtk_entry_get_text(GTK_ENTRY(entry->content));
    case ControlKind::MultiLineField: {
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(entry->content));
      GtkTextIter start;
      GtkTextIter end;
      gtk_text_buffer_get_bounds(buffer, &start, &end);
      gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
      std::string result = text != nullptr ? text : "";
      g_free(text);
      return result;
    }
    default:
      return {};
  }
}

void GtkPlatform::OnFieldChanged(void* entryOrBuffer, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  if (platform->core_.quiet.Active()) return;
  for (const auto& [number, gadget] : platform->core_.gadgets) {
    if (gadget.content == nullptr) continue;  // not made yet
    const bool mine =
        (gadget.Kind() == ControlKind::SingleLineField && gadget.content == entryOrBuffer) ||
        (gadget.Kind() == ControlKind::MultiLineField &&
         static_cast<void*>(gtk_text_view_get_buffer(GTK_TEXT_VIEW(gadget.content))) ==
             entryOrBuffer);
    if (!mine) continue;
    platform->core_.events.PushUnlessLast(Event::OfGadget(number, kGadgetTextChanged));
    return;
  }
}

// --- focus -------------------------------------------------------------------

void GtkPlatform::FocusGadget(GadgetId gadget) {
  if (window_ == nullptr) return;
  if (Number(gadget) < 0) {
    gtk_window_set_focus(GTK_WINDOW(window_), nullptr);
    return;
  }
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr || entry->content == nullptr) return;
  if (entry->Kind() == ControlKind::List) {
    FocusListQuietly(*entry);
  } else if (gtk_widget_get_can_focus(entry->content)) {
    gtk_widget_grab_focus(entry->content);
  }
}

GadgetId GtkPlatform::FocusedGadget() {
  if (window_ == nullptr) return kNoGadget;
  return GadgetOfWidget(gtk_window_get_focus(GTK_WINDOW(window_)));
}

void GtkPlatform::LeaveTextField() { gtk_window_set_focus(GTK_WINDOW(window_), nullptr); }

}  // namespace zelluo::platform
