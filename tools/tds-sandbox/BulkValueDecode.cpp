// decodeBulkValue (WireTypes.h): a bulk row's column bytes as the value SQLite keeps.
#include "AseErrors.h"
#include "DateTimeForm.h"
#include "WireTypes.h"

#include <cstdio>
#include <cstring>

namespace sandbox {

namespace {
uint64_t littleEndian(std::string_view b)
{
    uint64_t v = 0;
    for (size_t i = b.size(); i-- > 0;)
        v = v << 8 | static_cast<unsigned char>(b[i]);
    return v;
}

int64_t signExtended(uint64_t v, size_t bytes)
{
    if (bytes >= 8)
        return int64_t(v);
    const uint64_t sign = uint64_t(1) << (bytes * 8 - 1);
    return int64_t((v ^ sign) - sign);
}

// A numeric's magnitude (big-endian bytes) in decimal digits.
std::string magnitudeDigits(std::string_view magnitude)
{
    std::vector<unsigned char> n(magnitude.begin(), magnitude.end());
    std::string digits;
    bool zero = false;
    while (!zero) {
        unsigned remainder = 0;
        zero = true;
        for (unsigned char& byte : n) {
            const unsigned cur = remainder << 8 | byte;
            byte = static_cast<unsigned char>(cur / 10);
            remainder = cur % 10;
            zero = zero && byte == 0;
        }
        digits.insert(digits.begin(), char('0' + remainder));
    }
    return digits;
}

DecodedValue numericValue(std::string_view bytes, const AseType& type)
{
    DecodedValue out;
    const int precision = type.precision.value_or(18), scale = type.scale.value_or(0);
    std::string digits = magnitudeDigits(bytes.substr(1));
    const bool negative = bytes[0] != 0 && digits != "0";
    if (int(digits.size()) > precision) {
        out.error = arithmeticOverflow("NUMERIC", digits, messageTypeName(type));
        return out;
    }
    if (scale == 0 && digits.size() <= 18) {
        out.value.kind = BulkValue::Integer;
        out.value.integer = std::stoll(digits) * (negative ? -1 : 1);
        return out;
    }
    if (int(digits.size()) <= scale)
        digits.insert(0, size_t(scale) + 1 - digits.size(), '0');
    if (scale > 0)
        digits.insert(digits.size() - size_t(scale), 1, '.');
    out.value.kind = BulkValue::Blob;
    out.value.text = negative ? "-" + digits : digits;
    return out;
}

DecodedValue dateTimeValue(std::string_view b, const AseType& type)
{
    DecodedValue out;
    out.value.kind = BulkValue::Text;
    const std::string& n = type.name;
    if (n == "date" && b.size() == 4) {
        out.value.text = dateText(signExtended(littleEndian(b), 4));
    } else if (n == "time" && b.size() == 4) {
        out.value.text = ticksText(littleEndian(b));
    } else if (n == "datetime" && b.size() == 8) {
        out.value.text = dateText(signExtended(littleEndian(b.substr(0, 4)), 4));
        out.value.text += ' ';
        out.value.text += ticksText(littleEndian(b.substr(4)));
    } else if (n == "smalldatetime" && b.size() == 4) {
        out.value.text = dateText(int64_t(littleEndian(b.substr(0, 2))));
        out.value.text += ' ';
        out.value.text += minutesText(littleEndian(b.substr(2)));
    } else if (n == "bigtime" && b.size() == 8) {
        out.value.text = microsecondsText(littleEndian(b));
    } else if (n == "bigdatetime" && b.size() == 8) {
        constexpr uint64_t PerDay = uint64_t(86400) * 1000000;
        const uint64_t us = littleEndian(b);
        out.value.text = dateText(int64_t(us / PerDay) - 693961);
        out.value.text += ' ';
        out.value.text += microsecondsText(us % PerDay);
    } else {
        out.error = unsupported("a " + n + " value of " + std::to_string(b.size()) + " bytes");
    }
    return out;
}

size_t cutAt(std::string_view value, size_t limit, bool utf8)
{
    size_t at = limit;
    while (utf8 && at > 0 && at < value.size() &&
           (static_cast<unsigned char>(value[at]) & 0xC0) == 0x80)
        --at;
    return at;
}

DecodedValue numberValue(std::string_view b, const AseType& type)
{
    DecodedValue out;
    if (type.family == AseType::Integer || type.family == AseType::Bit) {
        const bool isUnsigned = type.name == "tinyint" || type.name.rfind("unsigned", 0) == 0;
        const uint64_t raw = littleEndian(b);
        out.value.kind = BulkValue::Integer;
        out.value.integer = isUnsigned ? int64_t(raw) : signExtended(raw, b.size());
        if (isUnsigned && b.size() == 8 && raw > uint64_t(INT64_MAX)) {
            out.value.kind = BulkValue::Blob; // past SQLite's integers: kept as its digits
            out.value.text = std::to_string(raw);
        }
    } else if (type.family == AseType::Float) {
        out.value.kind = BulkValue::Real;
        if (b.size() == 4) {
            float f;
            std::memcpy(&f, b.data(), 4);
            out.value.real = f;
        } else {
            std::memcpy(&out.value.real, b.data(), 8);
        }
    } else { // money: a count of ten-thousandths, the high half first for money
        const int64_t units =
            b.size() == 4
                ? signExtended(littleEndian(b), 4)
                : int64_t(littleEndian(b.substr(0, 4)) << 32 | littleEndian(b.substr(4, 4)));
        out.value.kind = BulkValue::Real;
        out.value.real = double(units) / 10000.0;
    }
    return out;
}

bool sizeFits(std::string_view bytes, const AseType& type)
{
    switch (type.family) {
    case AseType::Integer:
    case AseType::Float:
    case AseType::Money:
    case AseType::Bit:
        return int(bytes.size()) == type.length;
    case AseType::Exact:
        return !bytes.empty() && int(bytes.size()) <= type.length;
    default:
        return true;
    }
}
} // namespace

DecodedValue decodeBulkValue(std::string_view bytes, const AseType& type, bool utf8)
{
    DecodedValue out;
    if (!sizeFits(bytes, type)) {
        out.error = unsupported("a " + type.name + " value of " + std::to_string(bytes.size()) +
                                " bytes in a bulk row");
        return out;
    }
    switch (type.family) {
    case AseType::Exact:
        return numericValue(bytes, type);
    case AseType::DateTime:
        return dateTimeValue(bytes, type);
    case AseType::Integer:
    case AseType::Float:
    case AseType::Money:
    case AseType::Bit:
        return numberValue(bytes, type);
    default:
        break;
    }
    out.value.kind = BulkValue::Text;
    const size_t limit = type.family == AseType::Character ? size_t(type.length) : bytes.size();
    out.value.text = bytes.substr(0, bytes.size() > limit ? cutAt(bytes, limit, utf8) : limit);
    return out;
}

} // namespace sandbox
