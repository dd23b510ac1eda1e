#include "ColumnTypeChoice.h"

#include <algorithm>

namespace ColumnTypeChoice {
namespace {
constexpr int MaxNumericPrecision = 38;
// A binary double keeps 15 significant decimal digits exactly.
constexpr int DoubleDigits = 15;

// The most columns an ASE table has, and the most variable-length ones (varchar, text and any
// column that allows NULL) an allpages-locked table has.
constexpr size_t MaxColumns = 1024;
constexpr size_t MaxAllpagesVariableColumns = 254;

struct PageLimits
{
    int pageSize;
    qint64 column; // the widest character value a row holds
    qint64 row;    // where a row's columns, with what variable-length ones add, must end
    // Data-only-locked tables on 16K pages: where the last variable-length column may begin
    // at most; 0 when anywhere.
    qint64 lastVariableStart = 0;
};
// ASE's limits by page size: allpages-locked tables, ASE's default, then data-only-locked ones.
constexpr PageLimits AllpagesLimits[] = {
    {2048, 1960, 1948}, {4096, 4008, 3988}, {8192, 8104, 8068}, {16384, 16296, 16228}};
constexpr PageLimits DatarowsLimits[] = {
    {2048, 1954, 1958}, {4096, 4002, 4006}, {8192, 8098, 8102}, {16384, 16290, 16294, 8183}};

PageLimits limitsFor(int pageSize, bool datarows)
{
    const auto& table = datarows ? DatarowsLimits : AllpagesLimits;
    for (const PageLimits& limits : table)
        if (limits.pageSize == pageSize)
            return limits;
    return table[0];
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

bool isVariableLength(const ColumnType& type)
{
    return type.nullable || type.kind == ColumnType::Kind::Character ||
           type.kind == ColumnType::Kind::Text;
}

// The bytes a column takes in a row at most, with the offset a variable-length one adds.
qint64 width(const ColumnType& type)
{
    qint64 bytes = 16; // a text pointer
    switch (type.kind) {
    case ColumnType::Kind::Integer:
        bytes = type.name == QStringLiteral("int") ? 4 : 8;
        break;
    case ColumnType::Kind::Decimal:
        bytes = std::min(2 + type.precision / 2, 17);
        break;
    case ColumnType::Kind::Date:
        bytes = 4;
        break;
    case ColumnType::Kind::DateTime:
        bytes = 8;
        break;
    case ColumnType::Kind::Character:
        bytes = type.length;
        break;
    default:
        break;
    }
    return bytes + (isVariableLength(type) ? 2 : 0);
}

qint64 rowWidth(const std::vector<ColumnType>& types)
{
    qint64 row = 0;
    for (const ColumnType& type : types)
        row += width(type);
    return row;
}

bool fits(const std::vector<ColumnType>& types, const PageLimits& limits)
{
    const qint64 row = rowWidth(types);
    // Fixed-length columns come first in a row, then the variable-length ones in order.
    const auto last = std::find_if(types.rbegin(), types.rend(), isVariableLength);
    const qint64 lastStart = last == types.rend() ? 0 : row - width(*last);
    return row <= limits.row &&
           (!limits.lastVariableStart || lastStart <= limits.lastVariableStart);
}

ColumnType asText(bool nullable)
{
    ColumnType type = typed(ColumnType::Kind::Text, "text");
    type.nullable = nullable;
    return type;
}

// Turns character columns into text, the widest first, until the row fits; only where text,
// a pointer in the row, takes less of it than the column did. False when the row cannot fit.
bool fitRow(std::vector<ColumnType>& types, const PageLimits& limits)
{
    for (ColumnType& type : types)
        if (type.kind == ColumnType::Kind::Character && type.length > limits.column)
            type = asText(type.nullable);
    const qint64 textWidth = width(asText(true));
    while (!fits(types, limits)) {
        auto widest = types.end();
        for (auto it = types.begin(); it != types.end(); ++it)
            if (it->kind == ColumnType::Kind::Character && width(*it) > textWidth &&
                (widest == types.end() || it->length > widest->length))
                widest = it;
        if (widest == types.end())
            return false;
        *widest = asText(widest->nullable);
    }
    return true;
}

QString rowTooWide(const std::vector<ColumnType>& types, const PageLimits& limits, bool datarows)
{
    return QStringLiteral("A row of the table could take %1 bytes even with its wide columns "
                          "as text, more than the %2 a row of %3 table holds on the server's "
                          "%4-byte pages; the table was not made.")
        .arg(rowWidth(types))
        .arg(limits.row)
        .arg(datarows ? QStringLiteral("a datarows-locked") : QStringLiteral("an allpages-locked"))
        .arg(limits.pageSize);
}
} // namespace

AseTable forAse(const std::vector<ColumnProfile>& columns, int pageSize)
{
    AseTable table;
    for (const ColumnProfile& column : columns)
        table.columns.push_back(chooseForAse(column));
    if (table.columns.size() > MaxColumns) {
        table.refusal = QStringLiteral("The file has %1 columns, more than the %2 an ASE table "
                                       "holds; the table was not made.")
                            .arg(table.columns.size())
                            .arg(MaxColumns);
        return table;
    }
    // Turning a column into text keeps it variable-length: the count holds whatever fits.
    const auto variable =
        std::count_if(table.columns.begin(), table.columns.end(), isVariableLength);
    table.lockDatarows = size_t(variable) > MaxAllpagesVariableColumns;
    const PageLimits limits = limitsFor(pageSize, table.lockDatarows);
    if (!fitRow(table.columns, limits))
        table.refusal = rowTooWide(table.columns, limits, table.lockDatarows);
    return table;
}

QString lockClause(const AseTable& table)
{
    return table.lockDatarows ? QStringLiteral(" lock datarows") : QString();
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
