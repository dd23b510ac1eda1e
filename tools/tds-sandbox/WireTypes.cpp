#include "WireTypes.h"

#include "AseErrors.h"

#include <cstring>

namespace sandbox {

namespace {
namespace code {
constexpr uint8_t Int1 = 0x30, Int2 = 0x34, Int4 = 0x38, Int8 = 0xBF, IntN = 0x26;
constexpr uint8_t UInt2 = 0x41, UInt4 = 0x42, UInt8 = 0x43, UIntN = 0x44;
constexpr uint8_t Flt8 = 0x3E, Real = 0x3B, FltN = 0x6D;
constexpr uint8_t Money = 0x3C, Money4 = 0x7A, MoneyN = 0x6E;
constexpr uint8_t Bit = 0x32, Numeric = 0x6C, Decimal = 0x6A;
constexpr uint8_t Char = 0x2F, VarChar = 0x27, LongChar = 0xAF, Text = 0x23;
constexpr uint8_t DateTime = 0x3D, DateTime4 = 0x3A, DateTimeN = 0x6F;
constexpr uint8_t Date = 0x31, DateN = 0x7B, Time = 0x33, TimeN = 0x93;
constexpr uint8_t BigDateTime = 0xBB, BigTime = 0xBC;
} // namespace code

constexpr uint8_t Nullable = 0x20, Updatable = 0x10;

WireType fixedOrNullable(uint8_t plain, uint8_t nullableCode, uint32_t length, bool nullable)
{
    WireType w;
    w.code = nullable ? nullableCode : plain;
    w.length = length;
    w.lengthBytes = nullable ? 1 : 0;
    w.fixedSize = !nullable;
    return w;
}

WireType integerWire(const AseType& type, bool nullable)
{
    const bool isUnsigned = type.name.rfind("unsigned", 0) == 0;
    const uint32_t n = uint32_t(type.length);
    uint8_t plain = n == 1 ? code::Int1 : n == 2 ? code::Int2 : n == 4 ? code::Int4 : code::Int8;
    if (isUnsigned)
        plain = n == 2 ? code::UInt2 : n == 4 ? code::UInt4 : code::UInt8;
    return fixedOrNullable(plain, isUnsigned ? code::UIntN : code::IntN, n, nullable);
}

WireType dateTimeWire(const AseType& type, bool nullable)
{
    if (type.name == "bigdatetime" || type.name == "bigtime") {
        WireType w;
        w.code = type.name == "bigtime" ? code::BigTime : code::BigDateTime;
        w.length = 8;
        w.bigTime = true;
        return w;
    }
    if (type.name == "date")
        return fixedOrNullable(code::Date, code::DateN, 4, nullable);
    if (type.name == "time")
        return fixedOrNullable(code::Time, code::TimeN, 4, nullable);
    if (type.name == "smalldatetime")
        return fixedOrNullable(code::DateTime4, code::DateTimeN, 4, nullable);
    return fixedOrNullable(code::DateTime, code::DateTimeN, 8, nullable);
}

WireType characterWire(const AseType& type, bool nullable)
{
    WireType w;
    w.length = uint32_t(std::max(type.length, 1));
    const bool fixed = type.name == "char" || type.name == "nchar" || type.name == "unichar";
    w.code = w.length > 255 ? code::LongChar : fixed ? code::Char : code::VarChar;
    w.lengthBytes = w.length > 255 ? 4 : 1;
    w.fixedSize = fixed && !nullable;
    return w;
}
} // namespace

WireType wireTypeOf(const AseType& type, bool nullable)
{
    switch (type.family) {
    case AseType::Integer:
        return integerWire(type, nullable);
    case AseType::Exact: {
        WireType w;
        w.code = type.name == "decimal" ? code::Decimal : code::Numeric;
        w.length = uint32_t(type.length);
        w.numeric = true;
        w.fixedSize = !nullable;
        return w;
    }
    case AseType::Float:
        return fixedOrNullable(type.length == 4 ? code::Real : code::Flt8, code::FltN,
                               uint32_t(type.length), nullable);
    case AseType::Money:
        return fixedOrNullable(type.length == 4 ? code::Money4 : code::Money, code::MoneyN,
                               uint32_t(type.length), nullable);
    case AseType::Bit:
        return fixedOrNullable(code::Bit, code::Bit, 1, false);
    case AseType::Character:
        return characterWire(type, nullable);
    case AseType::Text: {
        WireType w;
        w.code = code::Text;
        w.length = 32768;
        w.lengthBytes = 4;
        return w;
    }
    case AseType::DateTime:
        return dateTimeWire(type, nullable);
    case AseType::Unchecked:
        break;
    }
    return WireType{};
}

void writeColumnFormat(TokenWriter& body, std::string_view name, const AseType& type, bool nullable)
{
    const WireType w = wireTypeOf(type, nullable);
    body.shortString(name);
    body.u8(uint8_t((nullable ? Nullable : 0) | Updatable));
    body.u32(uint32_t(type.userType > 0 ? type.userType : 2));
    body.u8(w.code);
    if (w.lengthBytes == 1)
        body.u8(uint8_t(w.length));
    else if (w.lengthBytes == 4)
        body.u32(w.length);
    if (w.numeric) {
        body.u8(uint8_t(type.precision.value_or(18)));
        body.u8(uint8_t(type.scale.value_or(0)));
    }
    if (w.bigTime)
        body.u8(6);
    if (w.code == code::Text)
        body.u16(0); // the table's name
    body.u8(0);      // locale
}

} // namespace sandbox
