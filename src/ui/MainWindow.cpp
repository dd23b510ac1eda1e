#include "MainWindow.h"

#include "AddAllFilesInFolder.h"
#include "AddTextFiles.h"
#include "ApplicationTitle.h"
#include "ConnectionWindow.h"
#include "DroppedPaths.h"
#include "FaceColour.h"
#include "FileDrop.h"
#include "FileListView.h"
#include "Guard.h"
#include "HelpTexts.h"
#include "HoverRules.h"
#include "ModeEnablingWidgets.h"
#include "MoreOptionsFrame.h"
#include "PathTests.h"
#include "ProgramFiles.h"
#include "ProgramIcon.h"
#include "RunProgressPanel.h"
#include "ServerSockets.h"
#include "ServerWaitPump.h"
#include "SybaseASE.h"
#include "TwipsLayout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace {
template <typename Control, typename... Args>
Control* make(const char* name, QWidget* parent, int left, int top, int width, int height,
              Args&&... args)
{
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(QString::fromLatin1(name));
    PlaceInTwips(*control, left, top, width, height);
    return control;
}

QPushButton* makeButton(const char* name, QWidget* parent, int left, int top, int width, int height,
                        const QString& caption)
{
    auto* button = make<QPushButton>(name, parent, left, top, width, height, caption);
    button->setFont(DesignFont(11.25));
    button->setAutoDefault(false);
    return button;
}
} // namespace

MainWindow::MainWindow(AppContext& app, ConnectionWindow& connectionWindow)
    : m_app(app), m_connectionWindow(connectionWindow)
{
    setObjectName(QStringLiteral("Form2"));
    buildControls();
    ServerWaits::setRunner([this](const ServerWaits::Call& call) { waitOnServer(call); });
}

MainWindow::~MainWindow()
{
    ServerWaits::setRunner({});
}

