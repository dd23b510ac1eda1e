#include "AddTextFiles.h"

#include "ApplicationTitle.h"
#include "Guard.h"
#include "ScriptedInteraction.h"

#include <QtTest>

namespace {

struct Press
{
    ScriptedInteraction interaction;
    QStringList added;
    QString failOn; // a path whose append fails

    QStringList run()
    {
        AddTextFiles(interaction, [this](const QString& path) {
            if (path == failOn)
                throw Failure("append failed", 5);
            added.append(path);
        });
        return added;
    }
};

QString several(const QStringList& parts)
{
    return parts.join(QChar(u'\0'));
}

} // namespace

class AddTextFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void theDialogAndCancel()
    {
        Press press;
        QVERIFY(press.run().isEmpty());
        QCOMPARE(press.interaction.dialogs().size(), 1);
        QCOMPARE(press.interaction.dialogs().front().title,
                 QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(press.interaction.dialogs().front().argument,
                 QStringLiteral(
                     "Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|"));
        QVERIFY(press.interaction.messages().isEmpty());
    }

    void resultForms_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one, unchanged") << "/data//a.txt" << QStringList({"/data//a.txt"});
        QTest::newRow("several, dialog order")
            << several({"/data", "b.txt", "a.txt"}) << QStringList({"/data/b.txt", "/data/a.txt"});
        QTest::newRow("folder with separator")
            << several({"/data/", "a.txt"}) << QStringList({"/data/a.txt"});
        QTest::newRow("root") << several({"/", "a.txt", "b.csv"})
                              << QStringList({"/a.txt", "/b.csv"});
        QTest::newRow("leading pair")
            << several({"//srv/x", "a.txt"}) << QStringList({"/srv/x/a.txt"});
    }

    void resultForms()
    {
        QFETCH(QString, result);
        QFETCH(QStringList, expected);
        Press press;
        press.interaction.answerFileDialog(result);
        QCOMPARE(press.run(), expected);
        // No duplicate check: the same choice again is added again.
        press.interaction.answerFileDialog(result);
        QCOMPARE(press.run(), expected + expected);
    }

    void tooManyFilesEndsTheHandler()
    {
        Press press;
        press.interaction.failFileDialog(Failure("buffer too small", 20476));
        QVERIFY(press.run().isEmpty());
        QCOMPARE(press.interaction.messages().size(), 1);
        const ScriptedInteraction::Message& message = press.interaction.messages().front();
        QCOMPARE(message.text,
                 QStringLiteral("You've selected too many files to add.\r\rPlease try "
                                "adding via the \"Add All\" button."));
        QCOMPARE(message.style, MessageStyle::Plain);
        QCOMPARE(message.title, ApplicationTitle());
    }

    void otherFailuresAreReportedAndTheHandlerGoesOn()
    {
        Press press;
        press.interaction.failFileDialog(Failure("no dialog", 32755));
        QVERIFY(press.run().isEmpty());
        QCOMPARE(press.interaction.messageTexts(),
                 QStringList(Guard::composeReport("no dialog", Locations::AddTextFiles, 100)));

        Press appending;
        appending.failOn = "/d/b.txt";
        appending.interaction.answerFileDialog(several({"/d", "a.txt", "b.txt", "c.txt"}));
        QCOMPARE(appending.run(), QStringList({"/d/a.txt", "/d/c.txt"}));
        QCOMPARE(appending.interaction.messages().size(), 1);
        QCOMPARE(appending.interaction.messages().front().style, MessageStyle::Exclamation);
    }
};

QTEST_GUILESS_MAIN(AddTextFilesTest)
#include "AddTextFilesTest.moc"
