#include "QtInteraction.h"

#include "TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
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
// never turns up, or stays open, is closed after a minute so a fault cannot hang the suite.
template <typename W> void whenModal(std::function<void(W*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, ticks] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<W*>(modal);
        if (!dialog && ++*ticks < 6000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog) {
            qWarning("the expected dialog did not appear");
            if (auto* other = qobject_cast<QDialog*>(modal))
                other->reject();
            return;
        }
        QTimer::singleShot(60000, dialog, [dialog] {
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
        // Descriptions that already show their patterns show them once.
        QTest::newRow("described")
            << "Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|"
            << QStringList({"Text Files (*.txt)", "CSV Files (*.csv)", "All Files (*.*)"});
        QTest::newRow("described with semicolons")
            << "Data (*.txt;*.csv)|*.txt;*.csv|" << QStringList({"Data (*.txt *.csv)"});
        QTest::newRow("described otherwise")
            << "Text (*.text)|*.txt|" << QStringList({"Text (*.text) (*.txt)"});
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
        QTest::addColumn<MessageStyle>("style");
        QTest::addColumn<int>("icon");
        QTest::newRow("plain") << MessageStyle::Plain << int(QMessageBox::NoIcon);
        QTest::newRow("exclamation") << MessageStyle::Exclamation << int(QMessageBox::Warning);
    }
    void messageBoxStyles()
    {
        QFETCH(MessageStyle, style);
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

    // A window manager cuts a title that does not fit beside the frame's icon and buttons;
    // boxes with little text are made wide enough for the title. The bound allows the title
    // in bold and four buttons about as wide as a title bar is high.
    void shortBoxesShowTheirWholeTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("program") << "Tessaloom";
        QTest::newRow("failure") << "Application Error";
        QTest::newRow("long") << "Tessaloom, with a title longer than any of its message texts";
    }
    void shortBoxesShowTheirWholeTitle()
    {
        QFETCH(QString, title);
        QtInteraction ui;
        int boxWidth = 0;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            boxWidth = box->width();
            box->button(QMessageBox::Ok)->click();
        });
        ui.messageBox(QStringLiteral("Done."), MessageStyle::Plain, title);
        int promptWidth = 0;
        whenModal<QInputDialog>([&](QInputDialog* dialog) {
            promptWidth = dialog->width();
            dialog->reject();
        });
        ui.inputBox(QStringLiteral("Name?"), title, QString());

        QFont bold = QApplication::font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        const int needed = metrics.horizontalAdvance(title) + 4 * (metrics.height() + 8);
        QVERIFY2(boxWidth >= needed,
                 qPrintable(QStringLiteral("%1 < %2").arg(boxWidth).arg(needed)));
        QVERIFY2(promptWidth >= needed,
                 qPrintable(QStringLiteral("%1 < %2").arg(promptWidth).arg(needed)));
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
        QStringList shownFilters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            selectedFilter = dialog->selectedNameFilter();
            if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                for (int i = 0; i < types->count(); ++i)
                    shownFilters << types->itemText(i);
            mode = dialog->fileMode();
            dialog->reject();
        });
        QCOMPARE(ui.openFileDialog(QStringLiteral("Add"),
                                   QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|")),
                 QString());
        QCOMPARE(selectedFilter, QStringLiteral("Text Files (*.txt)"));
        // What the user reads in the list of file types.
        QCOMPARE(shownFilters, QStringList({"Text Files (*.txt)", "All Files (*.*)"}));
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

// The file dialog keeps its own state file in the user's configuration folder; the suite
// gives it a folder of its own before anything reads the configuration paths.
int main(int argc, char* argv[])
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QtInteractionTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "QtInteractionTest.moc"
