#include "ase/AseRowBatcher.h"

#include <QtTest>

namespace {
// A small server with ASE's batch and transaction rules, so the batcher's choices can be
// checked against what ends up committed. A row statement is "row N" plus markers:
// REJECT fails it, ABORT makes it a deadlock victim (transaction rolled back, batch ended),
// SYNTAX rejects its whole batch before anything runs.
class ModelServer : public StatementChannel
{
public:
    QStringList committed;   // rows kept, in the order they were committed
    QList<QStringList> sent; // every batch as sent
    int dropAfter = -1;      // statements run before the connection drops
    bool goOnAfterAbort =
        false; // run the rest of the batch after a deadlock, outside the transaction

    BatchAnswer exchange(const QByteArrayList& bytes) override
    {
        QStringList statements;
        for (const QByteArray& b : bytes)
            statements << QString::fromUtf8(b);
        sent << statements;
        BatchAnswer batch;
        if (m_dropped) {
            batch.connectionLost = true;
            batch.lostDescription = QStringLiteral("gone");
            return batch;
        }
        for (const QString& s : statements)
            if (s.contains(QStringLiteral("SYNTAX"))) {
                batch.answers.push_back({true, QStringLiteral("Incorrect syntax"), {}});
                return batch;
            }
        for (const QString& s : statements) {
            if (dropAfter >= 0 && m_run >= dropAfter) {
                m_dropped = true;
                m_pending.clear();
                m_tranCount = 0;
                batch.connectionLost = true;
                batch.lostDescription = QStringLiteral("Unexpected EOF from the server");
                return batch;
            }
            ++m_run;
            StatementAnswer a;
            if (s == QStringLiteral("begin tran")) {
                ++m_tranCount;
            } else if (s == QStringLiteral("commit tran")) {
                if (m_tranCount > 0)
                    committed << m_pending;
                m_pending.clear();
                m_tranCount = 0;
            } else if (s == QStringLiteral("rollback tran")) {
                m_pending.clear();
                m_tranCount = 0;
            } else if (s == QStringLiteral("select @@trancount")) {
                a.firstValue = m_tranCount;
            } else if (s.contains(QStringLiteral("ABORT"))) {
                m_pending.clear();
                m_tranCount = 0;
                batch.answers.push_back({true, QStringLiteral("deadlock victim"), {}});
                if (!goOnAfterAbort)
                    return batch;
                continue;
            } else if (s.contains(QStringLiteral("REJECT"))) {
                a = {true, QStringLiteral("rejected: ") + s, {}};
            } else if (m_tranCount > 0) {
                m_pending << s;
            } else {
                committed << s;
            }
            batch.answers.push_back(a);
        }
        return batch;
    }

    // How often a statement went to the server, in any batch.
    int timesSent(const QString& statement) const
    {
        int n = 0;
        for (const QStringList& b : sent)
            n += int(b.count(statement));
        return n;
    }

private:
    QStringList m_pending;
    int m_tranCount = 0;
    int m_run = 0;
    bool m_dropped = false;
};

struct FakeClock
{
    std::chrono::steady_clock::time_point now{};
    AseRowBatcher::Clock clock()
    {
        return [this] { return now; };
    }
};

QString rowText(int n, const QString& marker = {})
{
    return QStringLiteral("row %1%2").arg(n).arg(marker);
}

// Submits a row as the ASE road does: its exact text, refused before sending when it holds a
// character the model server's set lacks (the euro sign).
void submitText(AseRowBatcher& batcher, std::int64_t ticket, const QString& text)
{
    std::optional<QString> refusal;
    if (text.contains(QChar(0x20AC)))
        refusal = QStringLiteral("cannot hold the euro sign");
    batcher.submit(ticket, text.toUtf8(), refusal);
}

// Submits rows 1..texts.size() with tickets equal to their numbers.
void submitAll(AseRowBatcher& batcher, const QStringList& texts)
{
    for (int i = 0; i < texts.size(); ++i)
        submitText(batcher, i + 1, texts[i]);
}

QStringList loadedTexts(const std::vector<RowOutcome>& outcomes, const QStringList& texts)
{
    QStringList loaded;
    for (const RowOutcome& o : outcomes)
        if (o.loaded)
            loaded << texts[int(o.ticket - 1)];
    return loaded;
}

// One outcome per row, in submission order.
bool inOrder(const std::vector<RowOutcome>& outcomes, int rows)
{
    if (int(outcomes.size()) != rows)
        return false;
    for (int i = 0; i < rows; ++i)
        if (outcomes[size_t(i)].ticket != i + 1)
            return false;
    return true;
}

QStringList numberedRows(int count, const QMap<int, QString>& markers = {})
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts << rowText(i, markers.value(i));
    return texts;
}
} // namespace

class AseRowBatcherTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsTravelInBoundedBatchesAndCountOnlyOnceCommitted()
    {
        ModelServer server;
        FakeClock time;
        AseRowBatcher batcher(server, {1000, 1 << 20, std::chrono::milliseconds(100)},
                              time.clock());
        const QStringList texts = numberedRows(2500);
        submitAll(batcher, texts);
        // Two full batches went out in one transaction, still open: nothing is final yet.
        QCOMPARE(server.sent.size(), 2);
        QVERIFY(batcher.take().empty());
        QVERIFY(server.committed.isEmpty());
        batcher.flush();
        const std::vector<RowOutcome> outcomes = batcher.take();
        QVERIFY(inOrder(outcomes, 2500));
        QCOMPARE(loadedTexts(outcomes, texts), texts);
        QCOMPARE(server.committed, texts);
        // Statements go exactly as built, the first batch opening the transaction.
        QCOMPARE(server.sent[0].first(), QStringLiteral("begin tran"));
        QCOMPARE(server.sent[0].mid(1, 1000), texts.mid(0, 1000));
        QCOMPARE(server.sent[1].mid(0, 1000), texts.mid(1000, 1000));
        QCOMPARE(server.sent.last(), QStringList{QStringLiteral("commit tran")});
        for (const QStringList& batch : server.sent)
            QVERIFY(batch.size() <= 1002);

        // A byte bound cuts batches short of the row count.
        ModelServer small;
        AseRowBatcher bytes(small, {1000, 100, std::chrono::milliseconds(100)}, time.clock());
        submitAll(bytes, numberedRows(50));
        bytes.flush();
        int rowBatches = 0;
        for (const QStringList& batch : small.sent) {
            qsizetype rowBytes = 0;
            for (const QString& statement : batch)
                if (statement.startsWith(QStringLiteral("row ")))
                    rowBytes += statement.size() + 1;
            rowBatches += rowBytes > 0;
            QVERIFY(rowBytes <= 100 + 7); // the row that reached the bound is the last
        }
        QVERIFY(rowBatches >= 4);
        QCOMPARE(small.committed, numberedRows(50));
    }

    void transactionsEndAfterTheirTimeAndBeforeAnythingElse()
    {
        ModelServer server;
        FakeClock time;
        AseRowBatcher batcher(server, {10, 1 << 20, std::chrono::milliseconds(100)}, time.clock());
        submitAll(batcher, numberedRows(25));
        QVERIFY(server.committed.isEmpty());
        time.now += std::chrono::milliseconds(100);
        submitText(batcher, 26, rowText(26));
        // The rows held were sent and the whole transaction committed.
        QCOMPARE(server.committed, numberedRows(26));
        QVERIFY(inOrder(batcher.take(), 26));

        // Rows waiting for a batch to fill go out once they have waited as long.
        submitText(batcher, 27, rowText(27));
        QCOMPARE(server.committed.size(), 26);
        time.now += std::chrono::milliseconds(150);
        submitText(batcher, 28, rowText(28));
        QCOMPARE(server.committed.size(), 28);
    }

    void rejectedAndRefusedRowsFailOnTheirOwnInOrder()
    {
        ModelServer server;
        FakeClock time;
        AseRowBatcher batcher(server, {4, 1 << 20, std::chrono::milliseconds(100)}, time.clock());
        const QStringList texts = numberedRows(10, {{2, QStringLiteral(" REJECT")},
                                                    {5, QStringLiteral(" ") + QChar(0x20AC)},
                                                    {9, QStringLiteral(" REJECT")}});
        submitAll(batcher, texts);
        batcher.flush();
        const std::vector<RowOutcome> outcomes = batcher.take();
        QVERIFY(inOrder(outcomes, 10));
        QCOMPARE(outcomes[1].description, QStringLiteral("rejected: row 2 REJECT"));
        QCOMPARE(outcomes[4].description, QStringLiteral("cannot hold the euro sign"));
        QCOMPARE(outcomes[8].description, QStringLiteral("rejected: row 9 REJECT"));
        for (const RowOutcome& o : outcomes)
            QCOMPARE(o.loaded, o.description.isEmpty());
        QCOMPARE(loadedTexts(outcomes, texts), server.committed);
        QCOMPARE(server.committed.size(), 7);
        // The refused row never reached the server; a rejected one is not sent twice.
        QCOMPARE(server.timesSent(texts[4]), 0);
        QCOMPARE(server.timesSent(texts[1]), 1);
    }

    void aLostTransactionIsSentAgainRowByRow_data()
    {
        QTest::addColumn<bool>("goOnAfterAbort");
        QTest::newRow("the server ends the batch") << false;
        QTest::newRow("the server goes on outside the transaction") << true;
    }

    void aLostTransactionIsSentAgainRowByRow()
    {
        QFETCH(bool, goOnAfterAbort);
        ModelServer server;
        server.goOnAfterAbort = goOnAfterAbort;
        FakeClock time;
        AseRowBatcher batcher(server, {5, 1 << 20, std::chrono::milliseconds(100)}, time.clock());
        // Rows 1-5 go out in the first batch and stay uncommitted; in the second, row 7 is
        // rejected on its own and row 9 aborts the transaction.
        const QStringList texts =
            numberedRows(12, {{7, QStringLiteral(" REJECT")}, {9, QStringLiteral(" ABORT")}});
        submitAll(batcher, texts);
        batcher.flush();
        const std::vector<RowOutcome> outcomes = batcher.take();
        QVERIFY(inOrder(outcomes, 12));
        QCOMPARE(outcomes[6].description, QStringLiteral("rejected: row 7 REJECT"));
        QCOMPARE(outcomes[8].description, QStringLiteral("deadlock victim"));
        QCOMPARE(outcomes[8].connectionLost, false);
        // Every other row is loaded, exactly once.
        const QStringList loaded = loadedTexts(outcomes, texts);
        QCOMPARE(loaded.size(), 10);
        QStringList kept = server.committed;
        kept.sort();
        QStringList expected = loaded;
        expected.sort();
        QCOMPARE(kept, expected);
        QCOMPARE(server.timesSent(texts[6]), 1);
        QCOMPARE(server.timesSent(texts[0]), 2);
    }

    void aBatchRejectedWholeIsSentAgainRowByRow()
    {
        ModelServer server;
        FakeClock time;
        AseRowBatcher batcher(server, {4, 1 << 20, std::chrono::milliseconds(100)}, time.clock());
        const QStringList texts = numberedRows(10, {{6, QStringLiteral(" SYNTAX")}});
        submitAll(batcher, texts);
        batcher.flush();
        const std::vector<RowOutcome> outcomes = batcher.take();
        QVERIFY(inOrder(outcomes, 10));
        QCOMPARE(outcomes[5].description, QStringLiteral("Incorrect syntax"));
        QCOMPARE(loadedTexts(outcomes, texts).size(), 9);
        QCOMPARE(server.committed.size(), 9);
        // The rejected batch's other rows each went once more, alone.
        for (int row : {5, 7, 8})
            QVERIFY(server.sent.contains(QStringList{texts[row - 1]}));
    }

    void aLostConnectionLeavesACommittedPrefix_data()
    {
        QTest::addColumn<int>("dropAfter");
        for (int n : {0, 3, 14, 15, 16, 40})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }

    void aLostConnectionLeavesACommittedPrefix()
    {
        QFETCH(int, dropAfter);
        ModelServer server;
        server.dropAfter = dropAfter;
        FakeClock time;
        AseRowBatcher batcher(server, {6, 1 << 20, std::chrono::milliseconds(100)}, time.clock());
        const QStringList texts = numberedRows(30);
        for (int i = 0; i < texts.size(); ++i) {
            submitText(batcher, i + 1, texts[i]);
            if (i % 7 == 6)
                time.now += std::chrono::milliseconds(100); // a commit now and then
        }
        batcher.flush();
        const std::vector<RowOutcome> outcomes = batcher.take();
        QVERIFY(inOrder(outcomes, 30));
        const QStringList loaded = loadedTexts(outcomes, texts);
        QCOMPARE(server.committed, loaded);
        QCOMPARE(loaded, texts.mid(0, loaded.size()));
        for (size_t i = size_t(loaded.size()); i < outcomes.size(); ++i)
            QVERIFY(outcomes[i].connectionLost);
        QVERIFY(loaded.size() < 30);
        // Nothing goes out after the loss.
        const qsizetype batches = server.sent.size();
        submitText(batcher, 31, rowText(31));
        batcher.flush();
        QCOMPARE(server.sent.size(), batches);
        QVERIFY(batcher.take().front().connectionLost);
    }

    void oneRowPerRoundTripWithoutTransactions()
    {
        ModelServer server;
        server.dropAfter = 4;
        AseRowBatcher batcher(server, {1, 1 << 20, std::chrono::milliseconds(100)});
        const QStringList texts = numberedRows(6, {{2, QStringLiteral(" REJECT")}});
        submitAll(batcher, texts);
        const std::vector<RowOutcome> outcomes = batcher.take();
        QVERIFY(inOrder(outcomes, 6));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(server.sent[i], QStringList{texts[i]});
        QCOMPARE(server.committed, (QStringList{texts[0], texts[2], texts[3]}));
        // The row in flight when the connection went may or may not have been applied.
        QVERIFY(outcomes[4].connectionLost);
        QVERIFY(outcomes[4].description.contains(AseRowBatcher::unknownOutcomeNote()));
        QVERIFY(outcomes[5].connectionLost);
    }
};

QTEST_GUILESS_MAIN(AseRowBatcherTest)
#include "AseRowBatcherTest.moc"
