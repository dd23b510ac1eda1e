#pragma once

#include "Database.h"
#include "TokenWriter.h"

#include <cstdint>
#include <vector>

namespace sandbox {

// How one result column goes on the wire.
struct ColumnFormat
{
    enum Kind
    {
        VarChar,
        LongChar,
        Text,
        Int
    };
    Kind kind = VarChar;
    uint32_t maxLength = 1; // bytes; 4 or 8 for Int
};

// SQLite keeps no types on values, so the declared type decides where there is one and the
// values decide otherwise: integers are INT, short text VARCHAR, text over 255 bytes LONGCHAR,
// a column declared "text" is TEXT.
std::vector<ColumnFormat> chooseFormats(const std::vector<ResultColumn>& columns,
                                        const std::vector<std::vector<Value>>& rows);

void writeRowFormat(TokenWriter& out, const std::vector<ResultColumn>& columns,
                    const std::vector<ColumnFormat>& formats);
void writeRow(TokenWriter& out, const std::vector<Value>& row,
              const std::vector<ColumnFormat>& formats);

} // namespace sandbox
