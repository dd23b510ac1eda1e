#pragma once

#include <string>
#include <string_view>

struct sqlite3;

namespace sandbox {

// ASE's column catalogue on an SQLite connection, as clients query it:
//   select c.name, t.name, c.length, c.prec, c.scale, c.status from syscolumns c, systypes t
//   where c.id = object_id('T') and c.usertype = t.usertype order by c.colid
// syscolumns and systypes are temp views over the declared types SQLite keeps; object_id()
// takes a name as ASE does. False (and SQLite's text) on failure.
bool installCatalogue(sqlite3* db, const std::string& databaseName, std::string* error);

// The table part of a name given to object_id, or empty when the name points into another
// database than `databaseName`: "t", "My Table", "db..t", "db.dbo.t", "dbo.t". Brackets are
// part of the name, as ASE keeps them in a name given as a string.
std::string objectIdTable(std::string_view name, std::string_view databaseName);

} // namespace sandbox
