#pragma once

#include "TokenWriter.h"

#include <string>
#include <string_view>

namespace sandbox {

// The ASE message for an SQLite failure: ASE's number and words for the errors ASE clients
// commonly check (208, 207, 213, 233, 102, 2601, 2714, 3701), SQLite's own text otherwise.
ServerMessage aseMessageFor(std::string_view sqliteText, std::string_view statement);

ServerMessage loginFailed();                              // 4002
ServerMessage noSuchDatabase(std::string_view name);      // 911
ServerMessage databaseExists(std::string_view name);      // 1801
ServerMessage rejectedStatement(std::string_view needle); // the --reject-containing switch
ServerMessage unsupported(std::string_view what);

} // namespace sandbox
