#pragma once

#include "TokenWriter.h"

#include <string>
#include <string_view>

namespace sandbox {

// The ASE message for an SQLite failure: ASE's number and words for the errors ASE clients
// commonly check (208, 207, 213, 233, 102, 2601, 2714, 3701), SQLite's own text otherwise.
ServerMessage aseMessageFor(std::string_view sqliteText, std::string_view statement);

ServerMessage loginFailed();                              // 4002
ServerMessage noUserConnections();                        // 1601
ServerMessage noSuchDatabase(std::string_view name);      // 911
ServerMessage databaseExists(std::string_view name);      // 1801
ServerMessage rejectedStatement(std::string_view needle); // the --reject-containing switch
ServerMessage unsupported(std::string_view what);
ServerMessage duplicateKey(std::string_view object, std::string_view index); // 2601

// Transactions and limits.
ServerMessage notAllowedInTransactionHere(std::string_view command,
                                          std::string_view database); // 2762
ServerMessage notAllowedInTransaction(std::string_view command);      // 226
ServerMessage deadlockVictim(int spid);                               // 1205
ServerMessage identifierTooLong(std::string_view name, size_t limit); // 103
ServerMessage tooManyColumns(size_t columns);
ServerMessage tooManyVariableColumns(std::string_view createTable); // 1767

// A value that does not fit its column. Types are named as ASE names them ("VARCHAR", "INT").
ServerMessage implicitConversion(std::string_view from, std::string_view to); // 257
ServerMessage arithmeticOverflow(std::string_view from, std::string_view value,
                                 std::string_view to); // 247
ServerMessage scaleError(std::string_view from, std::string_view value,
                         std::string_view to); // 241
ServerMessage conversionSyntax(std::string_view from, std::string_view value,
                               std::string_view to); // 249
ServerMessage stringTruncated();                     // 9502

// The most columns a table may have.
constexpr size_t MaxColumns = 1024;

} // namespace sandbox
