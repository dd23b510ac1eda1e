#include "ConsoleInteraction.h"

#include "Guard.h"

#include <cstdio>
#include <QtTest>

namespace {
QByteArray contents(std::FILE* stream)
{
    std::fflush(stream);
    std::rewind(stream);
    QByteArray bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
        bytes.append(chunk, qsizetype(got));
    return bytes;
}
} // namespace

// The runner's console: one line per message, a progress line that never mixes with them.
class ConsoleInteractionTest : public QObject
{
    Q_OBJECT

private slots:
    void aMessageClearsTheProgressLineFirst()
    {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        {
            ConsoleInteraction console({}, out, err);
            ImportProgress progress;
            console.showProgress(&progress);
            console.yield(); // nothing is loading yet: nothing shown
            progress.path = QStringLiteral("/d/a.csv");
            progress.position = 1;
            progress.rows = 1234567;
            console.yield();
            console.messageBox(QStringLiteral("bad row\r\nLine 3 of /d/a.csv was not loaded."),
                               MessageStyle::Exclamation, ApplicationErrorTitle);
            console.messageBox(QStringLiteral("Done."), MessageStyle::Plain,
                               QStringLiteral("Tessaloom"));
            console.endProgress(); // nothing left to clear
        }
        const QByteArray shown = contents(err);
        QVERIFY2(shown.startsWith("\r/d/a.csv: 1,234,567 rows, "), shown.constData());
        QVERIFY(shown.contains(" rows/s\033[K\r\033[KApplication Error: bad row\\nLine 3 of "
                               "/d/a.csv was not loaded.\n"));
        QVERIFY(shown.endsWith("was not loaded.\n"));
        QCOMPARE(contents(out), QByteArray("Tessaloom: Done.\n"));
        std::fclose(out);
        std::fclose(err);
    }

    void withoutAProgressOnlyMessagesAreWritten()
    {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        {
            ConsoleInteraction console({}, out, err);
            console.yield();
            console.messageBox(QStringLiteral("a\rb\nc"), MessageStyle::Exclamation,
                               ApplicationErrorTitle);
            console.endProgress();
        }
        QCOMPARE(contents(err), QByteArray("Application Error: a\\nb\\nc\n"));
        std::fclose(out);
        std::fclose(err);
    }
};

QTEST_GUILESS_MAIN(ConsoleInteractionTest)
#include "ConsoleInteractionTest.moc"
