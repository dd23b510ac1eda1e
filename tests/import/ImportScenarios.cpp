#include "ImportScenarios.h"

namespace {
const QString Evil = QStringLiteral("t]; DROP TABLE victim; SELECT * FROM [t");
const QByteArray Victim = "CREATE TABLE victim (v TEXT); INSERT INTO victim VALUES ('kept');";

// Adds one data row per target; make describes the scenario as that target should see it.
void addScenario(const char* name, const QList<ImportTarget>& targets,
                 const std::function<Scenario(ImportTarget)>& make)
{
    for (ImportTarget target : targets)
        QTest::addRow("%s/%s", name, targetName(target)) << target << make(target);
}

// Adds a scenario that every target should see alike.
void addEverywhere(const char* name, const Scenario& scenario)
{
    addScenario(name, AllImportTargets, [&scenario](ImportTarget) { return scenario; });
}

void appendTo(ImportFixture& f, const QString& table)
{
    f.tables.addItem(table);
    f.tables.setCurrentIndex(int(f.tables.items().indexOf(table)));
    f.options.values().mode = ImportMode::AppendToExisting;
}

} // namespace

// How values reach the table: as they stand, whatever their line ends and encodings.
void addValueScenarios()
{
    addScenario("two files, two tables", AllImportTargets, [](ImportTarget t) {
        return Scenario{
            .files = {{"a.csv", "Name,Note\nO'Brien,Zoë ünïcode\nJane,\n"}, {"b.csv", "k\nv\n"}},
            // ASE has no empty text: it keeps one blank.
            .rows = {"O'Brien|Zoë ünïcode", isSandbox(t) ? "Jane| " : "Jane|"},
            .tableList = {"NewTable2", "NewTable1"}};
    });
    addScenario("values as they stand", AllImportTargets, [](ImportTarget t) {
        const QString empty = isSandbox(t) ? QStringLiteral(" ") : QString();
        return Scenario{.files = {{"a.txt", "a||b||c\nO'Brien||x|y||\n\n||'q'||\"1,2\"\n"}},
                        .arrange = [](ImportFixture& f) { f.options.values().separator = "||"; },
                        // A lone "|" is no separator, quotes are data, blank lines no rows.
                        .rows = {"O'Brien|x|y|" + empty, empty + "|'q'|\"1,2\""}};
    });
    addEverywhere(
        "no separator",
        Scenario{.files = {{"a.txt", "head,er\nv,w\n"}},
                 .arrange = [](ImportFixture& f) { f.options.values().separator.clear(); },
                 .rows = {"v,w"},
                 .columns = {"header"}});
    const QList<std::pair<const char*, QByteArray>> lineEnds{
        {"LF", "id,v\n1,a\n2,b\n"},
        {"CR LF", "id,v\r\n1,a\r\n2,b\r\n"},
        {"CR", "id,v\r1,a\r2,b"},
        {"mixed and BOM", "\xEF\xBB\xBFid,v\r\n1,a\n2,b\r"}};
    for (const auto& [name, bytes] : lineEnds)
        addScenario(name, AllImportTargets, [bytes](ImportTarget) {
            return Scenario{
                .files = {{"a.csv", bytes}}, .rows = {"1|a", "2|b"}, .columns = {"id", "v"}};
        });
    addEverywhere("eight-bit code page",
                  Scenario{.files = {{"a.csv", "name\nM\xFCller\nGr\xC3\xBC\xC3\x9F"
                                               "e\n"}},
                           .rows = {"Müller", "Grüße"}});
    addEverywhere("header fields without letters",
                  Scenario{.files = {{"a.csv", "a,,(%),d\n1,2,3,4\n"}},
                           .rows = {"1|2|3|4"},
                           .columns = {"a", "Column2", "Column3", "d"}});
}

