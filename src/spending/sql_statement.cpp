#include "spending/sql_statement.h"

#include <sqlite3.h>

namespace marlin {

SqlStatement::SqlStatement(sqlite3* db, std::string_view sql)
    : m_prepared(sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_statement, nullptr)) {}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(m_statement);
}

bool SqlStatement::Prepared() const {
    return m_prepared == SQLITE_OK;
}

SqlStatement& SqlStatement::Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(m_statement, index, value);
    return *this;
}

SqlStatement& SqlStatement::Bind(int index, std::string_view text) {
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

int SqlStatement::Step() {
    if (m_prepared != SQLITE_OK) return m_prepared;
    return sqlite3_step(m_statement);
}

void SqlStatement::Reset() {
    sqlite3_reset(m_statement);
}

std::int64_t SqlStatement::Int(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

std::string SqlStatement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(m_statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace marlin
