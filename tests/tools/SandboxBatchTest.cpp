// Language batches as ASE runs them, straight through the sandbox's batch runner: one DONE
// per statement, compile-time failures that stop the whole batch, runtime failures that
// stop only their statement, transactions, chained mode and the fault switches.
#include "AseErrors.h"
#include "BatchRunner.h"
#include "ReplyTokens.h"
#include "SessionClient.h"

#include <QtTest>

using namespace sandbox;

namespace {
constexpr quint16 More = 0x01, Error = 0x02, InTransaction = 0x04, Counted = 0x10;

QList<quint16> statuses(const ReplyTokens& r)
{
    QList<quint16> out;
    for (const auto& d : r.dones)
        out << d.status;
    return out;
}

QList<int> lines(const ReplyTokens& r)
{
    QList<int> out;
    for (const auto& m : r.messages)
        out << m.line;
    return out;
}

QByteArray columnList(int count)
{
    QByteArray list;
    for (int i = 0; i < count; ++i)
        list += (i ? ", c" : "c") + QByteArray::number(i) + " int null";
    return list;
}
} // namespace

class SandboxBatchTest : public QObject
{
    Q_OBJECT

private slots:
    void eachStatementAnswersItsOwnDone()
    {
        SessionClient c;
        QVERIFY(c.opened());
        const ReplyTokens r = c.run("create table t (a int null)\n"
                                    "insert into t values (1)\n"
                                    "insert into t select a + 1 from t\n"
                                    "select a from t order by a");
        QVERIFY(r.wellFormed);
        QCOMPARE(statuses(r), (QList<quint16>{More, More | Counted, More | Counted, Counted}));
        QCOMPARE(r.dones[2].count, 1u);
        QCOMPARE(r.dones[3].count, 2u);
        QCOMPARE(r.rows.size(), 2);
        QVERIFY(r.messages.isEmpty());
    }

    void aRuntimeErrorFailsOnlyItsOwnStatement()
    {
        SessionClient c;
        c.run("create table t (a int null)");
        const ReplyTokens r = c.run("insert into t values (1)\n"
                                    "insert into missing values (2)\n"
                                    "insert into t\n"
                                    "  values (3, 4)\n"
                                    "insert into t values (5)");
        QCOMPARE(statuses(r),
                 (QList<quint16>{More | Counted, More | Error, More | Error, Counted}));
        QCOMPARE(r.messageNumbers(), (QList<int>{208, 213}));
        QCOMPARE(lines(r), (QList<int>{2, 3}));
        QCOMPARE(c.scalar("select count(*) from t where a in (1, 5)"), QByteArray("2"));
        QCOMPARE(c.scalar("select @@error"), QByteArray("0"));
    }

