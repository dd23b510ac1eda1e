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
        w.frame2 = new QGroupBox(QStringLiteral("Table Options"), &window);
        w.option1 = new QRadioButton(QStringLiteral("Create New Table From Text File"), w.frame2);
        w.option2 =
            new QRadioButton(QStringLiteral("Append to Existing Table From Text File"), w.frame2);
        frame3 = new QGroupBox(QStringLiteral("Create New Table Options"), w.frame2);
        w.option3 = new QRadioButton(
            QStringLiteral("First line in file will be used to create table columns"), frame3);
        w.option4 = new QRadioButton(
            QStringLiteral("Ignore first line, user-specified columns names"), frame3);
        w.label5 = new QLabel(QStringLiteral("Table Name:"), frame3);
        w.text2 = new QLineEdit(DefaultTableNamePattern, frame3);
        w.frame4 = new QGroupBox(QStringLiteral("Append to Existing Table Options"), w.frame2);
        w.label2 = new QLabel(QStringLiteral("Table Name:"), w.frame4);
        w.list1 = new QListWidget(w.frame4);
        w.list1->addItems({QStringLiteral("Orders"), QStringLiteral("Customers")});
        w.check2 = new QCheckBox(
            QStringLiteral("Ignore first line in file because it is a header row with no data"),
            w.frame4);
        for (QWidget* box : {static_cast<QWidget*>(frame3), static_cast<QWidget*>(w.frame4)}) {
            auto* layout = new QVBoxLayout(box);
            for (QObject* child : box->children())
                if (auto* widget = qobject_cast<QWidget*>(child))
                    layout->addWidget(widget);
        }
        auto* layout = new QVBoxLayout(w.frame2);
        for (QWidget* child : {static_cast<QWidget*>(w.option1), static_cast<QWidget*>(w.option2),
                               static_cast<QWidget*>(frame3), static_cast<QWidget*>(w.frame4)})
            layout->addWidget(child);
        (new QVBoxLayout(&window))->addWidget(w.frame2);

        w.option1->setChecked(true);
        w.option3->setChecked(true);
        for (QWidget* off : {static_cast<QWidget*>(w.frame4), static_cast<QWidget*>(w.list1),
                             static_cast<QWidget*>(w.check2), static_cast<QWidget*>(w.label2)})
            off->setEnabled(false);
        ConnectModeEnabling(w);
        window.show();
    }

    // Enabled states in the order Option3 Option4 Label5 Text2 Frame2 Frame3 Frame4 Label2 List1
    // Check2.
    QString states() const
    {
        QString s;
        for (const QWidget* x : {static_cast<QWidget*>(w.option3), static_cast<QWidget*>(w.option4),
                                 static_cast<QWidget*>(w.label5), static_cast<QWidget*>(w.text2),
                                 static_cast<QWidget*>(w.frame2), static_cast<QWidget*>(frame3),
                                 static_cast<QWidget*>(w.frame4), static_cast<QWidget*>(w.label2),
                                 static_cast<QWidget*>(w.list1), static_cast<QWidget*>(w.check2)})
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

        QTest::mouseClick(form.w.option2, Qt::LeftButton);
        QVERIFY(form.w.option2->isChecked());
        QCOMPARE(form.states(), appendState);
        QVERIFY(form.w.option3->isChecked());
        QCOMPARE(form.w.text2->text(), DefaultTableNamePattern);

        form.w.list1->setCurrentRow(1);
        form.w.check2->setChecked(true);
        QTest::mouseClick(form.w.option1, Qt::LeftButton);
        QCOMPARE(form.states(), newTableState);
        QVERIFY(form.w.option3->isChecked());
        QCOMPARE(form.w.text2->text(), DefaultTableNamePattern);
        QCOMPARE(form.w.list1->currentRow(), 1);
        QVERIFY(form.w.check2->isChecked());

        // Clicking the selected button again changes nothing.
        QTest::mouseClick(form.w.option1, Qt::LeftButton);
        QCOMPARE(form.states(), newTableState);
        QTest::mouseClick(form.w.option2, Qt::LeftButton);
        QTest::mouseClick(form.w.option2, Qt::LeftButton);
        QCOMPARE(form.states(), appendState);
    }

    void unselectedButtonChangesNothing()
    {
        OptionsForm form;
        ModeEnablingWidgets switches(form.w);
        ApplyModeEnabling(ImportMode::AppendToExisting, form.w.option2->isChecked(), switches);
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
