// What the main window's controls are called for screen readers and the keyboard: each box
// named after its label, each control with a description of what it does.
#include "FileListView.h"
#include "MainWindow.h"

#include <QCheckBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {
void describe(QWidget* control, const QString& name, const QString& description)
{
    if (!name.isEmpty())
        control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}
} // namespace

void MainWindow::nameControls()
{
    m_separatorLabel->setBuddy(m_separator);
    m_newTableNameLabel->setBuddy(m_tableName);
    m_existingTableLabel->setBuddy(m_existingTables);
    describe(m_listView, QStringLiteral("Files to import"),
             QStringLiteral("The files loaded by Start Importing, in this order"));
    describe(m_separator, QStringLiteral("Fields separated by"),
             QStringLiteral("The text between fields; \\t stands for a tab"));
    m_separator->setToolTip(QStringLiteral("The text between fields; type \\t for a tab"));
    // Offers the usual separators, a tab among them, as the box is typed into.
    auto* usual = new QCompleter(
        {QStringLiteral(","), QStringLiteral(";"), QStringLiteral("|"), QStringLiteral("\\t")},
        m_separator);
    usual->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_separator->setCompleter(usual);
    describe(m_formatHelpButton, QStringLiteral("Help on file formats"),
             QStringLiteral("Opens a message on the files that can be imported"));
    describe(m_tableName, QStringLiteral("New table name"),
             QStringLiteral("[counter] is replaced by a number of its own for each file"));
    describe(m_existingTables, QStringLiteral("Existing table"),
             QStringLiteral("The table the rows of every file are appended to"));
    describe(m_startButton, QString(), QStringLiteral("Loads every file of the list"));
    describe(m_setupButton, QString(),
             QStringLiteral("Opens the connection window to choose another database"));
    describe(m_addFilesButton, QString(), QStringLiteral("Adds files chosen in a file dialog"));
    describe(m_addFolderButton, QString(),
             QStringLiteral("Adds every file of a folder and its subfolders with an extension"));
    m_newTableFrame->setAccessibleName(QStringLiteral("Create New Table Options"));
    m_appendFrame->setAccessibleName(QStringLiteral("Append to Existing Table Options"));
    m_tableOptionsFrame->setAccessibleName(QStringLiteral("Table Options"));
    m_filesFrame->setAccessibleName(QStringLiteral("Files"));
}
