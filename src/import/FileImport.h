#pragma once

#include "Guard.h"
#include "ImportRun.h"
#include "RecordReader.h"
#include "RowLedger.h"
#include "RunLines.h"
#include "WorkingCopy.h"
#include "WorkingCopyClaim.h"

#include <QStringList>
#include <vector>

// A failure that ends the work on one file; the rest of the run goes on.
struct FileAbandoned
{
};

// The steps of "Start Importing" for one file of the list: its session, its working copy, a
// new table or the table it is appended to, its rows, and what is said about it.
class FileImport
{
public:
    FileImport(ImportContext& context, const RunnerOptions& runner, Guard& guard, PacedYield& yield,
               DatabaseSession* session, int position, ImportOutcome& outcome,
               WorkingCopyClaim& claim);

    // A file skipped because its table exists adds the table's name to skippedTables. Throws
    // ProgramEnding when the program ends meanwhile.
    void run(QStringList& skippedTables);

private:
    // FileImport.cpp: the session, the working copy, giving up and stopping.
    void openSession();
    void prepare();
    void closeSession();
    template <typename Body> void vital(int line, Body&& body);
    [[noreturn]] void giveUp(const QString& cause, const QString& notSent = {});
    void endHeldRows();
    void stopped();
    qint64 firstLineNotLoaded() const;
    void listRowsNotSent(const QString& reason);
    void listUnreadableBefore(qint64 line);
    void tellRefused(const RowLedger::Row& row, const QString& description,
                     RowLedger::Telling telling);
    void reportRow(qint64 line, const QString& description, const QString& text);
    QString currentPath() const { return c.filePath(position - 1); }
    QString where() const { return path.isEmpty() ? currentPath() : path; }

    // FileImportTable.cpp: a new table.
    bool newTable();
    void createFromHeader();
    void createFromPrompts();
    QStringList headerFields();
    [[noreturn]] void noColumns();
    void createTable(const QStringList& columns, bool skipHeader, int textLine, int builtLine,
                     int createLine);

    // FileImportTypes.cpp: column types chosen from the file.
    QStringList inferColumnTypes(const QStringList& columns, bool skipHeader);
    void useTextColumns(const QStringList& columns);
    // The session reaches Sybase ASE, not an embedded database.
    bool toAse() const { return !EmbeddedDatabasePath(c.connection().server); }
    void useColumnTypes();
    int serverPageSize();

    // FileImportRows.cpp: the rows.
    void append();
    void sendRows(RecordReader& records, const RunLine::RowLines& lines, bool firstRead,
                  bool skipHeader);
    bool takeRow(const Record& record, qint64 fileLine, int line);
    void takeTable(const Record& record, qint64 fileLine);
    void readColumnTypes(const QString& target);
    void sendRow(const Record& record, qint64 fileLine, int line);
    void settle(int line);
    void settleAll(int line);

    ImportContext& c;
    const RunnerOptions& o;
    Guard& g;
    PacedYield& yield;
    DatabaseSession* session;
    const int position;
    ImportOutcome& outcome;
    WorkingCopy workingCopy;
    WorkingCopy::Prepared prepared;
    RowLedger ledger;
    QString path;
    QString table;
    QString separator; // as the file was prepared with: its records are read with it
    RowValues row;
    QString typedTable;                  // the table columnTypes belong to
    std::vector<ColumnType> columnTypes; // row.columns points here when the values are typed
    QString tableLockClause;             // after a new table's column list, as its types need
    bool appending = false;
    bool rowsBegun = false;
    bool stopHandled = false;
    bool heldRowsEnded = false;
    RecordReader* source = nullptr; // the rows being read, to list what was not sent
};

// Runs a numbered step whose failure dooms the rest of this file: reported once, naming the
// file, and the file is given up.
template <typename Body> void FileImport::vital(int line, Body&& body)
{
    g.setLine(line);
    try {
        body();
    } catch (const Failure& failure) {
        giveUp(failure.description());
    }
}
