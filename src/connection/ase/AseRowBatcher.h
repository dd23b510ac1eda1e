#pragma once

#include "RowValues.h"
#include "StatementChannel.h"

#include <chrono>
#include <functional>
#include <optional>
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <vector>

// Sends rows many to a round trip, inside transactions, and still gives each row the outcome
// its own statement earned. A row counts as loaded only once its transaction has committed.
//
// - A batch holds up to `rows` statements or about `bytes` bytes, one statement a line, as built.
// - A transaction begins with the first batch after a commit and is committed when it has been
//   open for `commitEvery`, when a batch had a failure, at flush(), and before anything else is
//   sent. The commit always travels alone: a batch the client gave up on never commits.
// - A transaction lost on the server (@@trancount is 0): its rows that had not failed on their own
//   are sent again one by one outside a transaction.
// - A batch the server ended early (a compile-time error rejects it whole): the statements
//   without an answer of their own are sent again one by one.
// - A lost connection: every row not committed is not loaded; nothing more is sent.
// With rows = 1 each statement is sent alone, without a transaction.
class AseRowBatcher
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    struct Limits
    {
        int rows = 1000;
        qsizetype bytes = 256 * 1024;
        std::chrono::milliseconds commitEvery{100};
    };

    AseRowBatcher(StatementChannel& channel, Limits limits, Clock clock = nullptr);

    // A row's statement in UTF-8, or why it cannot go to this server at all (it then fails
    // alone, in its place, and is not sent).
    void submit(std::int64_t ticket, QByteArray statement, std::optional<QString> refusal);
    // Sends what is held and ends the transaction: afterwards every row has its outcome.
    void flush();
    std::vector<RowOutcome> take();

    // Added to a lost row's description when its statement was in flight on its own: the server
    // may have applied it.
    static QString unknownOutcomeNote();
    // Added when the commit of a transaction was in flight.
    static QString unknownCommitNote();

private:
    enum class State
    {
        Held,    // not sent yet
        Refused, // never to be sent; failed on its own
        Sent,    // succeeded inside the open transaction
        Failed,  // failed on its own
        Unsure,  // no answer of its own: to be sent again alone
        Loaded,  // final: committed
        Lost,    // final: not loaded, the connection went
    };
    struct Entry
    {
        std::int64_t ticket = 0;
        QByteArray text;
        State state = State::Held;
        QString description;
    };

    BatchAnswer send(const QByteArrayList& statements);
    void sendHeld();
    void settleBatch(std::vector<Entry>& batch, const BatchAnswer& answer, bool began,
                     size_t statements);
    // Gives each sent row of the batch its own answer; true when every statement was answered.
    bool takeAnswers(std::vector<Entry>& batch, const BatchAnswer& answer, bool began,
                     size_t statements);
    // The transaction outlived the batch: its rows stay open, unless one failed or got no
    // answer, when it is committed and the rest go again alone.
    void keepOpen(std::vector<Entry>& batch);
    // The transaction was lost on the server, so its rows were rolled back.
    void transactionLost(std::vector<Entry>& batch, bool complete);
    void commit();
    void resendAlone(std::vector<Entry>& entries);
    void sendAlone(Entry& entry);
    std::optional<qint64> tranCount();
    void loseAll(std::vector<Entry>& more);
    void finish(const Entry& entry);
    bool due() const;

    StatementChannel& m_channel;
    const Limits m_limits;
    const Clock m_clock;
    std::vector<Entry> m_held;
    int m_heldStatements = 0;
    qsizetype m_heldBytes = 0;
    std::chrono::steady_clock::time_point m_heldSince;
    std::vector<Entry> m_open; // rows of the open transaction, in order
    bool m_transaction = false;
    std::chrono::steady_clock::time_point m_began;
    bool m_lost = false;
    QString m_lostDescription;
    std::vector<RowOutcome> m_outcomes;
};
