// The sandbox's reading of ASE batches: where statements split, what is rewritten for SQLite,
// which ASE messages SQLite failures become, and how result columns go on the wire.
#include "AseErrors.h"
#include "Login.h"
#include "ResultFormat.h"
#include "SqlTranslation.h"

#include <QtTest>

using namespace sandbox;

namespace {
QStringList split(const char* batch)
{
    QStringList out;
    for (const BatchStatement& s : splitBatch(batch))
        out << QString::fromUtf8(s.text.data(), qsizetype(s.text.size()));
    return out;
}

QString sqlOf(const std::string& statement)
{
    SessionGlobals g;
    g.spid = 42;
    g.rowCount = 7;
    return QString::fromStdString(translate(statement, g).sql);
}

QString sqlOf(const char* statement)
{
    return sqlOf(std::string(statement));
}

QString sqlOf(const QString& statement)
{
    return sqlOf(statement.toStdString());
}

Value integer(int64_t v)
{
    Value x;
    x.type = Value::Integer;
    x.integer = v;
    return x;
}

Value text(std::string s)
{
    Value x;
    x.type = Value::Text;
    x.text = std::move(s);
    return x;
}
} // namespace

class SandboxSqlTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsBatchesAsAseReadsThem_data()
    {
        QTest::addColumn<QString>("batch");
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("login batch")
            << "select @@spid use [testdb]" << QStringList{"select @@spid", "use [testdb]"};
        QTest::newRow("semicolons")
            << "create table t (a int); insert into t values (1);"
            << QStringList{"create table t (a int)", "insert into t values (1)"};
        QTest::newRow("no separators")
            << "create table t (a int null) insert into t values (1) select * from t"
            << QStringList{"create table t (a int null)", "insert into t values (1)",
                           "select * from t"};
        QTest::newRow("insert select")
            << "insert into t select * from u" << QStringList{"insert into t select * from u"};
        QTest::newRow("update set")
            << "update t set a = 1 where b = 2" << QStringList{"update t set a = 1 where b = 2"};
        QTest::newRow("union") << "select 1 union all select 2"
                               << QStringList{"select 1 union all select 2"};
        QTest::newRow("subquery") << "delete from t where a in (select a from u)"
                                  << QStringList{"delete from t where a in (select a from u)"};
        QTest::newRow("view") << "create view v as select a from t"
                              << QStringList{"create view v as select a from t"};
        QTest::newRow("keywords in text") << "insert into t values ('use it; select')"
                                          << QStringList{"insert into t values ('use it; select')"};
        QTest::newRow("keywords in names")
            << "select [use], \"select\" from [drop table]"
            << QStringList{"select [use], \"select\" from [drop table]"};
        QTest::newRow("comments") << "select 1 -- use x\n/* ; drop */ select 2"
                                  << QStringList{"select 1 -- use x\n/* ; drop */", "select 2"};
        QTest::newRow("insert select, then select")
            << "insert into t select a from u select * from t"
            << QStringList{"insert into t select a from u", "select * from t"};
        QTest::newRow("option then statement")
            << "set chained on insert into t values (1)"
            << QStringList{"set chained on", "insert into t values (1)"};
        QTest::newRow("empty") << " ;; \n" << QStringList{};
        QTest::newRow("unterminated") << "select 'abc" << QStringList{"select 'abc"};
    }

    void splitsBatchesAsAseReadsThem()
    {
        QFETCH(QString, batch);
        QFETCH(QStringList, statements);
        QCOMPARE(split(batch.toUtf8().constData()), statements);
    }

    void statementsKnowTheirLineAndTheirTextAsReceived()
    {
        const std::vector<BatchStatement> s =
            splitBatch("select 1;\n\n  insert into t values ('a;\nb');\n select 2 ;");
        QCOMPARE(s.size(), size_t(3));
        QCOMPARE(s[0].line, 1);
        QCOMPARE(s[1].line, 3);
        QCOMPARE(s[2].line, 5); // the line break inside the string counts
        QCOMPARE(std::string(s[0].received), std::string("select 1;"));
        QCOMPARE(std::string(s[1].text), std::string("insert into t values ('a;\nb')"));
        QCOMPARE(std::string(s[1].received), std::string("insert into t values ('a;\nb');"));
        QCOMPARE(std::string(s[2].received), std::string("select 2 ;"));
    }

    void classifiesTransactionsAndWhatTheyRefuse()
    {
        QCOMPARE(classify("begin tran").kind, Translation::BeginTran);
        QCOMPARE(classify("begin transaction load").kind, Translation::BeginTran);
        QCOMPARE(classify("commit").kind, Translation::CommitTran);
        QCOMPARE(classify("rollback work").kind, Translation::RollbackTran);
        QVERIFY(classify("set chained on").chainedOn);
        QCOMPARE(classify("set chained off").kind, Translation::SetChained);
        QVERIFY(!classify("set chained off").chainedOn);
        QCOMPARE(classify("set textsize 100").kind, Translation::Ignored);
        QCOMPARE(classify("create unique clustered index i on t (a)").ddlCommand,
                 std::string("CREATE INDEX"));
        QCOMPARE(classify("drop proc p").ddlCommand, std::string("DROP PROCEDURE"));
        QCOMPARE(classify("truncate table t").neverInTransaction, std::string("TRUNCATE TABLE"));
        QCOMPARE(classify("use db").neverInTransaction, std::string("USE"));
        QVERIFY(classify("insert into t values (1)").ddlCommand.empty());
        QVERIFY(classify("update t set a = 1").beginsChainedTransaction);
        QVERIFY(!classify("create table t (a int)").beginsChainedTransaction);
        QCOMPARE(classify("create table t (a int, b numeric(10, 2) null, primary key (a))")
                     .createdColumns,
                 size_t(2));
        QCOMPARE(sqlOf("truncate table [x y]"), "delete from [x y]");
        SessionGlobals nested;
        nested.tranCount = 2;
        QCOMPARE(translate("select @@trancount", nested).sql, std::string("select 2"));
    }

    void rewritesWhatSqliteLacks()
    {
        QCOMPARE(sqlOf("insert into t values ('', 'it''s', '''')"),
                 "insert into t values (' ', 'it''s', '''')");
        QCOMPARE(sqlOf("select @@spid, @@rowcount"), "select 42, 7");
        QCOMPARE(sqlOf("select * from dbo.t join dbo.[u v] on 1=1"),
                 "select * from t join [u v] on 1=1");
        QCOMPARE(sqlOf("select isnull(a, 'x'), len(b) from t"),
                 "select ifnull(a, 'x'), length(b) from t");
        QCOMPARE(sqlOf("select getdate()"), "select datetime('now','localtime')");
        // ASE keeps 16,384 bytes of a literal; a doubled apostrophe is one of them.
        const QString full(16383, u'x');
        QCOMPARE(sqlOf("insert into t values ('" + full + "''')"),
                 "insert into t values ('" + full + "''')");
        QCOMPARE(sqlOf("insert into t values ('" + full + "''y', '" + full + "yz')"),
                 "insert into t values ('" + full + "''', '" + full + "y')");
        // A literal left open is no value: the statement keeps it for its own error.
        QCOMPARE(sqlOf("insert into t values ('" + full + "yz)"),
                 "insert into t values ('" + full + "yz)");
    }

    void createTableTakesAsesNullMode()
    {
        // Without NULL or NOT NULL a column is NOT NULL in a default ASE database.
        QCOMPARE(
            sqlOf("create table t (a int, b varchar(10) null, c numeric(10,2), d int not null)"),
            "create table t (a int NOT NULL, b varchar(10) null, c numeric(10,2) NOT NULL, d int "
            "not null)");
        QCOMPARE(sqlOf("create table [x y] (id int, primary key (id))"),
                 "create table [x y] (id int NOT NULL, primary key (id))");
        QCOMPARE(sqlOf("create table t (a int null)"), "create table t (a int null)");
        QCOMPARE(sqlOf("insert into t (a, b) values (1, 2)"), "insert into t (a, b) values (1, 2)");
    }

    void namesAreStoredApartByCase_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("sql");
        QTest::newRow("new names") << "CREATE TABLE [N]([B] TEXT, [b] TEXT, c int)"
                                   << "CREATE TABLE [N]([B] TEXT NOT NULL, [b^] TEXT NOT NULL, "
                                      "c int NOT NULL)";
        QTest::newRow("known names") << "SELECT a, A, [a] FROM T join t on T.A = t.a"
                                     << "SELECT [a^], A, [a^] FROM T join [t^] on T.A = [t^].[a^]";
        QTest::newRow("wrong case") << "select D from T"
                                    << "select [^D^] from T";
        QTest::newRow("new in two cases") << "select * from TT, tT"
                                          << "select * from TT, [t^T^]";
        QTest::newRow("escape mark in a name") << "insert into [x^y] values (1)"
                                               << "insert into [x^^y^] values (1)";
        QTest::newRow("bracket in a name") << "select \"a]\", \"A]\" from T"
                                           << "select \"a]\", \"^A]^\" from T";
        // Keywords, functions, types and collations are no names, whatever names exist.
        QTest::newRow("keywords") << "SELECT Count(*), UPPER(A) FROM T WHERE A IS NOT NULL "
                                     "ORDER BY A COLLATE NOCASE"
                                  << "SELECT Count(*), UPPER(A) FROM T WHERE A IS NOT NULL "
                                     "ORDER BY A COLLATE NOCASE";
        QTest::newRow("types") << "create table D (Date DATE null, Text varchar(10) null, "
                                  "p double precision null)"
                               << "create table [^D^] (Date DATE null, [^Text^] varchar(10) null, "
                                  "p double precision null)";
        QTest::newRow("cast") << "select cast(a as Date) as Text from T"
                              << "select cast([a^] as Date) as [^Text^] from T";
        QTest::newRow("table before a list") << "INSERT INTO T(A, a) VALUES(1, 2)"
                                             << "INSERT INTO T(A, [a^]) VALUES(1, 2)";
    }

    void namesAreStoredApartByCase()
    {
        QFETCH(QString, statement);
        QFETCH(QString, sql);
        // A database with tables T and t, columns A and a, and names that keywords,
        // functions, types and collations have in another case.
        StoredNames names;
        for (const char* stored :
             {"T", "t^", "A", "a^", "Date", "text", "d", "count", "Upper", "nocase", "order"})
            names.addStored(stored);
        const std::string translated = translate(statement.toStdString(), {}, &names).sql;
        QCOMPARE(QString::fromStdString(translated), sql);
        // A statement's new names are its own; the database's are left as they were.
        QCOMPARE(names.storedFor("TT"), std::string("TT"));
    }

    void escapedNamesComeBackAsTheClientWroteThem()
    {
        for (const char* name : {"T", "t", "CustomerId", "^", "a^B", "Zürich", ""}) {
            const std::string stored = escapedName(name);
            QCOMPARE(clientName(stored), std::string(name));
            QVERIFY(stored != name);
        }
        // Different names stay different ignoring case, as SQLite compares them.
        QVERIFY(lowerAscii(escapedName("Ab")) != lowerAscii(escapedName("aB")));
        QVERIFY(lowerAscii(escapedName("a^")) != lowerAscii(escapedName("A")));
        // Texts that are no escaped names are left alone.
        for (const char* text : {"plain", "x^y", "^a", "A^", "count(*)"})
            QCOMPARE(clientName(text), std::string(text));
        QCOMPARE(clientNamesIn("NOT NULL constraint failed: t^.^A^, t^.b"),
                 std::string("NOT NULL constraint failed: t.A, t.b"));
    }

    void classifiesSessionStatements()
    {
        const SessionGlobals g;
        const Translation use = translate("use [My Db ]", g);
        QCOMPARE(use.kind, Translation::Use);
        QCOMPARE(QString::fromStdString(use.database), "My Db");
        QCOMPARE(translate("set textsize 65536", g).kind, Translation::Ignored);
        const Translation create = translate("create database sales", g);
        QCOMPARE(create.kind, Translation::CreateDatabase);
        QCOMPARE(QString::fromStdString(create.database), "sales");
        QCOMPARE(translate("create table database_list (a int null)", g).kind, Translation::Sql);
    }

    void mapsSqliteFailuresToAseMessages_data()
    {
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("wording");
        QTest::newRow("208") << "no such table: sales"
                             << "select * from sales" << 208 << "sales not found.";
        QTest::newRow("3701") << "no such table: sales"
                              << "drop table sales" << 3701 << "Cannot drop the table 'sales'";
        QTest::newRow("2714") << "table t already exists"
                              << "create table t (a int)" << 2714
                              << "There is already an object named 't' in the database.";
        QTest::newRow("213 short")
            << "table t has 2 columns but 3 values were supplied"
            << "insert" << 213 << "Insert error: column name or number of supplied values";
        QTest::newRow("213 list") << "3 values for 2 columns"
                                  << "insert" << 213 << "Insert error";
        QTest::newRow("102") << "near \"selec\": syntax error"
                             << "selec 1" << 102 << "Incorrect syntax near 'selec'.";
        QTest::newRow("207") << "no such column: b"
                             << "select b from t" << 207 << "Invalid column name 'b'.";
        QTest::newRow("233") << "NOT NULL constraint failed: t.a"
                             << "insert" << 233
                             << "The column a in table t does not allow null values.";
        QTest::newRow("other") << "disk I/O error"
                               << "insert" << 50000 << "disk I/O error";
    }

    void mapsSqliteFailuresToAseMessages()
    {
        QFETCH(QString, sqlite);
        QFETCH(QString, statement);
        QFETCH(int, number);
        QFETCH(QString, wording);
        const ServerMessage m = aseMessageFor(sqlite.toStdString(), statement.toStdString());
        QCOMPARE(m.number, number);
        QVERIFY2(QString::fromStdString(m.text).contains(wording), m.text.c_str());
        QVERIFY(QString::fromStdString(m.text).endsWith('\n'));
        QVERIFY(m.severity > 10);
    }

    void choosesWireTypesFromDeclarationsAndValues()
    {
        const std::vector<ResultColumn> columns = {
            {"i", "int"},  {"big", "integer"}, {"v", "varchar(20)"}, {"w", "varchar(1000)"},
            {"t", "text"}, {"e", ""},          {"long", ""},         {"mixed", "int"}};
        const std::vector<std::vector<Value>> rows = {
            {integer(1), integer(int64_t(1) << 40), text("a"), text("b"), text("c"), integer(5),
             text(std::string(300, 'x')), text("not a number")},
            {Value{}, Value{}, Value{}, Value{}, Value{}, Value{}, Value{}, integer(3)}};
        const std::vector<ColumnFormat> f = chooseFormats(columns, rows);
        QCOMPARE(f[0].kind, ColumnFormat::Int);
        QCOMPARE(f[0].maxLength, 4u);
        QCOMPARE(f[1].kind, ColumnFormat::Int);
        QCOMPARE(f[1].maxLength, 8u); // a value beyond 32 bits
        QCOMPARE(f[2].kind, ColumnFormat::VarChar);
        QCOMPARE(f[2].maxLength, 20u);
        QCOMPARE(f[3].kind, ColumnFormat::LongChar); // declared over 255 bytes
        QCOMPARE(f[4].kind, ColumnFormat::Text);
        QCOMPARE(f[5].kind, ColumnFormat::Int); // an expression of integers
        QCOMPARE(f[6].kind, ColumnFormat::LongChar);
        QCOMPARE(f[6].maxLength, 300u);
        QCOMPARE(f[7].kind, ColumnFormat::VarChar); // SQLite let text into an int column
    }

    void rowsCarryNullsAndBlanksAsAseDoes()
    {
        const std::vector<ResultColumn> columns = {
            {"v", "varchar(10)"}, {"i", "int"}, {"t", "text"}};
        const std::vector<std::vector<Value>> rows = {{text(""), Value{}, Value{}}};
        const auto formats = chooseFormats(columns, rows);
        TokenWriter out;
        writeRow(out, rows[0], formats);
        // ROW, VARCHAR of one blank, INTN NULL, TEXT NULL (no text pointer).
        const std::vector<uint8_t> expected = {0xD1, 0x01, ' ', 0x00, 0x00};
        QCOMPARE(out.data(), expected);

        TokenWriter format;
        writeRowFormat(format, {{"", ""}}, {ColumnFormat{ColumnFormat::Int, 4}});
        // The layout FreeTDS reads for "select @@spid".
        const std::vector<uint8_t> spid = {0xEE, 0x0B, 0x00, 0x01, 0x00, 0x00, 0x20,
                                           0x07, 0x00, 0x00, 0x00, 0x26, 0x04, 0x00};
        QCOMPARE(format.data(), spid);
    }

    void loginRecordFieldsTrustTheirLengthBytes()
    {
        std::vector<uint8_t> p(603, 0);
        auto put = [&](size_t at, size_t size, const std::string& s, size_t lengthByte) {
            std::copy(s.begin(), s.end(), p.begin() + long(at));
            p[at + size] = uint8_t(lengthByte);
        };
        put(31, 30, "tester", 6);
        put(62, 30, "secretXX", 6); // padding after the length is ignored
        QCOMPARE(parseLogin(p)->user, std::string("tester"));
        QCOMPARE(parseLogin(p)->password, std::string("secret"));
        // A password over 30 bytes comes whole in the remote password buffer.
        const std::string longPassword(40, 'p');
        p[202] = 0;
        p[203] = uint8_t(longPassword.size());
        std::copy(longPassword.begin(), longPassword.end(), p.begin() + 204);
        QCOMPARE(parseLogin(p)->password, longPassword);
        p[514] = 0x01;
        QVERIFY(parseLogin(p)->encrypted);
        p[31 + 30] = 200; // a lying length byte is cut to the field
        QCOMPARE(parseLogin(p)->user.size(), size_t(30));
        QVERIFY(!parseLogin(std::vector<uint8_t>(100, 0)));
    }
};

QTEST_GUILESS_MAIN(SandboxSqlTest)
#include "SandboxSqlTest.moc"
