#pragma once

#include <QString>
#include <QStringList>

// The list of table names known to exist (the main window's table list): filled by the table
// catalogue, read and extended by the import run, whose user picks the append target in it.
class TableList
{
public:
    virtual ~TableList() = default;

    virtual int count() const = 0;
    virtual QString item(int index) const = 0;
    virtual void clear() = 0;
    // Appends text as the new last entry.
    virtual void addItem(const QString& text) = 0;
    // Inserts text before the entry at index (0 puts it at the top); the selected entry stays
    // selected.
    virtual void insertItem(int index, const QString& text) = 0;
    // The selected entry's index, or -1 when none is selected.
    virtual int currentIndex() const = 0;
    // Selects the entry at index; -1 (or any index outside the list) selects none.
    virtual void setCurrentIndex(int index) = 0;

    // The selected entry's text, "" when none is selected.
    QString currentText() const;
};

// A table list held in memory, for tests and the headless runner.
class MemoryTableList : public TableList
{
public:
    MemoryTableList() = default;
    explicit MemoryTableList(QStringList items) : m_items(std::move(items)) {}

    int count() const override { return static_cast<int>(m_items.size()); }
    QString item(int index) const override { return m_items.value(index); }
    void clear() override;
    void addItem(const QString& text) override { m_items.append(text); }
    void insertItem(int index, const QString& text) override;
    int currentIndex() const override { return m_current; }
    void setCurrentIndex(int index) override;

    const QStringList& items() const { return m_items; }

private:
    QStringList m_items;
    int m_current = -1;
};

// True when some entry equals text after both are converted to lower case; false for an empty
// list. A failure reading the list reaches the caller.
bool ListContains(const TableList& list, const QString& text);
