#include "FileImport.h"

#include "FirstLineSkipping.h"
#include "RunMessages.h"

#include <limits>
#include <QFileInfo>

using namespace RunMessages;

FileImport::FileImport(ImportContext& context, const RunnerOptions& runner, Guard& guard,
                       PacedYield& yield, DatabaseSession* session, int position,
                       ImportOutcome& outcome, WorkingCopyClaim& claim)
    : c(context), o(runner), g(guard), yield(yield), session(session), position(position),
      outcome(outcome), workingCopy(context.workingCopyPath, &claim),
      ledger([this](const RowLedger::Row& row, const QString& description,
                    RowLedger::Telling telling) { tellRefused(row, description, telling); })
{
}

void FileImport::run(QStringList& skippedTables)
{
    g.setLine(RunLine::FileBegins);
    g.line(RunLine::BusyPointer, [&] {
        if (c.pointer)
            c.pointer->set(Pointer::Busy);
    });
    try {
        openSession();
        prepare();
        g.setLine(RunLine::ChooseMode);
        if (c.options.mode() == ImportMode::NewTable) {
            if (!newTable())
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
    closeSession();
}

void FileImport::closeSession()
{
    g.line(RunLine::CloseSession, [&] {
        if (session)
            session->close();
    });
    g.line(RunLine::DefaultPointer, [&] {
        if (c.pointer)
            c.pointer->set(Pointer::Default);
    });
}

void FileImport::openSession()
{
    vital(RunLine::OpenSession, [&] {
        if (!session)
            throw Failure(noSession());
        session->open(c.connection(), c.sessionOptions);
    });
}

namespace {
int preparationLine(WorkingCopy::Step step)
{
    switch (step) {
    case WorkingCopy::Step::Read:
        return RunLine::ReadSource;
    case WorkingCopy::Step::OpenForWriting:
        return RunLine::OpenCopyForWriting;
    case WorkingCopy::Step::Write:
        return RunLine::WriteCopy;
    case WorkingCopy::Step::Close:
        return RunLine::CloseCopy;
    }
    return RunLine::KeepLines;
}
} // namespace

void FileImport::prepare()
{
    g.line(RunLine::TakePath, [&] { path = currentPath(); });
    g.setLine(RunLine::PathTaken);
    if (o.progress) {
        o.progress->path = path;
        o.progress->rows = 0;
        o.progress->position = position;
        o.progress->bytes = o.progress->bytesRead = 0;
        o.progress->loadedInEarlierFiles += o.progress->loadedInFile;
        o.progress->loadedInFile = 0;
    }
    separator = EffectiveSeparator(c.options.separator());
    workingCopy.setSourceFormat(o.encoding, o.quote, separator);
    vital(RunLine::CopyFile, [&] { workingCopy.copyFrom(path); });
    if (o.progress)
        o.progress->bytes = QFileInfo(workingCopy.path()).size();
    vital(RunLine::KeepLines, [&] {
        prepared = workingCopy.keepLines(
            [&] { return SkipsFirstLine(c.options); }, [&] { yield(); },
            [&](WorkingCopy::Step step) { g.setLine(preparationLine(step)); });
    });
    g.setLine(RunLine::CloseCopy);
}

// Ends the work on this file with one report. Before its rows the whole file is not loaded;
// once they have begun, the report says how many rows were loaded and from which line on
// nothing was, and every row not loaded is listed, with notSent as the reason of those that
// have none of their own (cause when empty).
void FileImport::giveUp(const QString& cause, const QString& notSent)
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
    g.report(Failure(cause + QStringLiteral("\r\n") + partWay(path, ledger.loaded(), from)));
    throw FileAbandoned{};
}

// A session may still hold rows that will be loaded when it closes: they are ended first, so
// that what is said about the file is true. Rows that could not be kept stay among those not
// sent.
void FileImport::endHeldRows()
{
    if (heldRowsEnded)
        return;
    heldRowsEnded = true;
    try {
        session->flushRows();
    } catch (const Failure&) {
    }
    ledger.absorb(session->takeOutcomes(), RowLedger::Telling::Report);
}

// The program is ending: what was handed over is ended and counted, the rest is listed.
void FileImport::stopped()
{
    if (!rowsBegun) {
        if (o.rejected)
            o.rejected->file(where(), stoppedBeforeThisFile());
        return;
    }
    try {
        session->flushRows();
        ledger.absorb(session->takeOutcomes(), RowLedger::Telling::ListOnly);
    } catch (const Failure&) {
    }
    const qint64 from = firstLineNotLoaded();
    listRowsNotSent(stoppedBeforeRow());
    outcome.stopReport = partWay(path, ledger.loaded(), from);
}

qint64 FileImport::firstLineNotLoaded() const
{
    if (ledger.hasUnanswered())
        return ledger.firstUnansweredLine();
    return source ? prepared.fileLine(source->record().lastLine + 1) : 1;
}

// Lists the lines that could not be read, up to (not including) line.
void FileImport::listUnreadableBefore(qint64 line)
{
    while (!prepared.unreadable.empty() && prepared.unreadable.front().line < line) {
        const WorkingCopy::Unreadable unreadable = std::move(prepared.unreadable.front());
        prepared.unreadable.pop_front();
        o.rejected->row(path, unreadable.line, unreadable.reason, unreadable.text);
    }
}

// Lists the rows handed over without an outcome and the rest of the file, unread.
void FileImport::listRowsNotSent(const QString& reason)
{
    if (!o.rejected) {
        ledger.drain([](const RowLedger::Row&) {});
        return;
    }
    ledger.drain([&](const RowLedger::Row& row) {
        o.rejected->row(path, row.line, row.reason.isEmpty() ? reason : row.reason,
                        RowText(row.text));
    });
    if (source) {
        try {
            while (source->next()) {
                const Record& record = source->record();
                const qint64 line = prepared.fileLine(record.firstLine);
                listUnreadableBefore(line + 1);
                if (!record.text.isEmpty())
                    o.rejected->row(path, line, reason, RowText(record.text));
            }
        } catch (const Failure&) {
            // What cannot be read cannot be listed.
        }
    }
    listUnreadableBefore(std::numeric_limits<qint64>::max());
}

void FileImport::tellRefused(const RowLedger::Row& row, const QString& description,
                             RowLedger::Telling telling)
{
    if (telling == RowLedger::Telling::Report) {
        reportRow(row.line, description, RowText(row.text));
        return;
    }
    if (o.rejected)
        o.rejected->row(path, row.line, description, RowText(row.text));
}

// A row that was not loaded, reported on its own with its line.
void FileImport::reportRow(qint64 line, const QString& description, const QString& text)
{
    if (!outcome.rowBoxesDeclined) {
        const Failure failure(rowNotLoaded(description, line, path));
        if (o.offerQuietRows)
            outcome.rowBoxesDeclined = g.reportOffering(failure, dontShowRowsAgain());
        else
            g.report(failure);
    }
    if (o.rejected)
        o.rejected->row(path, line, description, text);
}
