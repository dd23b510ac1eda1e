#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

// Splits a language batch into its statements the way ASE reads one: at semicolons and
// where a new statement begins without one ("select @@spid use [db]").
std::vector<std::string_view> splitBatch(std::string_view batch);

// What the session knows when it rewrites @@ globals.
struct SessionGlobals
{
    int spid = 0;
    int64_t rowCount = 0;
    int error = 0;
    bool inTransaction = false;
};

// One statement, classified and rewritten for SQLite.
struct Translation
{
    enum Kind
    {
        Sql,
        Use,
        CreateDatabase,
        Ignored
    };
    Kind kind = Sql;
    std::string sql;      // for Sql
    std::string database; // for Use and CreateDatabase
};

// Rewrites ASE syntax SQLite lacks: '' as one blank, @@ globals, dbo. owners, a few
// function names, "tran", and the null mode of columns in CREATE TABLE (NOT NULL unless
// declared NULL, as a default ASE database has it).
Translation translate(std::string_view statement, const SessionGlobals& globals);

// A database name as written in "use": brackets or quotes removed, trailing blanks cut.
std::string unquoteName(std::string_view name);

} // namespace sandbox
