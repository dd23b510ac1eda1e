#pragma once

#include "AseTypes.h"
#include "SqlLexer.h"
#include "TokenWriter.h"
#include "ValueCheck.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

struct TypedColumn
{
    std::string name; // as the client wrote it
    AseType type;
};

// The columns of a table named as the client wrote it, or none when the table is unknown or
// has no column whose values the sandbox checks.
using TypedColumnsOf = std::function<const std::vector<TypedColumn>*(const std::string& table)>;

struct InsertCheck
{
    std::optional<ServerMessage> error; // the statement fails with it, nothing is stored
    std::string rewritten;              // when not empty, the statement to run instead
};

// Checks the literals of INSERT [INTO] table [(columns)] VALUES (...)[, (...)] as ASE checks
// them against the columns' types (see checkValue); values cut to their column are written
// cut into the rewritten statement. Any other statement passes unchanged.
// `tokens` are the statement's (lexSql).
InsertCheck checkInsert(std::string_view statement, const std::vector<SqlToken>& tokens,
                        const TypedColumnsOf& columnsOf, const ValueRules& rules);

} // namespace sandbox
