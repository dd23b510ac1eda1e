#include "RunMessages.h"

namespace RunMessages {

namespace {
// The first names of a long list and how many more there are: a box of hundreds of names
// would not fit the screen.
QString firstNamed(const QStringList& names, const QString& between, const QString& beforeMore)
{
    constexpr qsizetype Named = 20;
    QString text = names.mid(0, Named).join(between);
    if (names.size() > Named)
        text += beforeMore + QStringLiteral("and %1 more").arg(grouped(names.size() - Named));
    return text;
}
} // namespace

QString grouped(qint64 number)
{
    QString digits = QString::number(number);
    for (qsizetype at = digits.size() - 3; at > 0 && digits.at(at - 1).isDigit(); at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

QString noFilesAdded()
{
    return QStringLiteral("No files added.");
}

QString selectTable()
{
    return QStringLiteral("Please select a table.");
}

QString tableNameExists()
{
    return QStringLiteral("Table name already exists.");
}

QString done()
{
    return QStringLiteral("Done.");
}

QString tablesThatExist(const QStringList& tables)
{
    const QString text = QStringLiteral("Table(s) already exist.");
    if (tables.isEmpty())
        return text;
    return text + QStringLiteral("\r\n\r\n") +
           firstNamed(tables, QStringLiteral(", "), QStringLiteral(" "));
}

QString typedTable(const QString& table, const QStringList& columns,
                   const QStringList& declarations)
{
    QStringList typed;
    for (qsizetype i = 0; i < columns.size() && i < declarations.size(); ++i)
        typed << columns[i] + u' ' + declarations[i];
    return table + QStringLiteral(" (") + typed.join(QStringLiteral(", ")) + u')';
}

QString withTypedTables(const QString& message, const QStringList& tables)
{
    if (tables.isEmpty())
        return message;
    return message + QStringLiteral("\r\n\r\nColumn types chosen from the data:\r\n") +
           firstNamed(tables, QStringLiteral("\r\n"), QStringLiteral("\r\n"));
}

QString runStopped(const QString& report)
{
    const QString stopped = QStringLiteral("The run was stopped.");
    return report.isEmpty() ? stopped : stopped + QStringLiteral("\r\n\r\n") + report;
}

QString dontShowRowsAgain()
{
    return QStringLiteral("Don't show this again during this run");
}

QString quoteInSeparator()
{
    return QStringLiteral("The quote character cannot be part of the separator.");
}

QString everyFileEndedBeforeStop()
{
    return QStringLiteral("Every file had been ended before the stop; what was not loaded was "
                          "reported.");
}

QString stoppedBeforeFile()
{
    return QStringLiteral("The run was stopped before this file.");
}

QString stoppedBeforeThisFile()
{
    return QStringLiteral("The run was stopped before this file was loaded.");
}

QString stoppedBeforeRow()
{
    return QStringLiteral("The run was stopped before this row was sent.");
}

QString noSession()
{
    return QStringLiteral("No database session could be created.");
}

QString aboutFile(const QString& description, const QString& path)
{
    return description + QStringLiteral("\r\nThe file ") + path +
           QStringLiteral(" was not imported.");
}

QString partWay(const QString& path, qint64 loaded, qint64 fromLine)
{
    if (loaded == 0)
        return QStringLiteral("The file ") + path + QStringLiteral(" was not imported.");
    return QStringLiteral("Of the file ") + path + QStringLiteral(", ") +
           (loaded == 1 ? QStringLiteral("1 row was loaded")
                        : grouped(loaded) + QStringLiteral(" rows were loaded")) +
           QStringLiteral("; from line ") + grouped(fromLine) +
           QStringLiteral(" on the file was not sent.");
}

QString connectionLost()
{
    return QStringLiteral("\r\nThe connection to the database was lost.");
}

QString rowNotLoaded(const QString& description, qint64 line, const QString& path)
{
    return description + QStringLiteral("\r\nLine ") + grouped(line) + QStringLiteral(" of ") +
           path + QStringLiteral(" was not loaded.");
}

QString tableSkipped(const QString& table)
{
    return QStringLiteral("The table ") + table +
           QStringLiteral(" already exists; the file was skipped.");
}

QString noTableName()
{
    return QStringLiteral("No table name was given.");
}

QString bracketRefusal(const QString& table)
{
    return QStringLiteral("The table name ") + table +
           QStringLiteral(" holds \"]\", which cannot be written between the brackets of a "
                          "statement; nothing was sent for this file.");
}

QString noColumns()
{
    return QStringLiteral("The first line gives no column for the table.");
}

QString headerUnreadable(const QString& fault, qint64 line)
{
    return fault + QStringLiteral(" The header on line %1 cannot be used.").arg(grouped(line));
}

QString askColumnName(int position)
{
    return QStringLiteral("Enter name for column #") + QString::number(position) + QLatin1Char(':');
}

QString noColumnName(int position)
{
    return QStringLiteral("No name was given for column #%1.").arg(position);
}

QString columnNameTooLong(int position, const QString& where, qsizetype length, qsizetype limit)
{
    return QStringLiteral("The name for column #%1 (%2) is %3 characters long; a column name is "
                          "made from at most %4.")
        .arg(position)
        .arg(where, grouped(length), grouped(limit));
}

QString columnsDiffer(const QString& path, const QString& separator, int fileColumns,
                      const QString& table, int tableColumns)
{
    return QStringLiteral("The columns in the text file and the columns in the table must be "
                          "identical.") +
           QStringLiteral("\r\n\r\n") + path + QStringLiteral(" was split by ") + separator +
           QStringLiteral(" and has ") + QString::number(fileColumns) +
           QStringLiteral(" columns. The table ") + table + QStringLiteral(" has ") +
           QString::number(tableColumns) + QStringLiteral(" columns.");
}

QString unclosedQuote(qint64 line)
{
    return QStringLiteral("The quote that opens on line %1 is not closed before the end of the "
                          "file.")
        .arg(grouped(line));
}

QString nulInField(int field)
{
    return QStringLiteral("Field #%1 holds a NUL character (byte 00), which no text value can "
                          "hold; the row was not sent.")
        .arg(field);
}
} // namespace RunMessages
