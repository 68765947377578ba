// GtkPlatform: list gadgets — a GtkTreeView in fixed-height mode over a tree
// model of its own.
//
// A GtkListStore would hold every row in memory and be filled in full before
// the first drawing. This model knows only the number of rows; it asks the
// program's row source for a cell when the view draws it. In fixed-height mode the view measures
// one row and takes every other row to be as high, so a list of tens of thousands of rows asks for
// little more than the rows on the screen.

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdlib>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/list_rows.h"

namespace zelluo::platform {

struct GtkListRows : ListRows {
  // Changes whenever the rows change, so that iterators of the old rows are
  // recognised as stale.
  int32_t stamp = 1;
  GtkTreeModel* model = nullptr;  // owned reference
  GtkWidget* view = nullptr;      // the GtkTreeView

  std::string Cell(int32_t row, int32_t column) const {
    return ListRows::Cell(row, column, [](const std::string& text) {
      // One line per cell, valid for Pango.
      std::string cell = gtk::ValidUtf8(gtk::NormaliseLineBreaks(text));
      for (char& c : cell) {
        if (c == '\n' || c == '\t') c = ' ';
      }
      return cell;
    });
  }
};

}  // namespace zelluo::platform

// --- the tree model ------------------------------------------------------------

namespace {

struct ZelluoRowModel {
  GObject parent;
  zelluo::platform::GtkListRows* rows;  // not owned; null once the list is gone
};

struct ZelluoRowModelClass {
  GObjectClass parentClass;
};

void zelluo_row_model_tree_model_init(GtkTreeModelIface* iface);

G_DEFINE_TYPE_WITH_CODE(ZelluoRowModel, zelluo_row_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL,
                                              zelluo_row_model_tree_model_init))

void zelluo_row_model_init(ZelluoRowModel* model) { model->rows = nullptr; }

void zelluo_row_model_class_init(ZelluoRowModelClass*) {}

zelluo::platform::GtkListRows* RowsOf(GtkTreeModel* model) {
  return reinterpret_cast<ZelluoRowModel*>(model)->rows;
}

// Up to this many rows added or removed are told to the view one by one; more
// make it rebuild its row index, which costs about a microsecond a row.
constexpr int32_t kRowsToldOneByOne = 256;

// An iterator holds its row in user_data.
gint RowOf(const GtkTreeIter* iter) { return GPOINTER_TO_INT(iter->user_data); }

gboolean SetIter(zelluo::platform::GtkListRows* rows, GtkTreeIter* iter, gint row) {
  if (rows == nullptr || row < 0 || row >= rows->count) {
    iter->stamp = 0;
    return FALSE;
  }
  iter->stamp = rows->stamp;
  iter->user_data = GINT_TO_POINTER(row);
  iter->user_data2 = nullptr;
  iter->user_data3 = nullptr;
  return TRUE;
}

bool ValidIter(zelluo::platform::GtkListRows* rows, const GtkTreeIter* iter) {
  return rows != nullptr && iter != nullptr && iter->stamp == rows->stamp && RowOf(iter) >= 0 &&
         RowOf(iter) < rows->count;
}

GtkTreeModelFlags ModelFlags(GtkTreeModel*) {
  return static_cast<GtkTreeModelFlags>(GTK_TREE_MODEL_LIST_ONLY | GTK_TREE_MODEL_ITERS_PERSIST);
}

gint ModelColumnCount(GtkTreeModel* model) {
  zelluo::platform::GtkListRows* rows = RowsOf(model);
  return rows != nullptr ? rows->columnCount : 0;
}

GType ModelColumnType(GtkTreeModel*, gint) { return G_TYPE_STRING; }

gboolean ModelIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
  if (gtk_tree_path_get_depth(path) != 1) return FALSE;
  return SetIter(RowsOf(model), iter, gtk_tree_path_get_indices(path)[0]);
}

GtkTreePath* ModelPath(GtkTreeModel* model, GtkTreeIter* iter) {
  if (!ValidIter(RowsOf(model), iter)) return nullptr;
  return gtk_tree_path_new_from_indices(RowOf(iter), -1);
}

void ModelValue(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value) {
  g_value_init(value, G_TYPE_STRING);
  zelluo::platform::GtkListRows* rows = RowsOf(model);
  if (!ValidIter(rows, iter) || column < 0 || column >= rows->columnCount) return;
  g_value_set_string(value, rows->Cell(RowOf(iter), column).c_str());
}

gboolean ModelNext(GtkTreeModel* model, GtkTreeIter* iter) {
  zelluo::platform::GtkListRows* rows = RowsOf(model);
  if (!ValidIter(rows, iter)) return FALSE;
  return SetIter(rows, iter, RowOf(iter) + 1);
}

gboolean ModelPrevious(GtkTreeModel* model, GtkTreeIter* iter) {
  zelluo::platform::GtkListRows* rows = RowsOf(model);
  if (!ValidIter(rows, iter)) return FALSE;
  return SetIter(rows, iter, RowOf(iter) - 1);
}

