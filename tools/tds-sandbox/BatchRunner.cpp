#include "BatchRunner.h"

#include "AseErrors.h"
#include "CreateTableItems.h"
#include "ResultFormat.h"

#include <algorithm>
#include <filesystem>

namespace sandbox {

namespace {
class Runner
{
public:
    Runner(SessionState& state, const Options& options, TokenWriter& out)
        : m_state(state), m_options(options), m_out(out)
    {
    }

    // The first compile-time failure of the batch, if any.
    std::optional<ServerMessage> compile(const std::vector<BatchStatement>& statements) const
    {
        for (const BatchStatement& s : statements) {
            size_t limit = 0;
            const std::string_view name = overlongName(s.text, &limit);
            if (!name.empty())
                return at(identifierTooLong(name, limit), s);
            const Translation t = translate(s.text, m_state.globals, &m_state.database.names());
            if (t.kind != Translation::Sql)
                continue;
            if (auto error = m_state.database.syntaxError(t.sql, std::string(s.text))) {
                error->line = uint16_t(std::min(s.line + error->line - 1, 65535));
                return error;
            }
        }
        return std::nullopt;
    }

    // Runs one statement and writes its tokens, its DONE included. False when the rest of
    // the batch must not run.
    bool run(const BatchStatement& s, uint16_t more, const std::function<bool()>& cancelled)
    {
        m_more = more;
        m_statement = &s;
        if (const std::optional<bool> goOn = injectedFault(s))
            return *goOn;
        const Translation kind = classify(s.text);
        if (refusedInTransaction(kind))
            return true;
        if (m_state.chained && !inTransaction() && kind.beginsChainedTransaction && !begin())
            return true;
        perform(kind, s, cancelled);
        // SQLite ends a transaction by itself on some failures (a full disk, for one).
        if (inTransaction() && !m_state.database.inTransaction())
            m_state.globals.tranCount = 0;
        return true;
    }

    bool cancelled() const { return m_cancelled; }

private:
    // --abort-tran-containing and --reject-containing: whether the rest of the batch runs,
    // or none when the statement is not one of theirs.
    std::optional<bool> injectedFault(const BatchStatement& s)
    {
        if (!m_options.abortTranContaining.empty() &&
            s.received.find(m_options.abortTranContaining) != std::string_view::npos) {
            rollbackAll();
            fail(deadlockVictim(m_state.globals.spid), 0);
            return false;
        }
        if (!m_options.rejectContaining.empty() &&
            s.received.find(m_options.rejectContaining) != std::string_view::npos) {
            fail(rejectedStatement(m_options.rejectContaining));
            return true;
        }
        return std::nullopt;
    }

    // Fails a command ASE refuses inside a transaction; false when the statement may run.
    bool refusedInTransaction(const Translation& kind)
    {
        if (inTransaction() && !kind.ddlCommand.empty()) {
            fail(notAllowedInTransactionHere(kind.ddlCommand, m_state.databaseName));
            return true;
        }
        if (inTransaction() && !kind.neverInTransaction.empty()) {
            fail(notAllowedInTransaction(kind.neverInTransaction));
            return true;
        }
        return false;
    }

    void perform(const Translation& kind, const BatchStatement& s,
                 const std::function<bool()>& cancelled)
    {
        switch (kind.kind) {
        case Translation::Ignored:
            succeed();
            break;
        case Translation::SetChained:
            setChained(kind.chainedOn);
            break;
        case Translation::SetStringRtruncation:
            m_state.stringRtruncation = kind.stringRtruncationOn;
            succeed();
            break;
        case Translation::BeginTran:
            beginTran();
            break;
        case Translation::CommitTran:
            commit();
            break;
        case Translation::RollbackTran:
            rollbackAll();
            succeed();
            break;
        case Translation::Use:
            use(kind.database);
            break;
        case Translation::CreateDatabase:
            createDatabase(kind.database, std::string(s.text));
            break;
        case Translation::Sql:
            if (kind.createdColumns > MaxColumns)
                fail(tooManyColumns(kind.createdColumns));
            else if (kind.allpagesVariableColumns > MaxAllpagesVariableColumns)
                fail(tooManyVariableColumns(s.text));
            else
                runChecked(s, cancelled);
            break;
        }
    }

    // An INSERT's values are checked against their columns' types, as ASE converts them
    // before anything is stored. Translating first reads the schema the check uses.
    void runChecked(const BatchStatement& s, const std::function<bool()>& cancelled)
    {
        const std::vector<SqlToken> tokens = lexSql(s.text);
        std::string sql = translate(s.text, tokens, m_state.globals, &m_state.database.names()).sql;
        const InsertCheck check = checkInsert(
            s.text, tokens,
            [this](const std::string& table) { return m_state.database.typedColumns(table); },
            ValueRules{m_state.stringRtruncation, m_options.charset == "utf8"});
        if (check.error) {
            fail(*check.error);
            return;
        }
        if (!check.rewritten.empty())
            sql = translate(check.rewritten, m_state.globals, &m_state.database.names()).sql;
        runSql(sql, std::string(s.text), cancelled);
    }

    void setChained(bool on)
    {
        if (inTransaction()) {
            fail(notAllowedInTransaction("SET CHAINED"));
            return;
        }
        m_state.chained = on;
        succeed();
    }

    // A nested "begin tran" only counts; the outermost opens SQLite's transaction.
    void beginTran()
    {
        if (inTransaction())
            ++m_state.globals.tranCount;
        else if (!begin())
            return;
        succeed();
    }

    static ServerMessage at(ServerMessage m, const BatchStatement& s)
    {
        m.line = uint16_t(std::min(s.line, 65535));
        return m;
    }

