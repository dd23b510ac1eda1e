#include "QtInteraction.h"

#include "TestEnvironment.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
// Acts on the next modal dialog of type W once it is shown, so exec() returns. A dialog that
// never turns up, or stays open, is closed after a few seconds so a fault cannot hang the suite.
template <typename W> void whenModal(std::function<void(W*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, ticks] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<W*>(modal);
        if (!dialog && ++*ticks < 300)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog) {
            qWarning("the expected dialog did not appear");
            if (auto* other = qobject_cast<QDialog*>(modal))
                other->reject();
            return;
        }
        QTimer::singleShot(3000, dialog, [dialog] {
            qWarning("closing a dialog the test left open");
            dialog->reject();
        });
        act(dialog);
    });
    timer->start();
}
} // namespace

class QtInteractionTest : public QObject
{
    Q_OBJECT

private slots:
    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two") << "Text Files|*.txt|All Files|*.*|"
                             << QStringList({"Text Files (*.txt)", "All Files (*.*)"});
        QTest::newRow("several patterns")
            << "Data|*.txt;*.csv|" << QStringList({"Data (*.txt *.csv)"});
        QTest::newRow("no trailing bar") << "Text|*.txt" << QStringList({"Text (*.txt)"});
        QTest::newRow("missing pattern") << "Any|" << QStringList({"Any (*)"});
        QTest::newRow("empty") << "" << QStringList();
    }
    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(QtInteraction::nameFilters(filter), expected);
    }

    void openFileResult_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("expected");
        const QChar nul(u'\0');
        QTest::newRow("none") << QStringList() << "";
        QTest::newRow("one") << QStringList({"/data/a.txt"}) << "/data/a.txt";
        QTest::newRow("several") << QStringList({"/data/a.txt", "/data/b.txt"})
                                 << QString("/data") + nul + "a.txt" + nul + "b.txt";
        QTest::newRow("root") << QStringList({"/a.txt", "/b.txt"})
                              << QString("/") + nul + "a.txt" + nul + "b.txt";
        QTest::newRow("different folders") << QStringList({"/data/x/a.txt", "/data/y/b.txt"})
                                           << QString("/data") + nul + "x/a.txt" + nul + "y/b.txt";
    }
    void openFileResult()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, expected);
        QCOMPARE(QtInteraction::openFileResult(paths), expected);
    }

    void messageBoxStyles_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icon");
        QTest::newRow("plain") << Interaction::StylePlain << int(QMessageBox::NoIcon);
        QTest::newRow("exclamation") << Interaction::StyleExclamation << int(QMessageBox::Warning);
    }
    void messageBoxStyles()
    {
        QFETCH(int, style);
        QFETCH(int, icon);
        QtInteraction ui;
        QMessageBox::Icon shownIcon = QMessageBox::Question;
        QString shownText, shownTitle;
        Qt::TextFormat format = Qt::AutoText;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            shownIcon = box->icon();
            shownText = box->text();
            shownTitle = box->windowTitle();
            format = box->textFormat();
            box->button(QMessageBox::Ok)->click();
        });
        ui.messageBox(QStringLiteral("<b>bad</b>\r\nin x at line 1\r\rPlease"), style,
                      QStringLiteral("Application Error"));
        QCOMPARE(int(shownIcon), icon);
        QCOMPARE(shownText, QStringLiteral("<b>bad</b>\nin x at line 1\n\nPlease"));
        QCOMPARE(shownTitle, QStringLiteral("Application Error"));
        QCOMPARE(format, Qt::PlainText);
    }

    void inputBox()
    {
        QtInteraction ui;
        whenModal<QInputDialog>([](QInputDialog* dialog) {
            QCOMPARE(dialog->textValue(), QStringLiteral("txt"));
            dialog->setTextValue(QStringLiteral("csv"));
            dialog->accept();
        });
        QCOMPARE(ui.inputBox(QStringLiteral("Extension?"), QString(), QStringLiteral("txt")),
                 QStringLiteral("csv"));

        QString title;
        whenModal<QInputDialog>([&title](QInputDialog* dialog) {
            title = dialog->windowTitle();
            dialog->reject();
        });
        QCOMPARE(ui.inputBox(QStringLiteral("Extension?"), QString(), QStringLiteral("txt")),
                 QString());
        QCOMPARE(title, QStringLiteral("Tessaloom"));
    }

    void openFileDialog()
    {
        TestEnvironment env;
        const QString a = env.writeFile(QStringLiteral("in/a.txt"), "a");
        const QString b = env.writeFile(QStringLiteral("in/b.txt"), "b");
        QtInteraction ui;

        QString selectedFilter;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            selectedFilter = dialog->selectedNameFilter();
            mode = dialog->fileMode();
            dialog->reject();
        });
        QCOMPARE(ui.openFileDialog(QStringLiteral("Add"), QStringLiteral("Text|*.txt|All|*.*|")),
                 QString());
        QCOMPARE(selectedFilter, QStringLiteral("Text (*.txt)"));
        QCOMPARE(mode, QFileDialog::ExistingFiles);

        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            dialog->setDirectory(env.path(QStringLiteral("in")));
            // What a user types into the name box to choose two files.
            auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(nameBox);
            nameBox->setText(QStringLiteral("\"a.txt\" \"b.txt\""));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const QString several =
            ui.openFileDialog(QStringLiteral("Add"), QStringLiteral("Text|*.txt|"));
        QCOMPARE(several.split(QChar(u'\0')),
                 QStringList({env.path(QStringLiteral("in")), "a.txt", "b.txt"}));

        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            dialog->setDirectory(env.path(QStringLiteral("in")));
            auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(nameBox);
            nameBox->setText(QStringLiteral("b.txt"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(ui.openFileDialog(QStringLiteral("Add"), QStringLiteral("Text|*.txt|")), b);
        Q_UNUSED(a);
    }

    void randomDrawIsInRange()
    {
        QtInteraction ui;
        for (int i = 0; i < 20; ++i) {
            const double draw = ui.randomFromTimeOfDay();
            QVERIFY(draw >= 0.0 && draw < 1.0);
        }
    }
};

QTEST_MAIN(QtInteractionTest)
#include "QtInteractionTest.moc"
