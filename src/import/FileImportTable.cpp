// The new-table steps of a file: the table's name, its columns from the header or from the
// user, the CREATE TABLE, then the rows.
#include "ApplicationTitle.h"
#include "FieldSplitter.h"
#include "FileImport.h"
#include "RunMessages.h"
#include "StatementText.h"
#include "TextFilters.h"

using namespace RunMessages;

namespace {
const QString Counter = QStringLiteral("[counter]");

// The name of a column, with a text too long for the character filter made a clear failure.
QString columnFrom(QStringView text, int position, const QString& where)
{
    try {
        return StatementText::columnName(text, position);
    } catch (const Failure& failure) {
        if (failure.number() != 6) // Overflow
            throw;
        throw Failure(columnNameTooLong(position, where, text.size(), FilterCharactersLimit));
    }
}
} // namespace

// False when the table exists and the file was skipped.
bool FileImport::newTable()
{
    bool listed = false;
    g.line(RunLine::TableName, [&] {
        table = c.options.tableName();
        table.replace(Counter, QString::number(position));
        listed = ListContains(c.tables, table);
    });
    if (listed) {
        g.setLine(RunLine::TableExists);
        if (o.rejected)
            o.rejected->file(path, tableSkipped(table));
        return false;
    }
    bool emptyName = false;
    g.line(RunLine::CheckEmptyName, [&] { emptyName = c.options.tableName().isEmpty(); });
    if (emptyName) {
        if (o.rejected)
            o.rejected->file(path, noTableName());
        return true;
    }
    if (table.contains(QLatin1Char(']')))
        giveUp(bracketRefusal(table));
    FirstLineHandling handling = FirstLineHandling::ColumnNames;
    g.line(RunLine::FirstLineHandling, [&] { handling = c.options.firstLineHandling(); });
    if (handling == FirstLineHandling::ColumnNames)
        createFromHeader();
    else
        createFromPrompts();
    return true;
}

QStringList FileImport::headerFields()
{
    if (!prepared.firstLineFault.isEmpty())
        throw Failure(headerUnreadable(prepared.firstLineFault, prepared.firstLineAt));
    if (prepared.firstLineUnterminated)
        throw Failure(unclosedQuote(1));
    return SplitRecord(prepared.firstLine, separator, o.quote);
}

void FileImport::noColumns()
{
    giveUp(RunMessages::noColumns());
}

void FileImport::createTable(const QStringList& columns, bool skipHeader, int textLine,
                             int builtLine, int createLine)
{
    g.setLine(textLine);
    // A table the run makes has no trigger, rule or constraint that bulk copy would pass by.
    row.bulkCopy = toAse() && c.options.bulkCopy() != BulkCopy::Never;
    QStringList declarations;
    const bool inferred = c.options.columnTyping() == ColumnTyping::Inferred;
    if (inferred)
        vital(textLine, [&] { declarations = inferColumnTypes(columns, skipHeader); });
    else if (o.nullText && toAse())
        // ASE columns refuse NULL unless declared otherwise, and --null loads NULL into them.
        declarations = QStringList(columns.size(), QStringLiteral("TEXT NULL"));
    const QString statement =
        declarations.isEmpty()
            ? StatementText::createTable(table, columns)
            : StatementText::createTable(table, columns, declarations, tableLockClause);
    g.setLine(builtLine);
    vital(createLine, [&] { session->execute(statement); });
    if (!inferred && o.nullText)
        useTextColumns(columns);
    if (inferred)
        outcome.typedTables << RunMessages::typedTable(table, columns, declarations);
    if (o.tableMade)
        o.tableMade(statement);
}

void FileImport::createFromHeader()
{
    QStringList header;
    vital(RunLine::ReadHeader, [&] { header = headerFields(); });
    if (header.isEmpty())
        noColumns();
    QStringList columns;
    g.setLine(RunLine::HeaderColumns);
    for (int j = 0; j < header.size(); ++j) {
        g.line(RunLine::HeaderColumnYield, [&] { yield(); });
        vital(RunLine::HeaderColumnName, [&] {
            columns << columnFrom(header[j], j + 1, QStringLiteral("field of the first line"));
        });
    }
    createTable(columns, prepared.firstLineKept, RunLine::HeaderCreateText,
                RunLine::HeaderCreateBuilt, RunLine::HeaderCreateTable);
    // The header named the columns; it is not a row of the table.
    LineReader reader;
    RecordReader records(reader, separator, o.quote);
    vital(RunLine::HeaderNamedRows.open, [&] { reader.openUtf8(workingCopy.path()); });
    sendRows(records, RunLine::HeaderNamedRows, false, prepared.firstLineKept);
    g.line(RunLine::HeaderNamedRows.close, [&] { reader.close(); });
    g.line(RunLine::HeaderTableListed, [&] { c.tables.insertItem(0, table); });
}

void FileImport::createFromPrompts()
{
    g.setLine(RunLine::PromptsBegin);
    int fieldCount = 0;
    vital(RunLine::CountHeaderFields, [&] { fieldCount = int(headerFields().size()); });
    if (fieldCount == 0)
        noColumns();
    QStringList columns;
    g.setLine(RunLine::PromptColumns);
    for (int j = 1; j <= fieldCount; ++j) {
        QString answer;
        g.line(RunLine::PromptColumnName, [&] {
            answer = c.interaction.inputBox(askColumnName(j), ApplicationTitle(), QString());
        });
        if (answer.isEmpty()) // cancelled: nothing is created or sent for this file
            giveUp(noColumnName(j));
        vital(RunLine::AnswerColumnName,
              [&] { columns << columnFrom(answer, j, QStringLiteral("answer")); });
    }
    createTable(columns, false, RunLine::PromptsCreateText, RunLine::PromptsCreateBuilt,
                RunLine::PromptsCreateTable);
    LineReader reader;
    RecordReader records(reader, separator, o.quote);
    vital(RunLine::PromptNamedRows.open, [&] { reader.openUtf8(workingCopy.path()); });
    sendRows(records, RunLine::PromptNamedRows, false, false);
    g.line(RunLine::PromptNamedRows.close, [&] { reader.close(); });
    g.line(RunLine::PromptsTableListed, [&] { c.tables.insertItem(0, table); });
}
