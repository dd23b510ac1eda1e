#include "RowLedger.h"

#include "InsertText.h"

#include <QtTest>

namespace {
RowOutcome loaded(std::int64_t ticket)
{
    RowOutcome o;
    o.ticket = ticket;
    o.loaded = true;
    return o;
}

RowOutcome refused(std::int64_t ticket, const QString& why)
{
    RowOutcome o;
    o.ticket = ticket;
    o.description = why;
    return o;
}

RowOutcome lost(std::int64_t ticket, const QString& why, const QString& cause = {})
{
    RowOutcome o = refused(ticket, why);
    o.connectionLost = true;
    o.lostCause = cause;
    return o;
}

// A ledger that writes down what it tells: "line:description:how".
struct Told
{
    QStringList lines;
    RowLedger ledger{
        [this](const RowLedger::Row& row, const QString& description, RowLedger::Telling telling) {
            lines << QStringLiteral("%1:%2:%3")
                         .arg(row.line)
                         .arg(description, telling == RowLedger::Telling::Report
                                               ? QStringLiteral("report")
                                               : QStringLiteral("list"));
        }};

    QStringList unanswered()
    {
        QStringList rows;
        ledger.drain([&](const RowLedger::Row& row) {
            rows << QStringLiteral("%1:%2").arg(row.line).arg(row.reason);
        });
        return rows;
    }
};
} // namespace

class RowLedgerTest : public QObject
{
    Q_OBJECT

private slots:
    // Outcomes may end rows out of the order they were handed over in; each finds its own row.
    void refusedRowsAreToldWithTheirOwnLines()
    {
        Told t;
        const auto a = t.ledger.handOver(10, "a");
        const auto b = t.ledger.handOver(11, "b");
        const auto c = t.ledger.handOver(12, "c");
        QVERIFY(!t.ledger.absorb({loaded(a), refused(c, "bad c")}, RowLedger::Telling::Report));
        QCOMPARE(t.lines, QStringList{"12:bad c:report"});
        QCOMPARE(t.ledger.loaded(), 1);
        QVERIFY(t.ledger.hasUnanswered());
        QCOMPARE(t.ledger.firstUnansweredLine(), 11);
        Q_UNUSED(b);
    }

    // Once the connection went, the lost row and every row after it go back, in order, in
    // front of the rows never answered, each with its own words; the loss names the cause.
    void aLostRowAndTheRowsAfterItGoBackToTheFront()
    {
        Told t;
        const auto a = t.ledger.handOver(1, "a");
        const auto b = t.ledger.handOver(2, "b");
        const auto c = t.ledger.handOver(3, "c");
        const auto d = t.ledger.handOver(4, "d");
        t.ledger.handOver(5, "e"); // never answered
        const auto loss = t.ledger.absorb(
            {loaded(a), lost(b, "gone; in doubt", "gone"), refused(c, "bad c"), lost(d, "gone")},
            RowLedger::Telling::Report);
        QVERIFY(loss);
        QCOMPARE(loss->description, QStringLiteral("gone; in doubt"));
        QCOMPARE(loss->cause, QStringLiteral("gone"));
        QVERIFY(!loss->storage);
        QVERIFY(t.lines.isEmpty()); // nothing is reported on its own once the connection went
        QCOMPARE(t.unanswered(), (QStringList{"2:gone; in doubt", "3:bad c", "4:gone", "5:"}));
        QVERIFY(!t.ledger.hasUnanswered());
    }

    // A stopping run only lists: every row not loaded is told in its order, nothing returns.
    void stoppingListsEveryRowAsItComes()
    {
        Told t;
        const auto a = t.ledger.handOver(1, "a");
        const auto b = t.ledger.handOver(2, "b");
        const auto c = t.ledger.handOver(3, "c");
        QVERIFY(!t.ledger.absorb({lost(a, "gone"), refused(b, "bad b"), loaded(c)},
                                 RowLedger::Telling::ListOnly));
        QCOMPARE(t.lines, (QStringList{"1:gone:list", "2:bad b:list"}));
        QCOMPARE(t.ledger.loaded(), 1);
        QVERIFY(!t.ledger.hasUnanswered());
    }

    void aFullDiskIsALossOfStorage()
    {
        Told t;
        RowOutcome full = refused(t.ledger.handOver(7, "x"), "database or disk is full");
        full.storageFailed = true;
        const auto loss = t.ledger.absorb({full}, RowLedger::Telling::Report);
        QVERIFY(loss && loss->storage);
        QCOMPARE(loss->cause, QStringLiteral("database or disk is full"));
    }

    // The one INSERT text: apostrophes doubled byte by byte, UTF-8 kept, the table bracketed.
    void insertTextsAreExact_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "T" << QStringList{"1", "x"}
                               << "INSERT INTO [T] VALUES('1','x');";
        QTest::newRow("apostrophes") << "O'T" << QStringList{"O'Brien", "''", "'"}
                                     << "INSERT INTO [O'T] VALUES('O''Brien','''''','''');";
        QTest::newRow("empty field") << "T" << QStringList{""} << "INSERT INTO [T] VALUES('');";
        QTest::newRow("unicode") << "Tä" << QStringList{"€ – \U0001F600"}
                                 << "INSERT INTO [Tä] VALUES('€ – \U0001F600');";
        QTest::newRow("no field") << "T" << QStringList{} << "INSERT INTO [T] VALUES);";
    }
    void insertTextsAreExact()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        QFETCH(QString, text);
        QList<QByteArray> bytes;
        QList<QByteArrayView> views;
        for (const QString& f : fields)
            bytes << f.toUtf8();
        for (const QByteArray& b : bytes)
            views << QByteArrayView(b);
        QCOMPARE(InsertText(table, views), text.toUtf8());
    }
};

QTEST_APPLESS_MAIN(RowLedgerTest)
#include "RowLedgerTest.moc"