gboolean ModelChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
  if (parent != nullptr) return FALSE;  // a list: rows have no children
  return SetIter(RowsOf(model), iter, 0);
}

gboolean ModelHasChild(GtkTreeModel*, GtkTreeIter*) { return FALSE; }

gint ModelChildCount(GtkTreeModel* model, GtkTreeIter* iter) {
  zelluo::platform::GtkListRows* rows = RowsOf(model);
  return iter == nullptr && rows != nullptr ? rows->count : 0;
}

gboolean ModelNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
  if (parent != nullptr) return FALSE;
  return SetIter(RowsOf(model), iter, n);
}

gboolean ModelParent(GtkTreeModel*, GtkTreeIter*, GtkTreeIter*) { return FALSE; }

void zelluo_row_model_tree_model_init(GtkTreeModelIface* iface) {
  iface->get_flags = ModelFlags;
  iface->get_n_columns = ModelColumnCount;
  iface->get_column_type = ModelColumnType;
  iface->get_iter = ModelIter;
  iface->get_path = ModelPath;
  iface->get_value = ModelValue;
  iface->iter_next = ModelNext;
  iface->iter_previous = ModelPrevious;
  iface->iter_children = ModelChildren;
  iface->iter_has_child = ModelHasChild;
  iface->iter_n_children = ModelChildCount;
  iface->iter_nth_child = ModelNthChild;
  iface->iter_parent = ModelParent;
}

GtkTreeView* ViewOf(const zelluo::platform::GtkListRows& rows) { return GTK_TREE_VIEW(rows.view); }

// The selected row, or -1.
int32_t SelectedRow(GtkTreeView* view) {
  GtkTreeModel* model = nullptr;
  GtkTreeIter iter;
  if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(view), &model, &iter)) {
    return -1;
  }
  return RowOf(&iter);
}

}  // namespace

namespace zelluo::platform {

void GtkPlatform::CreateListGadget(GadgetId gadget, const Rect& rect,
                                   const std::vector<ListColumn>& columns, ListRowSource rows) {
  if (layout_ == nullptr) return;
  Gadget record(ControlKind::List);
  record.rect = rect;
  DeferGadget(gadget, record, [this, gadget, rect, columns, rows = std::move(rows)] {
    MakeListGadget(gadget, rect, columns, rows);
  });
}

void GtkPlatform::MakeListGadget(GadgetId gadget, const Rect& rect,
                                 const std::vector<ListColumn>& columns,
                                 const ListRowSource& rows) {
  if (layout_ == nullptr) return;
  Gadget entry(ControlKind::List);
  entry.rect = rect;
  entry.rows = std::make_shared<GtkListRows>();
  entry.rows->source = rows;
  entry.rows->columnCount = static_cast<int32_t>(columns.size());
  auto* model = static_cast<ZelluoRowModel*>(g_object_new(zelluo_row_model_get_type(), nullptr));
  model->rows = entry.rows.get();
  entry.rows->model = GTK_TREE_MODEL(model);

  entry.widget = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(entry.widget), GTK_POLICY_AUTOMATIC,
                                 GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(entry.widget), GTK_SHADOW_IN);
  entry.content = gtk_tree_view_new();
  entry.rows->view = entry.content;
  GtkTreeView* view = GTK_TREE_VIEW(entry.content);
  // Typing in the list would search every row, fetching each of them.
  gtk_tree_view_set_enable_search(view, FALSE);
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(view), GTK_SELECTION_SINGLE);

  entry.css = gtk_css_provider_new();
  gtk::AttachCss(entry.widget, entry.css);
  gtk::AttachCss(entry.content, entry.css);
  for (size_t index = 0; index < columns.size(); ++index) {
    const ListColumn& column = columns[index];
    const float xalign = column.align == TextAlign::Centre ? 0.5f : 0.0f;
    GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
    g_object_set(renderer, "xalign", xalign, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    GtkTreeViewColumn* viewColumn = gtk_tree_view_column_new_with_attributes(
        "", renderer, "text", static_cast<gint>(index), nullptr);
    // Fixed-height mode needs fixed-width columns.
    gtk_tree_view_column_set_sizing(viewColumn, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(viewColumn, std::max(1, column.width));
    gtk_tree_view_column_set_alignment(viewColumn, xalign);
    // An own heading label, so that the gadget's font and colours reach it.
    GtkWidget* heading = gtk_label_new(gtk::ValidUtf8(column.title).c_str());
    gtk_label_set_ellipsize(GTK_LABEL(heading), PANGO_ELLIPSIZE_END);
    gtk::AttachCss(heading, entry.css);
    gtk_widget_show(heading);
    gtk_tree_view_column_set_widget(viewColumn, heading);
    gtk_tree_view_append_column(view, viewColumn);
    if (GtkWidget* button = gtk_tree_view_column_get_button(viewColumn)) {
      gtk::AttachCss(button, entry.css);
    }
  }
  gtk_tree_view_set_fixed_height_mode(view, TRUE);
  gtk_tree_view_set_model(view, entry.rows->model);
  gtk_container_add(GTK_CONTAINER(entry.widget), entry.content);
  g_signal_connect(gtk_tree_view_get_selection(view), "changed", G_CALLBACK(OnListSelectionChanged),
                   this);
  ApplyGadgetStyle(entry);
  PlaceGadget(gadget, entry);
}

void GtkPlatform::ReleaseListRows(Gadget& gadget) {
  if (!gadget.rows) return;
  if (gadget.rows->view != nullptr) {
    const QuietChanges::Scope quiet(core_.quiet);
    gtk_tree_view_set_model(ViewOf(*gadget.rows), nullptr);
  }
  if (gadget.rows->model != nullptr) {
    reinterpret_cast<ZelluoRowModel*>(gadget.rows->model)->rows = nullptr;
    g_object_unref(gadget.rows->model);
  }
  gadget.rows.reset();
}

void GtkPlatform::SetListRowCount(GadgetId gadget, int32_t count) {
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr || !entry->rows) return;
  GtkListRows& rows = *entry->rows;
  count = std::max(0, count);
  const QuietChanges::Scope quiet(core_.quiet);
  GtkTreeView* view = ViewOf(rows);
  if (std::abs(count - rows.count) <= kRowsToldOneByOne) {
    // The same rows, or a few more or fewer (the page entered again, a film
    // saved): the view is told of the rows added or removed at the end, one
    // by one, and draws the others again, asking for their cells anew. Its
    // row index, as long as the collection, is kept.
    gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(view));
    while (rows.count > count) {
      --rows.count;
      GtkTreePath* path = gtk_tree_path_new_from_indices(rows.count, -1);
      gtk_tree_model_row_deleted(rows.model, path);
      gtk_tree_path_free(path);
    }
    while (rows.count < count) {
      GtkTreeIter iter;
      SetIter(&rows, &iter, rows.count++);
      GtkTreePath* path = gtk_tree_path_new_from_indices(rows.count - 1, -1);
      gtk_tree_model_row_inserted(rows.model, path, &iter);
      gtk_tree_path_free(path);
    }
    rows.knownSelection = -1;
    gtk_widget_queue_draw(GTK_WIDGET(view));
    return;
  }
  // Many rows more or fewer: the view learns of them by taking the model
  // again, which rebuilds its row index at once; a signal per row costs more.
  gtk_tree_view_set_model(view, nullptr);
  rows.count = count;
  rows.stamp = rows.stamp == G_MAXINT ? 1 : rows.stamp + 1;
  rows.knownSelection = -1;
  gtk_tree_view_set_model(view, rows.model);
}

