#include "Failure.h"
#include "FieldSplitter.h"
#include "LineReader.h"
#include "RecordReader.h"
#include "TestEnvironment.h"

#include <QStringEncoder>
#include <QtTest>

namespace {
QByteArray encoded(const char* encoding, QStringView text)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

// Every record of a file, with the line it begins on and "!" after it when a quote was left
// open, e.g. "1:a,b" "2:x\r\ny" "4!:open".
QStringList records(const QString& path, const QString& encoding = {}, QChar quote = {},
                    const QString& separator = QStringLiteral(","))
{
    LineReader lines;
    lines.open(path, encoding);
    RecordReader reader(lines, separator, quote);
    QStringList out;
    QString text;
    while (reader.nextText(text))
        out << QString::number(reader.record().firstLine) +
                   (reader.record().unterminated ? QStringLiteral("!:") : QStringLiteral(":")) +
                   text;
    return out;
}

// A record as "first-last:text [field][field]", "!" after the lines when its quote was left
// open.
QString described(qint64 first, qint64 last, bool unterminated, const QString& text,
                  const QStringList& fields)
{
    QString out = QStringLiteral("%1-%2%3:%4 ")
                      .arg(first)
                      .arg(last)
                      .arg(unterminated ? QStringLiteral("!") : QString(), text);
    for (const QString& field : fields)
        out += u'[' + field + u']';
    return out;
}

// The records of a file as next() splits them from our own UTF-8 or from decoded lines, or
// (split false) read as text and split in memory, as a header is.
QStringList splitRecords(const QString& path, bool ownUtf8, bool split, const QString& separator,
                         QChar quote)
{
    LineReader lines;
    ownUtf8 ? lines.openUtf8(path) : lines.open(path);
    RecordReader reader(lines, separator, quote);
    QStringList out;
    QString text;
    while (split ? reader.next() : reader.nextText(text)) {
        const Record& r = reader.record();
        QStringList fields;
        for (QByteArrayView field : r.fields)
            fields << QString::fromUtf8(field);
        if (!split)
            fields = SplitRecord(text, separator, quote);
        out << described(r.firstLine, r.lastLine, r.unterminated,
                         split ? QString::fromUtf8(r.text) : text, fields);
    }
    return out;
}
} // namespace

