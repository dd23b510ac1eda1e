#pragma once

#include "TableList.h"

#include <optional>
#include <QString>

enum class ImportMode
{
    NewTable,
    AppendToExisting
};
enum class FirstLineHandling
{
    ColumnNames,
    IgnoreWithUserNames
};

// How a new table's columns are typed: all as text, or each with the narrowest type its
// values fit.
enum class ColumnTyping
{
    Text,
    Inferred
};

// Where rows may go to Sybase ASE by bulk copy, which fires no triggers or rules and checks no
// constraints other than unique indexes: into the tables the run makes itself (none of those
// to skip), also into an appended table (the user's choice), or nowhere.
enum class BulkCopy
{
    NewTables,
    AlsoAppended,
    Never
};

inline const QString DefaultTableNamePattern = QStringLiteral("NewTable[counter]");
inline const QString DefaultSeparator = QStringLiteral(",");

// The separator a run splits with: "\t" as typed stands for a tab, which a box cannot take
// (Tab moves the focus) and a command line hardly can.
inline QString EffectiveSeparator(QString typed)
{
    return typed.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
}

// The options of an import as the main window shows them when it loads.
struct ImportOptions
{
    ImportMode mode = ImportMode::NewTable;
    FirstLineHandling firstLineHandling = FirstLineHandling::ColumnNames;
    bool ignoreHeaderRow = false;
    QString tableName = DefaultTableNamePattern; // "[counter]" is replaced by the run
    std::optional<QString> targetTable;          // none when no table is selected
    QString separator = DefaultSeparator;
    ColumnTyping columnTyping = ColumnTyping::Text;
    BulkCopy bulkCopy = BulkCopy::NewTables;
};

// Where the import run reads its options, afresh at every point of use, so a change the user
// makes during a run applies to the rest of it: the main window answers from its controls.
class ImportOptionsSource
{
public:
    virtual ~ImportOptionsSource() = default;

    virtual ImportMode mode() const = 0;
    virtual FirstLineHandling firstLineHandling() const = 0;
    // True for every state of the header check box except unchecked (a greyed box counts).
    virtual bool ignoreHeaderRow() const = 0;
    // The table name text as typed.
    virtual QString tableName() const = 0;
    // The selected append target, none when nothing is selected.
    virtual std::optional<QString> targetTable() const = 0;
    // The separator text as typed; may be empty.
    virtual QString separator() const = 0;
    // New-table mode: how the columns are typed.
    virtual ColumnTyping columnTyping() const { return ColumnTyping::Text; }
    // Where rows may go by bulk copy.
    virtual BulkCopy bulkCopy() const { return BulkCopy::NewTables; }
    // A field equal to this text is loaded as NULL; read once at the start of a run. None: the
    // run's own setting holds.
    virtual std::optional<QString> nullText() const { return std::nullopt; }
    // How files are read, read once at the start of a run; none: the run's own settings hold.
    virtual std::optional<QString> encoding() const { return std::nullopt; }
    virtual std::optional<QChar> quote() const { return std::nullopt; }
};

// Options held as plain values, for tests and the headless runner; values() may be changed
// while a run reads them. With a table list given, the target is that list's selection.
class FixedImportOptions : public ImportOptionsSource
{
public:
    explicit FixedImportOptions(ImportOptions values = {}, const TableList* targetFrom = nullptr)
        : m_values(std::move(values)), m_targetFrom(targetFrom)
    {
    }

    ImportOptions& values() { return m_values; }

    ImportMode mode() const override { return m_values.mode; }
    FirstLineHandling firstLineHandling() const override { return m_values.firstLineHandling; }
    bool ignoreHeaderRow() const override { return m_values.ignoreHeaderRow; }
    QString tableName() const override { return m_values.tableName; }
    std::optional<QString> targetTable() const override;
    QString separator() const override { return m_values.separator; }
    ColumnTyping columnTyping() const override { return m_values.columnTyping; }
    BulkCopy bulkCopy() const override { return m_values.bulkCopy; }

private:
    ImportOptions m_values;
    const TableList* m_targetFrom;
};
