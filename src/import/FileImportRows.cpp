// The rows of a file: one loop for a new table and for appending, each row handed to the
// session and its outcome taken into the ledger.
#include "ApplicationTitle.h"
#include "FileImport.h"
#include "RunMessages.h"

using namespace RunMessages;

void FileImport::append()
{
    g.setLine(RunLine::AppendBegins);
    QString target;
    int tableColumns = -1;
    vital(RunLine::TableColumns, [&] {
        target = c.tables.currentText();
        if (target.contains(QLatin1Char(']')))
            throw Failure(bracketRefusal(target));
        ResultSet columns;
        columns.open(QStringLiteral("SELECT * FROM [") + target + QLatin1Char(']'), *session);
        tableColumns = columns.fieldCount();
        readColumnTypes(target);
    });
    LineReader reader;
    RecordReader records(reader, separator, o.quote);
    vital(RunLine::OpenForCount, [&] { reader.openUtf8(workingCopy.path()); });
    // The first record that is not blank, as the header was found, gives the file's columns.
    bool more = false;
    vital(RunLine::ReadFirstRecord, [&] {
        while ((more = records.next()) && records.record().text.isEmpty() &&
               !records.record().unterminated) {
        }
    });
    int fileColumns = 0;
    g.line(RunLine::CountFields,
           [&] { fileColumns = more ? int(records.record().fields.size()) : 0; });
    bool same = false;
    g.line(RunLine::CompareColumns, [&] { same = tableColumns == fileColumns; });
    if (!same) {
        ++outcome.filesMismatched;
        g.line(RunLine::ColumnsDiffer, [&] {
            const QString text =
                columnsDiffer(path, c.options.separator(), fileColumns, target, tableColumns);
            if (o.rejected)
                o.rejected->file(path, text);
            c.interaction.messageBox(text, MessageStyle::Plain, ApplicationTitle());
        });
        return;
    }
    appending = true;
    sendRows(records, RunLine::AppendedRows, more, false);
    g.line(RunLine::AppendedRows.close, [&] { reader.close(); });
}

// Sends the rows of records; firstRead: its current record is the first to send. skipHeader:
// the record on the header's line named the columns and is no row.
void FileImport::sendRows(RecordReader& records, const RunLine::RowLines& lines, bool firstRead,
                          bool skipHeader)
{
    rowsBegun = true;
    source = &records;
    try {
        for (bool more = firstRead;; more = false) {
            if (!more) {
                g.setLine(lines.loop);
                g.setLine(lines.yield);
                yield();
                vital(lines.read, [&] { more = records.next(); });
                if (!more)
                    break;
            }
            const Record& record = records.record();
            if (skipHeader && record.firstLine == prepared.firstLineAt)
                continue;
            g.setLine(lines.split);
            const qint64 fileLine = prepared.fileLine(record.firstLine);
            if (!takeRow(record, fileLine, lines.execute))
                continue;
            g.setLine(lines.head);
            takeTable(record, fileLine);
            g.setLine(lines.cut);
            sendRow(record, fileLine, lines.execute);
        }
        settleAll(lines.execute);
    } catch (const ProgramEnding&) {
        // The rows are settled while their reader is still open.
        if (!stopHandled)
            stopped();
        stopHandled = true;
        throw;
    }
    source = nullptr;
}

// False when the record is no row to send: a blank line, or one that fails before it is sent
// (a line that could not be read, a quote left open at the end of the file, a NUL), which is
// reported in its place, after the rows before it.
bool FileImport::takeRow(const Record& record, qint64 fileLine, int line)
{
    // A line that could not be read stands blank in the working copy: its row fails here.
    while (!prepared.unreadable.empty() && prepared.unreadable.front().line <= fileLine) {
        settleAll(line);
        g.setLine(line);
        const WorkingCopy::Unreadable unreadable = std::move(prepared.unreadable.front());
        prepared.unreadable.pop_front();
        reportRow(unreadable.line, unreadable.reason, unreadable.text);
        if (unreadable.line == fileLine)
            return false;
    }
    if (record.unterminated) {
        settleAll(line);
        g.setLine(line);
        reportRow(fileLine, unclosedQuote(fileLine), RowText(record.text));
        return false;
    }
    if (record.fields.isEmpty())
        return false;
    // One search of the whole line; the field is looked for only when there is one.
    if (record.text.contains('\0')) {
        for (qsizetype i = 0; i < record.fields.size(); ++i) {
            if (record.fields[i].contains('\0')) {
                settleAll(line);
                g.setLine(line);
                reportRow(fileLine, nulInField(int(i + 1)), RowText(record.text));
                return false;
            }
        }
    }
    return true;
}

// Appending, the selection is read afresh for every row: changing it sends the rest elsewhere.
void FileImport::takeTable(const Record& record, qint64 fileLine)
{
    if (!appending)
        return;
    table = c.tables.currentText();
    if (table.contains(QLatin1Char(']'))) {
        ledger.handOver(fileLine, record.text.toByteArray());
        giveUp(bracketRefusal(table));
    }
    if (table == typedTable)
        return;
    try {
        readColumnTypes(table);
    } catch (const Failure& failure) {
        ledger.handOver(fileLine, record.text.toByteArray());
        giveUp(failure.description());
    }
}

// The target's column types, so that each value goes as its column takes it. A table whose
// values are all text goes as it always did; so does one whose catalogue cannot be read.
void FileImport::readColumnTypes(const QString& target)
{
    typedTable = target;
    // A table the run did not make may have triggers, rules or constraints that bulk copy
    // would pass by: only the user's choice lets its rows go that way.
    row.bulkCopy = toAse() && c.options.bulkCopy() == BulkCopy::AlsoAppended;
    try {
        columnTypes = session->columnTypes(target);
    } catch (const Failure&) {
        if (!session->isAlive())
            throw;
        columnTypes.clear();
    }
    useColumnTypes();
}

// Points the rows at the table's column types when some value goes otherwise than quoted: a
// typed column, or a --null text that any column takes as NULL; and when the rows may go by
// bulk copy, which binds each value as its column's type.
void FileImport::useColumnTypes()
{
    if (o.nullText)
        for (ColumnType& type : columnTypes)
            type.nullText = o.nullText->toUtf8();
    const bool bound = row.bulkCopy && !columnTypes.empty();
    row.columns = TakesTypedValues(columnTypes) || bound ? &columnTypes : nullptr;
}

void FileImport::sendRow(const Record& record, qint64 fileLine, int line)
{
    g.setLine(line);
    // The text is kept only where it will be listed: a long row is not held twice.
    row.ticket = ledger.handOver(fileLine, o.rejected ? record.text.toByteArray() : QByteArray());
    row.table = table;
    row.fields = record.fields;
    session->submitRow(row);
    if (o.progress) {
        ++o.progress->rows;
        o.progress->bytesRead = source->lines().bytesRead();
    }
    settle(line);
}

// Takes the outcomes that came back: a rejected row is reported on its own, a lost connection
// or a database that cannot keep rows once, for the rest of the file.
void FileImport::settle(int line)
{
    g.setLine(line);
    const std::optional<RowLedger::Loss> loss =
        ledger.absorb(session->takeOutcomes(), RowLedger::Telling::Report);
    if (o.progress)
        o.progress->loadedInFile = ledger.loaded();
    if (!loss)
        return;
    if (loss->storage)
        giveUp(loss->description);
    giveUp(loss->description + connectionLost(), loss->cause + connectionLost());
}

// Ends every row still held by the session, so each is reported before the file ends.
void FileImport::settleAll(int line)
{
    vital(line, [&] { session->flushRows(); });
    settle(line);
}
