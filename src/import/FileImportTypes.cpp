// A new table's column types chosen from its file: the working copy is read once before the
// CREATE TABLE, so that the table fits every value and no row can fail for its type.
#include "ColumnScan.h"
#include "ColumnTypeChoice.h"
#include "FileImport.h"

#include <algorithm>

namespace {
constexpr int SmallestPage = 2048;

// The row path's view of a chosen type, as the catalogue would describe the column.
ColumnType asCatalogued(const QString& column, const ColumnType& chosen, bool ase)
{
    if (!ase)
        return SqliteColumnType(column, chosen.name, false);
    qint64 length = chosen.length;
    if (chosen.name == QStringLiteral("int"))
        length = 4;
    else if (chosen.name == QStringLiteral("bigint"))
        length = 8;
    return AseColumnType(column, chosen.name, length, chosen.precision, chosen.scale,
                         chosen.nullable ? 8 : 0);
}
} // namespace

// The server's page size, which bounds a row; the smallest page when it cannot be read.
int FileImport::serverPageSize()
{
    try {
        ResultSet size;
        size.open(QStringLiteral("select @@maxpagesize as pagesize"), *session);
        const int bytes = size.eof() ? 0 : size.value(QStringLiteral("pagesize")).toInt();
        size.close();
        return bytes > 0 ? bytes : SmallestPage;
    } catch (const Failure&) {
        if (!session->isAlive())
            throw;
        return SmallestPage;
    }
}

// Every column text: what a table made without --column-types infer holds.
void FileImport::useTextColumns(const QStringList& columns)
{
    columnTypes.clear();
    for (const QString& column : columns)
        columnTypes.push_back(SqliteColumnType(column, QStringLiteral("TEXT"), false));
    typedTable = table;
    useColumnTypes();
}

QStringList FileImport::inferColumnTypes(const QStringList& columns, bool skipHeader)
{
    std::vector<ColumnProfile> profiles(size_t(columns.size()));
    ColumnScan scan;
    scan.nullText = o.nullText ? std::optional(o.nullText->toUtf8()) : std::nullopt;
    scan.headerLine = skipHeader ? prepared.firstLineAt : 0;
    scan.yield = [&] { yield(); };
    if (toAse())
        scan.storedLength = [&](QByteArrayView utf8) { return session->storedLength(utf8); };
    // Records of one line each, the common case, are cut from the lines without a record
    // built; a separator UTF-8 cannot hold matches nowhere, which the records handle.
    scan.separator = separator.toUtf8();
    const bool plainSeparator = QString::fromUtf8(scan.separator) == separator;
    scan.quote =
        o.quote.isNull() || o.quote.isSurrogate() ? QByteArray() : QString(o.quote).toUtf8();
    LineReader reader;
    reader.openUtf8(workingCopy.path());
    const bool profiled =
        plainSeparator && !o.quote.isSurrogate() && scan.profileLines(reader, profiles);
    if (!profiled) {
        profiles.assign(size_t(columns.size()), ColumnProfile());
        reader.openUtf8(workingCopy.path());
        RecordReader records(reader, separator, o.quote);
        while (records.next()) {
            yield();
            const Record& record = records.record();
            // The header names the columns; a quote left open fails its row whatever the type.
            if (record.firstLine != scan.headerLine && !record.unterminated)
                scan.profileFields(record.fields, profiles);
        }
    }
    reader.close();
    const bool ase = toAse();
    std::vector<ColumnType> chosen;
    tableLockClause.clear();
    if (ase) {
        ColumnTypeChoice::AseTable made = ColumnTypeChoice::forAse(profiles, serverPageSize());
        // Said before CREATE TABLE, so that no row is sent into a table that cannot hold it.
        if (!made.refusal.isEmpty())
            throw Failure(made.refusal);
        tableLockClause = ColumnTypeChoice::lockClause(made);
        chosen = std::move(made.columns);
    } else {
        chosen = ColumnTypeChoice::forSqlite(profiles);
    }
    QStringList declarations;
    columnTypes.clear();
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const ColumnType& type = chosen[size_t(i)];
        declarations << ColumnTypeChoice::declaration(type, ase);
        columnTypes.push_back(asCatalogued(columns[i], type, ase));
        columnTypes.back().emptyIsNull = type.nullable;
    }
    typedTable = table;
    useColumnTypes();
    return declarations;
}
