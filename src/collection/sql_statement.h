#pragma once
// A prepared SQLite statement that finalises itself: the one way the
// collection runs SQL, on its own file and on the catalogues it reads.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelluo::collection {

class SqlStatement {
 public:
  // Not Valid() when sql does not compile against db.
  SqlStatement(sqlite3* db, std::string_view sql) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
        SQLITE_OK) {
      statement_ = nullptr;
    }
  }
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;
  ~SqlStatement() { sqlite3_finalize(statement_); }

  bool Valid() const { return statement_ != nullptr; }
  SqlStatement& Bind(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
  }
  SqlStatement& Bind(int index, std::string_view text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  // Empty text and an absent value are stored as NULL.
  SqlStatement& BindOrNull(int index, const std::string& text) {
    if (text.empty()) return BindNull(index);
    return Bind(index, std::string_view(text));
  }
  SqlStatement& BindOrNull(int index, const std::optional<std::string>& text) {
    if (!text) return BindNull(index);
    return Bind(index, std::string_view(*text));
  }
  SqlStatement& BindOrNull(int index, std::optional<int32_t> number) {
    if (!number) return BindNull(index);
    return Bind(index, int64_t{*number});
  }
  SqlStatement& BindReal(int index, double value) {
    sqlite3_bind_double(statement_, index, value);
    return *this;
  }
  SqlStatement& BindNull(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
  bool Done() { return Step() == SQLITE_DONE; }
  // Ready to run again with new values.
  SqlStatement& Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    return *this;
  }

  int Columns() const { return sqlite3_column_count(statement_); }
  std::string Name(int column) const {
    const char* name = sqlite3_column_name(statement_, column);
    return name ? name : "";
  }
  int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
  // Text, and a number as its text.
  std::string Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                : std::string();
  }
  // Text and blob columns alike, as bytes; numbers as their text.
  std::string Bytes(int column) const {
    if (sqlite3_column_type(statement_, column) != SQLITE_BLOB) return Text(column);
    const void* blob = sqlite3_column_blob(statement_, column);
    return blob ? std::string(static_cast<const char*>(blob),
                              static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                : std::string();
  }
  bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
  std::optional<std::string> OptionalText(int column) const {
    if (IsNull(column)) return std::nullopt;
    return Text(column);
  }
  std::optional<int32_t> OptionalNumber(int column) const {
    if (IsNull(column)) return std::nullopt;
    return static_cast<int32_t>(Integer(column));
  }
  double Real(int column) const { return sqlite3_column_double(statement_, column); }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace zelluo::collection