// Rows and files the database refuses: each reported at the line that ran, the rest loaded.
void addRejectionScenarios()
{
    addScenario("rows of the wrong width", AllImportTargets, [](ImportTarget t) {
        const QString text =
            isSandbox(t)
                ? QStringLiteral("Insert error: column name or number of supplied values "
                                 "does not match table definition.")
                : QStringLiteral("table NewTable1 has 2 columns but 1 values were supplied");
        return Scenario{.files = {{"a.csv", "a,b\n1,2\n\n3\n4,5,6\n7,8\n"}},
                        .rows = {"1|2", "7|8"},
                        .reports = {{240, "\r\nLine 4 of {file} was not loaded.", {}, text},
                                    {240, "\r\nLine 5 of {file} was not loaded."}},
                        .listed = {"4:3", "5:4,5,6"}};
    });
    addEverywhere("rows of the wrong width under typed names",
                  Scenario{.files = {{"a.csv", "h1,h2\n1,2\n3\n"}},
                           .arrange =
                               [](ImportFixture& f) {
                                   f.options.values().firstLineHandling =
                                       FirstLineHandling::IgnoreWithUserNames;
                                   f.ui.answerPrompt(QStringLiteral("a"));
                                   f.ui.answerPrompt(QStringLiteral("b"));
                               },
                           .rows = {"1|2"},
                           .reports = {{300, "Line 3 of {file}"}},
                           .listed = {"3:3"}});
    addScenario("append: a row of the wrong width", AllImportTargets, [](ImportTarget t) {
        return Scenario{
            .files = {{"c.csv", "x\ny\nz,extra\n"}},
            .arrange =
                [](ImportFixture& f) {
                    f.execute(QStringLiteral("CREATE TABLE [Orders] ([k] TEXT)"));
                    appendTo(f, QStringLiteral("Orders"));
                },
            .table = QStringLiteral("Orders"),
            .rows = {"x", "y"},
            .reports = {{352,
                         {},
                         {},
                         isSandbox(t) ? QStringLiteral("Insert error: column name or number of "
                                                       "supplied values does not match table")
                                      : QStringLiteral("table Orders has 1 columns but 2 values")}},
            .listed = {"3:z,extra"}};
    });
    // The sandbox passes SQLite's own text on here.
    addEverywhere("a rejected create",
                  Scenario{.files = {{"a.csv", "a b,ab\n1,2\n3,4\n"}, {"b.csv", "ok\n5\n"}},
                           .reports = {{208, "duplicate column name"}},
                           .listed = {"0"},
                           .tableList = {"NewTable2"}});
    // ASE would keep 16 KB of a longer value and say nothing: such a row is not sent.
    addScenario("a value longer than 16 KB", AllImportTargets, [](ImportTarget t) {
        const QByteArray longest(16384, 'x');
        Scenario s{.files = {{"a.csv", "n,v\n1," + longest + "\n2," + longest + "y\n3,z\n"}},
                   .select = QStringLiteral("n, length(v)"),
                   .rows = {"1|16384", "2|16385", "3|1"}};
        if (isSandbox(t)) {
            s.rows = QStringList{"1|16384", "3|1"};
            s.reports = {{240,
                          {},
                          {},
                          "The value of field 2 is 16,385 bytes long in the "
                          "server's character set"}};
            s.listed = {"3"};
        }
        return s;
    });
    addScenario("the server gone before the table is made", SandboxTargets, [](ImportTarget) {
        return Scenario{
            .files = {{"a.csv", "n\n1\n"}},
            .arrange = [](ImportFixture& f) { f.onFileRead = [&f](int) { f.server->stop(); }; },
            .reports = {{208, "connection", "rejected"}},
            .listed = {"0"}};
    });
}

