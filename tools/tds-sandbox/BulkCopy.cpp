#include "BulkCopy.h"

#include "AseErrors.h"
#include "BulkReply.h"
#include "SqlLexer.h"

#include <sqlite3.h>

namespace sandbox {

namespace {
// INSERT with a parameter per column; a column with a default takes it for a NULL, as ASE's
// bulk copy applies defaults.
std::string insertSql(const BulkTable& table)
{
    std::string columns, values;
    for (size_t c = 0; c < table.storedColumns.size(); ++c) {
        if (c > 0) {
            columns += ", ";
            values += ", ";
        }
        columns += quotedSql(table.storedColumns[c], '"');
        if (table.defaults[c].empty()) {
            values += '?';
        } else {
            values += "coalesce(?, ";
            values += table.defaults[c];
            values += ')';
        }
    }
    std::string sql = "insert into ";
    sql += quotedSql(table.stored, '"');
    sql += " (";
    sql += columns;
    sql += ") values (";
    sql += values;
    sql += ')';
    return sql;
}

void bind(sqlite3_stmt* stmt, int at, const BulkValue& v)
{
    switch (v.kind) {
    case BulkValue::Null:
        sqlite3_bind_null(stmt, at);
        break;
    case BulkValue::Integer:
        sqlite3_bind_int64(stmt, at, v.integer);
        break;
    case BulkValue::Real:
        sqlite3_bind_double(stmt, at, v.real);
        break;
    case BulkValue::Text:
        sqlite3_bind_text(stmt, at, v.text.data(), int(v.text.size()), SQLITE_TRANSIENT);
        break;
    case BulkValue::Blob:
        sqlite3_bind_blob(stmt, at, v.text.data(), int(v.text.size()), SQLITE_TRANSIENT);
        break;
    }
}

// The unique index a duplicate broke, from SQLite's "UNIQUE constraint failed: t.a, t.b".
std::string uniqueIndexFor(sqlite3* db, const BulkTable& table, std::string_view failed)
{
    std::string found;
    sqlite3_stmt* indexes = nullptr;
    sqlite3_prepare_v2(db,
                       "select l.name, group_concat(?2 || '.' || i.name, ', ') from "
                       "pragma_index_list(?1) l, pragma_index_info(l.name) i where l.\"unique\" "
                       "group by l.name",
                       -1, &indexes, nullptr);
    sqlite3_bind_text(indexes, 1, table.stored.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(indexes, 2, table.stored.c_str(), -1, SQLITE_STATIC);
    while (found.empty() && sqlite3_step(indexes) == SQLITE_ROW) {
        const auto* columns = reinterpret_cast<const char*>(sqlite3_column_text(indexes, 1));
        if (columns && failed.ends_with(columns))
            found = clientName(reinterpret_cast<const char*>(sqlite3_column_text(indexes, 0)));
    }
    sqlite3_finalize(indexes);
    return found;
}
} // namespace

BulkCopy::~BulkCopy()
{
    sqlite3_finalize(m_insert);
}

void BulkCopy::describe(const std::string& name, SessionState& state, TokenWriter& out)
{
    ServerMessage error;
    const std::optional<BulkTable> table = readBulkTable(state, name, &error);
    out.done(done::More); // SET FMTONLY ON
    if (!table) {
        out.message(error, ServerName);
        out.done(uint16_t(done::More | done::Error));
    } else {
        writeTableFormat(out, *table);
        out.done(uint16_t(done::More | done::CountValid), 0);
    }
    out.done(0); // SET FMTONLY OFF
}

void BulkCopy::start(const std::string& name, SessionState& state, bool datarowsFormat,
                     TokenWriter& out)
{
    m_active = false;
    ServerMessage error;
    std::optional<BulkTable> table;
    if (state.globals.tranCount > 0)
        error = notAllowedInTransaction("INSERT BULK");
    else if ((table = readBulkTable(state, name, &error)) && hasTextColumn(*table))
        error = unsupported("bulk copy into a table with text, unitext or image columns");
    if (state.globals.tranCount > 0 || !table || hasTextColumn(*table)) {
        out.message(error, ServerName);
        out.done(done::Error);
        return;
    }
    m_table = std::move(*table);
    m_layout = bulkLayoutOf(m_table.types, m_table.nullable, datarowsFormat && m_table.datarows);
    if (!prepare(state, &error)) {
        out.message(error, ServerName);
        out.done(done::Error);
        return;
    }
    writeInsertBulkReply(out, m_table, m_layout);
    m_active = true;
}

bool BulkCopy::prepare(SessionState& state, ServerMessage* error)
{
    std::string sql = insertSql(m_table);
    if (m_insert && sql == m_insertSql && sqlite3_db_handle(m_insert) == state.database.handle())
        return true; // the next batch of the same table
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    if (sqlite3_prepare_v2(state.database.handle(), sql.c_str(), int(sql.size()), &m_insert,
                           nullptr) != SQLITE_OK) {
        *error = aseMessageFor(sqlite3_errmsg(state.database.handle()), sql);
        return false;
    }
    m_insertSql = std::move(sql);
    return true;
}

void BulkCopy::load(std::string_view rows, SessionState& state, bool utf8,
                    const std::optional<ServerMessage>& rejectedBy, TokenWriter& out)
{
    m_active = false;
    ServerMessage error;
    int64_t count = 0;
    std::optional<ServerMessage> failure = rejectedBy;
    if (!failure && !state.database.execute("BEGIN", &error))
        failure = error;
    if (!failure) {
        failure = storeRows(rows, state, utf8, &count);
        if (!failure && !state.database.execute("COMMIT", &error))
            failure = error;
        if (failure && state.database.inTransaction())
            state.database.execute("ROLLBACK", &error);
    }
    sqlite3_reset(m_insert);
    state.globals.rowCount = failure ? 0 : count;
    state.globals.error = failure ? failure->number : 0;
    if (failure) {
        out.message(*failure, ServerName);
        out.done(done::Error);
        return;
    }
    out.done(done::CountValid, uint32_t(count));
}

std::optional<ServerMessage> BulkCopy::storeRows(std::string_view rows, SessionState& state,
                                                 bool utf8, int64_t* count)
{
    size_t at = 0;
    while (at < rows.size()) {
        if (rows.size() - at < 2)
            return unsupported("a bulk message that ends inside a row's length");
        const size_t length = size_t(static_cast<unsigned char>(rows[at])) |
                              size_t(static_cast<unsigned char>(rows[at + 1])) << 8;
        at += 2;
        if (rows.size() - at < length)
            return unsupported("a bulk row that runs past its message");
        if (auto error = insertRow(rows.substr(at, length), state, utf8))
            return error;
        at += length;
        ++*count;
    }
    return std::nullopt;
}

std::optional<ServerMessage> BulkCopy::insertRow(std::string_view image, SessionState& state,
                                                 bool utf8)
{
    const BulkRowSlices slices = sliceBulkRow(image, m_layout);
    if (!slices.error.empty())
        return unsupported(slices.error);
    sqlite3_reset(m_insert);
    for (size_t c = 0; c < slices.values.size(); ++c) {
        if (!slices.values[c]) {
            sqlite3_bind_null(m_insert, int(c) + 1);
            continue;
        }
        const DecodedValue decoded = decodeBulkValue(*slices.values[c], m_table.types[c], utf8);
        if (decoded.error)
            return decoded.error;
        bind(m_insert, int(c) + 1, decoded.value);
    }
    if (sqlite3_step(m_insert) == SQLITE_DONE)
        return std::nullopt;
    sqlite3* db = state.database.handle();
    const std::string text = sqlite3_errmsg(db);
    if (sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_UNIQUE) {
        const std::string index = uniqueIndexFor(db, m_table, text);
        if (!index.empty())
            return duplicateKey(clientName(m_table.stored), index);
    }
    return aseMessageFor(text, m_insertSql);
}

} // namespace sandbox
