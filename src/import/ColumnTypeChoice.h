#pragma once

#include "ColumnProfile.h"
#include "ColumnType.h"

#include <QString>
#include <vector>

// Types for a new table chosen from its file's values: the narrowest type that every value of
// the whole file fits, so that no row can fail for its type.
namespace ColumnTypeChoice {
// A new ASE table: its columns and how it is locked.
struct AseTable
{
    std::vector<ColumnType> columns;
    // More variable-length columns than an allpages-locked table holds: the table is locked by
    // rows, whose limits it is then sized by.
    bool lockDatarows = false;
    // Why no table of these columns fits the server's limits; empty when one does.
    QString refusal;
};
// For Sybase ASE with pages of pageSize bytes (@@maxpagesize): integers as int, bigint or
// numeric(p,0); decimals as numeric(p,s); ISO dates as date; dates and times as datetime where
// whole seconds keep every value, bigdatetime otherwise; anything else varchar(n), n the
// longest value in bytes. Character columns too wide for the row become text, the widest
// first, where text takes less of the row, until the row fits. A column with an empty field
// allows NULL.
AseTable forAse(const std::vector<ColumnProfile>& columns, int pageSize);
// What follows CREATE TABLE's column list for the table: " lock datarows" or nothing.
QString lockClause(const AseTable& table);
// For SQLite: INTEGER while every value fits 64 bits, REAL where every value reads back equal
// as a number, TEXT otherwise.
std::vector<ColumnType> forSqlite(const std::vector<ColumnProfile>& columns);

// The type as written after the column's name in CREATE TABLE: "numeric(7,2) NOT NULL",
// "varchar(12) NULL", "INTEGER".
QString declaration(const ColumnType& type, bool ase);
} // namespace ColumnTypeChoice