// How the bytes of a file become lines, records and fields.
class TextReadingTest : public QObject
{
    Q_OBJECT

private slots:
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QStringList>("lines");
        const QString curly = QStringLiteral("\u201Cquoted\u201D \u20AC5");
        QTest::newRow("UTF-8 without a mark") << QByteArray("Zo\xC3\xAB,1\r\n\xE2\x82\xAC,2\n")
                                              << QString() << QStringList{"1:Zoë,1", "2:€,2"};
        QTest::newRow("UTF-8 mark dropped only at the start")
            << QByteArray("\xEF\xBB\xBFh\r\n\xEF\xBB\xBFv\r\n") << QString()
            << QStringList{"1:h", QStringLiteral("2:\uFEFFv")};
        QTest::newRow("UTF-16LE mark")
            << QByteArray("\xFF\xFE") + encoded("UTF-16LE", u"a,b\r\nZoë\r\n") << QString()
            << QStringList{"1:a,b", "2:Zoë"};
        QTest::newRow("UTF-16BE mark, a second mark is data")
            << QByteArray("\xFE\xFF") + encoded("UTF-16BE", QStringLiteral("\uFEFFx\ny"))
            << QString() << QStringList{QStringLiteral("1:\uFEFFx"), "2:y"};
        QTest::newRow("UTF-32LE mark, not UTF-16LE's")
            << QByteArray("\xFF\xFE\0\0", 4) + encoded("UTF-32LE", u"a,b\r\nZoë") << QString()
            << QStringList{"1:a,b", "2:Zoë"};
        QTest::newRow("UTF-32BE mark")
            << QByteArray("\0\0\xFE\xFF", 4) + encoded("UTF-32BE", u"x\n😀") << QString()
            << QStringList{"1:x", "2:😀"};
        QTest::newRow("UTF-32LE mark with UTF-32 named")
            << QByteArray("\xFF\xFE\0\0", 4) + encoded("UTF-32LE", u"ok\n") << "UTF-32"
            << QStringList{"1:ok"};
        QTest::newRow("UTF-32BE mark outweighs a UTF-16 name")
            << QByteArray("\0\0\xFE\xFF", 4) + encoded("UTF-32BE", u"ok") << "UTF-16LE"
            << QStringList{"1:ok"};
        QTest::newRow("a mark outweighs a named encoding")
            << QByteArray("\xFF\xFE") + encoded("UTF-16LE", u"ok") << QStringLiteral("IBM850")
            << QStringList{"1:ok"};
        QTest::newRow("a line not UTF-8 is Windows-1252")
            << QByteArray("ok \xC3\xA9\n\x93quoted\x94 \x80"
                          "5\n")
            << QString() << QStringList{"1:ok é", QStringLiteral("2:") + curly};
        QTest::newRow("after a UTF-8 mark a broken line is still Windows-1252")
            << QByteArray("\xEF\xBB\xBF"
                          "a\tb\r\n\x93x\x94\xC3\n")
            << QString() << QStringList{"1:a\tb", QStringLiteral("2:\u201Cx\u201D\u00C3")};
        QTest::newRow("bytes Windows-1252 leaves undefined are kept")
            << QByteArray("\x81\x8D\x8F\x90\x9D\xFF") << QString()
            << QStringList{QStringLiteral("1:\u0081\u008D\u008F\u0090\u009D\u00FF")};
        QTest::newRow("windows-1251 by name")
            << encoded("windows-1251", u"Привет,мир\r\n") << QStringLiteral("windows-1251")
            << QStringList{"1:Привет,мир"};
        QTest::newRow("IBM850 by name")
            << encoded("IBM850", u"Müller;Straße\r") << QStringLiteral("IBM850")
            << QStringList{"1:Müller;Straße"};
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QStringList, lines);
        TestEnvironment env;
        QCOMPARE(records(env.writeFile(QStringLiteral("f.txt"), bytes), encoding), lines);
    }

    void whatTheBufferCutsIsReadWhole()
    {
        TestEnvironment env;
        // Wherever the reads fall, a double-byte character and a CR LF pair stay whole.
        for (qsizetype before = LineReader::BufferSize - 2; before <= LineReader::BufferSize + 4;
             ++before) {
            const QString path =
                env.writeFile(QStringLiteral("j.txt"),
                              QByteArray(before, 'x') + encoded("Shift_JIS", u"あ") + "\r\ny");
            QCOMPARE(
                records(path, QStringLiteral("Shift_JIS")),
                QStringList(
                    {QStringLiteral("1:") + QString(before, u'x') + QStringLiteral("あ"), "2:y"}));
            const QString plain =
                env.writeFile(QStringLiteral("p.txt"), QByteArray(before, 'x') + "\r\ny\r\n");
            QCOMPARE(records(plain).size(), 2);
        }
    }

    void aVeryLongLineIsDecodedAsItIsRead()
    {
        TestEnvironment env;
        // Past the length where decoding starts before the line ends, with a character cut by
        // every read, and a second line after it.
        QByteArray utf8;
        while (utf8.size() < LineReader::LongLine + 3 * LineReader::BufferSize)
            utf8 += "ab\xC3\xA9"; // "abé"
        const QString text = QString::fromUtf8(utf8);
        QCOMPARE(records(env.writeFile(QStringLiteral("u.txt"), utf8 + "\r\nz")),
                 QStringList({QStringLiteral("1:") + text, "2:z"}));
        // One byte that is not UTF-8, far into the line: the whole line is Windows-1252.
        QByteArray mixed = utf8;
        mixed[mixed.size() - 4] = '\x80';
        const QStringList read = records(env.writeFile(QStringLiteral("m.txt"), mixed + "\nz\n"));
        QCOMPARE(read.size(), 2);
        QCOMPARE(read.at(0).size(), 2 + mixed.size());
        QVERIFY(read.at(0).startsWith(QStringLiteral("1:ab\u00C3\u00A9")));
        QCOMPARE(read.at(0).at(2 + mixed.size() - 4), QChar(0x20AC));
        QCOMPARE(read.at(1), QStringLiteral("2:z"));
        // A line cut short inside a character is not UTF-8 either.
        const QStringList cut = records(env.writeFile(QStringLiteral("c.txt"), utf8 + "\xC3"));
        QCOMPARE(cut.at(0).size(), 2 + utf8.size() + 1);
        QCOMPARE(cut.at(0).back(), QChar(0xC3));
    }

    void breaksAreKeptAndLinesCounted()
    {
        TestEnvironment env;
        LineReader reader;
        reader.open(env.writeFile(QStringLiteral("f.txt"), "aaa\r\nb\rc\n\nd"));
        QString line;
        QList<LineReader::Break> breaks;
        QStringList texts;
        while (reader.readLine(line)) {
            texts << line;
            breaks << reader.lastBreak();
        }
        QCOMPARE(texts, QStringList({"aaa", "b", "c", "", "d"}));
        QCOMPARE(breaks, QList<LineReader::Break>({LineReader::Break::CrLf, LineReader::Break::Cr,
                                                   LineReader::Break::Lf, LineReader::Break::Lf,
                                                   LineReader::Break::None}));
        QCOMPARE(reader.lineNumber(), 5);
        // Our own UTF-8 keeps a leading U+FEFF: it is data once the file's mark is gone.
        reader.openUtf8(env.writeFile(QStringLiteral("g.txt"), "\xEF\xBB\xBFv\r\n"));
        QVERIFY(reader.readLine(line));
        QCOMPARE(line, QStringLiteral("\uFEFFv"));
    }

    void anUnknownEncodingIsAFailure()
    {
        TestEnvironment env;
        LineReader reader;
        QVERIFY_THROWS_EXCEPTION(Failure, reader.open(env.writeFile(QStringLiteral("f"), "x"),
                                                      QStringLiteral("no-such-encoding")));
    }

    // Every way of reading records gives the same lines, text and fields: split from our own
    // UTF-8, from decoded lines, and the text split in memory.
    void recordsAndTheirFields_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("quote");
        QTest::addColumn<QStringList>("records");
        const QString none;
        QTest::newRow("plain, empty fields kept")
            << QByteArray("a,b,,c\n,\n") << "," << none
            << QStringList{"1-1:a,b,,c [a][b][][c]", "2-2:, [][]"};
        QTest::newRow("blank lines give no field")
            << QByteArray("a\n\n\r\n\"b\"") << ","
            << "\"" << QStringList{"1-1:a [a]", "2-2: ", "3-3: ", "4-4:\"b\" [b]"};
        QTest::newRow("without a quote, quotes are text and records are lines")
            << QByteArray("\"a,\nb\"\n") << "," << none
            << QStringList{"1-1:\"a, [\"a][]", "2-2:b\" [b\"]"};
        QTest::newRow("separator inside quotes")
            << QByteArray("1,\"Anytown, WW\",x\n2,b,c\n") << ","
            << "\""
            << QStringList{"1-1:1,\"Anytown, WW\",x [1][Anytown, WW][x]", "2-2:2,b,c [2][b][c]"};
        QTest::newRow("CR LF and LF inside quotes, kept exactly")
            << QByteArray("a,\"one\r\ntwo\nthree\"\r\nnext\r\n") << ","
            << "\""
            << QStringList{"1-3:a,\"one\r\ntwo\nthree\" [a][one\r\ntwo\nthree]", "4-4:next [next]"};
        QTest::newRow("a doubled quote does not close")
            << QByteArray("\"say \"\"hi\r\nthere\"\"\",z\nw\n") << ","
            << "\""
            << QStringList{"1-2:\"say \"\"hi\r\nthere\"\"\",z [say \"hi\r\nthere\"][z]",
                           "3-3:w [w]"};
        QTest::newRow("a doubled quote at the end of a line goes on")
            << QByteArray("\"a\"\"\nb\"\n") << ","
            << "\"" << QStringList{"1-2:\"a\"\"\nb\" [a\"\nb]"};
        QTest::newRow("a quote at the end of a line closes")
            << QByteArray("\"a\"\n\"b\"\n") << ","
            << "\"" << QStringList{"1-1:\"a\" [a]", "2-2:\"b\" [b]"};
        QTest::newRow("a quote inside an unquoted field is text")
            << QByteArray("5\" pipe,x\n6,y\n") << ","
            << "\"" << QStringList{"1-1:5\" pipe,x [5\" pipe][x]", "2-2:6,y [6][y]"};
        QTest::newRow("text after the closing quote belongs to the field")
            << QByteArray("\"ab\"cd,\"\"e,\"x\"\"\"y\"\n") << ","
            << "\"" << QStringList{"1-1:\"ab\"cd,\"\"e,\"x\"\"\"y\" [abcd][e][x\"y\"]"};
        QTest::newRow("empty quoted fields and a last separator")
            << QByteArray("\"\",\"\",\r\n\"say \"\"hi\"\"\",\"\"\n") << ","
            << "\""
            << QStringList{"1-1:\"\",\"\", [][][]", "2-2:\"say \"\"hi\"\"\",\"\" [say \"hi\"][]"};
        QTest::newRow("separator of several characters")
            << QByteArray("a||\"b||\nc\"||d\ne|||f\n") << "||"
            << "\"" << QStringList{"1-2:a||\"b||\nc\"||d [a][b||\nc][d]", "3-3:e|||f [e][|f]"};
        QTest::newRow("separator and quote of several bytes")
            << QByteArray("\xC2\xA6"
                          "a\xE2\x82\xAC"
                          "b\xC2\xA6\xE2\x82\xAC"
                          "c\n")
            << QStringLiteral("€") << QStringLiteral("¦")
            << QStringList{QStringLiteral("1-1:¦a€b¦€c [a€b][c]")};
        QTest::newRow("an empty separator makes the record one field")
            << QByteArray("\"a,b\"c,d\nx,\"y\n") << ""
            << "\"" << QStringList{"1-1:\"a,b\"c,d [a,bc,d]", "2-2:x,\"y [x,\"y]"};
        QTest::newRow("a separator UTF-8 cannot hold never matches")
            << QByteArray("a\xEF\xBF\xBD"
                          "b\n")
            << QString(QChar(0xD800)) << none
            << QStringList{QStringLiteral("1-1:a\uFFFDb [a\uFFFDb]")};
        QTest::newRow("an open quote at the end names its first line")
            << QByteArray("h\nok\n\"open,\r\nrest\n") << ","
            << "\""
            << QStringList{"1-1:h [h]", "2-2:ok [ok]", "3-4!:\"open,\r\nrest [open,\r\nrest]"};
    }

    void recordsAndTheirFields()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, separator);
        QFETCH(QString, quote);
        QFETCH(QStringList, records);
        TestEnvironment env;
        const QString path = env.writeFile(QStringLiteral("f.csv"), bytes);
        const QChar quoteChar = quote.isEmpty() ? QChar() : quote.at(0);
        QCOMPARE(splitRecords(path, true, true, separator, quoteChar), records);
        QCOMPARE(splitRecords(path, false, true, separator, quoteChar), records);
        QCOMPARE(splitRecords(path, false, false, separator, quoteChar), records);
    }

    // Our own UTF-8 read as bytes gives each line's bytes exactly, wherever the buffer cuts
    // them, and leaves the reader where reading text goes on.
    void utf8LinesAreTheBytesOfTheFile()
    {
        TestEnvironment env;
        QByteArray bytes = "\xEF\xBB\xBFmark,kept\r\n\r\nZo\xC3\xAB\rnot utf-8 \x80\n";
        QList<QByteArray> expected{"\xEF\xBB\xBFmark,kept", "", "Zo\xC3\xAB", "not utf-8 \x80"};
        // A CR LF pair cut by the buffer, and lines longer than the buffer and than a long line.
        const qsizetype filler = LineReader::BufferSize - bytes.size() - 1;
        bytes += QByteArray(filler, 'c') + "\r\n";
        expected << QByteArray(filler, 'c');
        for (qsizetype length : {LineReader::BufferSize * 2 + 5, LineReader::LongLine + 7}) {
            bytes += QByteArray(length, 'l') + "\n";
            expected << QByteArray(length, 'l');
        }
        bytes += "last\r\nafter\nrest";
        expected << "last";
        const QString path = env.writeFile(QStringLiteral("u.txt"), bytes);
        LineReader reader;
        reader.openUtf8(path);
        QList<QByteArray> read;
        QByteArray line;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QVERIFY(reader.readUtf8Line(line));
            read << line;
        }
        QCOMPARE(read, expected);
        QCOMPARE(reader.lineNumber(), expected.size());
        QCOMPARE(reader.lastBreak(), LineReader::Break::CrLf);
        QString text;
        QVERIFY(reader.readLine(text));
        QCOMPARE(text, QStringLiteral("after"));
        QVERIFY(reader.readUtf8Line(line));
        QCOMPARE(line, QByteArray("rest"));
        QCOMPARE(reader.lastBreak(), LineReader::Break::None);
        QVERIFY(!reader.readUtf8Line(line));
        QCOMPARE(reader.lineNumber(), expected.size() + 2);
    }

    // Split as UTF-8, a line gives the fields the decoded line gives, also for a separator of
    // several bytes whose first bytes other characters share.
    void utf8SplitGivesTheFieldsOfTheText_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("separator");
        QTest::newRow("plain") << "a,b,,c,"
                               << ",";
        QTest::newRow("only separators") << ",,,"
                                         << ",";
        QTest::newRow("empty line") << ""
                                    << ",";
        QTest::newRow("no separator") << "a;b"
                                      << "";
        QTest::newRow("several characters") << "a||b|c|||d||"
                                            << "||";
        QTest::newRow("a cut separator at the end") << "x|"
                                                    << "||";
        QTest::newRow("euro against subscript two")
            << QStringLiteral("1\u20822€3€€\u2082") << QStringLiteral("€");
        QTest::newRow("separator longer than the line") << "ab"
                                                        << "abc";
        QTest::newRow("overlapping") << "aaaaa"
                                     << "aa";
    }

    // A line of our own UTF-8 is cut as bytes; its fields are those of the decoded text.
    void utf8SplitGivesTheFieldsOfTheText()
    {
        QFETCH(QString, line);
        QFETCH(QString, separator);
        const QStringList expected = SplitRecord(line, separator, QChar());
        TestEnvironment env;
        const QString path = env.writeFile(QStringLiteral("line.txt"), line.toUtf8() + "\n");
        LineReader lines;
        lines.openUtf8(path);
        RecordReader reader(lines, separator, QChar());
        QVERIFY(reader.next());
        QStringList got;
        for (QByteArrayView p : reader.record().fields)
            got << QString::fromUtf8(p);
        QCOMPARE(got, expected);
        QVERIFY(!reader.next());
    }
};

QTEST_GUILESS_MAIN(TextReadingTest)
#include "TextReadingTest.moc"
