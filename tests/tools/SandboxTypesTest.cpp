// Values checked as ASE checks them against their columns' types, the string_rtruncation
// option, ASE's column catalogue and db..table names, through the sandbox's batch runner.
#include "ReplyTokens.h"
#include "SessionClient.h"

#include <QtTest>

namespace {
const QByteArray NotAllowed = "' is not allowed.  Use the CONVERT function to run this query.\n";

QByteArray conversion(const QByteArray& from, const QByteArray& to)
{
    return "Implicit conversion from datatype '" + from + "' to '" + to + NotAllowed;
}

QByteArray overflow(const QByteArray& from, const QByteArray& value, const QByteArray& to)
{
    return "Arithmetic overflow during implicit conversion of " + from + " value '" + value +
           "' to a " + to + " field .\n";
}

QByteArray scale(const QByteArray& from, const QByteArray& value, const QByteArray& to)
{
    return "Scale error during implicit conversion of " + from + " value '" + value + "' to a " +
           to + " field.\n";
}

QByteArray badDate(const QByteArray& value, const QByteArray& to)
{
    return "Syntax error during implicit conversion of VARCHAR value '" + value + "' to a " + to +
           " field.\n";
}

QList<QByteArray> texts(const ReplyTokens& r)
{
    QList<QByteArray> out;
    for (const auto& m : r.messages)
        out << m.text;
    return out;
}

QList<QByteArray> rowText(const ReplyTokens::Row& row)
{
    QList<QByteArray> out;
    for (const auto& v : row)
        out << (v ? *v : QByteArray("NULL"));
    return out;
}
// Rows of valuesMeetTheirColumnsTypes: column type, value, error number, message or value read.
void addNumberCases()
{
    // A quoted text is no number.
    QTest::newRow("'123' into int")
        << QByteArray("int") << QByteArray("'123'") << 257 << conversion("VARCHAR", "INT");
    QTest::newRow("'1' into smallint")
        << QByteArray("smallint") << QByteArray("'1'") << 257 << conversion("VARCHAR", "SMALLINT");
    QTest::newRow("'1.5' into numeric") << QByteArray("numeric(6,2)") << QByteArray("'1.5'") << 257
                                        << conversion("VARCHAR", "NUMERIC");
    QTest::newRow("'1' into float")
        << QByteArray("float") << QByteArray("'1'") << 257 << conversion("VARCHAR", "FLOAT");
    QTest::newRow("'1' into money")
        << QByteArray("money") << QByteArray("'1'") << 257 << conversion("VARCHAR", "MONEY");
    QTest::newRow("'1' into bit") << QByteArray("bit") << QByteArray("'1'") << 257
                                  << conversion("VARCHAR", "BIT");
    // Nor is a number a text or a date.
    QTest::newRow("42 into varchar")
        << QByteArray("varchar(5)") << QByteArray("42") << 257 << conversion("INT", "VARCHAR");
    QTest::newRow("1.5 into datetime")
        << QByteArray("datetime") << QByteArray("1.5") << 257 << conversion("NUMERIC", "DATETIME");
    // Ranges and precision.
    QTest::newRow("int's largest")
        << QByteArray("int") << QByteArray("2147483647") << 0 << QByteArray("2147483647");
    QTest::newRow("int's smallest")
        << QByteArray("int") << QByteArray("-2147483648") << 0 << QByteArray("-2147483648");
    QTest::newRow("past int") << QByteArray("int") << QByteArray("2147483648") << 247
                              << overflow("NUMERIC", "2147483648", "INT");
    QTest::newRow("256 into tinyint")
        << QByteArray("tinyint") << QByteArray("256") << 247 << overflow("INT", "256", "TINYINT");
    QTest::newRow("-1 into tinyint")
        << QByteArray("tinyint") << QByteArray("-1") << 247 << overflow("INT", "-1", "TINYINT");
    QTest::newRow("32768 into smallint") << QByteArray("smallint") << QByteArray("32768") << 247
                                         << overflow("INT", "32768", "SMALLINT");
    QTest::newRow("past bigint") << QByteArray("bigint") << QByteArray("9223372036854775808") << 247
                                 << overflow("NUMERIC", "9223372036854775808", "BIGINT");
    QTest::newRow("unsigned int's largest")
        << QByteArray("unsigned int") << QByteArray("4294967295") << 0 << QByteArray("4294967295");
    QTest::newRow("past numeric(6,2)") << QByteArray("numeric(6,2)") << QByteArray("12345.678")
                                       << 247 << overflow("NUMERIC", "12345.678", "NUMERIC");
    QTest::newRow("numeric(6,2) full")
        << QByteArray("numeric(6,2)") << QByteArray("1234.5") << 0 << QByteArray("1234.5");
    QTest::newRow("decimals past the scale") << QByteArray("decimal(6,2)") << QByteArray("1.234")
                                             << 241 << scale("NUMERIC", "1.234", "DECIMAL");
    QTest::newRow("zeros past the scale")
        << QByteArray("numeric(6,2)") << QByteArray("1.230") << 0 << QByteArray("1.23");
    QTest::newRow("a fraction into int")
        << QByteArray("int") << QByteArray("1.5") << 241 << scale("NUMERIC", "1.5", "INT");
    QTest::newRow("past smallmoney") << QByteArray("smallmoney") << QByteArray("214749") << 247
                                     << overflow("INT", "214749", "SMALLMONEY");
}

void addTextAndDateCases()
{
    // Texts longer than their column are cut, by bytes or by characters.
    QTest::newRow("cut to varchar(5)")
        << QByteArray("varchar(5)") << QByteArray("'abcdefgh'") << 0 << QByteArray("abcde");
    QTest::newRow("fits varchar(5)")
        << QByteArray("varchar(5)") << QByteArray("'it''s'") << 0 << QByteArray("it's");
    QTest::newRow("char(3) keeps whole characters")
        << QByteArray("char(3)") << QByteArray("'Grüße'") << 0 << QByteArray("Gr");
    QTest::newRow("nvarchar(3) counts characters")
        << QByteArray("nvarchar(3)") << QByteArray("'Grüße'") << 0 << QByteArray("Grü");
    // Dates ASE reads, and texts it does not.
    QTest::newRow("not a date") << QByteArray("datetime") << QByteArray("'not a date'") << 249
                                << badDate("not a date", "DATETIME");
    QTest::newRow("30 February") << QByteArray("date") << QByteArray("'2024-02-30'") << 249
                                 << badDate("2024-02-30", "DATE");
    QTest::newRow("hour 25") << QByteArray("time") << QByteArray("'25:00'") << 249
                             << badDate("25:00", "TIME");
    // A date/time literal is kept in the form a bulk-copied value of its type is kept in.
    auto stored = [](const char* name, const char* type, const char* literal, const char* kept) {
        QTest::newRow(name) << QByteArray(type) << QByteArray(literal) << 0 << QByteArray(kept);
    };
    stored("iso date and time", "datetime", "'2024-03-01 13:45:10.5'", "2024-03-01 13:45:10.500");
    stored("yyyymmdd", "date", "'20240301'", "2024-03-01");
    stored("month name and pm", "smalldatetime", "'Mar 1 2024 1:45PM'", "2024-03-01 13:45:00");
    stored("us date", "datetime", "'03/01/2024'", "2024-03-01 00:00:00.000");
    stored("two-digit year 49", "date", "'03/01/49'", "2049-03-01");
    stored("two-digit year 50", "date", "'03/01/50'", "1950-03-01");
    stored("a time alone in a datetime", "datetime", "'12AM'", "1900-01-01 00:00:00.000");
    stored("blanks: the default date", "datetime", "' '", "1900-01-01 00:00:00.000");
    stored("to the nearest 1/300 s", "datetime", "'2024-03-01 10:00:00.002'",
           "2024-03-01 10:00:00.003");
    stored(".999 reaches the next day", "datetime", "'2024-02-29 23:59:59.999'",
           "2024-03-01 00:00:00.000");
    stored("a colon before milliseconds", "time", "'12:34:56:7'", "12:34:56.007");
    stored("a period before a decimal fraction", "time", "'12:34:56.7'", "12:34:56.700");
    stored("microseconds", "bigdatetime", "'1500-01-02T03:04:05.0000015'",
           "1500-01-02 03:04:05.000002");
    stored("bigtime", "bigtime", "'1:02PM'", "13:02:00.000000");
    stored("29.999 s rounds a smalldatetime up", "smalldatetime", "'2024-03-01 10:00:29.999'",
           "2024-03-01 10:01:00");
    stored("29.998 s rounds it down", "smalldatetime", "'2024-03-01 10:00:29.998'",
           "2024-03-01 10:00:00");
    // Expressions are SQLite's to judge.
    QTest::newRow("an expression")
        << QByteArray("int") << QByteArray("1 + 1") << 0 << QByteArray("2");
}
} // namespace

