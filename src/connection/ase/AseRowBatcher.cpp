#include "AseRowBatcher.h"

namespace {
const QByteArray BeginTran = QByteArrayLiteral("begin tran");
const QByteArray CommitTran = QByteArrayLiteral("commit tran");
const QByteArray RollbackTran = QByteArrayLiteral("rollback tran");
const QByteArray TranCount = QByteArrayLiteral("select @@trancount");
} // namespace

AseRowBatcher::AseRowBatcher(StatementChannel& channel, Limits limits, Clock clock)
    : m_channel(channel), m_limits(limits),
      m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); }))
{
}

QString AseRowBatcher::unknownOutcomeNote()
{
    return QStringLiteral("The last statement sent got no answer: whether the server applied "
                          "it is not known.");
}

QString AseRowBatcher::unknownCommitNote()
{
    return QStringLiteral("The commit of these rows got no answer: whether the server kept them "
                          "is not known.");
}

void AseRowBatcher::submit(std::int64_t ticket, QByteArray statement,
                           std::optional<QString> refusal)
{
    Entry entry{ticket, std::move(statement), State::Held, {}};
    if (m_lost) {
        entry.state = State::Lost;
        entry.description = m_lostDescription;
        finish(entry);
        return;
    }
    if (refusal) {
        entry.state = State::Refused;
        entry.description = std::move(*refusal);
    }
    if (m_limits.rows <= 1) {
        if (entry.state == State::Held)
            sendAlone(entry);
        finish(entry);
        return;
    }
    if (m_held.empty())
        m_heldSince = m_clock();
    if (entry.state == State::Held) {
        ++m_heldStatements;
        m_heldBytes += entry.text.size() + 1;
    }
    m_held.push_back(std::move(entry));
    if (m_heldStatements >= m_limits.rows || m_heldBytes >= m_limits.bytes)
        sendHeld();
    if (due()) {
        sendHeld();
        commit();
    }
}

void AseRowBatcher::flush()
{
    sendHeld();
    commit();
}

std::vector<RowOutcome> AseRowBatcher::take()
{
    std::vector<RowOutcome> taken;
    taken.swap(m_outcomes);
    return taken;
}

bool AseRowBatcher::due() const
{
    const auto now = m_clock();
    return (m_transaction && now - m_began >= m_limits.commitEvery) ||
           (!m_held.empty() && now - m_heldSince >= m_limits.commitEvery);
}

BatchAnswer AseRowBatcher::send(const QByteArrayList& statements)
{
    BatchAnswer answer = m_channel.exchange(statements);
    if (answer.connectionLost && !m_lost) {
        m_lost = true;
        m_lostDescription = answer.lostDescription;
    }
    return answer;
}

void AseRowBatcher::sendHeld()
{
    if (m_held.empty())
        return;
    std::vector<Entry> batch;
    batch.swap(m_held);
    m_heldStatements = 0;
    m_heldBytes = 0;
    if (m_lost) {
        loseAll(batch);
        return;
    }
    const bool began = !m_transaction;
    QByteArrayList statements;
    if (began)
        statements << BeginTran;
    for (const Entry& e : batch)
        if (e.state == State::Held)
            statements << e.text;
    if (statements.size() == (began ? 1 : 0)) {
        // Only refused rows: they wait for the rows before them.
        for (Entry& e : batch) {
            if (m_transaction)
                m_open.push_back(std::move(e));
            else
                finish(e);
        }
        return;
    }
    // The count tells, with no round trip of its own, whether the transaction outlived the batch.
    statements << TranCount;
    if (began)
        m_began = m_clock();
    const BatchAnswer answer = send(statements);
    if (answer.connectionLost) {
        loseAll(batch);
        return;
    }
    settleBatch(batch, answer, began, size_t(statements.size()));
}

bool AseRowBatcher::takeAnswers(std::vector<Entry>& batch, const BatchAnswer& answer, bool began,
                                size_t statements)
{
    const size_t answered = answer.answers.size();
    const bool complete = answered == statements;
    size_t index = began ? 1 : 0;
    std::optional<size_t> lastAnswered;
    for (size_t i = 0; i < batch.size(); ++i) {
        Entry& e = batch[i];
        if (e.state != State::Held)
            continue;
        if (index < answered) {
            const StatementAnswer& a = answer.answers[index];
            e.state = a.failed ? State::Failed : State::Sent;
            e.description = a.description;
            lastAnswered = i;
        } else {
            e.state = State::Unsure;
        }
        ++index;
    }
    // Where the server ended a batch early, the last answer may belong to the whole batch (a
    // compile-time error elsewhere in it) or to the transaction: that statement goes again.
    if (!complete && lastAnswered && batch[*lastAnswered].state == State::Failed)
        batch[*lastAnswered].state = State::Unsure;
    return complete;
}

void AseRowBatcher::settleBatch(std::vector<Entry>& batch, const BatchAnswer& answer, bool began,
                                size_t statements)
{
    const bool complete = takeAnswers(batch, answer, began, statements);
    std::optional<qint64> count = complete ? answer.answers.back().firstValue : tranCount();
    if (m_lost) {
        loseAll(batch);
        return;
    }
    if (!count) {
        // Nothing tells what is open: end whatever is, and take the transaction as lost.
        send({RollbackTran});
        if (m_lost) {
            loseAll(batch);
            return;
        }
        count = 0;
    }
    const bool beginFailed = began && (answer.answers.empty() || answer.answers[0].failed);
    if (*count == 0 && beginFailed) {
        // No transaction was opened: what ran, ran and committed on its own.
        m_transaction = false;
        for (Entry& e : batch)
            if (e.state == State::Sent)
                e.state = State::Loaded;
        resendAlone(batch);
    } else if (*count > 0) {
        keepOpen(batch);
    } else {
        transactionLost(batch, complete);
    }
}

