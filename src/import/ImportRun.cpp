#include "ImportRun.h"

#include "ApplicationTitle.h"
#include "FieldSplitter.h"
#include "Guard.h"
#include "LineReader.h"
#include "PacedYield.h"
#include "RecordReader.h"
#include "StatementText.h"
#include "FirstLineSkipping.h"
#include "TextFilters.h"
#include "WorkingCopy.h"
#include "WorkingCopyClaim.h"

#include <deque>
#include <limits>

namespace {
const QString Counter = QStringLiteral("[counter]");

// A failure that ends the work on one file; the rest of the run goes on.
struct FileAbandoned
{
};

QString aboutFile(const QString& description, const QString& path)
{
    return description + QStringLiteral("\r\nThe file ") + path +
           QStringLiteral(" was not imported.");
}

// 8160 as "8,160".
QString grouped(qint64 number)
{
    QString digits = QString::number(number);
    for (qsizetype at = digits.size() - 3; at > 0 && digits.at(at - 1).isDigit(); at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

// What of a file given up on the way was loaded, and the line a later run would resume from.
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

// "Table(s) already exist." and the tables whose files were skipped.
QString tablesThatExist(const QStringList& tables)
{
    constexpr qsizetype Named = 20;
    QString text = QStringLiteral("Table(s) already exist.");
    if (tables.isEmpty())
        return text;
    text += QStringLiteral("\r\n\r\n") + tables.mid(0, Named).join(QStringLiteral(", "));
    if (tables.size() > Named)
        text += QStringLiteral(" and %1 more").arg(grouped(tables.size() - Named));
    return text;
}

QString bracketRefusal(const QString& table)
{
    return QStringLiteral("The table name ") + table +
           QStringLiteral(" holds \"]\", which cannot be written between the brackets of a "
                          "statement; nothing was sent for this file.");
}

QString unclosedQuote(qint64 line)
{
    return QStringLiteral("The quote that opens on line %1 is not closed before the end of the "
                          "file.")
        .arg(grouped(line));
}

// The name of a column, with a text too long for the character filter made a clear failure.
QString columnFrom(QStringView text, int position, const QString& where)
{
    try {
        return StatementText::columnName(text, position);
    } catch (const Failure& failure) {
        if (failure.number() != 6) // Overflow
            throw;
        throw Failure(QStringLiteral("The name for column #%1 (%2) is %3 characters long; a "
                                     "column name is made from at most %4.")
                          .arg(position)
                          .arg(where, grouped(text.size()), grouped(FilterCharactersLimit)));
    }
}
} // namespace

// The steps for one file, numbered as the procedure's lines.
class ImportRun::FileStep
{
    // A row handed to the session whose outcome has not come back yet.
    struct Pending
    {
        std::int64_t ticket;
        qint64 line; // the file's line the row begins on
        QString text;
        QByteArray utf8; // the text, for a row read as UTF-8
        QString reason;  // why it was not loaded, when its own outcome said (a row in doubt)

        QString shown() const { return utf8.isNull() ? text : RowText(utf8); }
    };

    // The record in hand: its text, or where the session binds fields and the working copy's
    // UTF-8 can be split as it stands, its bytes, which are then never decoded.
    struct Record
    {
        bool inUtf8 = false;
        QString text;
        QByteArray utf8;

        bool read(RecordReader& records)
        {
            return inUtf8 ? records.nextUtf8(utf8) : records.next(text);
        }
        // As kept for the errors file: shared, not copied.
        Pending pending(std::int64_t ticket, qint64 line, bool keep) const
        {
            if (!keep)
                return Pending{ticket, line, QString(), QByteArray(), QString()};
            return inUtf8 ? Pending{ticket, line, QString(), utf8, QString()}
                          : Pending{ticket, line, text, QByteArray(), QString()};
        }
    };

public:
    FileStep(ImportContext& context, const RunnerOptions& runner, Guard& guard, PacedYield& yield,
             DatabaseSession* session, int position, ImportOutcome& outcome,
             WorkingCopyClaim& claim)
        : c(context), o(runner), g(guard), yield(yield), session(session), position(position),
          outcome(outcome), workingCopy(context.workingCopyPath, &claim)
    {
    }

    // Returns the all-created flag for this file; a file skipped for its table adds the
    // table's name to skippedTables.
    bool run(QStringList& skippedTables)
    {
        bool allCreated = true;
        g.line(114, [] {});
        g.line(116, [&] {
            if (c.pointer)
                c.pointer->set(Pointer::Busy);
        });
        try {
            openSession();
            prepare();
            g.line(180, [] {});
            if (c.options.mode() == ImportMode::NewTable) {
                allCreated = newTable();
                if (!allCreated)
                    skippedTables << table;
            } else
                append();
        } catch (const FileAbandoned&) {
        } catch (const ProgramEnding&) {
            if (!stopHandled)
                stopped();
            // Keep what was sent: closing the session makes it durable.
            if (session)
                g.run([&] { session->close(); });
            if (c.pointer)
                c.pointer->set(Pointer::Default);
            throw;
        }
        g.line(360, [&] {
            if (session)
                session->close();
        });
        g.line(362, [&] {
            if (c.pointer)
                c.pointer->set(Pointer::Default);
        });
        return allCreated;
    }

private:
    // Runs a numbered step whose failure dooms the rest of this file: reported once, naming
    // the file, and the file is given up.
    template <typename Body> void vital(int line, Body&& body)
    {
        g.setLine(line);
        try {
            body();
        } catch (const Failure& failure) {
            giveUp(failure.description());
        }
    }

    QString currentPath() const { return c.filePath(position - 1); }
    QString where() const { return path.isEmpty() ? currentPath() : path; }

    // Ends the work on this file with one report. Before its rows the whole file is not
    // loaded; once they have begun, the report says how many rows were loaded and from which
    // line on nothing was, and every row not loaded is listed, with notSent as the reason of
    // those that have none of their own (cause when empty).
    [[noreturn]] void giveUp(const QString& cause, const QString& notSent = {})
    {
        if (!rowsBegun) {
            const QString report = aboutFile(cause, where());
            g.report(Failure(report));
            if (o.rejected)
                o.rejected->file(where(), report);
            throw FileAbandoned{};
        }
        endHeldRows();
        const qint64 from = firstLineNotLoaded();
        listRowsNotSent(notSent.isEmpty() ? cause : notSent);
        g.report(Failure(cause + QStringLiteral("\r\n") + partWay(path, loaded, from)));
        throw FileAbandoned{};
    }

    // A session may still hold rows that will be loaded when it closes: they are ended first,
    // so that what is said about the file is true. Rows that could not be kept stay among those
    // not sent.
    void endHeldRows()
    {
        if (heldRowsEnded)
            return;
        heldRowsEnded = true;
        try {
            session->flushRows();
        } catch (const Failure&) {
        }
        std::vector<Pending> lost;
        for (const RowOutcome& done : session->takeOutcomes()) {
            Pending row = takePending(done.ticket);
            if (done.loaded)
                ++loaded;
            else if (done.connectionLost || done.storageFailed) {
                row.reason = done.description;
                lost.push_back(std::move(row));
            } else
                rejectRow(row, done.description);
        }
        pending.insert(pending.begin(), std::make_move_iterator(lost.begin()),
                       std::make_move_iterator(lost.end()));
    }

    // The program is ending: what was handed over is ended and counted, the rest is listed.
    void stopped()
    {
        if (!rowsBegun) {
            if (o.rejected)
                o.rejected->file(where(), QStringLiteral("The run was stopped before this file "
                                                         "was loaded."));
            return;
        }
        try {
            session->flushRows();
            for (const RowOutcome& done : session->takeOutcomes()) {
                Pending row = takePending(done.ticket);
                if (done.loaded)
                    ++loaded;
                else if (o.rejected)
                    o.rejected->row(path, row.line, done.description, row.shown());
            }
        } catch (const Failure&) {
        }
        const qint64 from = firstLineNotLoaded();
        listRowsNotSent(QStringLiteral("The run was stopped before this row was sent."));
        outcome.stopReport = partWay(path, loaded, from);
    }

    qint64 firstLineNotLoaded() const
    {
        if (!pending.empty())
            return pending.front().line;
        return source ? prepared.fileLine(source->lastLine() + 1) : 1;
    }

    WorkingCopy::Unreadable takeUnreadable()
    {
        WorkingCopy::Unreadable first = std::move(prepared.unreadable.front());
        prepared.unreadable.pop_front();
        return first;
    }

    // Lists the lines that could not be read, up to (not including) line.
    void listUnreadableBefore(qint64 line)
    {
        while (!prepared.unreadable.empty() && prepared.unreadable.front().line < line) {
            const WorkingCopy::Unreadable unreadable = takeUnreadable();
            o.rejected->row(path, unreadable.line, unreadable.reason, unreadable.text);
        }
    }

    // Lists the rows handed over without an outcome and the rest of the file, unread.
    void listRowsNotSent(const QString& reason)
    {
        if (o.rejected) {
            for (const Pending& row : pending)
                o.rejected->row(path, row.line, row.reason.isEmpty() ? reason : row.reason,
                                row.shown());
            if (source) {
                try {
                    QString record;
                    while (source->next(record)) {
                        const qint64 line = prepared.fileLine(source->firstLine());
                        listUnreadableBefore(line + 1);
                        if (!record.isEmpty())
                            o.rejected->row(path, line, reason, record);
                    }
                } catch (const Failure&) {
                    // What cannot be read cannot be listed.
                }
            }
            listUnreadableBefore(std::numeric_limits<qint64>::max());
        }
        pending.clear();
    }

    // A row that was not loaded, reported on its own with its line.
    void rejectRow(const Pending& row, const QString& description)
    {
        g.report(Failure(description + QStringLiteral("\r\nLine ") + grouped(row.line) +
                         QStringLiteral(" of ") + path + QStringLiteral(" was not loaded.")));
        if (o.rejected)
            o.rejected->row(path, row.line, description, row.shown());
    }

    static int preparationLine(WorkingCopy::Step step)
    {
        switch (step) {
        case WorkingCopy::Step::Read:
            return 136;
        case WorkingCopy::Step::OpenForWriting:
            return 174;
        case WorkingCopy::Step::Write:
            return 176;
        case WorkingCopy::Step::Close:
            return 178;
        }
        return 128;
    }

    // The numbered lines of the two row loops of the new-table branch.
    struct RowLines
    {
        int open, loop, yield, read, split, head, cut, execute, close;
    };
    static constexpr RowLines ColumnNamesRows{210, 212, 214, 216, 218, 220, 232, 240, 244};
    static constexpr RowLines UserNamesRows{272, 274, 276, 278, 280, 282, 294, 300, 304};

    void openSession()
    {
        g.line(118, [&] {
            if (session)
                session->setMode(3);
        });
        vital(120, [&] {
            if (!session)
                throw Failure(QStringLiteral("No database session could be created."));
            session->open(BuildConnectionString(c.connection()));
            bindsFields = session->bindsRowFields();
        });
    }

    void prepare()
    {
        g.line(122, [&] { path = currentPath(); });
        g.line(124, [] {});
        if (o.progress) {
            o.progress->path = path;
            o.progress->rows = 0;
            o.progress->position = position;
        }
        quoteSeparator = c.options.separator();
        workingCopy.setSourceFormat(o.encoding, o.quote, quoteSeparator);
        vital(126, [&] { workingCopy.copyFrom(path); });
        vital(128, [&] {
            prepared = workingCopy.keepLines(
                [&] { return SkipsFirstLine(c.options); }, [&] { yield(); },
                [&](WorkingCopy::Step step) { g.setLine(preparationLine(step)); });
        });
        g.setLine(178);
    }

    // Splits a row into row.fields (or row.utf8Fields); false when it has none (a blank line).
    bool split(const Record& record)
    {
        row.utf8 = record.inUtf8;
        if (record.inUtf8) {
            SplitFields(QByteArrayView(record.utf8), QByteArrayView(utf8Separator), row.utf8Fields);
            return !row.utf8Fields.isEmpty();
        }
        return split(record.text);
    }

    bool split(const QString& record)
    {
        if (o.quote.isNull())
            SplitFields(record, c.options.separator(), row.fields);
        else
            SplitQuotedFields(record, quoteSeparator, o.quote, unquoted, row.fields);
        return !row.fields.isEmpty();
    }

    QStringList headerFields()
    {
        if (!prepared.firstLineFault.isEmpty())
            throw Failure(prepared.firstLineFault +
                          QStringLiteral(" The header on line %1 cannot be used.")
                              .arg(grouped(prepared.firstLineAt)));
        if (prepared.firstLineUnterminated)
            throw Failure(unclosedQuote(1));
        QList<QStringView> fields;
        if (o.quote.isNull())
            SplitFields(prepared.firstLine, c.options.separator(), fields);
        else
            SplitQuotedFields(prepared.firstLine, quoteSeparator, o.quote, unquoted, fields);
        QStringList names;
        for (QStringView f : fields)
            names << f.toString();
        return names;
    }

    void noColumns() { giveUp(QStringLiteral("The first line gives no column for the table.")); }

    // Returns the all-created flag.
    bool newTable()
    {
        QString pattern;
        bool listed = false;
        g.line(182, [&] {
            pattern = c.options.tableName();
            table = pattern;
            table.replace(Counter, QString::number(position));
            listed = ListContains(c.tables, table);
        });
        if (listed) {
            g.line(308, [] {});
            if (o.rejected)
                o.rejected->file(path,
                                 QStringLiteral("The table ") + table +
                                     QStringLiteral(" already exists; the file was skipped."));
            return false;
        }
        bool emptyName = false;
        g.line(184, [&] { emptyName = c.options.tableName().isEmpty(); });
        if (emptyName) {
            if (o.rejected)
                o.rejected->file(path, QStringLiteral("No table name was given."));
            return true;
        }
        if (table.contains(QLatin1Char(']')))
            giveUp(bracketRefusal(table));
        FirstLineHandling handling = FirstLineHandling::ColumnNames;
        g.line(186, [&] { handling = c.options.firstLineHandling(); });
        if (handling == FirstLineHandling::ColumnNames)
            createFromHeader();
        else
            createFromPrompts();
        return true;
    }

    void createFromHeader()
    {
        QStringList header;
        vital(188, [&] { header = headerFields(); });
        if (header.isEmpty())
            noColumns();
        QStringList columns;
        g.line(190, [] {});
        for (int j = 0; j < header.size(); ++j) {
            g.line(194, [&] { yield(); });
            vital(198, [&] {
                columns << columnFrom(header[j], j + 1, QStringLiteral("field of the first line"));
            });
        }
        g.setLine(202);
        const QString statement = StatementText::createTable(table, columns);
        g.setLine(204);
        vital(208, [&] { session->execute(statement); });
        // The header named the columns; it is not a row of the table.
        rows(ColumnNamesRows, prepared.firstLineKept);
        g.line(246, [&] { c.tables.insertItem(0, table); });
    }

    void createFromPrompts()
    {
        g.line(248, [] {});
        int fieldCount = 0;
        vital(250, [&] { fieldCount = int(headerFields().size()); });
        if (fieldCount == 0)
            noColumns();
        QStringList columns;
        g.line(252, [] {});
        for (int j = 1; j <= fieldCount; ++j) {
            QString answer;
            g.line(256, [&] {
                answer = c.interaction.inputBox(QStringLiteral("Enter name for column #") +
                                                    QString::number(j) + QLatin1Char(':'),
                                                ApplicationTitle(), QString());
            });
            if (answer.isEmpty()) // cancelled: nothing is created or sent for this file
                giveUp(QStringLiteral("No name was given for column #%1.").arg(j));
            vital(258, [&] { columns << columnFrom(answer, j, QStringLiteral("answer")); });
        }
        g.setLine(266);
        const QString statement = StatementText::createTable(table, columns);
        g.setLine(268);
        vital(270, [&] { session->execute(statement); });
        rows(UserNamesRows, false);
        g.line(306, [&] { c.tables.insertItem(0, table); });
    }

    // A row loop of the new-table branch.
    void rows(const RowLines& lines, bool skipFirstLine)
    {
        LineReader reader;
        RecordReader records(reader);
        records.setQuote(o.quote, quoteSeparator);
        vital(lines.open, [&] { reader.openUtf8(workingCopy.path()); });
        beginRows(records);
        Record record = newRecord();
        for (;;) {
            g.setLine(lines.loop);
            g.setLine(lines.yield);
            pause();
            bool more = false;
            vital(lines.read, [&] { more = record.read(records); });
            if (!more)
                break;
            // The header named the columns: it is the first line that is not blank.
            if (skipFirstLine && records.firstLine() == prepared.firstLineAt)
                continue;
            g.setLine(lines.split);
            if (!takeRow(records, record, lines.execute))
                continue;
            g.setLine(lines.head);
            buildRow();
            g.setLine(lines.cut);
            sendRow(lines.execute, record);
        }
        settleAll(lines.execute);
        source = nullptr;
        g.line(lines.close, [&] { reader.close(); });
    }

    // Yields between rows; when the program ends there, the rows are settled while their
    // reader is still open.
    void pause()
    {
        try {
            yield();
        } catch (const ProgramEnding&) {
            stopped();
            stopHandled = true;
            throw;
        }
    }

    void beginRows(RecordReader& records)
    {
        rowsBegun = true;
        source = &records;
    }

    // Splits the record just read; false when it is no row to send: a blank line, or a
    // quote left open at the end of the file, which is reported with the line it opens on.
    bool takeRow(const RecordReader& records, const Record& record, int line)
    {
        const qint64 fileLine = prepared.fileLine(records.firstLine());
        // A line that could not be read stands blank in the working copy: its row fails here.
        if (!prepared.unreadable.empty() && prepared.unreadable.front().line <= fileLine) {
            settleAll(line);
            g.setLine(line);
            const WorkingCopy::Unreadable unreadable = takeUnreadable();
            rejectRow(Pending{0, unreadable.line, unreadable.text, QByteArray(), QString()},
                      unreadable.reason);
            return false;
        }
        if (records.unterminated()) {
            // Rows held by the session are answered first, so reports keep the file's order.
            settleAll(line);
            g.setLine(line);
            rejectRow(record.pending(0, fileLine, true), unclosedQuote(fileLine));
            return false;
        }
        rowLine = fileLine;
        if (!split(record))
            return false;
        // One search of the whole line; the field is looked for only when there is one.
        const bool nul =
            record.inUtf8 ? record.utf8.contains('\0') : record.text.contains(QChar(0));
        if (const int field = nul ? fieldWithNul() : 0; field > 0) {
            settleAll(line);
            g.setLine(line);
            rejectRow(record.pending(0, fileLine, true),
                      QStringLiteral("Field #%1 holds a NUL character (byte 00), which no text "
                                     "value can hold; the row was not sent.")
                          .arg(field));
            return false;
        }
        return true;
    }

    // The position (from 1) of the first field of the row in hand that holds a NUL, or 0.
    int fieldWithNul() const
    {
        if (row.utf8) {
            for (qsizetype i = 0; i < row.utf8Fields.size(); ++i)
                if (row.utf8Fields[i].contains('\0'))
                    return int(i + 1);
            return 0;
        }
        for (qsizetype i = 0; i < row.fields.size(); ++i)
            if (row.fields[i].contains(QChar(0)))
                return int(i + 1);
        return 0;
    }

    // The statement of the current row, unless the session binds the fields itself.
    void buildRow()
    {
        row.table = table;
        if (bindsFields)
            return;
        // A row the session refuses on its fields alone goes without a text: a huge one is
        // never built only to be refused.
        if (session->needsRowText(row))
            StatementText::insert(table, row.fields, row.text);
        else
            row.text.clear();
    }

    // Rows go as UTF-8 where the session binds them and they are plain lines whose separator
    // reads the same in UTF-8.
    Record newRecord()
    {
        Record record;
        utf8Separator = c.options.separator().toUtf8();
        record.inUtf8 = bindsFields && o.quote.isNull() &&
                        QString::fromUtf8(utf8Separator) == c.options.separator();
        return record;
    }

    void sendRow(int line, const Record& record)
    {
        g.setLine(line);
        ++row.ticket;
        // The text is kept only where it will be listed: a long row is not held twice.
        pending.push_back(record.pending(row.ticket, rowLine, o.rejected != nullptr));
        session->submitRow(row);
        if (o.progress)
            ++o.progress->rows;
        settle(line);
    }

    Pending takePending(std::int64_t ticket)
    {
        for (auto it = pending.begin(); it != pending.end(); ++it) {
            if (it->ticket == ticket) {
                Pending taken = std::move(*it);
                pending.erase(it);
                return taken;
            }
        }
        return Pending{ticket, 0, QString(), QByteArray(), QString()};
    }

    // Reports the rows whose outcome is known: a rejected row on its own, a lost connection
    // once, for the rest of the file.
    void settle(int line)
    {
        std::vector<RowOutcome> outcomes = session->takeOutcomes();
        std::vector<Pending> lost;
        QString lostText;
        QString lostCause;    // the connection's own words, for the rows never sent
        bool storage = false; // the database could not keep the rows (a full disk)
        for (const RowOutcome& outcome : outcomes) {
            Pending done = takePending(outcome.ticket);
            if (outcome.loaded) {
                ++loaded;
                continue;
            }
            if (outcome.connectionLost || outcome.storageFailed || !lost.empty()) {
                if (lost.empty()) {
                    lostText = outcome.description;
                    lostCause =
                        outcome.lostCause.isEmpty() ? outcome.description : outcome.lostCause;
                    storage = outcome.storageFailed;
                }
                // Each keeps its own words: a row whose answer never came may be in the table.
                done.reason = outcome.description;
                lost.push_back(std::move(done));
                continue;
            }
            g.setLine(line);
            rejectRow(done, outcome.description);
        }
        if (lost.empty())
            return;
        g.setLine(line);
        // The lost rows come first among those not sent.
        pending.insert(pending.begin(), std::make_move_iterator(lost.begin()),
                       std::make_move_iterator(lost.end()));
        if (storage)
            giveUp(lostText);
        const QString gone = QStringLiteral("\r\nThe connection to the database was lost.");
        giveUp(lostText + gone, lostCause + gone);
    }

    // Ends every row still held by the session, so each is reported before the file ends.
    void settleAll(int line)
    {
        vital(line, [&] { session->flushRows(); });
        settle(line);
    }

    void append()
    {
        g.line(310, [] {});
        QString target;
        int tableColumns = -1;
        vital(312, [&] {
            target = c.tables.currentText();
            if (target.contains(QLatin1Char(']')))
                throw Failure(bracketRefusal(target));
            ResultSet columns;
            columns.open(QStringLiteral("SELECT * FROM [") + target + QLatin1Char(']'), *session, 3,
                         -1);
            tableColumns = columns.fieldCount();
        });
        int fileColumns = 0;
        {
            LineReader reader;
            RecordReader records(reader);
            records.setQuote(o.quote, quoteSeparator);
            vital(314, [&] { reader.openUtf8(workingCopy.path()); });
            // The first line that is not blank, as the header was found.
            QString first;
            vital(316, [&] {
                while (records.next(first) && first.isEmpty() && !records.unterminated()) {
                }
            });
            g.line(318, [&] { fileColumns = split(first) ? int(row.fields.size()) : 0; });
            g.line(320, [&] { reader.close(); });
        }
        bool same = false;
        g.line(322, [&] { same = tableColumns == fileColumns; });
        if (!same) {
            ++outcome.filesMismatched;
            g.line(358, [&] {
                const QString text =
                    QStringLiteral("The columns in the text file and the columns in the table must "
                                   "be identical.") +
                    QStringLiteral("\r\n\r\n") + path + QStringLiteral(" was split by ") +
                    c.options.separator() + QStringLiteral(" and has ") +
                    QString::number(fileColumns) + QStringLiteral(" columns. The table ") + target +
                    QStringLiteral(" has ") + QString::number(tableColumns) +
                    QStringLiteral(" columns.");
                if (o.rejected)
                    o.rejected->file(path, text);
                c.interaction.messageBox(text, MessageStyle::Plain, ApplicationTitle());
            });
            return;
        }
        LineReader reader;
        RecordReader records(reader);
        records.setQuote(o.quote, quoteSeparator);
        vital(324, [&] { reader.openUtf8(workingCopy.path()); });
        beginRows(records);
        Record record = newRecord();
        for (;;) {
            g.setLine(326);
            g.setLine(328);
            pause();
            bool more = false;
            vital(330, [&] { more = record.read(records); });
            if (!more)
                break;
            g.setLine(332);
            if (!takeRow(records, record, 352))
                continue;
            g.setLine(334);
            // The selection is read afresh for every row: changing it sends the rest elsewhere.
            table = c.tables.currentText();
            if (table.contains(QLatin1Char(']'))) {
                pending.push_back(record.pending(0, rowLine, true));
                giveUp(bracketRefusal(table));
            }
            buildRow();
            g.setLine(346);
            sendRow(352, record);
        }
        settleAll(352);
        source = nullptr;
        g.line(356, [&] { reader.close(); });
    }

    ImportContext& c;
    const RunnerOptions& o;
    Guard& g;
    PacedYield& yield;
    DatabaseSession* session;
    const int position;
    ImportOutcome& outcome;
    WorkingCopy workingCopy;
    WorkingCopy::Prepared prepared;
    QString path;
    QString table;
    RowStatement row;
    bool bindsFields = false;
    bool heldRowsEnded = false;

    std::deque<Pending> pending;
    bool rowsBegun = false;
    bool stopHandled = false;
    RecordReader* source = nullptr; // the rows being read, to list what was not sent
    qint64 rowLine = 0;             // the file line of the row in hand
    qint64 loaded = 0;              // rows of this file loaded
    QString quoteSeparator;         // the separator quoted records were read with
    QString unquoted;               // where quoted fields are unquoted into
    QByteArray utf8Separator;       // the separator, for rows split as UTF-8
};

ImportRun::ImportRun(ImportContext context, RunnerOptions runner)
    : m_context(std::move(context)), m_runner(std::move(runner))
{
}

ImportOutcome ImportRun::start()
{
    ImportOutcome outcome;
    if (m_running)
        return outcome;
    m_running = true;
    struct Finish
    {
        bool& running;
        ~Finish() { running = false; }
    } finish{m_running};

    // Where the working copy goes is decided afresh for every run.
    ImportContext c = m_context;
    if (c.workingCopyPath.isEmpty())
        c.workingCopyPath = WorkingCopy::defaultPath();
    // Held until the run ends: another run at the same time takes a name of its own.
    WorkingCopyClaim claim(c.workingCopyPath);
    c.workingCopyPath = claim.path();
    Guard g(c.interaction, Locations::StartImporting);
    PacedYield yield(c.interaction, YieldIntervalMs, c.stopRequested);
    auto say = [&](int line, const QString& text) {
        g.line(line, [&] {
            outcome.closingMessage = text;
            c.interaction.messageBox(text, MessageStyle::Plain, ApplicationTitle());
        });
    };
    // A start check that ends the run leaves every file unloaded.
    auto refuse = [&](int line, const QString& text) {
        outcome.ending = ImportEnding::StartRefused;
        say(line, text);
        if (m_runner.rejected)
            g.run([&] {
                for (int i = 0; i < c.fileCount(); ++i)
                    m_runner.rejected->file(c.filePath(i), text);
            });
        outcome.failuresReported = g.failures();
        return outcome;
    };

    std::unique_ptr<DatabaseSession> session;
    g.line(100, [&] { session = c.createSession(); });
    g.line(102, [] {});

    bool stop = false;
    g.line(106, [&] { stop = c.fileCount() == 0; });
    if (stop) {
        outcome.ending = ImportEnding::NoFiles;
        say(380, QStringLiteral("No files added."));
        outcome.failuresReported = g.failures();
        return outcome;
    }
    g.line(108, [&] {
        stop = c.options.mode() == ImportMode::AppendToExisting && c.tables.currentIndex() < 0;
    });
    if (stop)
        return refuse(378, QStringLiteral("Please select a table."));
    g.line(110, [&] {
        stop = c.options.mode() == ImportMode::NewTable &&
               ListContains(c.tables, c.options.tableName());
    });
    if (stop)
        return refuse(376, QStringLiteral("Table name already exists."));

    int count = 0;
    g.line(112, [&] { count = c.fileCount(); });
    bool allCreated = true;
    QStringList skippedTables;
    int begun = 0; // the last file whose steps began: it lists what of it was not loaded
    const auto stopRequested = [&] { return c.stopRequested && c.stopRequested(); };
    try {
        for (int position = 1; position <= count; ++position) {
            // A stop asked for while a file ended (its connection cut, say) is seen before the
            // next file opens a session of its own.
            if (stopRequested())
                throw ProgramEnding{};
            yield.now();
            begun = position;
            // Any file skipped for its table decides the closing message, not only the last.
            if (!FileStep(c, m_runner, g, yield, session.get(), position, outcome, claim)
                     .run(skippedTables))
                allCreated = false;
            if (m_runner.rejected)
                m_runner.rejected->fileEnded();
            g.setLine(364);
        }
    } catch (const ProgramEnding&) {
        outcome.ending = ImportEnding::Stopped;
        if (m_runner.rejected)
            for (int position = begun + 1; position <= count; ++position)
                m_runner.rejected->file(c.filePath(position - 1),
                                        QStringLiteral("The run was stopped before this file."));
        outcome.failuresReported = g.failures();
        return outcome;
    }
    if (stopRequested()) {
        // Asked to stop while the last file ended: it is not "Done.", but nothing was left.
        outcome.ending = ImportEnding::Stopped;
        outcome.stopReport = QStringLiteral("Every file had been ended before the stop; what was "
                                            "not loaded was reported.");
        outcome.failuresReported = g.failures();
        return outcome;
    }
    g.line(366, [] {});
    outcome.ending = allCreated ? ImportEnding::Done : ImportEnding::TablesExisted;
    say(allCreated ? 372 : 374,
        allCreated ? QStringLiteral("Done.") : tablesThatExist(skippedTables));
    outcome.failuresReported = g.failures();
    return outcome;
}
