#pragma once

#include <QString>
#include <sqlite3.h>

// Small calls the embedded provider's files share.
inline QString errorText(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Runs a statement the provider itself needs (BEGIN, COMMIT, pragmas).
inline int runPlain(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}
