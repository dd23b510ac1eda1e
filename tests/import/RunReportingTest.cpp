#include "ErrorsFile.h"
#include "Guard.h"
#include "ImportFixture.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {
QByteArray utf16le(const QString& text)
{
    return QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}
} // namespace

// What a run tells about rows and files it did not load, and files a user meets in practice.
class RunReportingTest : public QObject
{
    Q_OBJECT

private slots:
    void encodingsReachTheTableAndTheWorkingCopyIsUtf8()
    {
        ImportFixture f;
        f.addFile(QStringLiteral("u.txt"), utf16le(QStringLiteral("name\tcity\r\nZoë\tKöln\r\n")));
        f.addFile(QStringLiteral("w.txt"), "name\tcity\r\n\x93Q\x94\t\x80 5\r\n");
        f.options.values().separator = QStringLiteral("\t");
        f.run();
        QVERIFY(f.errorReports().isEmpty());
        QCOMPARE(f.rows(QStringLiteral("NewTable1")), QStringList({QStringLiteral("Zoë|Köln")}));
        QCOMPARE(f.rows(QStringLiteral("NewTable2")),
                 QStringList({QStringLiteral("\u201CQ\u201D|\u20AC 5")}));
        QFile copy(f.env.path(QStringLiteral("temp/upload.txt")));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(),
                 QByteArray("name\tcity\r\n\xE2\x80\x9CQ\xE2\x80\x9D\t\xE2\x82\xAC 5\r\n"));
    }

    void filesNotLoadedAtAllAreListedOnce()
    {
        ImportFixture f;
        ListedRows listed;
        f.runner.rejected = &listed;
        f.files << f.env.path(QStringLiteral("data/gone.csv"));
        f.addFile(QStringLiteral("ok.csv"), "k\nv\n");
        f.tables.addItem(QStringLiteral("NewTable2"));
        f.run();
        QCOMPARE(listed.lines(), QStringList({"0", "0"}));
        QVERIFY(listed.entries.at(0).startsWith(f.env.path(QStringLiteral("data/gone.csv"))));
        QVERIFY(listed.entries.at(1).contains(QStringLiteral("NewTable2 already exists")));
    }

    void theErrorsFileKeepsEachRowOnOneLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("errors.tsv"));
        {
            ErrorsFile errors(path);
            errors.row(QStringLiteral("/d/a b.csv"), 12, QStringLiteral("bad\r\nvalue"),
                       QStringLiteral("x\ty\\z\r\nw"));
            errors.file(QStringLiteral("/d/gone.csv"), QStringLiteral("cannot be read"));
            errors.finish();
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("/d/a b.csv\t12\tbad\\r\\nvalue\tx\\ty\\\\z\\r\\nw\n"
                                            "/d/gone.csv\t0\tcannot be read\t\n"));
        QVERIFY_THROWS_EXCEPTION(Failure, ErrorsFile(dir.filePath(QStringLiteral("no/such/x"))));
    }
};

QTEST_GUILESS_MAIN(RunReportingTest)
#include "RunReportingTest.moc"
