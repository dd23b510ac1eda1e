#pragma once

#include "ObjectNames.h"
#include "SqlLexer.h"
#include "StatementSplit.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

// What the session knows when it rewrites @@ globals.
struct SessionGlobals
{
    int spid = 0;
    int64_t rowCount = 0;
    int error = 0;
    int tranCount = 0;
    std::string database; // the current one, for db..table names
};

// One statement, classified and rewritten for SQLite.
struct Translation
{
    enum Kind
    {
        Sql,
        Use,
        CreateDatabase,
        Ignored,
        BeginTran,
        CommitTran,
        RollbackTran,
        SetChained,
        SetStringRtruncation
    };
    Kind kind = Sql;
    std::string sql;                  // for Sql
    std::string database;             // for Use and CreateDatabase
    bool chainedOn = false;           // for SetChained
    bool stringRtruncationOn = false; // for SetStringRtruncation
    // Commands ASE refuses inside a transaction, upper case ("CREATE TABLE"): those a
    // database may allow with "ddl in tran" (2762), and those it never allows (226).
    std::string ddlCommand;
    std::string neverInTransaction;
    // select, insert, update, delete: in chained mode they begin a transaction.
    bool beginsChainedTransaction = false;
    size_t createdColumns = 0; // columns of a CREATE TABLE
    // Variable-length columns of a CREATE TABLE of an allpages-locked table (ASE's default).
    size_t allpagesVariableColumns = 0;
};

// Reads only what a statement is, before it runs: the same fields as translate() except
// the rewritten text.
Translation classify(std::string_view statement);

// The first name longer than ASE allows (255 bytes, 253 between brackets or quotes), or
// empty. A name that long makes the whole batch fail before any of it runs.
std::string_view overlongName(std::string_view statement, size_t* limit);

// Rewrites ASE syntax SQLite lacks: '' as one blank, a string literal past 16,384 bytes cut
// to that length as ASE cuts it, @@ globals, dbo. owners, the current database's db..table and
// db.owner.table prefixes (another database's stay as SQLite's schema prefix, naming nothing), a
// few function names, "tran", and the null mode of columns in CREATE TABLE (NOT NULL unless
// declared NULL, as a default ASE database has it). With `names`, the names of objects are
// rewritten to how the database stores them, so they keep ASE's case-sensitivity.
Translation translate(std::string_view statement, const SessionGlobals& globals,
                      const StoredNames* names = nullptr);
// The same, from the statement's tokens (lexSql) when the caller has them already.
Translation translate(std::string_view statement, const std::vector<SqlToken>& tokens,
                      const SessionGlobals& globals, const StoredNames* names);

// A database name as written in "use": brackets or quotes removed, trailing blanks cut.
std::string unquoteName(std::string_view name);

} // namespace sandbox
