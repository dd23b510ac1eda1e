#include "ColumnValues.h"

namespace {
using Kind = ColumnType::Kind;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool takesNumbers(Kind kind)
{
    return kind == Kind::Integer || kind == Kind::Decimal || kind == Kind::Float ||
           kind == Kind::Bit;
}

bool takesNull(Kind kind)
{
    return takesNumbers(kind) || kind == Kind::Date || kind == Kind::Time || kind == Kind::DateTime;
}

// A number as both databases read it bare: sign, digits, an optional point and fraction, and
// for floats an exponent. Nothing else, not even blanks around it.
struct NumberParts
{
    bool negative = false;
    QByteArrayView whole;    // without leading zeros
    QByteArrayView fraction; // without trailing zeros
    bool hasPoint = false;
    bool hasExponent = false;
};

qsizetype digitsFrom(QByteArrayView text, qsizetype at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

std::optional<NumberParts> parseNumber(QByteArrayView text)
{
    NumberParts parts;
    qsizetype at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        parts.negative = text[at++] == '-';
    const qsizetype wholeEnd = digitsFrom(text, at);
    parts.whole = text.sliced(at, wholeEnd - at);
    at = wholeEnd;
    if (at < text.size() && text[at] == '.') {
        parts.hasPoint = true;
        const qsizetype fractionEnd = digitsFrom(text, at + 1);
        parts.fraction = text.sliced(at + 1, fractionEnd - at - 1);
        at = fractionEnd;
    }
    if (parts.whole.isEmpty() && parts.fraction.isEmpty())
        return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        qsizetype exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        const qsizetype exponentEnd = digitsFrom(text, exponent);
        if (exponentEnd == exponent)
            return std::nullopt;
        parts.hasExponent = true;
        at = exponentEnd;
    }
    if (at != text.size())
        return std::nullopt;
    while (!parts.whole.isEmpty() && parts.whole.front() == '0')
        parts.whole = parts.whole.sliced(1);
    while (!parts.fraction.isEmpty() && parts.fraction.back() == '0')
        parts.fraction.chop(1);
    return parts;
}

bool integerFits(const NumberParts& parts, const ColumnType& column)
{
    if (parts.hasPoint || parts.hasExponent || parts.whole.size() > 20)
        return false;
    unsigned __int128 magnitude = 0;
    for (char digit : parts.whole)
        magnitude = magnitude * 10 + unsigned(digit - '0');
    if (parts.negative)
        return magnitude == 0 || magnitude <= (unsigned __int128)(-(__int128)column.minimum);
    return magnitude <= column.maximum;
}

bool decimalFits(const NumberParts& parts, const ColumnType& column)
{
    if (column.precision <= 0)
        return true; // SQLite's NUMERIC: any number, as the database reads it
    if (parts.hasExponent)
        return false;
    return parts.whole.size() <= column.precision - column.scale &&
           parts.fraction.size() <= column.scale;
}

bool holds(const ColumnType& column, QByteArrayView field)
{
    if (column.kind == Kind::Bit)
        return field == "0" || field == "1";
    const std::optional<NumberParts> parts = parseNumber(field);
    if (!parts)
        return false;
    switch (column.kind) {
    case Kind::Integer:
        return integerFits(*parts, column);
    case Kind::Decimal:
        return decimalFits(*parts, column);
    default:
        return true; // a float's range is the server's to check
    }
}
} // namespace

ValueForm FormOf(const ColumnType* column, QByteArrayView field)
{
    if (!column)
        return ValueForm::Quoted;
    if (column->nullText && field == QByteArrayView(*column->nullText))
        return ValueForm::Null;
    if (field.isEmpty() && (takesNull(column->kind) || column->emptyIsNull))
        return ValueForm::Null;
    return takesNumbers(column->kind) ? ValueForm::Bare : ValueForm::Quoted;
}

QString TypeLabel(const ColumnType& column)
{
    const QString lower = column.name.toLower();
    if (column.kind == Kind::Decimal && column.precision > 0 && !column.name.contains(u'(') &&
        !lower.contains(QStringLiteral("money")))
        return QStringLiteral("%1(%2,%3)").arg(column.name).arg(column.precision).arg(column.scale);
    return column.name;
}

std::optional<QString> ValueRefusal(const std::vector<ColumnType>& columns,
                                    const QList<QByteArrayView>& fields)
{
    const qsizetype count = std::min(fields.size(), qsizetype(columns.size()));
    for (qsizetype i = 0; i < count; ++i) {
        const ColumnType& column = columns[size_t(i)];
        if (FormOf(&column, fields[i]) != ValueForm::Bare || holds(column, fields[i]))
            continue;
        return QStringLiteral("Field #%1 (\"%2\") is not a number the column %3 (%4) can hold; "
                              "the row was not sent.")
            .arg(i + 1)
            .arg(QString::fromUtf8(fields[i]), column.column, TypeLabel(column));
    }
    return std::nullopt;
}