void MainWindow::buildControls()
{
    setFont(DesignFont(9));
    FixClientAreaInTwips(*this, 6360, 10500);
    buildFilesFrame();
    buildTableOptionsFrame();
    m_startButton =
        makeButton("PushButton1", this, 120, 7680, 6135, 405, QStringLiteral("&Start Importing"));
    m_setupButton =
        makeButton("PushButton5", this, 120, 8190, 6120, 405, QStringLiteral("Setup C&onnection"));
    buildRunControls();
    setUpImport();
    setUpModeButtons();
    connectButtons();
    nameControls();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void MainWindow::buildRunControls()
{
    m_moreOptions = new MoreOptionsFrame(m_app.store, this);
    m_moreOptions->setObjectName(QStringLiteral("Frame5"));
    PlaceInTwips(*m_moreOptions, 120, 8640, 6120, 1080);
    m_progressPanel = new RunProgressPanel(this);
    PlaceInTwips(*m_progressPanel, 120, 9780, 6120, 660);
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(250);
    connect(m_progressTimer, &QTimer::timeout, this, &MainWindow::showProgress);
}

void MainWindow::buildFilesFrame()
{
    m_filesFrame = make<QGroupBox>("Frame1", this, 120, 0, 6120, 2480);
    m_listView = new FileListView(m_files, m_app.interaction, m_filesFrame);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    PlaceInTwips(*m_listView, 120, 240, 5880, 1215);
    m_listView->setWindowPointer(&m_pointer);
    m_listView->setProgramFolder(m_app.programFolder);
    // Files and folders dragged from the file manager; anything else shows the no-drop pointer.
    m_listView->setDragOverHandler([](const QMimeData& data) { return AcceptsFileDrop(data); });
    m_listView->setDropHandler([this](const QMimeData& data) {
        AddDroppedPaths(DroppedLocalPaths(data), AppendTo(m_files), m_app.interaction,
                        FolderAccess::system(), PacedYield::DefaultIntervalMs,
                        [this] { return m_ending; });
    });
    m_addFilesButton = makeButton("PushButton3", m_filesFrame, 120, 1520, 2895, 400,
                                  QStringLiteral("Add &Text File(s)"));
    m_addFolderButton = makeButton("PushButton4", m_filesFrame, 3120, 1520, 2880, 400,
                                   QStringLiteral("Add All File(s) In &Folder"));
    m_separatorLabel = make<QLabel>("Label1", m_filesFrame, 240, 2090, 2055, 255,
                                    QStringLiteral("Fields Separated &By:"));
    m_separator =
        make<QLineEdit>("Text3", m_filesFrame, 2280, 2050, 1695, 330, QStringLiteral(","));
    m_formatHelpButton =
        makeButton("PushButton6", m_filesFrame, 4080, 2033, 615, 345, QStringLiteral("?"));
}

void MainWindow::buildTableOptionsFrame()
{
    m_tableOptionsFrame =
        make<QGroupBox>("Frame2", this, 120, 2520, 6120, 5055, QStringLiteral("Table Options"));
    m_newTableOption = make<QRadioButton>("Option1", m_tableOptionsFrame, 180, 360, 3495, 255,
                                          QStringLiteral("&Create New Table From Text File"));
    buildNewTableFrame();
    m_appendOption = make<QRadioButton>("Option2", m_tableOptionsFrame, 180, 2280, 4095, 255,
                                        QStringLiteral("&Append to Existing Table From Text File"));
    buildAppendFrame();
}

void MainWindow::buildNewTableFrame()
{
    m_newTableFrame = make<QGroupBox>("Frame3", m_tableOptionsFrame, 180, 720, 5775, 1455,
                                      QStringLiteral("Create New Table Options"));
    m_columnsFromFirstLine = make<QRadioButton>(
        "Option3", m_newTableFrame, 120, 300, 4695, 255,
        QStringLiteral("F&irst line in file will be used to create table columns"));
    m_userColumnNames =
        make<QRadioButton>("Option4", m_newTableFrame, 120, 600, 4455, 255,
                           QStringLiteral("I&gnore first line, user-specified columns names"));
    m_newTableNameLabel = make<QLabel>("Label5", m_newTableFrame, 240, 960, 1215, 255,
                                       QStringLiteral("Table &Name:"));
    m_tableName = make<QLineEdit>("Text2", m_newTableFrame, 1680, 960, 3735, 330,
                                  QStringLiteral("NewTable[counter]"));
}

void MainWindow::buildAppendFrame()
{
    m_appendFrame = make<QGroupBox>("Frame4", m_tableOptionsFrame, 180, 2640, 5775, 2175,
                                    QStringLiteral("Append to Existing Table Options"));
    m_skipFirstLine = make<QCheckBox>(
        "Check2", m_appendFrame, 120, 360, 5535, 255,
        QStringLiteral("Ignore first line in file because it is a &header row with no data"));
    m_existingTableLabel =
        make<QLabel>("Label2", m_appendFrame, 240, 720, 1215, 255, QStringLiteral("Table Na&me:"));
    m_existingTables = make<QListWidget>("List1", m_appendFrame, 1680, 720, 3735, 1185);
    m_bulkAppend =
        make<QCheckBox>("Check4", m_appendFrame, 120, 1920, 5535, 240,
                        QStringLiteral("Use bul&k copy: faster, but fires no triggers or rules"));
    m_bulkAppend->setToolTip(QStringLiteral(
        "Bulk copy fires no triggers or rules and checks no constraints other than unique "
        "indexes; a batch the server rejects is sent again row by row, so every row is still "
        "loaded or reported. New tables the run makes are always bulk copied."));
    m_bulkAppend->setEnabled(false);
}

void MainWindow::setUpImport()
{
    m_tables = std::make_unique<ListWidgetTableList>(*m_existingTables);
    m_run = std::make_unique<ImportRun>(
        ImportContext{m_app.interaction, *this, *m_tables, [this] { return m_files.count(); },
                      [this](int i) { return m_files.path(i); },
                      [this] { return m_connectionWindow.connectionValues(); }, m_app.createSession,
                      &m_pointer, QString(), [this] { return m_ending || m_stopAsked; },
                      SessionOptions{}},
        RunnerOptions{QString(), QChar(), &m_gathered, &m_progress, std::nullopt, {}, true, true});
}

void MainWindow::setUpModeButtons()
{
    // Qt groups option buttons by parent, and that grouping reaches into nested frames: the
    // mode pair and the first-line pair would act as one group. Each pair is a group of its own.
    for (auto [first, second] : {std::pair{m_newTableOption, m_appendOption},
                                 std::pair{m_columnsFromFirstLine, m_userColumnNames}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(first);
        group->addButton(second);
    }
    m_newTableOption->setChecked(true);
    m_columnsFromFirstLine->setChecked(true);
    // The start-up state is the one choosing new-table mode gives.
    const ModeWidgets modeWidgets{m_newTableOption,    m_appendOption,      m_columnsFromFirstLine,
                                  m_userColumnNames,   m_newTableNameLabel, m_tableName,
                                  m_tableOptionsFrame, m_appendFrame,       m_existingTableLabel,
                                  m_existingTables,    m_skipFirstLine};
    ModeEnablingWidgets switches(modeWidgets);
    ApplyModeEnabling(ImportMode::NewTable, true, switches);
    ConnectModeEnabling(modeWidgets);
    connect(m_newTableOption, &QRadioButton::toggled, m_moreOptions, [this](bool on) {
        m_moreOptions->setNewTableMode(on);
        m_bulkAppend->setEnabled(!on);
    });
}

void MainWindow::connectButtons()
{
    connect(m_startButton, &QPushButton::clicked, this, &MainWindow::startImporting);
    connect(m_addFilesButton, &QPushButton::clicked, this, &MainWindow::addTextFiles);
    connect(m_addFolderButton, &QPushButton::clicked, this, &MainWindow::addAllFilesInFolder);
    connect(m_setupButton, &QPushButton::clicked, this, &MainWindow::setupConnection);
    connect(m_formatHelpButton, &QPushButton::clicked, this, &MainWindow::showFileFormatHelp);
    connect(m_progressPanel->stopButton(), &QPushButton::clicked, this, &MainWindow::stopImporting);

    InstallHandRule(m_pointer, {m_startButton, m_addFilesButton, m_addFolderButton, m_setupButton,
                                m_formatHelpButton});
    // The list control applies the arrow rule itself before its drag handling.
    InstallArrowRule(m_pointer,
                     {this, m_filesFrame, m_tableOptionsFrame, m_newTableFrame, m_moreOptions,
                      m_appendFrame, m_separatorLabel, m_existingTables, m_separator});
}

void MainWindow::load()
{
    if (m_run->isRunning()) {
        m_loadPending = true;
        return;
    }
    runLoadSequence();
}

void MainWindow::runLoadSequence()
{
    ++m_loads;
    m_loading = true;
    struct Done
    {
        bool& loading;
        ~Done() { loading = false; }
    } done{m_loading};
    Guard g(m_app.interaction, Locations::MainLoad);
    g.line(100, [&] {
        ApplyFaceColour(*this);
        ApplyDesignFonts(*this, 9, 11.25);
        FitCaptions(*this);
    });
    g.line(102, [&] { setWindowIcon(ProgramIcon()); });
    g.line(104, [&] { m_tableName->setText(DefaultTableNamePattern); });
    g.line(106, [&] { m_separator->setText(DefaultSeparator); });
    g.line(108, [&] { m_moreOptions->restore(); });
    bool handFile = false;
    g.line(110, [&] { handFile = PathExists(HandCursorPath(m_app.programFolder)); });
    if (handFile)
        g.line(112, [&] { m_cursor.loadHandCursor(m_app.programFolder); });
    g.line(114, [&] { setWindowTitle(ProductName); });
    g.line(116, [&] { m_tables->clear(); });
    g.line(118, [&] {
        FillTableList(*m_tables, m_app.createSession, m_connectionWindow.connectionValues(),
                      m_app.interaction);
    });
    // One column, however often the sequence runs.
    g.line(120, [&] { m_listView->setUpColumn(); });
    g.line(122, [] {});
}

void MainWindow::startImporting()
{
    // A start while the table list is being refilled would check names against half a list.
    if (m_loading || m_run->isRunning() || quoteRefused())
        return;
    beginRunDisplay();
    const ImportOutcome outcome = m_run->start();
    endRunDisplay(outcome);
    if (m_loadPending && !m_run->isRunning()) {
        m_loadPending = false;
        runLoadSequence();
    }
}

void MainWindow::addTextFiles()
{
    AddTextFiles(m_app.interaction, AppendTo(m_files));
}

void MainWindow::addAllFilesInFolder()
{
    AddAllFilesInFolder(m_app.interaction, m_app.store, m_pointer, AppendTo(m_files),
                        FolderAccess::system(), PacedYield::DefaultIntervalMs,
                        [this] { return m_ending; });
}

void MainWindow::setupConnection()
{
    Guard g(m_app.interaction, Locations::SetupConnection);
    g.line(100, [&] { m_connectionWindow.show(); });
    g.line(102, [&] { hide(); });
}

void MainWindow::showFileFormatHelp()
{
    Guard g(m_app.interaction, Locations::MainHelp);
    g.line(100, [&] {
        m_app.interaction.messageBox(FileFormatHelpText(), MessageStyle::Plain, ApplicationTitle());
    });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    requestEnd();
    if (m_app.quit)
        m_app.quit();
}

ImportMode MainWindow::mode() const
{
    return m_appendOption->isChecked() ? ImportMode::AppendToExisting : ImportMode::NewTable;
}

FirstLineHandling MainWindow::firstLineHandling() const
{
    return m_columnsFromFirstLine->isChecked() ? FirstLineHandling::ColumnNames
                                               : FirstLineHandling::IgnoreWithUserNames;
}

bool MainWindow::ignoreHeaderRow() const
{
    return HeaderRowIgnored(*m_skipFirstLine);
}

QString MainWindow::tableName() const
{
    return m_tableName->text();
}

std::optional<QString> MainWindow::targetTable() const
{
    if (m_tables->currentIndex() < 0)
        return std::nullopt;
    return m_tables->currentText();
}

QString MainWindow::separator() const
{
    return m_separator->text();
}

ColumnTyping MainWindow::columnTyping() const
{
    return m_moreOptions->columnTyping();
}

std::optional<QString> MainWindow::nullText() const
{
    return m_moreOptions->nullText();
}
