#pragma once

#include "AppContext.h"
#include "FileList.h"
#include "ImportOptions.h"
#include "ImportRun.h"
#include "ListWidgetTableList.h"
#include "WindowCursor.h"
#include "WindowPointer.h"

#include <memory>
#include <QWidget>

class FileListView;
class Form1;
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
class Form2 : public QWidget, private ImportOptionsSource
{
    Q_OBJECT

public:
    Form2(AppContext& app, Form1& connectionWindow);
    ~Form2() override;

    // The load sequence. While an import runs, a request to run it again is kept until the
    // import ends, so the run's table list and options stay as the run uses them.
    void Form_Load();
    void PushButton1_Click(); // Start Importing
    void PushButton3_Click(); // Add Text File(s)
    void PushButton4_Click(); // Add All File(s) In Folder
    void PushButton5_Click(); // Setup Connection
    void PushButton6_Click(); // ?

    FileList& fileList() { return m_files; }
    FileListView& listView() { return *m_listView; }
    TableList& tableList() { return *m_tables; }
    WindowPointer& pointer() { return m_pointer; }
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
    void runLoadSequence();

    // ImportOptionsSource, read from the controls.
    ImportMode mode() const override;
    FirstLineHandling firstLineHandling() const override;
    bool ignoreHeaderRow() const override;
    QString tableName() const override;
    std::optional<QString> targetTable() const override;
    QString separator() const override;

    AppContext& m_app;
    Form1& m_form1;
    WindowPointer m_pointer;
    WindowCursor m_cursor{m_pointer, *this};
    FileList m_files;

    QGroupBox* m_frame1 = nullptr;
    FileListView* m_listView = nullptr; // ListView1
    QPushButton* m_addFiles = nullptr;  // PushButton3
    QPushButton* m_addFolder = nullptr; // PushButton4
    QLabel* m_label1 = nullptr;
    QLineEdit* m_separator = nullptr;    // Text3
    QPushButton* m_formatHelp = nullptr; // PushButton6
    QGroupBox* m_frame2 = nullptr;
    QRadioButton* m_option1 = nullptr;
    QGroupBox* m_frame3 = nullptr;
    QRadioButton* m_option3 = nullptr;
    QRadioButton* m_option4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLineEdit* m_tableName = nullptr; // Text2
    QRadioButton* m_option2 = nullptr;
    QGroupBox* m_frame4 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QLabel* m_label2 = nullptr;
    QListWidget* m_list1 = nullptr;
    QPushButton* m_start = nullptr; // PushButton1
    QPushButton* m_setup = nullptr; // PushButton5

    std::unique_ptr<ListWidgetTableList> m_tables;
    std::unique_ptr<ImportRun> m_run;
    bool m_loadPending = false;
    bool m_loading = false;
    bool m_ending = false;
    int m_loads = 0;
};
