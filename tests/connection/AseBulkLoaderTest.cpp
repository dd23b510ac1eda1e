#include "ase/AseBulkLoader.h"

#include "ase/AseRowBatcher.h"
#include "ase/BulkValues.h"
#include "ase/ServerCharset.h"

#include <QtTest>

namespace {
// Bulk copy as ASE does it, on rows whose one field says what befalls them: "DUP" makes the
// server reject its whole batch (and fail alone as a statement), "LIBNO" is not taken by the
// client library, and the batch numbered loseAtEnd loses the connection while it ends.
class ModelBulk : public BulkChannel
{
public:
    QStringList committed;      // rows kept, bulk and statement alike, in commit order
    QList<QStringList> batches; // rows of each batch the server was asked to end
    QString statementTable;     // a table bulk copy does not load
    int loseAtEnd = -1;
    bool lostNow = false;

    BulkStart begin(const QString& table, const std::vector<ColumnType>&) override
    {
        if (lostNow)
            return BulkStart::ConnectionLost;
        return table == statementTable ? BulkStart::NotForThisTable : BulkStart::Ready;
    }
    bool transfer(const QList<QByteArrayView>& fields) override
    {
        if (fields.first().contains("LIBNO"))
            return false;
        m_batch << QString::fromUtf8(fields.first());
        return true;
    }
    BulkEnd end() override
    {
        batches << m_batch;
        const QStringList batch = std::exchange(m_batch, {});
        if (int(batches.size()) == loseAtEnd) {
            lostNow = true;
            return {false, true, QStringLiteral("gone")};
        }
        for (const QString& row : batch)
            if (row.contains(QStringLiteral("DUP")))
                return {false, false, QStringLiteral("duplicate key in the batch")};
        committed << batch;
        return {true, false, {}};
    }
    QString lostDescription() const override { return QStringLiteral("gone"); }

private:
    QStringList m_batch;
};

struct Loading
{
    ModelBulk server;
    std::vector<RowOutcome> outcomes;
    QStringList byStatement; // rows the statement road was given, in order
    std::vector<std::pair<std::int64_t, std::optional<QString>>> pending;
    QStringList pendingRows;
    std::vector<ColumnType> columns{ColumnType{}};
    AseBulkLoader loader{server,
                         AseBulkLoader::StatementRoad{
                             [this](const RowValues& row, const std::optional<QString>& refusal) {
                                 pending.emplace_back(row.ticket, refusal);
                                 pendingRows << (row.fields.isEmpty()
                                                     ? QString()
                                                     : QString::fromUtf8(row.fields.first()));
                             },
                             [this] { statementFlush(); }},
                         [this](RowOutcome o) { outcomes.push_back(std::move(o)); },
                         AseBulkLoader::Limits{3, 1 << 20, std::chrono::hours(1)},
                         [] { return std::chrono::steady_clock::time_point{}; }};

    // The statement road: each row alone, a DUP failing with the server's own message.
    void statementFlush()
    {
        for (size_t i = 0; i < pending.size(); ++i) {
            RowOutcome o;
            o.ticket = pending[i].first;
            const QString row = pendingRows[qsizetype(i)];
            byStatement << row;
            if (pending[i].second)
                o.description = *pending[i].second;
            else if (server.lostNow)
                o.connectionLost = true;
            else if (row.contains(QStringLiteral("DUP")))
                o.description = QStringLiteral("duplicate: ") + row;
            else {
                o.loaded = true;
                server.committed << row;
            }
            outcomes.push_back(std::move(o));
        }
        pending.clear();
        pendingRows.clear();
    }

    void submit(std::int64_t ticket, const QString& table, const QString& text)
    {
        const QByteArray bytes = text.toUtf8();
        RowValues row{ticket, table, {QByteArrayView(bytes)}, &columns, true};
        const std::optional<QString> refusal = text.contains(QStringLiteral("REFUSE"))
                                                   ? std::optional(QStringLiteral("refused"))
                                                   : std::nullopt;
        const bool carried = !text.contains(QStringLiteral("ODD"));
        if (!loader.submit(AseBulkLoader::Row{row, refusal, carried})) {
            loader.flush();
            pending.emplace_back(ticket, refusal);
            pendingRows << text;
            statementFlush();
        }
    }
};
} // namespace

