#include "ConnectionWindow.h"

#include "ApplicationTitle.h"
#include "ApplySkin.h"
#include "ConnectionProbe.h"
#include "Guard.h"
#include "HelpTexts.h"
#include "HoverRules.h"
#include "MainWindow.h"
#include "PathTests.h"
#include "ProgramFiles.h"
#include "ProgramIcon.h"
#include "TwipsLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
void paintWhite(QWidget& widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}
} // namespace

ConnectionWindow::ConnectionWindow(AppContext& app) : m_app(app), m_fields(app.store)
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
}

ConnectionWindow::~ConnectionWindow() = default;

void ConnectionWindow::buildControls()
{
    setFont(DesignFont(9));
    paintWhite(*this);
    FixClientAreaInTwips(*this, 8040, 3600);

    m_databaseFrame = new QGroupBox(QStringLiteral("Sybase ASE Database"), this);
    m_databaseFrame->setObjectName(QStringLiteral("Frame1"));
    PlaceInTwips(*m_databaseFrame, 120, 120, 7800, 2830);
    paintWhite(*m_databaseFrame);

    buildConnectionBoxes();
    buildButtons();
    setUpFocusAndPointers();

    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void ConnectionWindow::buildConnectionBoxes()
{
    struct BoxDesign
    {
        const char* label;
        const char* labelName;
        int labelLeft, labelTop, labelWidth;
        const char* boxName;
        int left, top, width;
    };
    const std::array<BoxDesign, ConnectionFields::Count> design = {{
        {"Server:", "Label2", 240, 405, 1095, "Text1", 1320, 360, 4575},
        {"Port:", "Label3", 6000, 405, 495, "Text2", 6480, 360, 1095},
        {"Username:", "Label1", 240, 885, 1095, "Text3", 1320, 840, 6255},
        {"Password:", "Label4", 240, 1365, 1095, "Text4", 1320, 1320, 6255},
        {"Database:", "Label6", 240, 1845, 1095, "Text5", 1320, 1800, 6255},
    }};
    for (size_t i = 0; i < design.size(); ++i) {
        const BoxDesign& d = design[i];
        auto* label = new QLabel(QString::fromLatin1(d.label), m_databaseFrame);
        label->setObjectName(QString::fromLatin1(d.labelName));
        PlaceInTwips(*label, d.labelLeft, d.labelTop, d.labelWidth, 255);
        paintWhite(*label);
        auto* edit = new QLineEdit(m_databaseFrame);
        edit->setObjectName(QString::fromLatin1(d.boxName));
        PlaceInTwips(*edit, d.left, d.top, d.width, 345);
        edit->installEventFilter(this);
        m_boxes[i] = edit;
        const auto field = ConnectionFields::Field(i);
        connect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
            try {
                m_fields.setText(field, text);
            } catch (const Failure&) {
                // The box keeps the value for this run; the store is tried again on the next
                // change.
            }
        });
    }
    QLineEdit* password = box(ConnectionFields::Password);
    password->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", not as the style's own mask character.
    password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

void ConnectionWindow::buildButtons()
{
    const QFont buttonFont = DesignFont(11.25);
    const auto makeButton = [&](const QString& caption, const char* name, QWidget* parent) {
        auto* button = new QPushButton(caption, parent);
        button->setObjectName(QString::fromLatin1(name));
        button->setFont(buttonFont);
        button->setAutoDefault(false);
        return button;
    };
    m_testConnectionButton =
        makeButton(QStringLiteral("Test Connection"), "PushButton7", m_databaseFrame);
    PlaceInTwips(*m_testConnectionButton, 240, 2280, 3600, 400);
    m_helpButton = makeButton(QStringLiteral("Help"), "PushButton6", m_databaseFrame);
    PlaceInTwips(*m_helpButton, 3960, 2280, 3600, 405);
    m_nextButton = makeButton(QStringLiteral("Next >"), "PushButton3", this);
    PlaceInTwips(*m_nextButton, 120, 3080, 7800, 405);
    connect(m_testConnectionButton, &QPushButton::clicked, this, &ConnectionWindow::testConnection);
    connect(m_helpButton, &QPushButton::clicked, this, &ConnectionWindow::showHelp);
    connect(m_nextButton, &QPushButton::clicked, this, &ConnectionWindow::goToMainWindow);
}

void ConnectionWindow::setUpFocusAndPointers()
{
    // Server, Port, Username, Password, Database, Test Connection, Help, Next >.
    QWidget* order[] = {m_boxes[0],   m_boxes[1],  m_boxes[2],
                        m_boxes[3],   m_boxes[4],  m_testConnectionButton,
                        m_helpButton, m_nextButton};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    m_boxes[0]->setFocus();

    InstallHandRule(m_pointer, {m_nextButton, m_helpButton, m_testConnectionButton});
    InstallArrowRule(m_pointer, {this, m_databaseFrame, m_boxes[0], m_boxes[1], m_boxes[2],
                                 m_boxes[3], m_boxes[4]});
}

