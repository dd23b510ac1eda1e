#pragma once

#include "SqlLexer.h"

#include <set>
#include <vector>

namespace sandbox {

// The items of CREATE TABLE's list: columns and table constraints.
struct CreateTableItem
{
    bool isColumn = false;
    bool declaresNullMode = false; // NULL, NOT NULL or IDENTITY written
    bool allowsNull = false;       // NULL written, not NOT NULL
    bool variableType = false;     // varchar, text and the like
    size_t lastToken = 0;

    // ASE keeps the column at the end of a row, with an offset: a type of variable length, or
    // any column that allows NULL.
    bool isVariableLength() const { return isColumn && (allowsNull || variableType); }
};

// The most variable-length columns an allpages-locked table has.
constexpr size_t MaxAllpagesVariableColumns = 254;

// The items of a CREATE TABLE statement's list, in order; none for any other statement and
// for CREATE TABLE ... AS.
std::vector<CreateTableItem> createTableItems(const std::vector<SqlToken>& tokens);

// Positions (token indexes) in CREATE TABLE's column list where " NOT NULL" goes.
std::set<size_t> nullModeInsertions(const std::vector<SqlToken>& tokens);

} // namespace sandbox