// Every row gets one outcome in order, and what the table holds is exactly the rows reported
// as loaded, whatever befalls a batch.
class AseBulkLoaderTest : public QObject
{
    Q_OBJECT

private slots:
    void everyRowIsAccountedFor_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("statementTable");
        QTest::addColumn<int>("loseAtEnd");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QStringList>("byStatement");
        QTest::addColumn<QStringList>("failed"); // descriptions of rows not loaded, in order
        const QStringList seven{"1", "2", "3", "4", "5", "6", "7"};
        QTest::newRow("batches of three")
            << seven << QString() << -1 << seven << QStringList() << QStringList();
        QTest::newRow("a rejected batch goes by statement")
            << QStringList{"1", "2", "3", "4", "5 DUP", "6", "7"} << QString() << -1
            << QStringList{"1", "2", "3", "4", "6", "7"} << QStringList{"4", "5 DUP", "6"}
            << QStringList{"duplicate: 5 DUP"};
        QTest::newRow("a refused row fails in its place, unsent")
            << QStringList{"1", "2 REFUSE", "3", "4"} << QString() << -1
            << QStringList{"1", "3", "4"} << QStringList() << QStringList{"refused"};
        QTest::newRow("a refused row in a rejected batch keeps its place")
            << QStringList{"1 DUP", "2 REFUSE", "3"} << QString() << -1 << QStringList{"3"}
            << QStringList{"1 DUP", "", "3"} << QStringList{"duplicate: 1 DUP", "refused"};
        QTest::newRow("a row bulk copy does not carry ends the batch")
            << QStringList{"1", "2 ODD", "3", "4"} << QString() << -1
            << QStringList{"1", "2 ODD", "3", "4"} << QStringList{"2 ODD"} << QStringList();
        QTest::newRow("a row the library does not take goes by statement")
            << QStringList{"1", "2 LIBNO", "3"} << QString() << -1
            << QStringList{"1", "2 LIBNO", "3"} << QStringList{"2 LIBNO"} << QStringList();
        QTest::newRow("a first row the library does not take keeps the table on statements")
            << QStringList{"1 LIBNO", "2", "3"} << QString() << -1
            << QStringList{"1 LIBNO", "2", "3"} << QStringList{"1 LIBNO", "2", "3"}
            << QStringList();
        QTest::newRow("a table bulk copy does not load")
            << QStringList{"1", "2"} << "T" << -1 << QStringList{"1", "2"} << QStringList{"1", "2"}
            << QStringList();
        const QString lostNote = QStringLiteral("gone\r\n") + AseRowBatcher::unknownCommitNote();
        QTest::newRow("the connection lost as the second batch ends")
            << seven << QString() << 2 << QStringList{"1", "2", "3"} << QStringList()
            << QStringList{lostNote, lostNote, lostNote, "gone"};
    }

    void everyRowIsAccountedFor()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, statementTable);
        QFETCH(int, loseAtEnd);
        QFETCH(QStringList, loaded);
        QFETCH(QStringList, byStatement);
        QFETCH(QStringList, failed);
        Loading l;
        l.server.statementTable = statementTable;
        l.server.loseAtEnd = loseAtEnd;
        for (qsizetype i = 0; i < rows.size(); ++i)
            l.submit(i + 1, QStringLiteral("T"), rows[i]);
        l.loader.flush();
        QCOMPARE(qsizetype(l.outcomes.size()), rows.size());
        QStringList reportedLoaded;
        QStringList descriptions;
        for (size_t i = 0; i < l.outcomes.size(); ++i) {
            QCOMPARE(l.outcomes[i].ticket, std::int64_t(i + 1));
            if (l.outcomes[i].loaded)
                reportedLoaded << rows[qsizetype(i)];
            else
                descriptions << l.outcomes[i].description;
        }
        QCOMPARE(reportedLoaded, loaded);
        QStringList kept = l.server.committed;
        std::sort(kept.begin(), kept.end());
        QCOMPARE(kept, loaded); // nothing lost, nothing twice
        QCOMPARE(l.byStatement, byStatement);
        QCOMPARE(descriptions, failed);
    }

    // A batch ends at its row limit, and the flush ends the last one.
    void aBatchEndsAtItsRowLimitAndAtTheFlush()
    {
        Loading l;
        for (int i = 1; i <= 7; ++i)
            l.submit(i, QStringLiteral("T"), QString::number(i));
        QCOMPARE(l.server.batches.size(), 2); // 3 + 3; the seventh waits for the flush
        l.loader.flush();
        QCOMPARE(l.server.batches.last(), QStringList{"7"});
    }

    // A row goes by bulk copy only where the server would store what its statement stores;
    // anything else goes by statement and gets the server's own answer.
    void whichRowsBulkCopyCarries_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("nullable");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<bool>("carried");
        auto row = [](const char* name, const char* type, int length, bool nullable,
                      const QByteArray& field, bool carried, const char* charset = "utf8") {
            QTest::newRow(name) << QString::fromLatin1(type) << length << nullable << field
                                << QString::fromLatin1(charset) << carried;
        };
        row("fits its varchar", "varchar", 3, false, "abc", true);
        row("longer than its varchar", "varchar", 3, false, "abcd", false);
        row("two accents: four bytes in utf8", "varchar", 3, false, "\xc3\xa9\xc3\xa9", false);
        row("two accents: two bytes in iso_1", "varchar", 3, false, "\xc3\xa9\xc3\xa9", true,
            "iso_1");
        row("ends in a blank the server would trim", "varchar", 5, false, "ab ", false);
        row("empty, stored as one blank", "varchar", 1, false, "", true);
        row("empty into NOT NULL int", "int", 0, false, "", false);
        row("empty into NULL int", "int", 0, true, "", true);
        row("a float too large", "float", 0, false, "1e999", false);
        row("a float", "float", 0, false, "-1.5e10", true);
        row("an ISO date", "date", 0, false, "2024-02-29", true);
        row("no such day", "date", 0, false, "2023-02-29", false);
        row("a date written otherwise", "date", 0, false, "29/02/2024", false);
        // The library reads no year before 1753: it would store 1900.
        row("a date before 1753", "date", 0, false, "1500-03-04", false);
        row("a datetime", "datetime", 0, false, "2024-02-29 23:59:59", true);
        row("a datetime's date alone", "datetime", 0, false, "2024-02-29", true);
        row("a datetime with a T", "datetime", 0, false, "2024-02-29T10:00:00", false);
        row("hour 24", "datetime", 0, false, "2024-02-29 24:00:00", false);
        row("a datetime's milliseconds on its grain", "datetime", 0, false,
            "2024-02-29 10:00:00.997", true);
        // The library makes .000 and 23:59:59.997 of these, the server .003 and the next day.
        row("a datetime's .002", "datetime", 0, false, "2024-02-29 10:00:00.002", false);
        row("a datetime's .999", "datetime", 0, false, "2024-02-29 23:59:59.999", false);
        row("a bigdatetime's microseconds", "bigdatetime", 0, false, "2024-02-29 10:00:00.123456",
            true);
        row("a bigdatetime's tenths of a microsecond", "bigdatetime", 0, false,
            "2024-02-29 10:00:00.1234567", false);
        row("a bigdatetime before 1753", "bigdatetime", 0, false, "1700-01-01 00:00:00", false);
        row("a smalldatetime on the minute", "smalldatetime", 0, false, "2024-02-29 10:00:00",
            true);
        row("a smalldatetime's seconds", "smalldatetime", 0, false, "2024-02-29 10:00:30", false);
        row("a time", "time", 0, false, "13:45:10.5", true);
        row("a time written otherwise", "time", 0, false, "1:45PM", false);
        row("a bigtime", "bigtime", 0, false, "13:45:10.000001", true);
    }

    void whichRowsBulkCopyCarries()
    {
        QFETCH(QString, type);
        QFETCH(int, length);
        QFETCH(bool, nullable);
        QFETCH(QByteArray, field);
        QFETCH(QString, charset);
        QFETCH(bool, carried);
        const std::vector<ColumnType> columns{
            AseColumnType(QStringLiteral("c"), type, length, 0, 0, nullable ? 8 : 0)};
        QVERIFY(BulkValues::takesTable(QStringLiteral("T"), columns));
        const ServerCharset set(charset);
        QCOMPARE(BulkValues::carries(columns, {QByteArrayView(field)}, set), carried);
    }

    void tablesBulkCopyLoads()
    {
        const std::vector<ColumnType> plain{
            AseColumnType(QStringLiteral("a"), QStringLiteral("int"), 4, 0, 0, 0)};
        QVERIFY(BulkValues::takesTable(QStringLiteral("Sales_2024"), plain));
        QVERIFY(!BulkValues::takesTable(QStringLiteral("My Sales"), plain));
        for (const char* type : {"text", "image", "univarchar", "datetimn"})
            QVERIFY2(!BulkValues::takesTable(
                         QStringLiteral("T"),
                         {AseColumnType(QStringLiteral("a"), QLatin1String(type), 4, 0, 0, 0)}),
                     type);
    }
};

QTEST_GUILESS_MAIN(AseBulkLoaderTest)
#include "AseBulkLoaderTest.moc"