void GtkPlatform::SetListSelection(GadgetId gadget, int32_t row) {
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr || !entry->rows) return;
  GtkListRows& rows = *entry->rows;
  GtkTreeView* view = ViewOf(rows);
  const QuietChanges::Scope quiet(core_.quiet);
  if (row < 0 || row >= rows.count) {
    gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(view));
  } else {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    // The cursor moves along, so that the arrow keys go on from this row.
    gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
    gtk_tree_view_scroll_to_cell(view, path, nullptr, FALSE, 0.0f, 0.0f);
    gtk_tree_path_free(path);
  }
  rows.knownSelection = SelectedRow(view);
}

int32_t GtkPlatform::ListSelection(GadgetId gadget) {
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr || !entry->rows) return -1;
  return SelectedRow(ViewOf(*entry->rows));
}

void GtkPlatform::FocusListQuietly(Gadget& list) {
  if (!list.rows) return;
  GtkTreeView* view = ViewOf(*list.rows);
  // A tree view taking the focus without a cursor selects its first row; the
  // program did not ask for that.
  const int32_t before = SelectedRow(view);
  const QuietChanges::Scope quiet(core_.quiet);
  gtk_widget_grab_focus(list.content);
  if (before < 0) gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(view));
  list.rows->knownSelection = SelectedRow(view);
}

void GtkPlatform::OnListSelectionChanged(void* selection, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  GtkTreeView* view = gtk_tree_selection_get_tree_view(static_cast<GtkTreeSelection*>(selection));
  const GadgetId number = platform->GadgetOfWidget(GTK_WIDGET(view));
  Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || !entry->rows) return;
  const int32_t row = SelectedRow(view);
  if (platform->core_.quiet.Active() || row == entry->rows->knownSelection) {
    entry->rows->knownSelection = row;
    return;
  }
  entry->rows->knownSelection = row;
  platform->core_.events.Push(Event::OfGadget(number, kGadgetSelectionChanged));
}

}  // namespace zelluo::platform
