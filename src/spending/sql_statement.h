#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace marlin {

// One prepared SQLite statement, finalized when it goes. A statement that could not be
// prepared reports every step as an error, so that callers check one result, Step's.
class SqlStatement {
  public:
    SqlStatement(sqlite3* db, std::string_view sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool Prepared() const;
    // Parameters are numbered from 1, as SQLite numbers them.
    SqlStatement& Bind(int index, std::int64_t value);
    SqlStatement& Bind(int index, std::string_view text);
    // SQLITE_ROW, SQLITE_DONE or the error; the bindings stay for the next Reset.
    int Step();
    // Ready to step again with new bindings.
    void Reset();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;

  private:
    sqlite3_stmt* m_statement = nullptr;
    int m_prepared;
};

}  // namespace marlin
