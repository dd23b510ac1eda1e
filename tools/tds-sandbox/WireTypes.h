#pragma once

#include "AseTypes.h"
#include "TokenWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sandbox {

// How ASE describes a column of a type on the wire (ROWFMT) and in its bulk-copy row images.
struct WireType
{
    uint8_t code = 0x27;    // TDS 5.0 datatype
    uint32_t length = 255;  // the declared length ROWFMT carries
    int lengthBytes = 1;    // 0 for fixed-length types, 1, or 4 (LONGCHAR, TEXT)
    bool numeric = false;   // precision and scale follow the length
    bool bigTime = false;   // a precision byte follows the length
    bool fixedSize = false; // stored at its length in a bulk row's fixed part when NOT NULL
};

// The type ASE sends for a column: the plain type for a NOT NULL one (INT4, DATETIME), the
// nullable variant otherwise (INTN, DATETIMN); numeric and character types are alike both ways.
WireType wireTypeOf(const AseType& type, bool nullable);

// One ROWFMT column entry: name, status, usertype, datatype, length, precision, locale.
void writeColumnFormat(TokenWriter& body, std::string_view name, const AseType& type,
                       bool nullable);

// A value read from a bulk row, ready for SQLite.
struct BulkValue
{
    enum Kind
    {
        Null,
        Integer,
        Real,
        Text,
        Blob // text kept as it is where SQLite's numeric affinity would round it
    };
    Kind kind = Null;
    int64_t integer = 0;
    double real = 0;
    std::string text;
};

struct DecodedValue
{
    BulkValue value;
    std::optional<ServerMessage> error; // the value does not fit its column
};

// Reads one column's bytes from a bulk row image as ASE stores the type: integers, numeric
// (sign byte, magnitude big-endian), dates as days since 1900, times as 1/300 s or microseconds.
// Character data longer than the column is cut to it, as ASE's bulk copy cuts it; a number
// past its precision is an arithmetic overflow.
DecodedValue decodeBulkValue(std::string_view bytes, const AseType& type, bool utf8);

} // namespace sandbox