    bool inTransaction() const { return m_state.globals.tranCount > 0; }
    uint16_t transactionBit() const { return inTransaction() ? done::InTransaction : 0; }

    void succeed(uint16_t status = 0, int64_t count = 0)
    {
        m_state.globals.error = 0;
        m_state.globals.rowCount = count;
        m_out.done(uint16_t(m_more | status | transactionBit()), uint32_t(count));
    }

    void fail(const ServerMessage& error, uint16_t more)
    {
        m_out.message(at(error, *m_statement), ServerName);
        m_state.globals.error = error.number;
        m_state.globals.rowCount = 0;
        m_out.done(uint16_t(more | done::Error | transactionBit()));
    }
    void fail(const ServerMessage& error) { fail(error, m_more); }

    // Opens the SQLite transaction behind the outermost "begin tran".
    bool begin()
    {
        ServerMessage error;
        if (!m_state.database.execute("BEGIN", &error)) {
            fail(error);
            return false;
        }
        m_state.globals.tranCount = 1;
        return true;
    }

    void commit()
    {
        // A commit with no transaction open does nothing, as on ASE.
        if (m_state.globals.tranCount > 1) {
            --m_state.globals.tranCount;
        } else if (m_state.globals.tranCount == 1) {
            ServerMessage error;
            if (!m_state.database.execute("COMMIT", &error)) {
                rollbackAll();
                fail(error);
                return;
            }
            m_state.globals.tranCount = 0;
        }
        succeed();
    }

    void rollbackAll()
    {
        if (m_state.database.inTransaction()) {
            ServerMessage ignored;
            m_state.database.execute("ROLLBACK", &ignored);
        }
        m_state.globals.tranCount = 0;
    }

    void use(const std::string& name)
    {
        std::string error;
        if (!Database::isValidName(name) ||
            !std::filesystem::exists(databasePath(m_options, name))) {
            fail(noSuchDatabase(name));
        } else if (!m_state.database.open(databasePath(m_options, name), false, &error)) {
            fail(unsupported("opening " + name + ": " + error));
        } else {
            m_out.envChange(1, name, m_state.databaseName);
            m_state.databaseName = name;
            m_state.globals.database = name;
            succeed();
        }
    }

    void createDatabase(const std::string& name, const std::string& statement)
    {
        std::string error;
        Database created;
        if (!Database::isValidName(name))
            fail(aseMessageFor("near \"" + name + "\": syntax error", statement));
        else if (std::filesystem::exists(databasePath(m_options, name)))
            fail(databaseExists(name));
        else if (!created.open(databasePath(m_options, name), true, &error))
            fail(unsupported("creating " + name + ": " + error));
        else
            succeed();
    }

    void runSql(const std::string& sql, const std::string& statement,
                const std::function<bool()>& cancelled)
    {
        StatementOutcome r = m_state.database.run(sql, statement, cancelled);
        if (r.cancelled) {
            m_cancelled = true; // the session answers the cancel alone
            return;
        }
        if (r.failed) {
            fail(r.error);
            return;
        }
        if (r.hasRows) {
            const std::vector<ColumnFormat> formats = chooseFormats(r.columns, r.rows);
            writeRowFormat(m_out, r.columns, formats);
            for (const auto& row : r.rows)
                writeRow(m_out, row, formats);
        }
        succeed(r.countValid ? done::CountValid : 0, r.count);
    }

    SessionState& m_state;
    const Options& m_options;
    TokenWriter& m_out;
    uint16_t m_more = 0;
    const BatchStatement* m_statement = nullptr;
    bool m_cancelled = false;
};
} // namespace

std::string databasePath(const Options& options, const std::string& name)
{
    return (std::filesystem::path(options.dataDir) / (name + ".db")).string();
}

BatchEnd runBatch(std::string_view batch, SessionState& state, const Options& options,
                  TokenWriter& out, const std::function<bool()>& cancelled)
{
    const std::vector<BatchStatement> statements = splitBatch(batch);
    if (statements.empty()) {
        out.done(0);
        return BatchEnd::Answered;
    }
    state.globals.database = state.databaseName;
    Runner runner(state, options, out);
    for (size_t i = 0; i < statements.size(); ++i) {
        if (options.closeAfter >= 0 && state.statementsRun >= options.closeAfter)
            return BatchEnd::Drop;
        if (options.silentAfter >= 0 && state.statementsRun >= options.silentAfter)
            return BatchEnd::Silent;
        if (i == 0) {
            if (auto error = runner.compile(statements)) {
                out.message(*error, ServerName);
                out.done(uint16_t(done::Error |
                                  (state.globals.tranCount > 0 ? done::InTransaction : 0)));
                state.globals.error = error->number;
                return BatchEnd::Answered;
            }
        }
        ++state.statementsRun;
        if (cancelled && cancelled())
            return BatchEnd::Cancelled;
        const uint16_t more = i + 1 < statements.size() ? done::More : 0;
        const bool goOn = runner.run(statements[i], more, cancelled);
        if (runner.cancelled())
            return BatchEnd::Cancelled;
        // Run, and then never answered: the client cannot tell whether it took effect.
        if (options.answerLostAfter >= 0 && state.statementsRun >= options.answerLostAfter)
            return BatchEnd::Drop;
        if (!goOn)
            break;
    }
    return BatchEnd::Answered;
}

void endSession(SessionState& state)
{
    if (state.database.inTransaction()) {
        ServerMessage ignored;
        state.database.execute("ROLLBACK", &ignored);
    }
    state.globals.tranCount = 0;
}

} // namespace sandbox
