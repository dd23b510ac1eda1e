#include "RowsNotLoadedWindow.h"

#include "ApplicationTitle.h"
#include "Failure.h"
#include "Interaction.h"
#include "RunMessages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

RowsNotLoadedWindow::RowsNotLoadedWindow(Interaction& interaction, QWidget* parent)
    : QWidget(parent, Qt::Window), m_interaction(interaction)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Rows Not Loaded"));
    resize(760, 420);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("Label1"));
    m_table = new QTableWidget(0, 4, this);
    m_table->setObjectName(QStringLiteral("Grid1"));
    m_table->setAccessibleName(QStringLiteral("Rows not loaded"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("File"), QStringLiteral("Line"),
                                        QStringLiteral("Reason"), QStringLiteral("Text")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_summary->setBuddy(m_table);
    auto* save = new QPushButton(QStringLiteral("Save &As..."), this);
    save->setObjectName(QStringLiteral("PushButton1"));
    save->setAccessibleDescription(
        QStringLiteral("Saves the rows as tab-separated lines: file, line, reason, text"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("PushButton2"));
    connect(save, &QPushButton::clicked, this, &RowsNotLoadedWindow::saveAs);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
}

void RowsNotLoadedWindow::showRows(const GatheredRows& rows)
{
    m_rows = rows;
    fill();
    show();
    raise();
}

void RowsNotLoadedWindow::fill()
{
    const QList<RowNotLoaded>& entries = m_rows.entries();
    const int listed = int(std::min<qsizetype>(entries.size(), MostListed));
    QString summary =
        QStringLiteral("%1 rows not loaded").arg(RunMessages::grouped(m_rows.rowCount()));
    if (listed < entries.size())
        summary += QStringLiteral("; the first %1 entries are listed, \"Save As...\" writes all")
                       .arg(RunMessages::grouped(listed));
    m_summary->setText(summary + u'.');
    m_table->setSortingEnabled(false);
    m_table->setRowCount(listed);
    for (int i = 0; i < listed; ++i) {
        const RowNotLoaded& entry = entries[i];
        auto* line = new QTableWidgetItem;
        line->setData(Qt::DisplayRole, entry.line);
        m_table->setItem(i, 0, new QTableWidgetItem(entry.path));
        m_table->setItem(i, 1, line);
        m_table->setItem(i, 2, new QTableWidgetItem(entry.reason));
        m_table->setItem(i, 3, new QTableWidgetItem(entry.text));
    }
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder); // the run's order until a header is clicked
    m_table->resizeColumnsToContents();
}

void RowsNotLoadedWindow::saveAs()
{
    const QString path = m_interaction.saveFileDialog(
        QStringLiteral("Save As"), QStringLiteral("Text Files (*.txt)|*.txt|All Files|*"));
    if (path.isEmpty())
        return;
    try {
        m_rows.saveAs(path);
    } catch (const Failure& failure) {
        m_interaction.messageBox(failure.description(), MessageStyle::Exclamation,
                                 ApplicationTitle());
    }
}