// Table names go between brackets as typed; one that would end its brackets is refused.
void addTableNameScenarios()
{
    addEverywhere("] in a new table's name",
                  Scenario{.files = {{"a.csv", "a\n1\n"}},
                           .arrange =
                               [](ImportFixture& f) {
                                   f.executeInStore(Victim);
                                   f.options.values().tableName =
                                       "x](a TEXT); DROP TABLE victim;--";
                               },
                           .table = QStringLiteral("victim"),
                           .rows = {"kept"},
                           .reports = {{184, "holds \"]\""}},
                           .listed = {"0"},
                           .storeTables = QStringList{"victim"}});
    addEverywhere("] in a listed table's name",
                  Scenario{.files = {{"a.csv", "v\n1\n"}},
                           .arrange =
                               [](ImportFixture& f) {
                                   f.executeInStore(Victim + "CREATE TABLE \"" + Evil.toUtf8() +
                                                    "\" (v TEXT);");
                                   f.listTables();
                                   QVERIFY(f.tables.items().contains(Evil));
                                   appendTo(f, Evil);
                               },
                           .table = QStringLiteral("victim"),
                           .rows = {"kept"},
                           .reports = {{312, "holds \"]\""}},
                           .listed = {"0"},
                           .storeTables = QStringList{"victim", Evil}});
    addEverywhere("blanks and apostrophes in a table name",
                  Scenario{.files = {{"a.csv", "a\n1\n"}},
                           .arrange =
                               [](ImportFixture& f) {
                                   f.options.values().tableName = "Bob's table [counter]";
                               },
                           .table = QStringLiteral("Bob's table 1"),
                           .rows = {"1"}});
}

// Files that make no table: the file is reported once and the run goes on.
void addFileScenarios()
{
    addEverywhere("no first line", Scenario{.files = {{"a.csv", "\n\r\n\n"}, {"empty.csv", ""}},
                                            .reports = {{188, {}}, {188, {}}},
                                            .listed = {"0", "0"},
                                            .storeTables = QStringList{}});
    // No malformed CREATE TABLE goes out, and the next file is loaded.
    addEverywhere(
        "a header field too long for a column name",
        Scenario{.files = {{"long.csv", "id," + QByteArray(40000, 'n') + "\n1,2\n"},
                           {"ok.csv", "k\nv\n"}},
                 .reports = {{198, ") is 40,000 characters long", {}, "The name for column #2 ("}},
                 .listed = {"0"},
                 .storeTables = QStringList{"NewTable2"}});
    addEverywhere(
        "a name without counter: the last file decides",
        Scenario{.files = {{"a.csv", "n\n1\n"}, {"b.csv", "n\n2\n"}},
                 .arrange = [](ImportFixture& f) { f.options.values().tableName = "Sales"; },
                 .table = QStringLiteral("Sales"),
                 .rows = {"1"},
                 .listed = {"0"},
                 .closing = QStringLiteral("Table(s) already exist.\r\n\r\nSales")});
    // A missing file or a folder never brings in the rows of the file before it.
    addEverywhere("a missing file and a folder",
                  Scenario{.files = {{"a.csv", "n\n1\n"}},
                           .arrange =
                               [](ImportFixture& f) {
                                   f.files << f.env.path(QStringLiteral("data/gone.csv"))
                                           << f.env.path(QStringLiteral("data"));
                               },
                           .rows = {"1"},
                           .reports = {{126,
                                        "gone.csv was not imported.\r\nin Quorvane2021/08/31.Form2."
                                        "PushButton1_Click at line 126\r\r",
                                        {},
                                        "The file "},
                                       {126, "data"}},
                           .listed = {"0", "0"},
                           .storeTables = QStringList{"NewTable1"}});
    addEverywhere("a prompt cancelled",
                  Scenario{.files = {{"a.csv", "h1,h2\n1,2\n"}, {"b.csv", "h\n3\n"}},
                           .arrange =
                               [](ImportFixture& f) {
                                   f.options.values().firstLineHandling =
                                       FirstLineHandling::IgnoreWithUserNames;
                                   f.ui.answerPrompt(QStringLiteral("first"));
                                   f.ui.answerPrompt(QString()); // cancel at column #2
                                   f.ui.answerPrompt(QStringLiteral("k"));
                               },
                           .reports = {{256, "{file}"}},
                           .listed = {"0"},
                           .tableList = {"NewTable2"},
                           .storeTables = QStringList{"NewTable2"}});
    addEverywhere(
        "an empty table name",
        Scenario{.files = {{"a.csv", "n\n1\n"}},
                 .arrange = [](ImportFixture& f) { f.options.values().tableName.clear(); },
                 .listed = {"0"},
                 .storeTables = QStringList{}});
}