class SandboxTypesTest : public QObject
{
    Q_OBJECT

private slots:
    void valuesMeetTheirColumnsTypes_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("error");
        QTest::addColumn<QByteArray>("text"); // the message, or the value read back
        addNumberCases();
        addTextAndDateCases();
    }

    void valuesMeetTheirColumnsTypes()
    {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, value);
        QFETCH(int, error);
        QFETCH(QByteArray, text);
        SessionClient c;
        QVERIFY(c.run("create table t (k int, v " + type + " null)").messages.isEmpty());
        const ReplyTokens r = c.run("insert into t values (1, " + value + ")\nselect v from t");
        QVERIFY(r.wellFormed);
        if (error) {
            QCOMPARE(r.messageNumbers(), QList<int>{error});
            QCOMPARE(r.messages[0].text, text);
            QCOMPARE(r.rows.size(), 0); // nothing stored, and the batch went on
            QCOMPARE(r.dones.size(), 2);
        } else {
            QCOMPARE(texts(r), QList<QByteArray>{});
            QCOMPARE(r.lastScalar(), text);
        }
    }

    void everyRowAndListedColumnIsChecked()
    {
        SessionClient c;
        c.run("create table t (a int null, b varchar(3) null)");
        QCOMPARE(c.run("insert into t (b, a) values ('xy', 1), ('xyz', 'no')").messageNumbers(),
                 QList<int>{257});
        QCOMPARE(
            c.run("insert into master..t (b, a) values ('long', 1), ('xyzw', 2)").messageNumbers(),
            QList<int>{});
        QCOMPARE(c.run("select b from t where a = 2").lastScalar(), QByteArray("xyz"));
        QCOMPARE(c.run("insert into t values (1, null)").messageNumbers(), QList<int>{});
    }

    void stringRtruncationIsASessionOption()
    {
        SessionClient c;
        c.run("create table t (v varchar(3) null)");
        const ReplyTokens on = c.run("set string_rtruncation on\n"
                                     "insert into t values ('abcd')\n"
                                     "insert into t values ('abc   ')\n" // blanks only: cut
                                     "select count(*) from t");
        QCOMPARE(on.messageNumbers(), QList<int>{9502});
        QCOMPARE(on.lastScalar(), QByteArray("1"));
        QCOMPARE(c.run("set string_rtruncation off insert into t values ('abcd')").messageNumbers(),
                 QList<int>{});
        c.run("set string_rtruncation on");
        c.reconnect(); // a new session starts with the option off
        QCOMPARE(c.run("insert into t values ('wxyz')").messageNumbers(), QList<int>{});
        QCOMPARE(c.scalar("select count(*) from t where v = 'wxy'"), QByteArray("1"));
    }

    void aNullIntoANotNullColumnIs233()
    {
        SessionClient c;
        c.run("create table t (v int)");
        const ReplyTokens r = c.run("insert into t values (null)");
        QCOMPARE(r.messageNumbers(), QList<int>{233});
        QCOMPARE(r.messages[0].text, QByteArray("The column v in table t does not allow null "
                                                "values.\n"));
    }

    void theCatalogueDescribesColumnsAsAseDoes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("found");
        QTest::newRow("plain") << QByteArray("My Table") << true;
        QTest::newRow("db..table") << QByteArray("master..My Table") << true;
        QTest::newRow("db.owner.table") << QByteArray("master.dbo.My Table") << true;
        QTest::newRow("owner.table") << QByteArray("dbo.My Table") << true;
        QTest::newRow("trailing blanks") << QByteArray("My Table  ") << true;
        // A name given as a string keeps its brackets: no table is called [My Table].
        QTest::newRow("brackets") << QByteArray("[My Table]") << false;
        QTest::newRow("db..[table]") << QByteArray("master..[My Table]") << false;
        QTest::newRow("another database") << QByteArray("other..My Table") << false;
        QTest::newRow("another case") << QByteArray("my table") << false;
        QTest::newRow("unknown") << QByteArray("nosuch") << false;
    }

    void theCatalogueDescribesColumnsAsAseDoes()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, found);
        SessionClient c;
        c.run("create table [My Table] (id int, [Name] varchar(40) null, amount numeric(10,2) "
              "null, note text null, at datetime, small tinyint null, uni univarchar(10) null)");
        const ReplyTokens r =
            c.run("select c.name, t.name, c.length, c.prec, c.scale, c.status from syscolumns "
                  "c, systypes t where c.id = object_id('" +
                  name + "') and c.usertype = t.usertype order by c.colid");
        QCOMPARE(texts(r), QList<QByteArray>{});
        if (!found) {
            QCOMPARE(r.rows.size(), 0);
            QCOMPARE(c.scalar("select object_id('" + name + "')"), QByteArray());
            return;
        }
        const QList<QList<QByteArray>> expected = {
            {"id", "int", "4", "NULL", "NULL", "0"},
            {"Name", "varchar", "40", "NULL", "NULL", "8"},
            {"amount", "numeric", "6", "10", "2", "8"},
            {"note", "text", "16", "NULL", "NULL", "8"},
            {"at", "datetime", "8", "NULL", "NULL", "0"},
            {"small", "tinyint", "1", "NULL", "NULL", "8"},
            {"uni", "univarchar", "20", "NULL", "NULL", "8"}};
        QCOMPARE(r.rows.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(rowText(r.rows[i]), expected[i]);
    }

    void databaseQualifiedNamesNameTheCurrentDatabasesTables()
    {
        SessionClient c;
        const ReplyTokens r = c.run("create table master..t (a int null)\n"
                                    "insert into master.dbo.t values (1)\n"
                                    "insert into master..t (a) values (2)\n"
                                    "select count(*) from master..t\n"
                                    "drop table master.dbo.t");
        QCOMPARE(texts(r), QList<QByteArray>{});
        QCOMPARE(r.rows.size(), 1);
        QCOMPARE(r.lastScalar(), QByteArray("2"));
        // Another database's tables are not reachable from here: the name is not found.
        QCOMPARE(c.run("select * from other..t").messageNumbers(), QList<int>{208});
    }

    // An allpages-locked table, ASE's default, has at most 254 variable-length columns: types of
    // variable length and any column that allows NULL. A table locked by rows has more.
    void variableLengthColumnsWithinTheLockSchemesLimit_data()
    {
        QTest::addColumn<QByteArray>("columns"); // each declaration, numbered c0, c1, ...
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("after"); // the list
        QTest::addColumn<int>("error");
        QTest::newRow("254 nullable") << QByteArray("int null") << 254 << QByteArray() << 0;
        QTest::newRow("255 nullable") << QByteArray("int null") << 255 << QByteArray() << 1767;
        QTest::newRow("255 varchar")
            << QByteArray("varchar(2) not null") << 255 << QByteArray() << 1767;
        QTest::newRow("255 text") << QByteArray("TEXT") << 255 << QByteArray() << 1767;
        QTest::newRow("fixed ones do not count")
            << QByteArray("int not null") << 400 << QByteArray() << 0;
        QTest::newRow("lock allpages")
            << QByteArray("varchar(2) null") << 255 << QByteArray(" lock allpages") << 1767;
        QTest::newRow("lock datarows")
            << QByteArray("varchar(2) null") << 255 << QByteArray(" lock datarows") << 0;
        QTest::newRow("lock datapages")
            << QByteArray("int null") << 1024 << QByteArray(" LOCK DATAPAGES") << 0;
    }
    void variableLengthColumnsWithinTheLockSchemesLimit()
    {
        QFETCH(QByteArray, columns);
        QFETCH(int, count);
        QFETCH(QByteArray, after);
        QFETCH(int, error);
        QByteArray list;
        for (int i = 0; i < count; ++i)
            list += (i ? ", c" : "c") + QByteArray::number(i) + ' ' + columns;
        SessionClient c;
        const ReplyTokens r = c.run("create table master..wide (" + list + ")" + after);
        QCOMPARE(r.messageNumbers(), error ? QList<int>{error} : QList<int>{});
        if (error)
            QCOMPARE(r.messages[0].text,
                     QByteArray("Number of variable length columns exceeds limit of 254 for "
                                "allpage locked tables. CREATE TABLE for 'wide' failed.\n"));
        QCOMPARE(c.scalar("select count(*) from sysobjects where name = 'wide'"),
                 error ? QByteArray("0") : QByteArray("1"));
    }
};

QTEST_GUILESS_MAIN(SandboxTypesTest)
#include "SandboxTypesTest.moc"
