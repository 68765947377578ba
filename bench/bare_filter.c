/* The plain GTK program a search keystroke of the List page is measured
 * against: the titles of a collection in a GtkListStore, a
 * GtkTreeModelFilter whose visible function looks for the typed text in each
 * title, and a GtkTreeView in fixed-height mode showing the filter in a
 * 1280 x 1024 window. The titles are folded once, when the store is filled
 * (case folded, umlauts written as ae, oe, ue, ß as ss), so a keystroke only
 * compares bytes. A keystroke sets the text, refilters, counts the rows found
 * and lets the view handle what that caused; the program types the same
 * sequence as film_page_benchmark's keystroke, three rounds, and prints the
 * median wall and CPU time of a keystroke in milliseconds.
 *
 *   bare_filter <titles>   (one title a line; needs a display, e.g. Xvfb) */
#include <gtk/gtk.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kTitle, kFolded, kColumns };

static char needle[64] = "";

static gboolean Visible(GtkTreeModel* model, GtkTreeIter* iter, gpointer data) {
  (void)data;
  if (needle[0] == '\0') return TRUE;
  gchar* folded = NULL;
  gtk_tree_model_get(model, iter, kFolded, &folded, -1);
  const gboolean found = folded != NULL && strstr(folded, needle) != NULL;
  g_free(folded);
  return found;
}

/* Case folded, with the umlauts and ß written out. */
static gchar* Fold(const char* title) {
  gchar* lower = g_utf8_casefold(title, -1);
  GString* out = g_string_sized_new(strlen(lower) + 8);
  for (const char* p = lower; *p; p = g_utf8_next_char(p)) {
    switch (g_utf8_get_char(p)) {
      case 0xE4:
        g_string_append(out, "ae");
        break;
      case 0xF6:
        g_string_append(out, "oe");
        break;
      case 0xFC:
        g_string_append(out, "ue");
        break;
      case 0xDF:
        g_string_append(out, "ss");
        break;
      default:
        g_string_append_len(out, p, g_utf8_next_char(p) - p);
    }
  }
  g_free(lower);
  return g_string_free(out, FALSE);
}

static double Milliseconds(clockid_t clock) {
  struct timespec now;
  clock_gettime(clock, &now);
  return (double)now.tv_sec * 1e3 + (double)now.tv_nsec / 1e6;
}

static int Compare(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

int main(int argc, char** argv) {
  g_setenv("GDK_GL", "disable", FALSE);
  gtk_init(&argc, &argv);
  if (argc != 2) {
    fprintf(stderr, "usage: %s <titles>\n", argv[0]);
    return 2;
  }
  FILE* file = fopen(argv[1], "r");
  if (!file) {
    perror(argv[1]);
    return 1;
  }
  GtkListStore* store = gtk_list_store_new(kColumns, G_TYPE_STRING, G_TYPE_STRING);
  char line[4096];
  int titles = 0;
  while (fgets(line, sizeof line, file)) {
    line[strcspn(line, "\n")] = '\0';
    gchar* folded = Fold(line);
    gtk_list_store_insert_with_values(store, NULL, -1, kTitle, line, kFolded, folded, -1);
    g_free(folded);
    ++titles;
  }
  fclose(file);

  GtkTreeModel* filter = gtk_tree_model_filter_new(GTK_TREE_MODEL(store), NULL);
  gtk_tree_model_filter_set_visible_func(GTK_TREE_MODEL_FILTER(filter), Visible, NULL, NULL);
  GtkWidget* view = gtk_tree_view_new_with_model(filter);
  GtkTreeViewColumn* column = gtk_tree_view_column_new_with_attributes(
      "Titel", gtk_cell_renderer_text_new(), "text", kTitle, NULL);
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(column, 1200);
  gtk_tree_view_append_column(GTK_TREE_VIEW(view), column);
  gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(view), TRUE);
  GtkWidget* scrolled = gtk_scrolled_window_new(NULL, NULL);
  gtk_container_add(GTK_CONTAINER(scrolled), view);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 1280, 1024);
  gtk_container_add(GTK_CONTAINER(window), scrolled);
  gtk_widget_show_all(window);
  while (gtk_events_pending()) gtk_main_iteration();

  static const char* const typed[] = {"m", "ma", "mae", "maed", "s", "st", "str", "stra"};
  enum { kTyped = sizeof typed / sizeof typed[0], kRounds = 3 };
  double wall[kTyped * kRounds], cpu[kTyped * kRounds];
  int found = 0;
  for (int i = 0; i < kTyped * kRounds; ++i) {
    const double wall0 = Milliseconds(CLOCK_MONOTONIC),
                 cpu0 = Milliseconds(CLOCK_PROCESS_CPUTIME_ID);
    g_strlcpy(needle, typed[i % kTyped], sizeof needle);
    gtk_tree_model_filter_refilter(GTK_TREE_MODEL_FILTER(filter));
    found += gtk_tree_model_iter_n_children(filter, NULL);
    while (gtk_events_pending()) gtk_main_iteration();
    wall[i] = Milliseconds(CLOCK_MONOTONIC) - wall0;
    cpu[i] = Milliseconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
  }
  qsort(wall, kTyped * kRounds, sizeof wall[0], Compare);
  qsort(cpu, kTyped * kRounds, sizeof cpu[0], Compare);
  printf("%d titles: a keystroke %.1f ms wall, %.1f ms CPU (median; %d rows found in all)\n",
         titles, wall[kTyped * kRounds / 2], cpu[kTyped * kRounds / 2], found);
  return found > 0 ? 0 : 1;
}
