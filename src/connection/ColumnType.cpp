#include "ColumnType.h"

#include <limits>
#include <optional>
#include <QHash>

namespace {
using Kind = ColumnType::Kind;

struct IntegerRange
{
    qint64 minimum;
    quint64 maximum;
};

// ASE's integer types; "intn" and "uintn" are the nullable forms, told apart by length.
std::optional<IntegerRange> aseIntegerRange(const QString& name, qint64 length)
{
    constexpr qint64 int64Min = std::numeric_limits<qint64>::min();
    constexpr quint64 int64Max = quint64(std::numeric_limits<qint64>::max());
    static const QHash<QString, IntegerRange> ranges{
        {QStringLiteral("tinyint"), {0, 255}},
        {QStringLiteral("smallint"), {-32768, 32767}},
        {QStringLiteral("int"), {-2147483648LL, 2147483647ULL}},
        {QStringLiteral("integer"), {-2147483648LL, 2147483647ULL}},
        {QStringLiteral("bigint"), {int64Min, int64Max}},
        {QStringLiteral("usmallint"), {0, 65535}},
        {QStringLiteral("unsigned smallint"), {0, 65535}},
        {QStringLiteral("uint"), {0, 4294967295ULL}},
        {QStringLiteral("unsigned int"), {0, 4294967295ULL}},
        {QStringLiteral("ubigint"), {0, std::numeric_limits<quint64>::max()}},
        {QStringLiteral("unsigned bigint"), {0, std::numeric_limits<quint64>::max()}},
    };
    if (name == QStringLiteral("intn") || name == QStringLiteral("uintn")) {
        static const char* const signedBySize[] = {"tinyint", "smallint", "int", "bigint"};
        static const char* const unsignedBySize[] = {"tinyint", "usmallint", "uint", "ubigint"};
        const int index = length == 1 ? 0 : length == 2 ? 1 : length == 4 ? 2 : 3;
        const char* base =
            name == QStringLiteral("intn") ? signedBySize[index] : unsignedBySize[index];
        return ranges.value(QLatin1String(base));
    }
    const auto found = ranges.constFind(name);
    if (found == ranges.cend())
        return std::nullopt;
    return *found;
}

Kind aseKind(const QString& name)
{
    static const QHash<QString, Kind> kinds{
        {QStringLiteral("text"), Kind::Text},
        {QStringLiteral("unitext"), Kind::Text},
        {QStringLiteral("char"), Kind::Character},
        {QStringLiteral("varchar"), Kind::Character},
        {QStringLiteral("nchar"), Kind::Character},
        {QStringLiteral("nvarchar"), Kind::Character},
        {QStringLiteral("unichar"), Kind::Character},
        {QStringLiteral("univarchar"), Kind::Character},
        {QStringLiteral("sysname"), Kind::Character},
        {QStringLiteral("longsysname"), Kind::Character},
        {QStringLiteral("numeric"), Kind::Decimal},
        {QStringLiteral("decimal"), Kind::Decimal},
        {QStringLiteral("numericn"), Kind::Decimal},
        {QStringLiteral("decimaln"), Kind::Decimal},
        {QStringLiteral("money"), Kind::Decimal},
        {QStringLiteral("smallmoney"), Kind::Decimal},
        {QStringLiteral("moneyn"), Kind::Decimal},
        {QStringLiteral("float"), Kind::Float},
        {QStringLiteral("real"), Kind::Float},
        {QStringLiteral("double precision"), Kind::Float},
        {QStringLiteral("floatn"), Kind::Float},
        {QStringLiteral("date"), Kind::Date},
        {QStringLiteral("daten"), Kind::Date},
        {QStringLiteral("time"), Kind::Time},
        {QStringLiteral("timen"), Kind::Time},
        {QStringLiteral("bigtime"), Kind::Time},
        {QStringLiteral("datetime"), Kind::DateTime},
        {QStringLiteral("smalldatetime"), Kind::DateTime},
        {QStringLiteral("bigdatetime"), Kind::DateTime},
        {QStringLiteral("datetimn"), Kind::DateTime},
        {QStringLiteral("bit"), Kind::Bit},
    };
    return kinds.value(name, Kind::Other);
}
} // namespace

ColumnType AseColumnType(const QString& column, const QString& typeName, qint64 length,
                         int precision, int scale, int status)
{
    ColumnType type;
    type.column = column;
    type.name = typeName;
    type.nullable = (status & 8) != 0;
    const QString name = typeName.toLower();
    if (const auto range = aseIntegerRange(name, length)) {
        type.kind = Kind::Integer;
        type.minimum = range->minimum;
        type.maximum = range->maximum;
        return type;
    }
    type.kind = aseKind(name);
    if (type.kind == Kind::Character)
        type.length = length;
    if (type.kind == Kind::Decimal) {
        // Money has no precision in the catalogue: its digits are fixed by the type.
        const bool money = name.contains(QStringLiteral("money"));
        const bool small = name == QStringLiteral("smallmoney") || (money && length == 4);
        type.precision = money ? (small ? 10 : 19) : precision;
        type.scale = money ? 4 : scale;
    }
    return type;
}

ColumnType SqliteColumnType(const QString& column, const QString& declared, bool notNull)
{
    ColumnType type;
    type.column = column;
    type.name = declared;
    type.nullable = !notNull;
    const QString upper = declared.toUpper();
    // SQLite's own order of the affinity rules; its integers are 64 bits whatever the name.
    if (upper.contains(QStringLiteral("INT"))) {
        type.kind = Kind::Integer;
        type.minimum = std::numeric_limits<qint64>::min();
        type.maximum = quint64(std::numeric_limits<qint64>::max());
    } else if (upper.contains(QStringLiteral("CHAR")) || upper.contains(QStringLiteral("CLOB")) ||
               upper.contains(QStringLiteral("TEXT")) || upper.contains(QStringLiteral("BLOB")) ||
               upper.isEmpty()) {
        type.kind = Kind::Text; // SQLite keeps any length
    } else if (upper.contains(QStringLiteral("REAL")) || upper.contains(QStringLiteral("FLOA")) ||
               upper.contains(QStringLiteral("DOUB"))) {
        type.kind = Kind::Float;
    } else if (upper.startsWith(QStringLiteral("DATETIME")) ||
               upper.startsWith(QStringLiteral("TIMESTAMP"))) {
        type.kind = Kind::DateTime;
    } else if (upper.startsWith(QStringLiteral("DATE"))) {
        type.kind = Kind::Date;
    } else if (upper.startsWith(QStringLiteral("TIME"))) {
        type.kind = Kind::Time;
    } else if (upper.startsWith(QStringLiteral("BOOL"))) {
        type.kind = Kind::Bit;
    } else {
        // NUMERIC affinity holds any number, whatever precision the declaration names.
        type.kind = Kind::Decimal;
    }
    return type;
}

bool TakesTypedValues(const std::vector<ColumnType>& columns)
{
    for (const ColumnType& type : columns)
        if ((type.kind != Kind::Text && type.kind != Kind::Character && type.kind != Kind::Other) ||
            type.emptyIsNull || type.nullText)
            return true;
    return false;
}
