#pragma once

#include "WireTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

// Where a column's value lies in a bulk row image.
struct BulkColumnLayout
{
    AseType type;
    bool nullable = false;
    bool fixed = false;    // in the row's fixed part (NOT NULL and of a fixed size)
    int fixedOffset = 0;   // for fixed columns: from the start of the row image
    int bit = -1;          // for bit columns: which bit of the byte at fixedOffset
    int variableIndex = 0; // for the others: its place among the variable columns
};

// The columns of a table as ASE lays them out in the rows "insert bulk" receives.
struct BulkLayout
{
    std::vector<BulkColumnLayout> columns;
    int fixedEnd = 2;      // where the row length of the variable part sits
    int variableCount = 0; // columns in the variable part
    bool datarows = false; // rows come in the datarows-locked format
};

// Lays out the fixed columns first (bit columns share bytes), then the variable ones, as the
// client packs them: NOT NULL columns of a fixed size in the fixed part, the rest (nullable,
// varchar, numeric that may be NULL) in the variable part.
BulkLayout bulkLayoutOf(const std::vector<AseType>& types, const std::vector<bool>& nullable,
                        bool datarows);

// One row image split into its columns' bytes; nullopt for a column that is NULL (absent
// from the variable part).
struct BulkRowSlices
{
    std::vector<std::optional<std::string_view>> values;
    std::string error; // the row image does not hold together
};

// Reads a row image in the allpages format (count of variable columns, row number, fixed
// part, row length, variable data, adjust table and offset table written in reverse) or the
// datarows format (four zero bytes first, 2-byte offsets in reverse, no end offset). Trailing
// NULL columns are absent from the offset table.
BulkRowSlices sliceBulkRow(std::string_view row, const BulkLayout& layout);

} // namespace sandbox
