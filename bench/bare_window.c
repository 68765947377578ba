/* The baseline of bench/startup.sh: a bare, undecorated GTK 3 window of
 * 1280 x 1024 with the given title, nothing in it, GL probing off like the
 * program's own backend.
 *
 *   bare_window <title> */
#include <gtk/gtk.h>

int main(int argc, char** argv) {
  g_setenv("GDK_GL", "disable", FALSE);
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), argc > 1 ? argv[1] : "Bare");
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_window_set_default_size(GTK_WINDOW(window), 1280, 1024);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  gtk_widget_show(window);
  gtk_main();
  return 0;
}
