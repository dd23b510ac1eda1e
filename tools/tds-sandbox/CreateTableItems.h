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
    size_t lastToken = 0;
};

// The items of a CREATE TABLE statement's list, in order; none for any other statement and
// for CREATE TABLE ... AS.
std::vector<CreateTableItem> createTableItems(const std::vector<SqlToken>& tokens);

// Positions (token indexes) in CREATE TABLE's column list where " NOT NULL" goes.
std::set<size_t> nullModeInsertions(const std::vector<SqlToken>& tokens);

} // namespace sandbox
