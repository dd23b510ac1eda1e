#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "Guard.h"
#include "ScriptedInteraction.h"
#include "SybaseASE.h"
#include "TableList.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {
ConnectionSettings embedded(const QString& path)
{
    return {QStringLiteral("file:") + path, QStringLiteral("5000"), {}, {}, {}};
}

void createDatabase(const QString& path, const QStringList& statements)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    for (const QString& sql : statements)
        QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// Six user tables in this order, a view and SQLite's own bookkeeping table.
const QStringList catalogue = {
    "CREATE TABLE Orders (Id TEXT)",
    "CREATE TABLE SysConfig (Id TEXT)",
    "CREATE TABLE Customers (Id INTEGER PRIMARY KEY AUTOINCREMENT)",
    "CREATE VIEW OrderView AS SELECT * FROM Orders",
    "CREATE TABLE MySystem (Id TEXT)",
    "CREATE TABLE Analysys (Id TEXT)",
    "CREATE TABLE [Bar Sys-Log] (Id TEXT)",
    "CREATE TABLE Zeta (Id TEXT)",
};
} // namespace

class TableCatalogueTest : public QObject
{
    Q_OBJECT

private slots:
    void listsUserTablesInProviderOrder()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("c.db"));
        createDatabase(db, catalogue);
        MemoryTableList list(QStringList{"Stale"});
        ScriptedInteraction ui;
        FillTableList(list, defaultSessionFactory(), embedded(db), ui);
        QCOMPARE(list.items(), QStringList({"Orders", "Customers", "Zeta"}));
        // One yield per row of type TABLE: not for the view nor sqlite_sequence.
        QCOMPARE(ui.yields(), 7);
        QVERIFY(ui.messages().isEmpty());
    }

    void emptyDatabaseLeavesListEmpty()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("empty.db"));
        createDatabase(db, {"CREATE VIEW OnlyAView AS SELECT 1"});
        MemoryTableList list(QStringList{"Stale"});
        ScriptedInteraction ui;
        FillTableList(list, defaultSessionFactory(), embedded(db), ui);
        QCOMPARE(list.count(), 0);
        QCOMPARE(ui.yields(), 0);
    }

    void unopenableConnectionReportsOnceThroughTheCallersGuard()
    {
        TestEnvironment env;
        ScriptedInteraction ui;
        MemoryTableList list;
        Guard guard(ui, Locations::MainLoad);
        guard.line(116, [&] { list.clear(); });
        guard.line(118, [&] {
            FillTableList(list, defaultSessionFactory(),
                          embedded(env.path(QStringLiteral("no/such/folder.db"))), ui);
        });
        guard.line(120, [&] { list.addItem(QStringLiteral("after")); });
        QCOMPARE(ui.messages().size(), 1);
        QVERIFY(ui.messages().front().text.endsWith(
            QStringLiteral(
                "\r\nin Quorvane2021/08/31.Form2.Form_Load at line 118\r\rPlease email screenshot "
                "of this message to ") +
            SupportAddress));
        QCOMPARE(list.items(), QStringList({"after"}));
    }

    void failureBeforeClearingKeepsTheList()
    {
        MemoryTableList list(QStringList{"Kept"});
        ScriptedInteraction ui;
        const SessionFactory failing = []() -> std::unique_ptr<DatabaseSession> {
            throw Failure(QStringLiteral("Class not registered"));
        };
        QVERIFY_THROWS_EXCEPTION(Failure, FillTableList(list, failing, {}, ui));
        QCOMPARE(list.items(), QStringList({"Kept"}));
    }

    void failureWhileFillingKeepsWhatWasListed()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("c.db"));
        createDatabase(db, catalogue);
        MemoryTableList list(QStringList{"Stale"});
        ScriptedInteraction ui;
        // The third TABLE row is Customers: the failure comes before its name test.
        ui.onYield([](int count) {
            if (count == 3)
                throw Failure(QStringLiteral("interrupted"));
        });
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 FillTableList(list, defaultSessionFactory(), embedded(db), ui));
        QCOMPARE(list.items(), QStringList({"Orders"}));
    }

    void listContains_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("case differs") << QStringList({"Customers", "ORDERS"}) << "Orders" << true;
        QTest::newRow("last entry") << QStringList({"a", "b", "c"}) << "C" << true;
        QTest::newRow("empty list") << QStringList() << "Orders" << false;
        QTest::newRow("prefix only") << QStringList({"Orders2"}) << "Orders" << false;
        QTest::newRow("pattern kept")
            << QStringList({"NewTable[counter]"}) << "newtable[COUNTER]" << true;
        QTest::newRow("empty text") << QStringList({"x"}) << "" << false;
    }
    void listContains()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(ListContains(MemoryTableList(items), text), expected);
    }

    void memoryListKeepsSelectionOnInsert()
    {
        MemoryTableList list(QStringList{"a", "b"});
        QCOMPARE(list.currentIndex(), -1);
        QCOMPARE(list.currentText(), QString());
        list.setCurrentIndex(1);
        list.insertItem(0, QStringLiteral("new"));
        QCOMPARE(list.items(), QStringList({"new", "a", "b"}));
        QCOMPARE(list.currentText(), QStringLiteral("b"));
        list.setCurrentIndex(7);
        QCOMPARE(list.currentIndex(), -1);
        list.setCurrentIndex(0);
        list.clear();
        QCOMPARE(list.currentIndex(), -1);
    }
};

QTEST_GUILESS_MAIN(TableCatalogueTest)
#include "TableCatalogueTest.moc"
