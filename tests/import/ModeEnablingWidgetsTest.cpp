#include "ModeEnablingWidgets.h"

#include "ImportOptions.h"
#include "ListWidgetTableList.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>
#include <QVBoxLayout>

namespace {
// The import options as the main window lays them out, in their load state.
struct OptionsForm
{
    QWidget window;
    ModeWidgets w;
    QGroupBox* frame3 = nullptr;

    OptionsForm()
    {
        w.tableOptionsFrame = new QGroupBox(QStringLiteral("Table Options"), &window);
        w.newTableOption = new QRadioButton(QStringLiteral("Create New Table From Text File"), w.tableOptionsFrame);
        w.appendOption =
            new QRadioButton(QStringLiteral("Append to Existing Table From Text File"), w.tableOptionsFrame);
        frame3 = new QGroupBox(QStringLiteral("Create New Table Options"), w.tableOptionsFrame);
        w.columnsFromFirstLine = new QRadioButton(
            QStringLiteral("First line in file will be used to create table columns"), frame3);
        w.userColumnNames = new QRadioButton(
            QStringLiteral("Ignore first line, user-specified columns names"), frame3);
        w.newTableNameLabel = new QLabel(QStringLiteral("Table Name:"), frame3);
        w.newTableName = new QLineEdit(DefaultTableNamePattern, frame3);
        w.appendFrame = new QGroupBox(QStringLiteral("Append to Existing Table Options"), w.tableOptionsFrame);
        w.existingTableLabel = new QLabel(QStringLiteral("Table Name:"), w.appendFrame);
        w.existingTables = new QListWidget(w.appendFrame);
        w.existingTables->addItems({QStringLiteral("Orders"), QStringLiteral("Customers")});
        w.skipFirstLine = new QCheckBox(
            QStringLiteral("Ignore first line in file because it is a header row with no data"),
            w.appendFrame);
        for (QWidget* box : {static_cast<QWidget*>(frame3), static_cast<QWidget*>(w.appendFrame)}) {
            auto* layout = new QVBoxLayout(box);
            for (QObject* child : box->children())
                if (auto* widget = qobject_cast<QWidget*>(child))
                    layout->addWidget(widget);
        }
        auto* layout = new QVBoxLayout(w.tableOptionsFrame);
        for (QWidget* child : {static_cast<QWidget*>(w.newTableOption), static_cast<QWidget*>(w.appendOption),
                               static_cast<QWidget*>(frame3), static_cast<QWidget*>(w.appendFrame)})
            layout->addWidget(child);
        (new QVBoxLayout(&window))->addWidget(w.tableOptionsFrame);

        w.newTableOption->setChecked(true);
        w.columnsFromFirstLine->setChecked(true);
        for (QWidget* off : {static_cast<QWidget*>(w.appendFrame), static_cast<QWidget*>(w.existingTables),
                             static_cast<QWidget*>(w.skipFirstLine), static_cast<QWidget*>(w.existingTableLabel)})
            off->setEnabled(false);
        ConnectModeEnabling(w);
        window.show();
    }

    // Enabled states in the order Option3 Option4 Label5 Text2 Frame2 Frame3 Frame4 Label2 List1
    // Check2.
    QString states() const
    {
        QString s;
        for (const QWidget* x : {static_cast<QWidget*>(w.columnsFromFirstLine), static_cast<QWidget*>(w.userColumnNames),
                                 static_cast<QWidget*>(w.newTableNameLabel), static_cast<QWidget*>(w.newTableName),
                                 static_cast<QWidget*>(w.tableOptionsFrame), static_cast<QWidget*>(frame3),
                                 static_cast<QWidget*>(w.appendFrame), static_cast<QWidget*>(w.existingTableLabel),
                                 static_cast<QWidget*>(w.existingTables), static_cast<QWidget*>(w.skipFirstLine)})
            s += x->isEnabled() ? QLatin1Char('T') : QLatin1Char('F');
        return s;
    }
};

const QString newTableState = QStringLiteral("TTTTTTFFFF");
const QString appendState = QStringLiteral("FFFFTTTTTT");
} // namespace

class ModeEnablingWidgetsTest : public QObject
{
    Q_OBJECT

private slots:
    void switchesModesWithoutTouchingValues()
    {
        OptionsForm form;
        QCOMPARE(form.states(), newTableState);

        QTest::mouseClick(form.w.appendOption, Qt::LeftButton);
        QVERIFY(form.w.appendOption->isChecked());
        QCOMPARE(form.states(), appendState);
        QVERIFY(form.w.columnsFromFirstLine->isChecked());
        QCOMPARE(form.w.newTableName->text(), DefaultTableNamePattern);

        form.w.existingTables->setCurrentRow(1);
        form.w.skipFirstLine->setChecked(true);
        QTest::mouseClick(form.w.newTableOption, Qt::LeftButton);
        QCOMPARE(form.states(), newTableState);
        QVERIFY(form.w.columnsFromFirstLine->isChecked());
        QCOMPARE(form.w.newTableName->text(), DefaultTableNamePattern);
        QCOMPARE(form.w.existingTables->currentRow(), 1);
        QVERIFY(form.w.skipFirstLine->isChecked());

        // Clicking the selected button again changes nothing.
        QTest::mouseClick(form.w.newTableOption, Qt::LeftButton);
        QCOMPARE(form.states(), newTableState);
        QTest::mouseClick(form.w.appendOption, Qt::LeftButton);
        QTest::mouseClick(form.w.appendOption, Qt::LeftButton);
        QCOMPARE(form.states(), appendState);
    }

    void unselectedButtonChangesNothing()
    {
        OptionsForm form;
        ModeEnablingWidgets switches(form.w);
        ApplyModeEnabling(ImportMode::AppendToExisting, form.w.appendOption->isChecked(), switches);
        QCOMPARE(form.states(), newTableState);
    }

    void headerRowFlag_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("ignored");
        QTest::newRow("unchecked") << int(Qt::Unchecked) << false;
        QTest::newRow("greyed") << int(Qt::PartiallyChecked) << true;
        QTest::newRow("checked") << int(Qt::Checked) << true;
    }
    void headerRowFlag()
    {
        QFETCH(int, state);
        QFETCH(bool, ignored);
        QCheckBox box;
        box.setTristate(true);
        box.setCheckState(Qt::CheckState(state));
        QCOMPARE(HeaderRowIgnored(box), ignored);
    }

    void listWidgetAsTableList()
    {
        QListWidget widget;
        ListWidgetTableList list(widget);
        list.addItem(QStringLiteral("Orders"));
        list.addItem(QStringLiteral("Customers"));
        QCOMPARE(list.currentIndex(), -1);
        list.setCurrentIndex(1);
        list.insertItem(0, QStringLiteral("NewTable1"));
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.item(0), QStringLiteral("NewTable1"));
        QCOMPARE(list.currentText(), QStringLiteral("Customers"));
        list.setCurrentIndex(-1);
        QCOMPARE(list.currentIndex(), -1);
        QCOMPARE(list.item(9), QString());
        list.clear();
        QCOMPARE(list.count(), 0);
    }
};

QTEST_MAIN(ModeEnablingWidgetsTest)
#include "ModeEnablingWidgetsTest.moc"