    void aCompileErrorRejectsTheWholeBatch_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("line");
        QTest::newRow("misspelt keyword") << QByteArray("insert into t values (1)\n"
                                                        "\n"
                                                        "selec oops")
                                          << 102 << 3;
        QTest::newRow("inside a statement") << QByteArray("insert into t values (1)\n"
                                                          "insert into t\n"
                                                          "  valuez (2)")
                                            << 102 << 3;
        QTest::newRow("unclosed string") << QByteArray("insert into t values (1)\n"
                                                       "insert into t values ('2)")
                                         << 102 << 2;
        QTest::newRow("name of 256 bytes") << QByteArray("insert into t values (1)\ncreate table " +
                                                         QByteArray(256, 'n') + " (a int null)")
                                           << 103 << 2;
        QTest::newRow("bracketed name of 254 bytes")
            << QByteArray("insert into t values (1)\ncreate table [" + QByteArray(254, 'n') +
                          "] (a int null)")
            << 103 << 2;
    }

    void aCompileErrorRejectsTheWholeBatch()
    {
        QFETCH(QByteArray, batch);
        QFETCH(int, number);
        QFETCH(int, line);
        SessionClient c;
        c.run("create table t (a int null)");
        const ReplyTokens r = c.run(batch);
        QCOMPARE(statuses(r), QList<quint16>{Error});
        QCOMPARE(r.messageNumbers(), QList<int>{number});
        QCOMPARE(lines(r), QList<int>{line});
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("0"));
    }

    void namesAndColumnsUpToAsesLimitsAreTaken()
    {
        SessionClient c;
        const QByteArray longest(255, 'n');
        QCOMPARE(statuses(c.run("create table " + longest +
                                " (a int null)\n"
                                "create table [" +
                                QByteArray(253, 'b') + "] (a int null)")),
                 (QList<quint16>{More, 0}));
        const ReplyTokens wide =
            c.run("create table wide (" + columnList(1024) + ") lock datarows");
        QCOMPARE(statuses(wide), QList<quint16>{0});
        const ReplyTokens tooWide = c.run("create table too_wide (" + columnList(1025) +
                                          ")\ninsert into wide (c0) values (1)");
        QCOMPARE(statuses(tooWide), (QList<quint16>{More | Error, Counted}));
        QCOMPARE(tooWide.messageNumbers(), QList<int>{1702});
        QCOMPARE(c.scalar("select count(*) from sysobjects where name = 'too_wide'"),
                 QByteArray("0"));
    }

    void namesDifferingInCaseAreDifferentObjects()
    {
        SessionClient c;
        QCOMPARE(statuses(c.run("CREATE TABLE [T]([A] TEXT NULL, [a] TEXT NULL)\n"
                                "create table t (x int)")),
                 (QList<quint16>{More, 0}));
        QVERIFY(c.run("INSERT INTO [T] VALUES('up', 'low') insert into t values (1)")
                    .messages.isEmpty());
        // The client's own readings: the table list and the columns of one table.
        const ReplyTokens listed =
            c.run("select name, type from sysobjects where type in ('U','S','V') order by name");
        QCOMPARE(listed.rows, (QList<ReplyTokens::Row>{{QByteArray("T"), QByteArray("U ")},
                                                       {QByteArray("t"), QByteArray("U ")}}));
        const ReplyTokens all = c.run("SELECT * FROM [T]");
        QCOMPARE(all.columnNames, (QList<QByteArray>{"A", "a"}));
        QCOMPARE(all.rows, (QList<ReplyTokens::Row>{{QByteArray("up"), QByteArray("low")}}));
        // A new session reads the names back from the file.
        c.reconnect();
        const ReplyTokens picked = c.run("select a, A, t.x from T, t where T.A = 'up'");
        QCOMPARE(picked.columnNames, (QList<QByteArray>{"a", "A", "x"}));
        QCOMPARE(picked.rows,
                 (QList<ReplyTokens::Row>{{QByteArray("low"), QByteArray("up"), QByteArray("1")}}));
        QCOMPARE(c.scalar("select count(*) from sysobjects where name = 't'"), QByteArray("1"));
        // Messages name objects as the client wrote them.
        const ReplyTokens refused = c.run("create table T (b int null)\n"
                                          "insert into t values (null)");
        QCOMPARE(refused.messageNumbers(), (QList<int>{2714, 233}));
        QVERIFY2(refused.messages[0].text.contains("There is already an object named 'T'"),
                 refused.messages[0].text.constData());
        QVERIFY2(refused.messages[1].text.contains("The column x in table t does not"),
                 refused.messages[1].text.constData());
        QCOMPARE(statuses(c.run("drop table t")), QList<quint16>{0});
        QCOMPARE(c.scalar("select count(*) from T"), QByteArray("1"));
    }

    void aNameInAnotherCaseNamesNothing_data()
    {
        QTest::addColumn<QByteArray>("statement");
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("wording");
        QTest::newRow("table") << QByteArray("select * from people") << 208
                               << QByteArray("people not found.");
        QTest::newRow("bracketed") << QByteArray("insert into [PEOPLE] values (1)") << 208
                                   << QByteArray("PEOPLE not found.");
        QTest::newRow("column") << QByteArray("select id from People") << 207
                                << QByteArray("Invalid column name 'id'.");
        QTest::newRow("qualified column")
            << QByteArray("select People.iD from People") << 207 << QByteArray("iD'.");
        QTest::newRow("drop") << QByteArray("drop table people") << 3701
                              << QByteArray("Cannot drop the table 'people'");
        QTest::newRow("catalogue")
            << QByteArray("select * from SysObjects") << 208 << QByteArray("SysObjects not found.");
    }

    void aNameInAnotherCaseNamesNothing()
    {
        QFETCH(QByteArray, statement);
        QFETCH(int, number);
        QFETCH(QByteArray, wording);
        SessionClient c;
        c.run("create table People (Id int null)");
        const ReplyTokens r = c.run(statement);
        QCOMPARE(r.messageNumbers(), QList<int>{number});
        QVERIFY2(r.messages[0].text.contains(wording), r.messages[0].text.constData());
        QCOMPARE(c.scalar("select count(Id) from People"), QByteArray("0"));
    }

    void transactionsCountAndRollBackAsAseDoes()
    {
        SessionClient c;
        c.run("create table t (a int null)");
        const ReplyTokens r = c.run("begin tran\n"
                                    "insert into t values (1)\n"
                                    "select @@trancount\n"
                                    "rollback tran\n"
                                    "select @@trancount, count(*) from t");
        QCOMPARE(statuses(r), (QList<quint16>{More | InTransaction, More | Counted | InTransaction,
                                              More | Counted | InTransaction, More, Counted}));
        QCOMPARE(*r.rows[0][0], QByteArray("1"));
        QCOMPARE(r.rows[1], (ReplyTokens::Row{QByteArray("0"), QByteArray("0")}));

        // Nested: only the outermost commit commits; a rollback ends them all.
        c.run("begin tran begin transaction insert into t values (2) commit tran");
        QCOMPARE(c.scalar("select @@trancount"), QByteArray("1"));
        c.run("rollback");
        QCOMPARE(c.scalar("select @@trancount"), QByteArray("0"));
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("0"));

        // Committed work stays; a commit with nothing open is no error.
        const ReplyTokens committed =
            c.run("begin tran insert into t values (3) commit tran commit");
        QVERIFY(committed.messages.isEmpty());
        c.run("rollback tran");
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("1"));
    }

    void ddlInsideATransactionIsRefused()
    {
        SessionClient c;
        c.run("create table t (a int null)");
        const ReplyTokens r = c.run("begin tran\n"
                                    "insert into t values (1)\n"
                                    "create table u (a int null)\n"
                                    "drop table t\n"
                                    "create unique index ix on t (a)\n"
                                    "truncate table t\n"
                                    "commit tran");
        QCOMPARE(r.messageNumbers(), (QList<int>{2762, 2762, 2762, 226}));
        QCOMPARE(lines(r), (QList<int>{3, 4, 5, 6}));
        QVERIFY2(r.messages[0].text.contains(
                     "The 'CREATE TABLE' command is not allowed within a multi-statement "
                     "transaction in the 'master' database."),
                 r.messages[0].text.constData());
        QVERIFY(r.messages[1].text.contains("'DROP TABLE'"));
        QVERIFY(r.messages[2].text.contains("'CREATE INDEX'"));
        // The transaction went on and committed the insert.
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("1"));
        QCOMPARE(c.scalar("select count(*) from sysobjects where name = 'u'"), QByteArray("0"));
        // Outside a transaction the same statement is fine.
        QCOMPARE(statuses(c.run("create table u (a int null)")), QList<quint16>{0});
    }

    void chainedModeBeginsTransactionsItself()
    {
        SessionClient c;
        c.run("create table t (a int null)");
        const ReplyTokens r = c.run("set chained on\n"
                                    "insert into t values (1)\n"
                                    "select @@trancount\n"
                                    "set chained off");
        QCOMPARE(r.lastScalar(), QByteArray("1"));
        QCOMPARE(r.messageNumbers(), QList<int>{226});
        QVERIFY(r.messages[0].text.contains("SET CHAINED command not allowed"));
        // The client leaves without committing: the insert is gone.
        c.reconnect();
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("0"));
        QCOMPARE(c.scalar("select @@trancount"), QByteArray("0"));
        // Committed in chained mode, it stays.
        c.run("set chained on insert into t values (2) commit");
        c.reconnect();
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("1"));
    }

    void anOpenTransactionEndsWithTheSession()
    {
        SessionClient c;
        c.run("create table t (a int null)");
        c.run("begin tran insert into t values (1) insert into t values (2)");
        c.reconnect();
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("0"));
    }

    void aDeadlockVictimLosesItsTransactionAndTheRestOfTheBatch()
    {
        Options o;
        o.abortTranContaining = "'victim'";
        SessionClient c(o);
        c.run("create table t (a varchar(10) null)");
        c.run("insert into t values ('before')");
        const ReplyTokens r = c.run("begin tran\n"
                                    "insert into t values ('kept?')\n"
                                    "insert into t values ('victim')\n"
                                    "insert into t values ('after')");
        QCOMPARE(statuses(r),
                 (QList<quint16>{More | InTransaction, More | Counted | InTransaction, Error}));
        QCOMPARE(r.messageNumbers(), QList<int>{1205});
        QCOMPARE(lines(r), QList<int>{3});
        QVERIFY(r.messages[0].text.contains("process id #17) encountered a deadlock situation."));
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("1"));
        QCOMPARE(c.scalar("select @@trancount"), QByteArray("0"));
        // Outside a transaction only the statement fails.
        QCOMPARE(c.run("insert into t values ('victim')").messageNumbers(), QList<int>{1205});
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("1"));
    }

    void rejectedTextIsMatchedAsReceived()
    {
        Options o;
        o.rejectContaining = ";";
        SessionClient c(o);
        c.run("create table t (a int null)");
        const ReplyTokens r = c.run("insert into t values (1);\ninsert into t values (2)");
        QCOMPARE(statuses(r), (QList<quint16>{More | Error, Counted}));
        QCOMPARE(r.messageNumbers(), QList<int>{50001});
        QCOMPARE(c.scalar("select a from t"), QByteArray("2"));
    }

    void aCancelWhileTheLastStatementReadsRowsEndsTheBatch()
    {
        SessionClient c;
        c.run("create table t (a int null)\n"
              "insert into t with recursive n(x) as (select 1 union all select x + 1 from n "
              "where x < 1000) select x from n");
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray("1000"));
        int asked = 0;
        BatchEnd end;
        // The first question comes before the statement starts, the next while it reads rows.
        c.run("select a from t", &end, [&] { return ++asked > 1; });
        QCOMPARE(end, BatchEnd::Cancelled);
        QVERIFY(asked > 1);
    }

    void statementCountingSwitchesStopAtTheirStatement()
    {
        Options o;
        o.silentAfter = 3;
        SessionClient c(o);
        BatchEnd end;
        c.run("create table t (a int null)", &end);
        QCOMPARE(end, BatchEnd::Answered);
        c.run("insert into t values (1) insert into t values (2) insert into t values (3)", &end);
        QCOMPARE(end, BatchEnd::Silent);
        QCOMPARE(c.statementsRun(), 3);
        QCOMPARE(c.scalar("select count(*) from t"), QByteArray()); // nothing is answered now

        Options d;
        d.closeAfter = 1;
        SessionClient dropped(d);
        dropped.run("select 1", &end);
        QCOMPARE(end, BatchEnd::Answered);
        dropped.run("select 2", &end);
        QCOMPARE(end, BatchEnd::Drop);
    }
};

QTEST_GUILESS_MAIN(SandboxBatchTest)
#include "SandboxBatchTest.moc"
