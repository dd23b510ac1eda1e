#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sandbox {

// A column's type as ASE knows it, read back from the declaration SQLite keeps.
struct AseType
{
    enum Family
    {
        Unchecked, // a type the sandbox does not check (binary, image, unknown names)
        Integer,
        Exact, // numeric, decimal
        Float,
        Money,
        Bit,
        Character,
        Text,
        DateTime
    };
    Family family = Unchecked;
    std::string name;          // lower case, as systypes names it: "int", "varchar", "numeric"
    int length = 0;            // bytes, as syscolumns.length
    int maxChars = 0;          // for Character: the most bytes (or characters for unicode) kept
    bool perCharacter = false; // nchar, unichar ...: length counts characters, not bytes
    std::optional<int> precision, scale;
    int64_t minimum = 0, maximum = 0; // for Integer
    uint64_t unsignedMaximum = 0;     // for the unsigned bigint
    int userType = 0;                 // ASE's systypes.usertype
};

// The ASE type of a declaration as written in CREATE TABLE ("numeric(6,2)", "unsigned int",
// "double precision"); Unchecked for anything else.
AseType aseTypeOf(std::string_view declaration);

// ASE's name of a type in its messages: the systypes name upper case ("INT", "VARCHAR").
std::string messageTypeName(const AseType& type);

// The systypes rows: usertype and name of every type aseTypeOf knows.
std::string systypesRows();

} // namespace sandbox
