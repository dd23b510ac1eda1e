#pragma once

#include "AseTypes.h"
#include "TokenWriter.h"

#include <optional>
#include <string>
#include <string_view>

namespace sandbox {

// A value written in INSERT ... VALUES as the sandbox can check it: a literal, or anything
// else (an expression, a variable, a function call), which is left to SQLite.
struct LiteralValue
{
    enum Kind
    {
        Other,
        Null,
        String, // text: the literal with its quotes, as written
        Number  // text: the digits, a leading minus sign included
    };
    Kind kind = Other;
    std::string_view text;
};

// The session's settings the checks depend on.
struct ValueRules
{
    bool stringRtruncation = false; // "set string_rtruncation on"
    bool utf8 = true;               // the server's character set; others take a byte a character
};

// What ASE makes of a literal stored into a column of a type.
struct ValueVerdict
{
    std::optional<ServerMessage> error; // the statement fails with it
    std::string replacement;            // when not empty, the literal to store instead
};

// ASE's checks of a literal against its column: a quoted text into a number column (257), a
// number into a text or date column (257), a number past its column's range or precision
// (247) or scale (241), a text ASE cannot read as a date (249), and a text longer than its
// column: cut, or with string_rtruncation on refused (9502).
ValueVerdict checkValue(const LiteralValue& value, const AseType& type, const ValueRules& rules);

} // namespace sandbox
