#pragma once

#include <string>
#include <string_view>

namespace sandbox {

// sysobjects.sysstat2's lock scheme bits, as ASE sets them.
constexpr int Sysstat2Allpages = 0x2000;
constexpr int Sysstat2Datapages = 0x4000;
constexpr int Sysstat2Datarows = 0x8000;

// CREATE TABLE ... LOCK ALLPAGES | DATAPAGES | DATAROWS, translated for SQLite: the clause
// becomes a comment inside the column list, where SQLite keeps it in the table's SQL. Any
// other statement comes back unchanged.
std::string keepLockScheme(std::string sql);

// The lock scheme bits of a table from its SQL as SQLite keeps it: allpages, ASE's default,
// unless the table was made otherwise.
int sysstat2Of(std::string_view tableSql);

} // namespace sandbox
