#include "Form2.h"

#include "AddAllFilesInFolder.h"
#include "AddTextFiles.h"
#include "ApplicationTitle.h"
#include "DroppedPaths.h"
#include "FaceColour.h"
#include "FileDrop.h"
#include "FileListView.h"
#include "Form1.h"
#include "Guard.h"
#include "HelpTexts.h"
#include "HoverRules.h"
#include "ModeEnablingWidgets.h"
#include "PathTests.h"
#include "ProgramFiles.h"
#include "ProgramIcon.h"
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
} // namespace

Form2::Form2(AppContext& app, Form1& connectionWindow) : m_app(app), m_form1(connectionWindow)
{
    setObjectName(QStringLiteral("Form2"));
    buildControls();
}

Form2::~Form2() = default;

void Form2::buildControls()
{
    setFont(DesignFont(9));
    FixClientAreaInTwips(*this, 6360, 8700);
    const QFont buttonFont = DesignFont(11.25);
    const auto button = [&](const char* name, QWidget* parent, int l, int t, int w, int h,
                            const QString& caption) {
        auto* b = make<QPushButton>(name, parent, l, t, w, h, caption);
        b->setFont(buttonFont);
        b->setAutoDefault(false);
        return b;
    };

    m_frame1 = make<QGroupBox>("Frame1", this, 120, 0, 6120, 2480);
    m_listView = new FileListView(m_files, m_app.interaction, m_frame1);
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
    m_addFiles =
        button("PushButton3", m_frame1, 120, 1520, 2895, 400, QStringLiteral("Add Text File(s)"));
    m_addFolder = button("PushButton4", m_frame1, 3120, 1520, 2880, 400,
                         QStringLiteral("Add All File(s) In Folder"));
    m_label1 = make<QLabel>("Label1", m_frame1, 240, 2090, 2055, 255,
                            QStringLiteral("Fields Separated By:"));
    m_separator = make<QLineEdit>("Text3", m_frame1, 2280, 2050, 1695, 330, QStringLiteral(","));
    m_formatHelp = button("PushButton6", m_frame1, 4080, 2033, 615, 345, QStringLiteral("?"));

    m_frame2 =
        make<QGroupBox>("Frame2", this, 120, 2520, 6120, 5055, QStringLiteral("Table Options"));
    m_option1 = make<QRadioButton>("Option1", m_frame2, 180, 360, 3495, 255,
                                   QStringLiteral("Create New Table From Text File"));
    m_frame3 = make<QGroupBox>("Frame3", m_frame2, 180, 720, 5775, 1455,
                               QStringLiteral("Create New Table Options"));
    m_option3 = make<QRadioButton>(
        "Option3", m_frame3, 120, 300, 4695, 255,
        QStringLiteral("First line in file will be used to create table columns"));
    m_option4 =
        make<QRadioButton>("Option4", m_frame3, 120, 600, 4455, 255,
                           QStringLiteral("Ignore first line, user-specified columns names"));
    m_label5 = make<QLabel>("Label5", m_frame3, 240, 960, 1215, 255, QStringLiteral("Table Name:"));
    m_tableName = make<QLineEdit>("Text2", m_frame3, 1680, 960, 3735, 330,
                                  QStringLiteral("NewTable[counter]"));
    m_option2 = make<QRadioButton>("Option2", m_frame2, 180, 2280, 4095, 255,
                                   QStringLiteral("Append to Existing Table From Text File"));
    m_frame4 = make<QGroupBox>("Frame4", m_frame2, 180, 2640, 5775, 2175,
                               QStringLiteral("Append to Existing Table Options"));
    m_check2 = make<QCheckBox>(
        "Check2", m_frame4, 120, 360, 5535, 255,
        QStringLiteral("Ignore first line in file because it is a header row with no data"));
    m_label2 = make<QLabel>("Label2", m_frame4, 240, 720, 1215, 255, QStringLiteral("Table Name:"));
    m_list1 = make<QListWidget>("List1", m_frame4, 1680, 720, 3735, 1185);
    m_start = button("PushButton1", this, 120, 7680, 6135, 405, QStringLiteral("Start Importing"));
    m_setup = button("PushButton5", this, 120, 8190, 6120, 405, QStringLiteral("Setup Connection"));

    m_tables = std::make_unique<ListWidgetTableList>(*m_list1);
    m_run = std::make_unique<ImportRun>(ImportContext{
        m_app.interaction, *this, *m_tables, [this] { return m_files.count(); },
        [this](int i) { return m_files.path(i); }, [this] { return m_form1.connectionValues(); },
        m_app.createSession, &m_pointer, QString(), [this] { return m_ending; }, SessionOptions{}});
    // Qt groups option buttons by parent, and that grouping reaches into nested frames: the
    // mode pair and the first-line pair would act as one group. Each pair is a group of its own.
    for (auto [first, second] :
         {std::pair{m_option1, m_option2}, std::pair{m_option3, m_option4}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(first);
        group->addButton(second);
    }
    m_option1->setChecked(true);
    m_option3->setChecked(true);
    // The start-up state is the one choosing new-table mode gives.
    const ModeWidgets modeWidgets{m_option1, m_option2, m_option3, m_option4, m_label5, m_tableName,
                                  m_frame2,  m_frame4,  m_label2,  m_list1,   m_check2};
    ModeEnablingWidgets switches(modeWidgets);
    ApplyModeEnabling(ImportMode::NewTable, true, switches);
    ConnectModeEnabling(modeWidgets);

    connect(m_start, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(m_addFiles, &QPushButton::clicked, this, &Form2::PushButton3_Click);
    connect(m_addFolder, &QPushButton::clicked, this, &Form2::PushButton4_Click);
    connect(m_setup, &QPushButton::clicked, this, &Form2::PushButton5_Click);
    connect(m_formatHelp, &QPushButton::clicked, this, &Form2::PushButton6_Click);

    InstallHandRule(m_pointer, {m_start, m_addFiles, m_addFolder, m_setup, m_formatHelp});
    // The list control applies the arrow rule itself before its drag handling.
    InstallArrowRule(
        m_pointer, {this, m_frame1, m_frame2, m_frame3, m_frame4, m_label1, m_list1, m_separator});

    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form2::Form_Load()
{
    if (m_run->isRunning()) {
        m_loadPending = true;
        return;
    }
    runLoadSequence();
}

void Form2::runLoadSequence()
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
    bool handFile = false;
    g.line(110, [&] { handFile = PathExists(HandCursorPath(m_app.programFolder)); });
    if (handFile)
        g.line(112, [&] { m_cursor.loadHandCursor(m_app.programFolder); });
    g.line(114, [&] { setWindowTitle(ProductName); });
    g.line(116, [&] { m_tables->clear(); });
    g.line(118, [&] {
        FillTableList(*m_tables, m_app.createSession, m_form1.connectionValues(),
                      m_app.interaction);
    });
    // One column, however often the sequence runs.
    g.line(120, [&] { m_listView->setUpColumn(); });
    g.line(122, [] {});
}

void Form2::PushButton1_Click()
{
    // A start while the table list is being refilled would check names against half a list.
    if (m_loading)
        return;
    m_run->start();
    if (m_loadPending && !m_run->isRunning()) {
        m_loadPending = false;
        runLoadSequence();
    }
}

void Form2::PushButton3_Click()
{
    AddTextFiles(m_app.interaction, AppendTo(m_files));
}

void Form2::PushButton4_Click()
{
    AddAllFilesInFolder(m_app.interaction, m_app.store, m_pointer, AppendTo(m_files),
                        FolderAccess::system(), PacedYield::DefaultIntervalMs,
                        [this] { return m_ending; });
}

void Form2::PushButton5_Click()
{
    Guard g(m_app.interaction, Locations::SetupConnection);
    g.line(100, [&] { m_form1.show(); });
    g.line(102, [&] { hide(); });
}

void Form2::PushButton6_Click()
{
    Guard g(m_app.interaction, Locations::MainHelp);
    g.line(100, [&] {
        m_app.interaction.messageBox(FileFormatHelpText(), Interaction::StylePlain,
                                     ApplicationTitle());
    });
}

void Form2::closeEvent(QCloseEvent* event)
{
    event->accept();
    requestEnd();
    if (m_app.quit)
        m_app.quit();
}

ImportMode Form2::mode() const
{
    return m_option2->isChecked() ? ImportMode::AppendToExisting : ImportMode::NewTable;
}

FirstLineHandling Form2::firstLineHandling() const
{
    return m_option3->isChecked() ? FirstLineHandling::ColumnNames
                                  : FirstLineHandling::IgnoreWithUserNames;
}

bool Form2::ignoreHeaderRow() const
{
    return HeaderRowIgnored(*m_check2);
}

QString Form2::tableName() const
{
    return m_tableName->text();
}

std::optional<QString> Form2::targetTable() const
{
    if (m_tables->currentIndex() < 0)
        return std::nullopt;
    return m_tables->currentText();
}

QString Form2::separator() const
{
    return m_separator->text();
}
