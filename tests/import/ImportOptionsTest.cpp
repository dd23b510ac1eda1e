#include "ImportOptions.h"

#include "ModeEnabling.h"
#include "TableList.h"
#include "FirstLineSkipping.h"

#include <QtTest>

Q_DECLARE_METATYPE(ImportMode)
Q_DECLARE_METATYPE(FirstLineHandling)

namespace {
class RecordedSwitches : public ModeSwitches
{
public:
    void setEnabled(ModeControl control, bool enabled) override
    {
        steps.emplace_back(control, enabled);
    }
    std::vector<std::pair<ModeControl, bool>> steps;
};
} // namespace

class ImportOptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void skipsFirstLine_data()
    {
        QTest::addColumn<ImportMode>("mode");
        QTest::addColumn<FirstLineHandling>("handling");
        QTest::addColumn<bool>("ignoreHeader");
        QTest::addColumn<bool>("skips");
        using M = ImportMode;
        using H = FirstLineHandling;
        QTest::newRow("new, column names") << M::NewTable << H::ColumnNames << false << false;
        QTest::newRow("new, column names, check set")
            << M::NewTable << H::ColumnNames << true << false;
        QTest::newRow("new, user names") << M::NewTable << H::IgnoreWithUserNames << false << true;
        QTest::newRow("new, user names, check set")
            << M::NewTable << H::IgnoreWithUserNames << true << true;
        QTest::newRow("append, data") << M::AppendToExisting << H::ColumnNames << false << false;
        QTest::newRow("append, data, option4")
            << M::AppendToExisting << H::IgnoreWithUserNames << false << false;
        QTest::newRow("append, header") << M::AppendToExisting << H::ColumnNames << true << true;
        QTest::newRow("append, header, option4")
            << M::AppendToExisting << H::IgnoreWithUserNames << true << true;
    }
    void skipsFirstLine()
    {
        QFETCH(ImportMode, mode);
        QFETCH(FirstLineHandling, handling);
        QFETCH(bool, ignoreHeader);
        QFETCH(bool, skips);
        ImportOptions values;
        values.mode = mode;
        values.firstLineHandling = handling;
        values.ignoreHeaderRow = ignoreHeader;
        QCOMPARE(SkipsFirstLine(FixedImportOptions(values)), skips);
    }

    void optionsAreReadAtEachUse()
    {
        MemoryTableList tables(QStringList{"Orders", "Customers"});
        FixedImportOptions options({}, &tables);
        QCOMPARE(options.mode(), ImportMode::NewTable);
        QCOMPARE(options.firstLineHandling(), FirstLineHandling::ColumnNames);
        QCOMPARE(options.tableName(), QStringLiteral("NewTable[counter]"));
        QCOMPARE(options.separator(), QStringLiteral(","));
        QVERIFY(!options.ignoreHeaderRow());
        QVERIFY(!options.targetTable());
        QVERIFY(!SkipsFirstLine(options));

        tables.setCurrentIndex(1);
        QCOMPARE(options.targetTable(), std::optional<QString>(QStringLiteral("Customers")));
        options.values().mode = ImportMode::AppendToExisting;
        options.values().ignoreHeaderRow = true;
        options.values().separator.clear();
        QVERIFY(SkipsFirstLine(options));
        QCOMPARE(options.separator(), QString());

        FixedImportOptions unbound;
        unbound.values().targetTable = QStringLiteral("Orders");
        QCOMPARE(unbound.targetTable(), std::optional<QString>(QStringLiteral("Orders")));
    }

    void enablingSteps_data()
    {
        QTest::addColumn<ImportMode>("clicked");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Option1")
            << ImportMode::NewTable
            << "Option3+ Option4+ Frame2+ Frame4- Check2- Label2- List1- Label5+ Text2+";
        QTest::newRow("Option2")
            << ImportMode::AppendToExisting
            << "Frame4+ Check2+ Option3- Option4- Frame2+ Label2+ List1+ Label5- Text2-";
    }
    void enablingSteps()
    {
        QFETCH(ImportMode, clicked);
        QFETCH(QString, expected);
        static const QMap<ModeControl, QString> names = {
            {ModeControl::ColumnsFromFirstLine, "Option3"}, {ModeControl::UserColumnNames, "Option4"},
            {ModeControl::NewTableNameLabel, "Label5"},   {ModeControl::NewTableName, "Text2"},
            {ModeControl::TableOptionsFrame, "Frame2"},   {ModeControl::AppendFrame, "Frame4"},
            {ModeControl::ExistingTableLabel, "Label2"},   {ModeControl::ExistingTables, "List1"},
            {ModeControl::SkipFirstLine, "Check2"}};
        RecordedSwitches switches;
        ApplyModeEnabling(clicked, true, switches);
        QStringList shown;
        for (const auto& [control, enabled] : switches.steps)
            shown << names.value(control) + (enabled ? "+" : "-");
        QCOMPARE(shown.join(QLatin1Char(' ')), expected);

        RecordedSwitches untouched;
        ApplyModeEnabling(clicked, false, untouched);
        QVERIFY(untouched.steps.empty());
    }
};

QTEST_GUILESS_MAIN(ImportOptionsTest)
#include "ImportOptionsTest.moc"
