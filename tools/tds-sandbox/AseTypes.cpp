#include "AseTypes.h"

#include "SqlLexer.h"

#include <cctype>
#include <cstdlib>
#include <limits>

namespace sandbox {

namespace {
struct KnownType
{
    const char* name;
    AseType::Family family;
    int length;
    int userType;
};

// ASE's fixed-size types: storage bytes and systypes.usertype.
constexpr KnownType knownTypes[] = {{"tinyint", AseType::Integer, 1, 5},
                                    {"smallint", AseType::Integer, 2, 6},
                                    {"int", AseType::Integer, 4, 7},
                                    {"bigint", AseType::Integer, 8, 43},
                                    {"unsigned smallint", AseType::Integer, 2, 44},
                                    {"unsigned int", AseType::Integer, 4, 45},
                                    {"unsigned bigint", AseType::Integer, 8, 46},
                                    {"float", AseType::Float, 8, 8},
                                    {"real", AseType::Float, 4, 23},
                                    {"money", AseType::Money, 8, 11},
                                    {"smallmoney", AseType::Money, 4, 21},
                                    {"bit", AseType::Bit, 1, 16},
                                    {"text", AseType::Text, 16, 19},
                                    {"unitext", AseType::Text, 16, 36},
                                    {"datetime", AseType::DateTime, 8, 12},
                                    {"smalldatetime", AseType::DateTime, 4, 22},
                                    {"date", AseType::DateTime, 4, 37},
                                    {"time", AseType::DateTime, 4, 38},
                                    {"bigdatetime", AseType::DateTime, 8, 187},
                                    {"bigtime", AseType::DateTime, 8, 188},
                                    {"numeric", AseType::Exact, 0, 10},
                                    {"decimal", AseType::Exact, 0, 26},
                                    {"char", AseType::Character, 0, 1},
                                    {"varchar", AseType::Character, 0, 2},
                                    {"nchar", AseType::Character, 0, 24},
                                    {"nvarchar", AseType::Character, 0, 25},
                                    {"unichar", AseType::Character, 0, 34},
                                    {"univarchar", AseType::Character, 0, 35}};

// Other spellings ASE takes for the same types.
std::string_view canonicalName(std::string_view name)
{
    if (name == "integer")
        return "int";
    if (name == "dec")
        return "decimal";
    if (name == "double precision")
        return "float";
    if (name == "character")
        return "char";
    if (name == "char varying" || name == "character varying")
        return "varchar";
    if (name == "national char" || name == "national character")
        return "nchar";
    if (name == "nchar varying" || name == "national char varying" ||
        name == "national character varying")
        return "nvarchar";
    if (name == "unsigned integer")
        return "unsigned int";
    return name;
}

// "numeric ( 6 , 2 )" -> base "numeric", arguments 6 and 2; blanks collapsed.
std::string baseAndArguments(std::string_view declaration, int arguments[2], int* count)
{
    std::string base;
    *count = 0;
    size_t i = 0;
    for (; i < declaration.size() && declaration[i] != '('; ++i) {
        const char c = char(std::tolower(static_cast<unsigned char>(declaration[i])));
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!base.empty() && base.back() != ' ')
                base += ' ';
        } else {
            base += c;
        }
    }
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    while (i < declaration.size() && *count < 2) {
        const char* start = declaration.data() + i + 1;
        char* end = nullptr;
        const long value = std::strtol(start, &end, 10);
        if (end == start)
            break;
        arguments[(*count)++] = int(value);
        i = size_t(end - declaration.data());
        while (i < declaration.size() && declaration[i] == ' ')
            ++i;
        if (i >= declaration.size() || declaration[i] != ',')
            break;
    }
    return base;
}

// Bytes ASE stores a numeric of this precision in.
int numericBytes(int precision)
{
    static constexpr int bytes[] = {2,  2,  2,  3,  3,  4,  4,  4,  5,  5,  6,  6,  6,
                                    7,  7,  8,  8,  9,  9,  9,  10, 10, 11, 11, 11, 12,
                                    12, 13, 13, 14, 14, 14, 15, 15, 16, 16, 16, 17, 17};
    return bytes[std::min(std::max(precision, 1), 38)];
}

void setIntegerRange(AseType& type)
{
    const bool isUnsigned = type.name.rfind("unsigned", 0) == 0;
    const int bits = type.length * 8;
    if (type.name == "tinyint" || isUnsigned) { // tinyint is 0..255 in ASE
        type.minimum = 0;
        type.unsignedMaximum =
            bits == 64 ? std::numeric_limits<uint64_t>::max() : (uint64_t(1) << bits) - 1;
        type.maximum = int64_t(std::min<uint64_t>(type.unsignedMaximum, INT64_MAX));
        return;
    }
    type.minimum = bits == 64 ? INT64_MIN : -(int64_t(1) << (bits - 1));
    type.maximum = bits == 64 ? INT64_MAX : (int64_t(1) << (bits - 1)) - 1;
    type.unsignedMaximum = uint64_t(type.maximum);
}

void setSized(AseType& type, const int arguments[2], int count)
{
    if (type.family == AseType::Exact) {
        // ASE's defaults: numeric is numeric(18,0).
        type.precision = count > 0 ? arguments[0] : 18;
        type.scale = count > 1 ? arguments[1] : 0;
        type.length = numericBytes(*type.precision);
        return;
    }
    const int n = count > 0 ? arguments[0] : 1; // char without a length is char(1)
    type.perCharacter = type.name[0] == 'n' || type.name[0] == 'u';
    type.maxChars = n;
    // unichar keeps two bytes a character; nchar as many as the widest server character.
    type.length = type.name.rfind("uni", 0) == 0 ? 2 * n : type.perCharacter ? 3 * n : n;
}
} // namespace

AseType aseTypeOf(std::string_view declaration)
{
    int arguments[2] = {0, 0};
    int count = 0;
    const std::string base = baseAndArguments(declaration, arguments, &count);
    const std::string_view name = canonicalName(base);
    AseType type;
    for (const KnownType& known : knownTypes) {
        if (name != known.name)
            continue;
        type.family = known.family;
        type.name = known.name;
        type.length = known.length;
        type.userType = known.userType;
        if (type.family == AseType::Integer)
            setIntegerRange(type);
        else if (type.family == AseType::Exact || type.family == AseType::Character)
            setSized(type, arguments, count);
        // float(p) with p below 16 is ASE's real.
        if (name == "float" && count > 0 && arguments[0] < 16) {
            type.name = "real";
            type.length = 4;
            type.userType = 23;
        }
        return type;
    }
    return type;
}

std::string messageTypeName(const AseType& type)
{
    std::string upper = type.name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::string systypesRows()
{
    std::string rows;
    for (const KnownType& known : knownTypes) {
        rows += rows.empty() ? "values " : ", ";
        // Appended piece by piece: GCC's overlap check misreads a + chain here at -O3.
        rows += '(';
        rows += std::to_string(known.userType);
        rows += ", '";
        rows += known.name;
        rows += "')";
    }
    return rows;
}

} // namespace sandbox