bool ConnectionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            // After the click that gave the focus has placed the caret.
            QMetaObject::invokeMethod(edit, &QLineEdit::selectAll, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

ConnectionSettings ConnectionWindow::connectionValues() const
{
    return {box(ConnectionFields::Server)->text(), box(ConnectionFields::Port)->text(),
            box(ConnectionFields::User)->text(), box(ConnectionFields::Password)->text(),
            box(ConnectionFields::Database)->text()};
}

void ConnectionWindow::load()
{
    Guard g(m_app.interaction, Locations::ConnectionLoad);
    g.line(100, [&] {
        ApplySkin(*this, m_skin, m_app.programFolder);
        ApplyDesignFonts(*this, 9, 11.25);
        FitCaptions(*this);
    });
    g.line(104, [&] {
        setWindowTitle(ProductName);
        setWindowIcon(ProgramIcon());
        // Message boxes and prompts shown without a parent window carry it too.
        QApplication::setWindowIcon(windowIcon());
        SetApplicationTitle();
    });
    bool handFile = false;
    g.line(106, [&] { handFile = PathExists(HandCursorPath(m_app.programFolder)); });
    if (handFile)
        g.line(108, [&] { m_cursor.loadHandCursor(m_app.programFolder); });
    g.line(110, [&] {
        const int draw = int(m_app.interaction.randomFromTimeOfDay() * 100) + 1;
        if (draw == 7)
            m_app.interaction.openWebAddress(MakerHomePage);
    });
    const std::array<int, ConnectionFields::Count> lines = {128, 130, 132, 134, 136};
    for (int i = 0; i < ConnectionFields::Count; ++i) {
        const auto field = ConnectionFields::Field(i);
        g.line(lines[size_t(i)], [&] { box(field)->setText(m_fields.storedValue(field)); });
    }
    bool connected = false;
    const bool probed =
        g.line(138, [&] { connected = ProbeConnection(m_app.createSession, connectionValues()); });
    // A probe that failed itself goes on as if it had succeeded.
    if (connected || !probed) {
        g.line(140, [&] { showMainWindow(); });
        g.line(142, [&] { hide(); });
        return;
    }
    show();
}

void ConnectionWindow::showMainWindow()
{
    if (!m_mainWindow) {
        m_mainWindow = std::make_unique<MainWindow>(m_app, *this);
        m_mainWindow->load();
    }
    m_mainWindow->show();
}

void ConnectionWindow::testConnection()
{
    Guard g(m_app.interaction, Locations::TestConnection);
    std::unique_ptr<DatabaseSession> session;
    g.line(100, [&] { session = m_app.createSession(); });
    // From here on a failure takes the dedicated path: "Could not connect.".
    bool failed = false;
    try {
        g.setLine(102);
        m_pointer.set(Pointer::Busy);
        g.setLine(104);
        if (!session)
            throw Failure(QStringLiteral("Object variable not set"));
        session->open(connectionValues());
        g.setLine(106);
        m_app.interaction.messageBox(QStringLiteral("Connection successful."), MessageStyle::Plain,
                                     ApplicationTitle());
        g.setLine(108);
        m_pointer.set(Pointer::Default);
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed) {
        g.line(112, [&] {
            m_app.interaction.messageBox(QStringLiteral("Could not connect."), MessageStyle::Plain,
                                         ApplicationTitle());
        });
        g.line(114, [&] { m_pointer.set(Pointer::Default); });
    }
}

void ConnectionWindow::showHelp()
{
    Guard g(m_app.interaction, Locations::ConnectionHelp);
    QString text;
    g.line(100, [&] { text = ConnectionHelpText(); });
    g.line(124,
           [&] { m_app.interaction.messageBox(text, MessageStyle::Plain, ApplicationTitle()); });
}

void ConnectionWindow::goToMainWindow()
{
    Guard g(m_app.interaction, Locations::Next);
    bool connected = false;
    const bool probed =
        g.line(100, [&] { connected = ProbeConnection(m_app.createSession, connectionValues()); });
    if (!connected && probed)
        return;
    g.line(102, [&] { showMainWindow(); });
    g.line(104, [&] { hide(); });
    g.line(106, [&] {
        if (m_mainWindow)
            m_mainWindow->load();
    });
}

void ConnectionWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_mainWindow)
        m_mainWindow->requestEnd();
    if (m_app.quit)
        m_app.quit();
}
