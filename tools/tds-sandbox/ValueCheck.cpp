#include "ValueCheck.h"

#include "AseErrors.h"
#include "DateTimeForm.h"
#include "DateTimeText.h"
#include "SqlLexer.h"

#include <cctype>
#include <cstdlib>

namespace sandbox {

namespace {
// A number literal's parts: sign, integer digits without leading zeros, fraction digits.
struct NumberParts
{
    bool negative = false;
    std::string_view integer;
    std::string_view fraction;
    bool exponent = false;
    bool valid = true;
};

NumberParts partsOf(std::string_view text)
{
    NumberParts parts;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        parts.negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const size_t dot = text.find('.');
    parts.integer = text.substr(0, dot);
    parts.fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    for (std::string_view digits : {parts.integer, parts.fraction})
        for (char c : digits) {
            if (c == 'e' || c == 'E')
                parts.exponent = true;
            else if (!std::isdigit(static_cast<unsigned char>(c)))
                parts.valid = false;
        }
    while (parts.integer.size() > 1 && parts.integer[0] == '0')
        parts.integer.remove_prefix(1);
    if (parts.integer == "0")
        parts.integer = {};
    return parts;
}

bool hasNonZero(std::string_view digits)
{
    return digits.find_first_not_of('0') != std::string_view::npos;
}

// How ASE types a number literal: INT when it is an integer that fits one, FLOAT with an
// exponent, NUMERIC otherwise.
std::string_view literalType(const NumberParts& parts, std::string_view text)
{
    if (parts.exponent)
        return "FLOAT";
    if (text.find('.') != std::string_view::npos || parts.integer.size() > 10)
        return "NUMERIC";
    const long long value = std::strtoll(std::string(text).c_str(), nullptr, 10);
    return value >= INT32_MIN && value <= INT32_MAX ? "INT" : "NUMERIC";
}

// Whether the integer digits (no leading zeros) stand for more than the bound.
bool exceeds(std::string_view digits, uint64_t bound)
{
    constexpr std::string_view Largest = "18446744073709551615"; // 2^64 - 1, 20 digits
    if (digits.size() > Largest.size() ||
        (digits.size() == Largest.size() && (bound != UINT64_MAX || digits > Largest)))
        return true;
    if (digits.size() == Largest.size())
        return false;
    uint64_t value = 0; // at most 19 digits: no overflow
    for (char c : digits)
        value = value * 10 + uint64_t(c - '0');
    return value > bound;
}

enum class NumberFault
{
    None,
    Overflow,
    Scale
};

NumberFault numberFault(const NumberParts& parts, const AseType& type)
{
    if (type.family == AseType::Integer) {
        // An integer column takes no fraction: ASE reports the lost scale.
        const uint64_t bound =
            parts.negative ? uint64_t(-(type.minimum + 1)) + 1 : type.unsignedMaximum;
        if (exceeds(parts.integer, bound))
            return NumberFault::Overflow;
        return hasNonZero(parts.fraction) ? NumberFault::Scale : NumberFault::None;
    }
    if (type.family == AseType::Exact) {
        const size_t scale = size_t(type.scale.value_or(0));
        if (int(parts.integer.size()) > type.precision.value_or(18) - int(scale))
            return NumberFault::Overflow;
        return hasNonZero(parts.fraction.substr(std::min(parts.fraction.size(), scale)))
                   ? NumberFault::Scale
                   : NumberFault::None;
    }
    if (type.family == AseType::Money) {
        // money holds 922,337,203,685,477.5807; smallmoney 214,748.3647.
        const uint64_t whole = type.length == 8 ? 922337203685477ULL : 214748ULL;
        return exceeds(parts.integer, whole) ? NumberFault::Overflow : NumberFault::None;
    }
    return NumberFault::None;
}

ValueVerdict checkNumber(std::string_view text, const AseType& type)
{
    const NumberParts parts = partsOf(text);
    if (!parts.valid || parts.exponent)
        return {};
    const NumberFault fault = numberFault(parts, type);
    if (fault == NumberFault::None)
        return {};
    const std::string_view from = literalType(parts, text);
    if (fault == NumberFault::Overflow)
        return {arithmeticOverflow(from, text, messageTypeName(type)), {}};
    return {scaleError(from, text, messageTypeName(type)), {}};
}

std::string valueOf(std::string_view literal)
{
    std::string value;
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        value += literal[i];
        if (literal[i] == '\'' && literal[i + 1] == '\'')
            ++i;
    }
    return value;
}

std::string quotedLiteral(std::string_view value)
{
    return quotedSql(value, '\'');
}

// The bytes of the first `count` characters of the text, or of `count` bytes without
// splitting a character. Only UTF-8 has characters of several bytes.
size_t cutPoint(std::string_view value, size_t count, bool perCharacter, bool utf8)
{
    size_t at = 0, characters = 0;
    while (at < value.size()) {
        size_t next = at + 1;
        while (utf8 && next < value.size() &&
               (static_cast<unsigned char>(value[next]) & 0xC0) == 0x80)
            ++next;
        if (perCharacter ? characters == count : next > count)
            break;
        at = next;
        ++characters;
    }
    return at;
}

ValueVerdict checkCharacter(std::string_view literal, const AseType& type, const ValueRules& rules)
{
    if (literal.size() <= size_t(type.maxChars) + 2)
        return {}; // no more bytes than the column has characters or bytes: it fits
    const std::string value = valueOf(literal);
    const size_t keep = cutPoint(value, size_t(type.maxChars), type.perCharacter, rules.utf8);
    if (keep >= value.size())
        return {};
    ValueVerdict verdict;
    // Only the loss of something other than blanks counts as truncation.
    if (rules.stringRtruncation && value.find_first_not_of(' ', keep) != std::string::npos)
        verdict.error = stringTruncated();
    else
        verdict.replacement = quotedLiteral(std::string_view(value).substr(0, keep));
    return verdict;
}

// A date/time literal is kept in the one form a bulk-copied value of its type is kept in.
ValueVerdict checkDateTime(std::string_view literal, const AseType& type)
{
    const std::string value = valueOf(literal);
    const bool timeOnly = type.name == "time" || type.name == "bigtime";
    const auto parts = readDateTimeText(value, type.name == "date", timeOnly);
    if (!parts)
        return {conversionSyntax("VARCHAR", value, messageTypeName(type)), {}};
    const uint64_t nanoseconds =
        (uint64_t(parts->hour) * 3600 + uint64_t(parts->minute) * 60 + uint64_t(parts->second)) *
            1000000000u +
        parts->nanosecond;
    const int64_t days = daysSince1900(parts->year, parts->month, parts->day);
    std::string stored = quotedLiteral(storedDateTime(type.name, days, nanoseconds));
    // A literal already in its stored form needs no rewriting of its statement.
    if (stored == literal)
        stored.clear();
    return {std::nullopt, std::move(stored)};
}

ValueVerdict checkString(std::string_view literal, const AseType& type, const ValueRules& rules)
{
    switch (type.family) {
    case AseType::Integer:
    case AseType::Exact:
    case AseType::Float:
    case AseType::Money:
    case AseType::Bit:
        return {implicitConversion("VARCHAR", messageTypeName(type)), {}};
    case AseType::Character:
        return checkCharacter(literal, type, rules);
    case AseType::DateTime:
        return checkDateTime(literal, type);
    default:
        return {};
    }
}
} // namespace

ValueVerdict checkValue(const LiteralValue& value, const AseType& type, const ValueRules& rules)
{
    if (value.kind == LiteralValue::String)
        return checkString(value.text, type, rules);
    if (value.kind != LiteralValue::Number)
        return {};
    switch (type.family) {
    case AseType::Character:
    case AseType::Text:
    case AseType::DateTime: {
        // ASE converts no number to a text or a date without CONVERT.
        const NumberParts parts = partsOf(value.text);
        return {implicitConversion(literalType(parts, value.text), messageTypeName(type)), {}};
    }
    default:
        return checkNumber(value.text, type);
    }
}

} // namespace sandbox
