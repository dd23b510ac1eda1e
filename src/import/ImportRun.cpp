#include "ImportRun.h"

#include "ApplicationTitle.h"
#include "FieldSplitter.h"
#include "Guard.h"
#include "LineReader.h"
#include "PacedYield.h"
#include "StatementText.h"
#include "TextAccess1.h"
#include "WorkingCopy.h"

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
} // namespace

// The steps for one file, numbered as the procedure's lines.
class ImportRun::FileStep
{
public:
    FileStep(ImportContext& context, Guard& guard, PacedYield& yield, DatabaseSession* session,
             int position, int& mismatched)
        : c(context), g(guard), yield(yield), session(session), position(position),
          mismatched(mismatched), workingCopy(context.workingCopyPath)
    {
    }

    // Returns the all-created flag for this file.
    bool run()
    {
        bool allCreated = true;
        g.line(114, [] {});
        g.line(116, [&] {
            if (c.pointer)
                c.pointer->set(WindowPointer::Busy);
        });
        try {
            openSession();
            prepare();
            g.line(180, [] {});
            if (c.options.mode() == ImportMode::NewTable)
                allCreated = newTable();
            else
                append();
        } catch (const FileAbandoned&) {
        } catch (const ProgramEnding&) {
            // Keep what was sent: closing the session makes it durable.
            if (session)
                g.run([&] { session->close(); });
            if (c.pointer)
                c.pointer->set(WindowPointer::Default);
            throw;
        }
        g.line(360, [&] {
            if (session)
                session->close();
        });
        g.line(362, [&] {
            if (c.pointer)
                c.pointer->set(WindowPointer::Default);
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
            g.report(
                Failure(aboutFile(failure.description(), path.isEmpty() ? currentPath() : path)));
            throw FileAbandoned{};
        }
    }

    QString currentPath() const { return c.filePath(position - 1); }

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
        vital(126, [&] { workingCopy.copyFrom(path); });
        vital(128, [&] {
            prepared = workingCopy.keepLines(
                [&] { return SkipsFirstLine(c.options); }, [&] { yield(); },
                [&](WorkingCopy::Step step) { g.setLine(preparationLine(step)); });
        });
        g.setLine(178);
    }

    QStringList headerFields()
    {
        QList<QStringView> fields;
        SplitFields(prepared.firstLine, c.options.separator(), fields);
        QStringList names;
        for (QStringView f : fields)
            names << f.toString();
        return names;
    }

