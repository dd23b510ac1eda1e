#pragma once

#include "InsertCheck.h"
#include "ObjectNames.h"
#include "TokenWriter.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace sandbox {

struct Value
{
    enum Type
    {
        Null,
        Integer,
        Text
    };
    Type type = Null;
    int64_t integer = 0;
    std::string text; // also the bytes of reals and blobs
};

struct ResultColumn
{
    std::string name;     // empty for an unnamed expression, as ASE sends it
    std::string declType; // lower case; empty for expressions
};

struct StatementOutcome
{
    bool failed = false;
    bool cancelled = false;
    ServerMessage error;
    bool hasRows = false;
    std::vector<ResultColumn> columns;
    std::vector<std::vector<Value>> rows;
    bool countValid = false;
    int64_t count = 0;
};

// One SQLite connection: the database a client session is "in".
class Database
{
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens DIR/NAME.db; with create, makes it first. False (and the SQLite text) on failure.
    bool open(const std::string& path, bool create, std::string* error);
    // Runs one translated statement. `original` is the client's text, for error wording.
    // `cancelled` is asked now and then while rows are read.
    StatementOutcome run(const std::string& sql, const std::string& original,
                         const std::function<bool()>& cancelled);
    bool inTransaction() const;
    // Compiles a translated statement without running it: ASE's 102 when SQLite cannot
    // parse it, nothing otherwise (a missing table is found only when it runs). The
    // message's line counts from the statement's first line.
    std::optional<ServerMessage> syntaxError(const std::string& sql,
                                             const std::string& original) const;
    // BEGIN, COMMIT, ROLLBACK. False with the ASE message on failure.
    bool execute(const char* sql, ServerMessage* error);
    // The names of the database's objects and columns, read again when its schema changed
    // (in this session or another).
    const StoredNames& names();
    // The columns of a table named as the client writes it, with their ASE types; none when
    // the table is unknown or holds no column whose values are checked. The schema is taken
    // as names() last read it.
    const std::vector<TypedColumn>* typedColumns(const std::string& table);

    static bool isValidName(const std::string& name);
    // The SQLite connection, for bulk copy's prepared INSERT.
    sqlite3* handle() const { return m_db; }

private:
    int64_t schemaVersion();

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_schemaVersion = nullptr;
    StoredNames m_names;
    int64_t m_namesVersion = -1;
    std::map<std::string, std::optional<std::vector<TypedColumn>>, std::less<>> m_typedColumns;
    int64_t m_typedColumnsVersion = -1;
};

} // namespace sandbox
