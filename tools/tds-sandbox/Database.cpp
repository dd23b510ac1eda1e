#include "Database.h"

#include "AseErrors.h"
#include "Catalogue.h"
#include "LockScheme.h"
#include "SqlLexer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sqlite3.h>

namespace sandbox {

namespace {
// ASE's catalogue as the ASE provider queries it. The type is char(2) padded like ASE's,
// compared without trailing blanks as ASE compares char values.
constexpr const char* SysobjectsView = "create temp view sysobjects as select rowid as id, "
                                       "client_name(name) as name, "
                                       "cast(case when name like 'sqlite\\_%' escape '\\' then 'S "
                                       "' when type = 'table' then 'U ' else 'V ' end "
                                       "as char(2)) collate rtrim as type, 1 as uid, "
                                       "case when type = 'table' then lock_sysstat2(sql) else 0 "
                                       "end as sysstat2 from "
                                       "main.sqlite_master where type in ('table', 'view')";

// The names listed come back as the client gave them.
void clientNameFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const std::string name = clientName(text);
    sqlite3_result_text(context, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
}

// lock_sysstat2(table sql): the lock scheme bits ASE keeps in sysobjects.sysstat2.
void lockSysstat2Function(sqlite3_context* context, int, sqlite3_value** argv)
{
    const auto* sql = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    sqlite3_result_int(context, sysstat2Of(sql ? sql : ""));
}

// Each row's first column, as text.
std::vector<std::string> firstColumn(sqlite3* db, const char* sql, const std::string& parameter)
{
    std::vector<std::string> out;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        if (!parameter.empty())
            sqlite3_bind_text(stmt, 1, parameter.c_str(), int(parameter.size()), SQLITE_STATIC);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            if (const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)))
                out.emplace_back(text);
    }
    sqlite3_finalize(stmt);
    return out;
}

// An expression column has no name in ASE; SQLite names it after its text.
bool looksLikeAlias(const char* name)
{
    if (!name || !*name || std::isdigit(static_cast<unsigned char>(*name)))
        return false;
    for (const char* p = name; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!(std::isalnum(c) || c == '_' || c >= 0x80))
            return false;
    }
    return true;
}

bool isSyntaxFailure(std::string_view text)
{
    return text.find("syntax error") != std::string_view::npos ||
           text.substr(0, 18) == "unrecognized token" || text == "incomplete input";
}

// What follows the first statement in a text, blanks skipped; empty or ";" when nothing does.
const char* afterStatement(const char* tail)
{
    while (tail && *tail && std::isspace(static_cast<unsigned char>(*tail)))
        ++tail;
    return tail;
}

ServerMessage secondStatement(const char* tail, const std::string& original)
{
    return aseMessageFor(
        std::string("near \"") + std::string(tail).substr(0, 20) + "\": syntax error", original);
}

std::string firstWord(const std::string& sql)
{
    for (const SqlToken& t : lexSql(sql))
        if (t.isSignificant())
            return lowerAscii(t.text);
    return {};
}
} // namespace

Database::~Database()
{
    sqlite3_finalize(m_schemaVersion);
    if (m_db)
        sqlite3_close_v2(m_db);
}

// Asked before every statement is translated: prepared once, not each time.
int64_t Database::schemaVersion()
{
    if (!m_schemaVersion && sqlite3_prepare_v2(m_db, "pragma schema_version", -1, &m_schemaVersion,
                                               nullptr) != SQLITE_OK)
        return -1;
    int64_t version = -1;
    if (sqlite3_step(m_schemaVersion) == SQLITE_ROW)
        version = sqlite3_column_int64(m_schemaVersion, 0);
    sqlite3_reset(m_schemaVersion);
    return version;
}

bool Database::isValidName(const std::string& name)
{
    if (name.empty() || name.size() > 30 ||
        !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
              c == '@'))
            return false;
    return true;
}

bool Database::open(const std::string& path, bool create, std::string* error)
{
    sqlite3* db = nullptr;
    const int flags =
        SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        if (error)
            *error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        return false;
    }
    // Several clients write the same files; make them wait for each other, not fail.
    sqlite3_busy_timeout(db, 10000);
    sqlite3_exec(db, "pragma journal_mode = wal", nullptr, nullptr, nullptr);
    // WAL with NORMAL sync never corrupts a file; it only may lose the last commits on power loss.
    sqlite3_exec(db, "pragma synchronous = normal", nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "client_name", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               clientNameFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "lock_sysstat2", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               lockSysstat2Function, nullptr, nullptr, nullptr);
    if (sqlite3_exec(db, SysobjectsView, nullptr, nullptr, nullptr) != SQLITE_OK ||
        !installCatalogue(db, std::filesystem::path(path).stem().string(), error)) {
        if (error && error->empty())
            *error = sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_finalize(m_schemaVersion);
    m_schemaVersion = nullptr;
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = db;
    m_namesVersion = -1;
    return true;
}

const StoredNames& Database::names()
{
    const int64_t version = schemaVersion();
    if (version == m_namesVersion && version >= 0)
        return m_names;
    m_names = StoredNames();
    for (const char* catalogue : {"sysobjects", "syscolumns", "systypes"})
        m_names.addStored(catalogue); // ASE's catalogue, temp views here
    const std::vector<std::string> objects =
        firstColumn(m_db,
                    "select name from main.sqlite_master where name not like 'sqlite\\_%' "
                    "escape '\\'",
                    {});
    for (const std::string& object : objects) {
        m_names.addStored(object);
        for (const std::string& column :
             firstColumn(m_db, "select name from pragma_table_info(?)", object))
            m_names.addStored(column);
    }
    m_namesVersion = version;
    return m_names;
}

