// What AseConnection reads of the server's catalogue: the tables, a table's columns, and
// whether bulk copy writes a table's rows as the table keeps them.
#include "AseConnection.h"
#include "Failure.h"
#include "RowsCursor.h"

std::shared_ptr<Cursor> AseConnection::tablesSchema()
{
    auto rows = query(QStringLiteral(
        "select name, type from sysobjects where type in ('U','S','V') order by name"));
    std::vector<RowsCursor::Row> listed;
    while (rows->next()) {
        const QString name = rows->value(0).value_or(QString());
        const QString type = rows->value(1).value_or(QString()).trimmed();
        QString tableType = QStringLiteral("VIEW");
        if (type == QStringLiteral("U"))
            tableType = QStringLiteral("TABLE");
        else if (type == QStringLiteral("S"))
            tableType = QStringLiteral("SYSTEM TABLE");
        listed.push_back({tableType, name});
    }
    rows->close();
    return std::make_shared<RowsCursor>(
        QStringList{QStringLiteral("TABLE_TYPE"), QStringLiteral("TABLE_NAME")}, std::move(listed));
}

std::vector<ColumnType> AseConnection::columnTypes(const QString& table)
{
    // object_id takes the name as written, "db.owner.table" included: only its apostrophes
    // need doubling inside the literal.
    QString quoted = table;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    auto rows = query(
        QStringLiteral("select c.name, t.name, c.length, c.prec, c.scale, c.status from "
                       "syscolumns c, systypes t where c.id = object_id('%1') and c.usertype = "
                       "t.usertype order by c.colid")
            .arg(quoted));
    std::vector<ColumnType> columns;
    auto number = [&rows](int index) {
        return rows->value(index).value_or(QString()).toLongLong();
    };
    while (rows->next())
        columns.push_back(AseColumnType(rows->value(0).value_or(QString()),
                                        rows->value(1).value_or(QString()).trimmed(), number(2),
                                        int(number(3)), int(number(4)), int(number(5))));
    rows->close();
    refuseCutStrings(columns);
    return columns;
}

void AseConnection::refuseCutStrings(const std::vector<ColumnType>& columns)
{
    if (m_refusesCutStrings)
        return;
    for (const ColumnType& column : columns) {
        if (column.kind != ColumnType::Kind::Character)
            continue;
        // Otherwise a value too long for its column is cut without a word and its row counted
        // as loaded; with it, the row fails with the server's own message. Set once, before
        // the first row into such a column: a session that never loads one sends nothing more.
        execute(QStringLiteral("set string_rtruncation on"));
        m_refusesCutStrings = true;
        return;
    }
}

namespace {
// sysstat2 bits of a table that keeps its rows in a data-only-locked layout (data pages,
// data rows), which the client library's bulk copy does not write.
constexpr qint64 DataOnlyLocked = 0x4000 | 0x8000;
} // namespace

bool AseConnection::allPagesLocked(const QString& table)
{
    try {
        auto rows = query(QStringLiteral("select sysstat2 from sysobjects where type = 'U' and "
                                         "name = '%1'")
                              .arg(table));
        std::optional<qint64> status;
        if (rows->next())
            status = rows->value(0).value_or(QString()).toLongLong();
        rows->close();
        return status && (*status & DataOnlyLocked) == 0;
    } catch (const Failure&) {
        return false;
    }
}
