#include "LineReader.h"
#include "RecordReader.h"
#include "TestEnvironment.h"
#include "TextDecoding.h"

#include <QtTest>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
const QString Bad = QStringLiteral("\uFFFD");

// Every record of a file as "1:text", and every fault as "1:description", numbered by the
// line the record begins on.
void readAll(const QString& path, const QString& encoding, QChar quote, QStringList& records,
             QStringList& faults)
{
    LineReader lines;
    lines.open(path, encoding);
    RecordReader reader(lines, QStringLiteral(","), quote);
    QString record;
    while (reader.nextText(record)) {
        const QString number = QString::number(reader.record().firstLine) + u':';
        records << number + record;
        if (!reader.record().fault.isEmpty())
            faults << number + reader.record().fault;
    }
}
} // namespace

// Bytes that do not decode in the file's encoding are reported on their own line, never
// replaced in silence, and the lines around them read as they stand.
class TextReadingFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void faultsNameTheBytesOnTheirLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("Shift_JIS, a lead byte and a byte that is no character")
            << QByteArray("ok\r\na\x82\xFF"
                          "b\r\n\x82\xA0\r\n")
            << "Shift_JIS" << QStringList{"1:ok", "2:a" + Bad + Bad + "b", "3:あ"}
            << QStringList{"2:The bytes 82 FF cannot be read as Shift_JIS."};
        QTest::newRow("Shift_JIS, a pair with no character")
            << QByteArray("\x85\x40\nz") << "Shift_JIS" << QStringList{"1:" + Bad, "2:z"}
            << QStringList{"1:The bytes 85 40 cannot be read as Shift_JIS."};
        QTest::newRow("Shift_JIS, the file ends inside a character")
            << QByteArray("x\n\x82\xA0\x82") << "Shift_JIS" << QStringList{"1:x", "2:あ" + Bad}
            << QStringList{"2:The file ends inside a character: the byte 82 begins one in "
                           "Shift_JIS that never ends."};
        QTest::newRow("UTF-8 by name, a bad byte and the end inside a character")
            << QByteArray("a\nb\xFF\nc\n\xE3\x81") << "UTF-8"
            << QStringList{"1:a", "2:b" + Bad, "3:c", "4:" + Bad}
            << QStringList{"2:The byte FF cannot be read as UTF-8.",
                           "4:The file ends inside a character: the bytes E3 81 begin one in "
                           "UTF-8 that never ends."};
        QTest::newRow("UTF-8, a character cut by a line break keeps the break")
            << QByteArray("\xE3\x81\r\nz\xC0\xAF y\xFE") << "utf8"
            << QStringList{"1:" + Bad, "2:z" + Bad + Bad + " y" + Bad}
            << QStringList{"1:The bytes E3 81 cannot be read as utf8.",
                           "2:The bytes C0 AF cannot be read as utf8. The line has one more "
                           "place that cannot be read."};
        QTest::newRow("UTF-8, a long run of bad bytes is cut short in its description")
            << QByteArray(20, '\xFF') + "\nok"
            << "UTF-8" << QStringList{"1:" + Bad.repeated(20), "2:ok"}
            << QStringList{"1:The bytes " + QStringLiteral("FF ").repeated(15) +
                           "FF and 4 more cannot be read as UTF-8."};
        QTest::newRow("UTF-16LE mark, a lone high surrogate")
            << QByteArray("\xFF\xFE"
                          "a\0\n\0\0\xD8"
                          "b\0\n\0c\0",
                          14)
            << QString() << QStringList{"1:a", "2:" + Bad + "b", "3:c"}
            << QStringList{"2:The bytes 00 D8 cannot be read as UTF-16LE."};
        QTest::newRow("UTF-16LE by name, a lone low surrogate")
            << QByteArray("a\0\0\xDC\n\0", 6) << "UTF-16LE" << QStringList{"1:a" + Bad}
            << QStringList{"1:The bytes 00 DC cannot be read as UTF-16LE."};
        QTest::newRow("UTF-16LE, an odd final byte")
            << QByteArray("\xFF\xFE"
                          "a\0\n\0b\0B",
                          9)
            << QString() << QStringList{"1:a", "2:b" + Bad}
            << QStringList{"2:The file ends inside a character: the byte 42 begins one in "
                           "UTF-16LE that never ends."};
        QTest::newRow("UTF-16BE, the file ends inside a surrogate pair")
            << QByteArray("\xFE\xFF\0a\xD8\x3D", 6) << QString() << QStringList{"1:a" + Bad}
            << QStringList{"1:The file ends inside a character: the bytes D8 3D begin one in "
                           "UTF-16BE that never ends."};
        QTest::newRow("UTF-32LE mark, a surrogate is no character")
            << QByteArray("\xFF\xFE\0\0\0\xD8\0\0\n\0\0\0", 12) << "UTF-32"
            << QStringList{"1:" + Bad}
            << QStringList{"1:The bytes 00 D8 00 00 cannot be read as UTF-32LE."};
        QTest::newRow("UTF-16 by name without a mark is little-endian")
            << QByteArray("a\0\n\0b\0", 6) << "UTF-16" << QStringList{"1:a", "2:b"}
            << QStringList();
        QTest::newRow("IBM037, EBCDIC line breaks")
            << QByteArray("\xD4\xDC\x93\x93\x85\x99\x5E\xF1\x25\x81\x82\x25") << "IBM037"
            << QStringList{"1:Müller;1", "2:ab"} << QStringList();
        QTest::newRow("IBM930, a double-byte pair with no character between shifts")
            << QByteArray("\xC1\x25\x0E\xFF\xFF\x0F\xC2\x25\xC3") << "IBM930"
            << QStringList{"1:A", "2:" + Bad + "B", "3:C"}
            << QStringList{"2:The bytes FF FF cannot be read as IBM930."};
        QTest::newRow("ISO-2022-JP, the file ends inside a character after a shift")
            << QByteArray("\x1B$B\x30\x21\x1B(B\n\x1B$B\x30") << "ISO-2022-JP"
            << QStringList{"1:亜", "2:" + Bad}
            << QStringList{"2:The file ends inside a character: the byte 30 begins one in "
                           "ISO-2022-JP that never ends."};
        QTest::newRow("without a name a line not UTF-8 is Windows-1252, no fault")
            << QByteArray("\x93x\x94\n\xE3\x81") << QString()
            << QStringList{"1:\u201Cx\u201D", "2:\u00E3\u0081"} << QStringList();
        QTest::newRow("after a UTF-8 mark likewise") << QByteArray("\xEF\xBB\xBF\xFF\n") << "UTF-8"
                                                     << QStringList{"1:\u00FF"} << QStringList();
    }

    void faultsNameTheBytesOnTheirLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, faults);
        TestEnvironment env;
        QStringList readLines, readFaults;
        readAll(env.writeFile(QStringLiteral("f.txt"), bytes), encoding, {}, readLines, readFaults);
        QCOMPARE(readLines, lines);
        QCOMPARE(readFaults, faults);
    }

    // Wherever the reads cut a line longer than the buffer, its fault is found whole and on it.
    void aFaultAcrossTheBufferStaysOnItsLine()
    {
        TestEnvironment env;
        for (qsizetype before = LineReader::BufferSize - 2; before <= LineReader::BufferSize + 5;
             ++before) {
            const QString path = env.writeFile(QStringLiteral("j.txt"),
                                               QByteArray(before, 'x') + "\x82\xFFy\r\nok\r\n" +
                                                   QByteArray(before, 'z') + "\x82");
            QStringList lines, faults;
            readAll(path, QStringLiteral("Shift_JIS"), {}, lines, faults);
            QCOMPARE(lines, QStringList({"1:" + QString(before, u'x') + Bad + Bad + "y", "2:ok",
                                         "3:" + QString(before, u'z') + Bad}));
            QCOMPARE(faults, QStringList({"1:The bytes 82 FF cannot be read as Shift_JIS.",
                                          "3:The file ends inside a character: the byte 82 "
                                          "begins one in Shift_JIS that never ends."}));
        }
    }

    // A record is faulty when any of its lines is, and tells the first fault.
    void aQuotedRecordTakesTheFaultOfItsLines()
    {
        TestEnvironment env;
        QStringList records, faults;
        readAll(env.writeFile(QStringLiteral("q.csv"), "1,\"a\nb\xFF\nc\xFE\",d\n2,x\n3,\xC3\n"),
                QStringLiteral("UTF-8"), u'"', records, faults);
        QCOMPARE(records,
                 QStringList({"1:1,\"a\nb" + Bad + "\nc" + Bad + "\",d", "4:2,x", "5:3," + Bad}));
        QCOMPARE(faults, QStringList({"1:The byte FF cannot be read as UTF-8.",
                                      "5:The byte C3 cannot be read as UTF-8."}));
        // Split as it is read, the record keeps the same fault and its fields.
        LineReader lines;
        lines.open(env.path(QStringLiteral("q.csv")), QStringLiteral("UTF-8"));
        RecordReader reader(lines, QStringLiteral(","), u'"');
        const QByteArray quoted = QString("a\nb" + Bad + "\nc" + Bad).toUtf8();
        QVERIFY(reader.next());
        QCOMPARE(reader.record().fault, QStringLiteral("The byte FF cannot be read as UTF-8."));
        QCOMPARE(reader.record().fields, QList<QByteArrayView>({"1", quoted, "d"}));
        QVERIFY(reader.next());
        QVERIFY(reader.record().fault.isEmpty());
    }

    // A UTF-32 mark is four bytes; a pipe may hand them over one at a time.
    void aMarkFromAPipeIsReadWhole()
    {
        TestEnvironment env;
        const QString path = env.path(QStringLiteral("pipe"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        const QByteArray bytes("\0\0\xFE\xFF\0\0\0a", 8);
        std::thread writer([&] {
            QFile pipe(path);
            if (!pipe.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return;
            for (const char byte : bytes) {
                pipe.write(&byte, 1);
                ::usleep(2000);
            }
        });
        QStringList lines, faults;
        readAll(path, {}, {}, lines, faults);
        writer.join();
        QCOMPARE(lines, QStringList{"1:a"});
        QCOMPARE(faults, QStringList());
    }

    // The names the runner accepts are those the reader decodes with.
    void namesKnownBeforeAreKnown()
    {
        for (const char* name : {"windows-1251", "IBM850", "Shift_JIS", "UTF-8", "UTF-16LE",
                                 "UTF-16", "UTF-32", "ISO-8859-1", "latin1", "cp1251", "Locale"}) {
            QVERIFY2(TextDecoding::isKnown(QString::fromLatin1(name)), name);
        }
        QVERIFY(!TextDecoding::isKnown(QString()));
        QVERIFY(!TextDecoding::isKnown(QStringLiteral("no-such-encoding")));
    }
};

QTEST_GUILESS_MAIN(TextReadingFaultsTest)
#include "TextReadingFaultsTest.moc"
