#pragma once

#include "AppContext.h"
#include "FileList.h"
#include "GatheredRows.h"
#include "ImportOptions.h"
#include "ImportRun.h"
#include "ListWidgetTableList.h"
#include "WindowCursor.h"
#include "WindowPointer.h"

#include <memory>
#include <QWidget>

class FileListView;
class ConnectionWindow;
class MoreOptionsFrame;
class RunProgressPanel;
class RowsNotLoadedWindow;
class QTimer;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// The main window: the file list and its three ways of adding files, the import options,
// "Start Importing", "Setup Connection" and the file-format help. The import reads the
// options from the controls at every point of use.
class MainWindow : public QWidget, private ImportOptionsSource
{
    Q_OBJECT

public:
    MainWindow(AppContext& app, ConnectionWindow& connectionWindow);
    ~MainWindow() override;

    // The load sequence. While an import runs, a request to run it again is kept until the
    // import ends, so the run's table list and options stay as the run uses them.
    void load();
    void startImporting();      // "Start Importing"
    void addTextFiles();        // "Add Text File(s)"
    void addAllFilesInFolder(); // "Add All File(s) In Folder"
    void setupConnection();     // "Setup Connection"
    void showFileFormatHelp();  // "?"

    FileList& fileList() { return m_files; }
    FileListView& listView() { return *m_listView; }
    TableList& tableList() { return *m_tables; }
    WindowPointer& pointer() { return m_pointer; }
    RunProgressPanel& progressPanel() { return *m_progressPanel; }
    // The list of the last run's rows not loaded; null until a run had such rows.
    RowsNotLoadedWindow* rowsNotLoadedWindow() const { return m_rowsNotLoaded; }
    // Shows where the run stands now (a timer does it every quarter second during a run).
    void showProgress();
    void stopImporting(); // "Stop"
    const WindowCursor& windowCursor() const { return m_cursor; }
    const ImportOptionsSource& importOptions() const { return *this; }
    bool isImporting() const { return m_run->isRunning(); }
    // The program is ending: a run in progress stops at its next yield.
    void requestEnd() { m_ending = true; }
    // How many times the load sequence has run (a deferred one counts when it runs).
    int loadCount() const { return m_loads; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildFilesFrame();
    void buildTableOptionsFrame();
    void buildNewTableFrame();
    void buildAppendFrame();
    void setUpImport();
    void setUpModeButtons();
    void connectButtons();
    void runLoadSequence();
    void buildRunControls();
    void nameControls();
    bool quoteRefused();
    void beginRunDisplay();
    void endRunDisplay(const ImportOutcome& outcome);
    void waitOnServer(const std::function<void()>& call);

    // ImportOptionsSource, read from the controls.
    ImportMode mode() const override;
    FirstLineHandling firstLineHandling() const override;
    bool ignoreHeaderRow() const override;
    QString tableName() const override;
    std::optional<QString> targetTable() const override;
    QString separator() const override;
    ColumnTyping columnTyping() const override;
    std::optional<QString> nullText() const override;
    std::optional<QString> encoding() const override;
    std::optional<QChar> quote() const override;
    BulkCopy bulkCopy() const override;

    AppContext& m_app;
    ConnectionWindow& m_connectionWindow;
    WindowPointer m_pointer;
    WindowCursor m_cursor{m_pointer, *this};
    FileList m_files;

    QGroupBox* m_filesFrame = nullptr;
    FileListView* m_listView = nullptr;
    QPushButton* m_addFilesButton = nullptr;
    QPushButton* m_addFolderButton = nullptr;
    QLabel* m_separatorLabel = nullptr;
    QLineEdit* m_separator = nullptr;
    QPushButton* m_formatHelpButton = nullptr;
    QGroupBox* m_tableOptionsFrame = nullptr;
    QRadioButton* m_newTableOption = nullptr;
    QGroupBox* m_newTableFrame = nullptr;
    QRadioButton* m_columnsFromFirstLine = nullptr;
    QRadioButton* m_userColumnNames = nullptr;
    QLabel* m_newTableNameLabel = nullptr;
    QLineEdit* m_tableName = nullptr;
    QRadioButton* m_appendOption = nullptr;
    QGroupBox* m_appendFrame = nullptr;
    QCheckBox* m_skipFirstLine = nullptr;
    QLabel* m_existingTableLabel = nullptr;
    QListWidget* m_existingTables = nullptr;
    QCheckBox* m_bulkAppend = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_setupButton = nullptr;
    MoreOptionsFrame* m_moreOptions = nullptr;
    RunProgressPanel* m_progressPanel = nullptr;
    QTimer* m_progressTimer = nullptr;
    ImportProgress m_progress;
    GatheredRows m_gathered;
    RowsNotLoadedWindow* m_rowsNotLoaded = nullptr; // made at the first run that needs it
    bool m_stopAsked = false;

    std::unique_ptr<ListWidgetTableList> m_tables;
    std::unique_ptr<ImportRun> m_run;
    bool m_loadPending = false;
    bool m_loading = false;
    bool m_ending = false;
    int m_loads = 0;
};