void AseRowBatcher::keepOpen(std::vector<Entry>& batch)
{
    m_transaction = true;
    bool failures = false;
    size_t firstUnsure = batch.size();
    for (size_t i = 0; i < batch.size(); ++i) {
        failures = failures || batch[i].state == State::Failed;
        if (batch[i].state == State::Unsure && firstUnsure == batch.size())
            firstUnsure = i;
    }
    for (size_t i = 0; i < firstUnsure; ++i)
        m_open.push_back(std::move(batch[i]));
    if (failures || firstUnsure < batch.size()) {
        // Commit now, so a rejected row is reported at once and nothing stays open meanwhile.
        commit();
        std::vector<Entry> rest(std::make_move_iterator(batch.begin() + qsizetype(firstUnsure)),
                                std::make_move_iterator(batch.end()));
        resendAlone(rest);
    }
}

void AseRowBatcher::transactionLost(std::vector<Entry>& batch, bool complete)
{
    // If the server went on with the batch, what ran after the loss (after the last failure)
    // ran on its own.
    m_transaction = false;
    std::optional<size_t> lossPoint;
    if (complete)
        for (size_t i = batch.size(); i-- > 0;)
            if (batch[i].state == State::Failed) {
                lossPoint = i;
                break;
            }
    for (size_t i = 0; i < batch.size(); ++i) {
        if (batch[i].state != State::Sent)
            continue;
        batch[i].state = lossPoint && i > *lossPoint ? State::Loaded : State::Unsure;
    }
    if (lossPoint)
        batch[*lossPoint].state = State::Unsure;
    std::vector<Entry> all;
    all.swap(m_open);
    for (Entry& e : all)
        if (e.state == State::Sent)
            e.state = State::Unsure;
    for (Entry& e : batch)
        all.push_back(std::move(e));
    resendAlone(all);
}

std::optional<qint64> AseRowBatcher::tranCount()
{
    const BatchAnswer answer = send({TranCount});
    if (answer.connectionLost || answer.answers.empty() || answer.answers[0].failed)
        return std::nullopt;
    return answer.answers[0].firstValue;
}

void AseRowBatcher::commit()
{
    if (!m_transaction && m_open.empty())
        return;
    std::vector<Entry> open;
    open.swap(m_open);
    const bool wasOpen = m_transaction;
    m_transaction = false;
    if (!wasOpen) {
        for (const Entry& e : open)
            finish(e);
        return;
    }
    if (m_lost) {
        loseAll(open);
        return;
    }
    const BatchAnswer answer = send({CommitTran});
    if (answer.connectionLost) {
        // The commit itself may have reached the server.
        for (Entry& e : open)
            if (e.state == State::Sent) {
                e.state = State::Lost;
                e.description =
                    answer.lostDescription + QStringLiteral("\r\n") + unknownCommitNote();
            }
        for (const Entry& e : open)
            finish(e);
        return;
    }
    if (!answer.answers.empty() && !answer.answers[0].failed) {
        for (Entry& e : open) {
            if (e.state == State::Sent)
                e.state = State::Loaded;
            finish(e);
        }
        return;
    }
    // A refused commit: end what is left of the transaction and send its rows alone.
    send({RollbackTran});
    for (Entry& e : open)
        if (e.state == State::Sent)
            e.state = State::Unsure;
    resendAlone(open);
}

void AseRowBatcher::resendAlone(std::vector<Entry>& entries)
{
    for (Entry& e : entries) {
        if (e.state == State::Unsure || e.state == State::Held)
            sendAlone(e);
        finish(e);
    }
}

void AseRowBatcher::sendAlone(Entry& entry)
{
    if (m_lost) {
        entry.state = State::Lost;
        entry.description = m_lostDescription;
        return;
    }
    const BatchAnswer answer = send({entry.text});
    if (answer.connectionLost) {
        entry.state = State::Lost;
        entry.description = answer.lostDescription + QStringLiteral("\r\n") + unknownOutcomeNote();
        return;
    }
    if (answer.answers.empty()) {
        entry.state = State::Failed;
        entry.description = QStringLiteral("The server rejected the statement.");
        return;
    }
    const StatementAnswer& a = answer.answers.front();
    entry.state = a.failed ? State::Failed : State::Loaded;
    entry.description = a.description;
}

void AseRowBatcher::loseAll(std::vector<Entry>& more)
{
    std::vector<Entry> all;
    all.swap(m_open);
    m_transaction = false;
    for (Entry& e : more)
        all.push_back(std::move(e));
    for (Entry& e : m_held)
        all.push_back(std::move(e));
    m_held.clear();
    m_heldStatements = 0;
    m_heldBytes = 0;
    for (Entry& e : all) {
        if (e.state != State::Failed && e.state != State::Refused && e.state != State::Loaded) {
            e.state = State::Lost;
            e.description = m_lostDescription;
        }
        finish(e);
    }
}

void AseRowBatcher::finish(const Entry& entry)
{
    RowOutcome outcome;
    outcome.ticket = entry.ticket;
    switch (entry.state) {
    case State::Loaded:
        outcome.loaded = true;
        break;
    case State::Failed:
    case State::Refused:
        outcome.description = entry.description;
        break;
    default:
        outcome.connectionLost = true;
        outcome.description = entry.description.isEmpty() ? m_lostDescription : entry.description;
        outcome.lostCause = m_lostDescription;
        break;
    }
    m_outcomes.push_back(std::move(outcome));
}