namespace {
// A table's columns and their declared types; none when no column's values are checked.
std::optional<std::vector<TypedColumn>> readTypedColumns(sqlite3* db, const std::string& table)
{
    std::vector<TypedColumn> columns;
    bool checked = false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select name, type from pragma_table_info(?)", -1, &stmt, nullptr) ==
        SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, table.c_str(), int(table.size()), SQLITE_STATIC);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            columns.push_back({clientName(name ? name : ""), aseTypeOf(type ? type : "")});
            const AseType::Family family = columns.back().type.family;
            checked = checked || (family != AseType::Unchecked && family != AseType::Text);
        }
    }
    sqlite3_finalize(stmt);
    if (!checked)
        return std::nullopt;
    return columns;
}
} // namespace

const std::vector<TypedColumn>* Database::typedColumns(const std::string& table)
{
    // The schema as names() last read it: a statement asks names() before it is checked.
    const StoredNames& known = m_namesVersion < 0 ? names() : m_names;
    if (m_typedColumnsVersion != m_namesVersion) {
        m_typedColumns.clear();
        m_typedColumnsVersion = m_namesVersion;
    }
    auto it = m_typedColumns.find(table);
    if (it == m_typedColumns.end()) {
        StoredNames lookup(&known);
        it = m_typedColumns.emplace(table, readTypedColumns(m_db, lookup.storedFor(table))).first;
    }
    return it->second ? &*it->second : nullptr;
}

bool Database::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

std::optional<ServerMessage> Database::syntaxError(const std::string& sql,
                                                   const std::string& original) const
{
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    std::optional<ServerMessage> error;
    long offset = -1;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), int(sql.size()), &stmt, &tail) != SQLITE_OK) {
        const char* text = sqlite3_errmsg(m_db);
        if (isSyntaxFailure(text)) {
            error = aseMessageFor(text, original);
            offset = sqlite3_error_offset(m_db);
        }
    } else if (stmt && (tail = afterStatement(tail)) && *tail && *tail != ';') {
        error = secondStatement(tail, original);
        offset = tail - sql.c_str();
    }
    sqlite3_finalize(stmt);
    // The line within the statement where SQLite stopped; the rewriting keeps line breaks.
    if (error && offset > 0 && size_t(offset) <= sql.size())
        error->line = uint16_t(
            1 + std::min<long>(std::count(sql.begin(), sql.begin() + offset, '\n'), 60000));
    return error;
}

bool Database::execute(const char* sql, ServerMessage* error)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    *error = aseMessageFor(sqlite3_errmsg(m_db), sql);
    return false;
}

namespace {
std::vector<ResultColumn> resultColumns(sqlite3_stmt* stmt)
{
    std::vector<ResultColumn> columns;
    const int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        const char* stored = sqlite3_column_name(stmt, i);
        const std::string name = clientName(stored ? stored : "");
        const char* decl = sqlite3_column_decltype(stmt, i);
        const bool fromTable = sqlite3_column_table_name(stmt, i) != nullptr;
        columns.push_back({(fromTable || looksLikeAlias(name.c_str())) ? name : std::string(),
                           decl ? lowerAscii(decl) : std::string()});
    }
    return columns;
}

void readValue(sqlite3_stmt* stmt, int i, Value& v)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        break;
    case SQLITE_INTEGER:
        v.type = Value::Integer;
        v.integer = sqlite3_column_int64(stmt, i);
        break;
    default: {
        v.type = Value::Text;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        v.text.assign(text ? text : "", size_t(sqlite3_column_bytes(stmt, i)));
        break;
    }
    }
}

// Steps through the rows into out.rows, asking `cancelled` every 256 rows; SQLite's last
// answer.
int readRows(sqlite3_stmt* stmt, const std::function<bool()>& cancelled, StatementOutcome& out)
{
    const int columns = int(out.columns.size());
    int rc;
    size_t steps = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (++steps % 256 == 0 && cancelled && cancelled()) {
            out.cancelled = true;
            break;
        }
        std::vector<Value> row(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i)
            readValue(stmt, i, row[size_t(i)]);
        out.rows.push_back(std::move(row));
    }
    return rc;
}

// A row count for a result and for the statements that change rows, as ASE's DONE gives one.
void countRows(sqlite3* db, const std::string& sql, StatementOutcome& out)
{
    if (out.hasRows) {
        out.countValid = true;
        out.count = int64_t(out.rows.size());
        return;
    }
    const std::string verb = firstWord(sql);
    if (verb == "insert" || verb == "update" || verb == "delete" || verb == "replace") {
        out.countValid = true;
        out.count = sqlite3_changes64(db);
    }
}
} // namespace

StatementOutcome Database::run(const std::string& sql, const std::string& original,
                               const std::function<bool()>& cancelled)
{
    StatementOutcome out;
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), int(sql.size()), &stmt, &tail) != SQLITE_OK) {
        out.failed = true;
        out.error = aseMessageFor(sqlite3_errmsg(m_db), original);
        return out;
    }
    if (!stmt)
        return out; // only a comment
    // The splitter leaves one statement per text; anything after it is a second one.
    tail = afterStatement(tail);
    if (tail && *tail && *tail != ';') {
        sqlite3_finalize(stmt);
        out.failed = true;
        out.error = secondStatement(tail, original);
        return out;
    }
    out.columns = resultColumns(stmt);
    out.hasRows = !out.columns.empty();
    const int rc = readRows(stmt, cancelled, out);
    if (!out.cancelled && rc != SQLITE_DONE) {
        out.failed = true;
        out.error = aseMessageFor(sqlite3_errmsg(m_db), original);
    }
    sqlite3_finalize(stmt);
    countRows(m_db, sql, out);
    return out;
}

} // namespace sandbox
