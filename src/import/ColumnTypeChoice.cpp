#include "ColumnTypeChoice.h"

#include <algorithm>

namespace ColumnTypeChoice {
namespace {
constexpr int MaxNumericPrecision = 38;
// A binary double keeps 15 significant decimal digits exactly.
constexpr int DoubleDigits = 15;

struct PageLimits
{
    int pageSize;
    qint64 column; // the widest column
    qint64 row;    // where the variable-length columns of a row must end
};
// ASE's limits for allpages-locked tables, the strictest kind, by page size.
constexpr PageLimits Limits[] = {
    {2048, 1960, 1948}, {4096, 4008, 3988}, {8192, 8104, 8068}, {16384, 16296, 16228}};

PageLimits limitsFor(int pageSize)
{
    for (const PageLimits& limits : Limits)
        if (limits.pageSize == pageSize)
            return limits;
    return Limits[0];
}

ColumnType typed(ColumnType::Kind kind, const char* name)
{
    ColumnType type;
    type.kind = kind;
    type.name = QString::fromLatin1(name);
    return type;
}

ColumnType character(qint64 bytes)
{
    ColumnType type = typed(ColumnType::Kind::Character, "varchar");
    type.length = std::max<qint64>(bytes, 1);
    return type;
}

ColumnType numeric(int precision, int scale)
{
    ColumnType type = typed(ColumnType::Kind::Decimal, "numeric");
    type.precision = std::max(precision, 1);
    type.scale = scale;
    return type;
}

ColumnType numberForAse(const ColumnProfile& column)
{
    const int precision = column.integerDigits() + column.scale();
    if (column.allIntegers() && column.fitsInt())
        return typed(ColumnType::Kind::Integer, "int");
    if (column.allIntegers() && column.fitsBigint())
        return typed(ColumnType::Kind::Integer, "bigint");
    if (precision <= MaxNumericPrecision)
        return numeric(precision, column.scale());
    return character(column.longest()); // more digits than any exact type keeps
}

ColumnType chooseForAse(const ColumnProfile& column)
{
    ColumnType type;
    if (!column.hasValues())
        type = character(1);
    else if (column.allNumbers())
        type = numberForAse(column);
    else if (column.allDates())
        type = typed(ColumnType::Kind::Date, "date");
    else if (column.allDateTimes())
        type = column.hasFractions() || column.hasEarlyDates()
                   ? typed(ColumnType::Kind::DateTime, "bigdatetime")
                   : typed(ColumnType::Kind::DateTime, "datetime");
    else
        type = character(column.longest());
    type.nullable = column.hasEmpty();
    return type;
}

// The bytes a column takes in a row at most, with what a variable-length one adds.
qint64 width(const ColumnType& type)
{
    switch (type.kind) {
    case ColumnType::Kind::Integer:
        return type.name == QStringLiteral("int") ? 4 : 8;
    case ColumnType::Kind::Decimal:
        return std::min(2 + type.precision / 2, 17);
    case ColumnType::Kind::Date:
        return 4;
    case ColumnType::Kind::DateTime:
        return 8;
    case ColumnType::Kind::Character:
        return type.length + 2;
    default:
        return 16 + 2; // a text pointer
    }
}

ColumnType asText(bool nullable)
{
    ColumnType type = typed(ColumnType::Kind::Text, "text");
    type.nullable = nullable;
    return type;
}

// Turns the widest character columns into text until the row fits the page.
void fitRow(std::vector<ColumnType>& types, const PageLimits& limits)
{
    for (ColumnType& type : types)
        if (type.kind == ColumnType::Kind::Character && type.length > limits.column)
            type = asText(type.nullable);
    for (;;) {
        qint64 row = 0;
        for (const ColumnType& type : types)
            row += width(type);
        const auto widest =
            std::max_element(types.begin(), types.end(), [](const auto& a, const auto& b) {
                return (a.kind == ColumnType::Kind::Character ? a.length : -1) <
                       (b.kind == ColumnType::Kind::Character ? b.length : -1);
            });
        if (row <= limits.row || widest == types.end() ||
            widest->kind != ColumnType::Kind::Character)
            return;
        *widest = asText(widest->nullable);
    }
}
} // namespace

std::vector<ColumnType> forAse(const std::vector<ColumnProfile>& columns, int pageSize)
{
    std::vector<ColumnType> types;
    for (const ColumnProfile& column : columns)
        types.push_back(chooseForAse(column));
    fitRow(types, limitsFor(pageSize));
    return types;
}

std::vector<ColumnType> forSqlite(const std::vector<ColumnProfile>& columns)
{
    std::vector<ColumnType> types;
    for (const ColumnProfile& column : columns) {
        ColumnType type = typed(ColumnType::Kind::Text, "TEXT");
        if (column.allIntegers() && column.fitsBigint())
            type = typed(ColumnType::Kind::Integer, "INTEGER");
        else if (column.allNumbers() && column.significantDigits() <= DoubleDigits)
            type = typed(ColumnType::Kind::Float, "REAL");
        type.nullable = column.hasEmpty();
        types.push_back(type);
    }
    return types;
}

QString declaration(const ColumnType& type, bool ase)
{
    if (!ase)
        return type.name;
    QString text = type.name;
    if (type.kind == ColumnType::Kind::Character)
        text += QStringLiteral("(%1)").arg(type.length);
    else if (type.kind == ColumnType::Kind::Decimal)
        text += QStringLiteral("(%1,%2)").arg(type.precision).arg(type.scale);
    // ASE columns refuse NULL unless declared otherwise; a text column always takes it.
    const bool nullable = type.nullable || type.kind == ColumnType::Kind::Text;
    return text + (nullable ? QStringLiteral(" NULL") : QStringLiteral(" NOT NULL"));
}
} // namespace ColumnTypeChoice