    void noColumns()
    {
        g.report(Failure(
            aboutFile(QStringLiteral("The first line gives no column for the table."), path)));
        throw FileAbandoned{};
    }

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
            return false;
        }
        bool emptyName = false;
        g.line(184, [&] { emptyName = c.options.tableName().isEmpty(); });
        if (emptyName)
            return true;
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
        g.line(188, [&] { header = headerFields(); });
        if (header.isEmpty())
            noColumns();
        QStringList columns;
        g.line(190, [] {});
        for (int j = 0; j < header.size(); ++j) {
            g.line(194, [&] { yield(); });
            g.line(198, [&] { columns << StatementText::columnName(header[j], j + 1); });
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
        g.line(250, [&] { fieldCount = int(headerFields().size()); });
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
            if (answer.isEmpty()) {
                // Cancelled: nothing is created or sent for this file.
                g.report(Failure(
                    aboutFile(QStringLiteral("No name was given for column #%1.").arg(j), path)));
                throw FileAbandoned{};
            }
            g.line(258, [&] { columns << StatementText::columnName(answer, j); });
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
        vital(lines.open, [&] { reader.open(workingCopy.path()); });
        QString line;
        bool first = true;
        for (;;) {
            g.setLine(lines.loop);
            g.setLine(lines.yield);
            yield();
            bool more = false;
            vital(lines.read, [&] { more = reader.readLine(line); });
            if (!more)
                break;
            if (first && skipFirstLine) {
                first = false;
                continue;
            }
            first = false;
            g.setLine(lines.split);
            SplitFields(line, c.options.separator(), row.fields);
            if (row.fields.isEmpty())
                continue; // a blank line is no row
            g.setLine(lines.head);
            buildRow();
            g.setLine(lines.cut);
            sendRow(lines.execute);
        }
        settleAll(lines.execute);
        g.line(lines.close, [&] { reader.close(); });
    }

    // The statement of the current row, unless the session binds the fields itself.
    void buildRow()
    {
        row.table = table;
        if (!bindsFields)
            StatementText::insert(table, row.fields, row.text);
    }

    void sendRow(int line)
    {
        g.setLine(line);
        if (!storageFailure.isEmpty()) {
            ++unsentRows; // read on only to count what was not loaded
            return;
        }
        ++row.ticket;
        session->submitRow(row);
        settle(line);
    }

    // Reports the rows whose outcome is known: a rejected row on its own, a lost connection
    // once, for the rest of the file.
    void settle(int line)
    {
        for (const RowOutcome& outcome : session->takeOutcomes()) {
            if (outcome.loaded) {
                ++loadedRows;
                continue;
            }
            if (outcome.storageFailed || !storageFailure.isEmpty()) {
                if (storageFailure.isEmpty())
                    storageFailure = outcome.description;
                continue;
            }
            g.setLine(line);
            if (!outcome.connectionLost) {
                g.report(Failure(outcome.description));
                continue;
            }
            g.report(Failure(aboutFile(
                outcome.description + QStringLiteral("\r\nThe connection to the database was "
                                                     "lost; the rest of the file was not sent."),
                path)));
            throw FileAbandoned{};
        }
    }

    // Ends every row still held by the session, so each is reported before the file ends.
    void settleAll(int line)
    {
        vital(line, [&] { session->flushRows(); });
        settle(line);
        if (storageFailure.isEmpty())
            return;
        // The database could not keep rows: one report for the file, saying what is in the table.
        g.setLine(line);
        g.report(
            Failure(storageFailure +
                    QStringLiteral("\r\nOf the file %1, %L2 row(s) were loaded and %L3 were not.")
                        .arg(path)
                        .arg(loadedRows)
                        .arg(row.ticket - loadedRows + unsentRows)));
        throw FileAbandoned{};
    }

    void append()
    {
        g.line(310, [] {});
        QString target;
        int tableColumns = -1;
        vital(312, [&] {
            target = c.tables.currentText();
            ResultSet columns;
            columns.open(QStringLiteral("SELECT * FROM [") + target + QLatin1Char(']'), *session, 3,
                         -1);
            tableColumns = columns.fieldCount();
        });
        int fileColumns = 0;
        {
            LineReader reader;
            vital(314, [&] { reader.open(workingCopy.path()); });
            QString first;
            vital(316, [&] { reader.readLine(first); });
            g.line(318, [&] {
                QList<QStringView> fields;
                SplitFields(first, c.options.separator(), fields);
                fileColumns = int(fields.size());
            });
            g.line(320, [&] { reader.close(); });
        }
        bool same = false;
        g.line(322, [&] { same = tableColumns == fileColumns; });
        if (!same) {
            ++mismatched;
            g.line(358, [&] {
                c.interaction.messageBox(
                    QStringLiteral("The columns in the text file and the columns in the table must "
                                   "be identical.") +
                        QStringLiteral("\r\n\r\n") + path + QStringLiteral(" was split by ") +
                        c.options.separator() + QStringLiteral(" and has ") +
                        QString::number(fileColumns) + QStringLiteral(" columns. The table ") +
                        target + QStringLiteral(" has ") + QString::number(tableColumns) +
                        QStringLiteral(" columns."),
                    Interaction::StylePlain, ApplicationTitle());
            });
            return;
        }
        LineReader reader;
        vital(324, [&] { reader.open(workingCopy.path()); });
        QString line;
        for (;;) {
            g.setLine(326);
            g.setLine(328);
            yield();
            bool more = false;
            vital(330, [&] { more = reader.readLine(line); });
            if (!more)
                break;
            g.setLine(332);
            SplitFields(line, c.options.separator(), row.fields);
            if (row.fields.isEmpty())
                continue;
            g.setLine(334);
            // The selection is read afresh for every row: changing it sends the rest elsewhere.
            table = c.tables.currentText();
            buildRow();
            g.setLine(346);
            sendRow(352);
        }
        settleAll(352);
        g.line(356, [&] { reader.close(); });
    }

    ImportContext& c;
    Guard& g;
    PacedYield& yield;
    DatabaseSession* session;
    const int position;
    int& mismatched;
    WorkingCopy workingCopy;
    WorkingCopy::Prepared prepared;
    QString path;
    QString table;
    RowStatement row;
    bool bindsFields = false;
    std::int64_t loadedRows = 0;
    std::int64_t unsentRows = 0;
    QString storageFailure; // the database's text once it could not keep rows of this file
};

ImportRun::ImportRun(ImportContext context) : m_context(std::move(context)) {}

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
    outcome.ran = true;

    // Where the working copy goes is decided afresh for every run.
    ImportContext c = m_context;
    if (c.workingCopyPath.isEmpty())
        c.workingCopyPath = WorkingCopy::defaultPath();
    Guard g(c.interaction, Locations::StartImporting);
    PacedYield yield(c.interaction, YieldIntervalMs, c.stopRequested);
    auto say = [&](int line, const QString& text) {
        g.line(line, [&] {
            outcome.closingMessage = text;
            c.interaction.messageBox(text, Interaction::StylePlain, ApplicationTitle());
        });
    };

    std::unique_ptr<DatabaseSession> session;
    g.line(100, [&] { session = c.createSession(); });
    g.line(102, [] {});

    bool stop = false;
    g.line(106, [&] { stop = c.fileCount() == 0; });
    if (stop) {
        say(380, QStringLiteral("No files added."));
        outcome.failuresReported = g.failures();
        return outcome;
    }
    g.line(108, [&] {
        stop = c.options.mode() == ImportMode::AppendToExisting && c.tables.currentIndex() < 0;
    });
    if (stop) {
        say(378, QStringLiteral("Please select a table."));
        outcome.failuresReported = g.failures();
        return outcome;
    }
    g.line(110, [&] {
        stop = c.options.mode() == ImportMode::NewTable &&
               ListContains(c.tables, c.options.tableName());
    });
    if (stop) {
        say(376, QStringLiteral("Table name already exists."));
        outcome.failuresReported = g.failures();
        return outcome;
    }

    int count = 0;
    g.line(112, [&] { count = c.fileCount(); });
    bool allCreated = true;
    try {
        for (int position = 1; position <= count; ++position) {
            yield.now();
            allCreated =
                FileStep(c, g, yield, session.get(), position, outcome.filesMismatched).run();
            g.setLine(364);
        }
    } catch (const ProgramEnding&) {
        outcome.stopped = true;
        outcome.failuresReported = g.failures();
        return outcome;
    }
    g.line(366, [] {});
    say(allCreated ? 372 : 374,
        allCreated ? QStringLiteral("Done.") : QStringLiteral("Table(s) already exist."));
    outcome.failuresReported = g.failures();
    return outcome;
}
