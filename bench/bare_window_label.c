/* The text baseline of bench/startup.sh: bench/bare_window.c plus one bold
 * label, so that fontconfig and Pango start and draw as they do for any
 * window with text in it.
 *
 *   bare_window_label <title> */
#include <gtk/gtk.h>

int main(int argc, char** argv) {
  g_setenv("GDK_GL", "disable", FALSE);
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), argc > 1 ? argv[1] : "Bare");
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_window_set_default_size(GTK_WINDOW(window), 1280, 1024);
  GtkWidget* label = gtk_label_new(NULL);
  gtk_label_set_markup(GTK_LABEL(label), "<b>Bare</b>");
  gtk_container_add(GTK_CONTAINER(window), label);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
