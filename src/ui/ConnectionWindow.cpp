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
#include <QKeyEvent>
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

// "Could not connect." and, when the open gave one, the server's or the file system's reason.
QString CouldNotConnectText(const QString& reason)
{
    QString text = QStringLiteral("Could not connect.");
    if (!reason.isEmpty()) {
        text += QStringLiteral("\r\n\r\n");
        text += reason;
    }
    return text;
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

namespace {
// Where each box and its caption sit, and what a screen reader says of the box. Each caption's
// "&" letter focuses its box; no two controls of the window share one.
struct BoxDesign
{
    const char* caption;
    const char* labelName;
    int labelLeft, labelTop, labelWidth;
    const char* boxName;
    int left, top, width;
    const char* description;
};
const std::array<BoxDesign, ConnectionFields::Count> BoxDesigns = {{
    {"&Server:", "Label2", 240, 405, 1095, "Text1", 1320, 360, 4575,
     "The Sybase ASE server's host name or address, a server name from freetds.conf, or file: "
     "and a path for a local database"},
    {"&Port:", "Label3", 6000, 405, 495, "Text2", 6480, 360, 1095,
     "The server's TCP port; empty takes the port of the freetds.conf entry"},
    {"&Username:", "Label1", 240, 885, 1095, "Text3", 1320, 840, 6255,
     "Your login name on the server"},
    {"Pass&word:", "Label4", 240, 1365, 1095, "Text4", 1320, 1320, 6255,
     "Your password on the server"},
    {"&Database:", "Label6", 240, 1845, 1095, "Text5", 1320, 1800, 6255,
     "The database on the server to load into"},
}};

// What a screen reader calls a box: its caption without the mnemonic marker and the colon.
QString SpokenName(const QString& caption)
{
    QString name = caption;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}
} // namespace

void ConnectionWindow::buildConnectionBoxes()
{
    for (size_t i = 0; i < BoxDesigns.size(); ++i) {
        const BoxDesign& d = BoxDesigns[i];
        const QString caption = QString::fromLatin1(d.caption);
        auto* label = new QLabel(caption, m_databaseFrame);
        label->setObjectName(QString::fromLatin1(d.labelName));
        PlaceInTwips(*label, d.labelLeft, d.labelTop, d.labelWidth, 255);
        paintWhite(*label);
        auto* edit = new QLineEdit(m_databaseFrame);
        edit->setObjectName(QString::fromLatin1(d.boxName));
        PlaceInTwips(*edit, d.left, d.top, d.width, 345);
        label->setBuddy(edit);
        edit->setAccessibleName(SpokenName(caption));
        edit->setAccessibleDescription(QString::fromLatin1(d.description));
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
    // The settings keep an empty server on a first start; this says what may go there.
    box(ConnectionFields::Server)
        ->setPlaceholderText(QStringLiteral("host name, or file:/path/to/local.db"));
    QLineEdit* password = box(ConnectionFields::Password);
    password->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", not as the style's own mask character.
    password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

void ConnectionWindow::buildButtons()
{
    const QFont buttonFont = DesignFont(11.25);
    const auto makeButton = [&](const char* caption, const char* name, QWidget* parent,
                                const char* description) {
        auto* button = new QPushButton(QString::fromLatin1(caption), parent);
        button->setObjectName(QString::fromLatin1(name));
        button->setFont(buttonFont);
        button->setAutoDefault(false);
        button->setAccessibleDescription(QString::fromLatin1(description));
        return button;
    };
    m_testConnectionButton =
        makeButton("&Test Connection", "PushButton7", m_databaseFrame,
                   "Connects with these details and says whether it worked, or why not");
    PlaceInTwips(*m_testConnectionButton, 240, 2280, 3600, 400);
    m_helpButton = makeButton("&Help", "PushButton6", m_databaseFrame,
                              "Opens a message on how to reach a Sybase ASE server");
    PlaceInTwips(*m_helpButton, 3960, 2280, 3600, 405);
    m_nextButton = makeButton("&Next >", "PushButton3", this,
                              "Connects and goes on to the main window, where files are imported");
    // Read aloud, the ">" would only be noise.
    m_nextButton->setAccessibleName(QStringLiteral("Next"));
    // Enter anywhere in the window presses it (keyPressEvent).
    m_nextButton->setDefault(true);
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

void ConnectionWindow::keyPressEvent(QKeyEvent* event)
{
    // A plain window has no default button of its own, as a dialog has: Return and the keypad's
    // Enter reach here from the boxes, which do not take them. A focused button takes its own.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()))
        focused->click();
    else
        m_nextButton->click();
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
    ProbeOutcome outcome;
    const bool probed = g.line(138, [&] { outcome = probeWhileBusy(); });
    // A probe that failed itself goes on as if it had succeeded.
    if (outcome.connected || !probed) {
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

ProbeOutcome ConnectionWindow::probeWhileBusy()
{
    // A login may wait for a silent server for seconds.
    m_pointer.set(Pointer::Busy);
    struct DefaultPointerAfter
    {
        WindowPointer& pointer;
        ~DefaultPointerAfter() { pointer.set(Pointer::Default); }
    } after{m_pointer};
    return ProbeConnection(m_app.createSession, connectionValues());
}

void ConnectionWindow::testConnection()
{
    Guard g(m_app.interaction, Locations::TestConnection);
    std::unique_ptr<DatabaseSession> session;
    g.line(100, [&] { session = m_app.createSession(); });
    // From here on a failure takes the dedicated path: "Could not connect.".
    bool failed = false;
    QString reason;
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
    } catch (const Failure& failure) {
        failed = true;
        // Only the open's own failure says why; the session it could not make is reported above.
        if (session && !session->isOpen())
            reason = failure.description();
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed) {
        g.line(112, [&] {
            m_app.interaction.messageBox(CouldNotConnectText(reason), MessageStyle::Plain,
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
    ProbeOutcome outcome;
    const bool probed = g.line(100, [&] { outcome = probeWhileBusy(); });
    if (!outcome.connected && probed) {
        // Without it the button would seem to do nothing.
        g.line(101, [&] {
            m_app.interaction.messageBox(CouldNotConnectText(outcome.reason), MessageStyle::Plain,
                                         ApplicationTitle());
        });
        return;
    }
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