// How lines are read into fields: several-byte separators, quotes, a U+FEFF inside the data.
void addReadingScenarios()
{
    // Rows read as UTF-8 lose no character and split at a separator of several bytes only
    // where it stands whole; a rejected one is listed as it was read, a U+FEFF in it as data.
    for (const bool append : {false, true})
        addScenario(append ? "several-byte separator, append" : "several-byte separator",
                    AllImportTargets, [append](ImportTarget t) {
                        const QString empty = isSandbox(t) ? QStringLiteral(" ") : QString();
                        Scenario s{.files = {{"e.txt", "Name€Stadt\r\nZo\xC3\xAB\xE2\x82\x82€K"
                                                       "\xC3\xB6ln\n€\n\xF0\x9F\x98\x80€x€too "
                                                       "many\n'\xC3\xA9'€\n\xEF\xBB\xBF€1€2\n"}},
                                   .rows = {"Zoë\u2082|Köln", empty + "|" + empty, "'é'|" + empty},
                                   .reports = {{240, {}}, {240, {}}},
                                   .listed = {"4:😀€x€too many", "6:\uFEFF€1€2"}};
                        s.arrange = [append](ImportFixture& f) {
                            f.options.values().separator = QStringLiteral("€");
                            if (append) {
                                f.execute(
                                    QStringLiteral("CREATE TABLE [Zoë] ([a] TEXT, [b] TEXT)"));
                                appendTo(f, QStringLiteral("Zoë"));
                            }
                        };
                        if (append) {
                            s.table = QStringLiteral("Zoë");
                            s.rows.prepend(QStringLiteral("Name|Stadt"));
                            for (Report& r : s.reports)
                                r.line = 352;
                        }
                        return s;
                    });
    // The rejected row follows a record of three lines; the open quote names its first line.
    addEverywhere(
        "quoted fields",
        Scenario{.files = {{"q.csv", "\"Name\";;\"City;; State\"\r\n"
                                     "\"Ann \"\"A\"\"\";;\"Anytown;; WW\"\r\n"
                                     "Bob;;\"two\r\nlines\nhere\"\r\n"
                                     "too;;many;;fields\r\n"
                                     "\"open;;to the end\r\nx\r\n"}},
                 .arrange =
                     [](ImportFixture& f) {
                         f.runner.quote = u'"';
                         f.options.values().separator = QStringLiteral(";;");
                     },
                 .rows = {"Ann \"A\"|Anytown;; WW", "Bob|two\r\nlines\nhere"},
                 .reports = {{240, {}}, {240, "The quote that opens on line 7 is not closed"}},
                 .listed = {"6", "7:\"open;;to the end\r\nx"},
                 .listedReasons = {{}, "The quote that opens on line 7 is not closed"},
                 .columns = {"Name", "CityState"}});
    addEverywhere("a byte-order mark inside the data",
                  Scenario{.files = {{"a.csv", "\xEF\xBB\xBFh\n\xEF\xBB\xBFv\nw\xEF\xBB\xBF\n"}},
                           .arrange =
                               [](ImportFixture& f) {
                                   f.execute(QStringLiteral("CREATE TABLE [T] ([v] TEXT)"));
                                   appendTo(f, QStringLiteral("T"));
                                   f.options.values().ignoreHeaderRow = true;
                               },
                           .table = QStringLiteral("T"),
                           // QString's conversion would drop a leading U+FEFF.
                           .rows = {QStringLiteral("\uFEFFv"), QStringLiteral("w\uFEFF")}});
}
