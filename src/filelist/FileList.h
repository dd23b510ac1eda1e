#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QStringList>

// The ordered files of the next import, shown by the list control: one path per entry,
// duplicates allowed, nothing checked or rewritten. Positions are 0-based. It also keeps the
// list's single selected entry, which removal works on.
class FileList : public QAbstractListModel
{
    Q_OBJECT

public:
    static QString columnTitle() { return QStringLiteral("Text Files"); }

    explicit FileList(QObject* parent = nullptr);

    int count() const { return int(m_paths.size()); }
    // The entry's path; "" outside 0 … count() - 1.
    QString path(int index) const;
    void AppendPath(const QString& path);

    // Out-of-range positions are ignored by these.
    void removeAt(int index);
    void swapTexts(int first, int second);

    // -1 when no entry is selected.
    int selectedIndex() const;
    void select(int index);
    QItemSelectionModel* selectionModel() { return &m_selection; }

    // Removes the selected entry, unless the main window is busy, the list is empty or
    // nothing is selected. True when an entry went.
    bool RemoveSelected(bool mainWindowBusy);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool holds(int index) const { return index >= 0 && index < count(); }

    QStringList m_paths;
    QItemSelectionModel m_selection;
};
