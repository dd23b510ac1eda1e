#include "SandboxServer.h"
#include "WindowsFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <QAccessible>
#include <QApplication>
#include <QListWidget>
#include <QtTest>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A loopback port bound but not listening: nobody answers there, and nobody else takes it
// while the test runs.
struct ClosedPort
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    ClosedPort()
    {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        socklen_t length = sizeof(addr);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
        port = ntohs(addr.sin_port);
    }
    ~ClosedPort() { ::close(fd); }
};

QString focusedName(const ConnectionWindow& window)
{
    return window.focusWidget() ? window.focusWidget()->objectName() : QString();
}

void fillBoxes(WindowsFixture& f, const ConnectionSettings& values)
{
    f.connectionControl<QLineEdit>("Text1")->setText(values.server);
    f.connectionControl<QLineEdit>("Text2")->setText(values.port);
    f.connectionControl<QLineEdit>("Text3")->setText(values.user);
    f.connectionControl<QLineEdit>("Text4")->setText(values.password);
    f.connectionControl<QLineEdit>("Text5")->setText(values.database);
}
} // namespace

// The connection window as met from the keyboard and through a screen reader, and what it
// answers when a connection fails.
class ConnectionWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void everyControlHasASpokenNameAndDescription_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("describedAs");
        QTest::newRow("server") << "Text1"
                                << "Server"
                                << "file:";
        QTest::newRow("port") << "Text2"
                              << "Port"
                              << "port";
        QTest::newRow("username") << "Text3"
                                  << "Username"
                                  << "login";
        QTest::newRow("password") << "Text4"
                                  << "Password"
                                  << "password";
        QTest::newRow("database") << "Text5"
                                  << "Database"
                                  << "database";
        QTest::newRow("test connection") << "PushButton7"
                                         << "Test Connection"
                                         << "Connects";
        QTest::newRow("help") << "PushButton6"
                              << "Help"
                              << "Opens a message";
        QTest::newRow("next") << "PushButton3"
                              << "Next"
                              << "main window";
    }
    void everyControlHasASpokenNameAndDescription()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QString, describedAs);
        WindowsFixture f;
        f.start();
        QWidget* widget = f.connectionControl(qPrintable(control));
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(spoken);
        QCOMPARE(spoken->text(QAccessible::Name), name);
        const QString description = spoken->text(QAccessible::Description);
        QVERIFY2(description.contains(describedAs), qPrintable(description));
    }

    // Alt and the underlined letter reach each box and press each button; two controls
    // sharing a letter would make Qt press neither.
    void eachCaptionLetterReachesItsControl_data()
    {
        QTest::addColumn<char>("letter");
        QTest::addColumn<QString>("control");
        QTest::newRow("server") << 's' << "Text1";
        QTest::newRow("port") << 'p' << "Text2";
        QTest::newRow("username") << 'u' << "Text3";
        QTest::newRow("password") << 'w' << "Text4";
        QTest::newRow("database") << 'd' << "Text5";
        QTest::newRow("test connection") << 't' << "PushButton7";
        QTest::newRow("help") << 'h' << "PushButton6";
        QTest::newRow("next") << 'n' << "PushButton3";
    }
    void eachCaptionLetterReachesItsControl()
    {
        QFETCH(char, letter);
        QFETCH(QString, control);
        WindowsFixture f;
        ConnectionWindow& window = f.start();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        f.connectionControl("Text3")->setFocus();
        auto* button = f.connectionControl<QPushButton>(qPrintable(control));
        if (!button) {
            QTest::keyClick(window.focusWidget(), letter, Qt::AltModifier);
            QCOMPARE(focusedName(window), control);
            QVERIFY(f.ui.messages().isEmpty());
            return;
        }
        // A letter presses its button the way a click animates it: a moment later.
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(window.focusWidget(), letter, Qt::AltModifier);
        if (clicked.isEmpty())
            QVERIFY(clicked.wait(60000));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(f.ui.messages().size(), 1);
    }

    // From the keyboard alone: each box typed in tab order, the selected text replaced, and
    // Return or the keypad's Enter in any box goes on to the main window.
    void theKeyboardAloneReachesTheMainWindow_data()
    {
        QTest::addColumn<int>("boxesTyped");
        QTest::addColumn<int>("key");
        QTest::newRow("Return in the database box") << 5 << int(Qt::Key_Return);
        QTest::newRow("keypad Enter in the server box") << 1 << int(Qt::Key_Enter);
        QTest::newRow("Return in the password box") << 4 << int(Qt::Key_Return);
    }
    void theKeyboardAloneReachesTheMainWindow()
    {
        QFETCH(int, boxesTyped);
        QFETCH(int, key);
        WindowsFixture f;
        f.execute(f.database(), QStringLiteral("CREATE TABLE Orders(a TEXT)"));
        ConnectionWindow& window = f.start();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QStringList boxes = {"Text1", "Text2", "Text3", "Text4", "Text5"};
        const QStringList typed = {QStringLiteral("file:") + f.database(), "5001", "me", "pw",
                                   "main"};
        for (int i = 0; i < boxesTyped; ++i) {
            if (i > 0)
                QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
            // The focus selects the box's text once the events queued so far have run.
            QCoreApplication::processEvents();
            QCOMPARE(focusedName(window), boxes.at(i));
            QTest::keyClicks(window.focusWidget(), typed.at(i));
        }
        QVERIFY(!window.mainWindow());
        const Qt::KeyboardModifiers keypad =
            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(window.focusWidget(), Qt::Key(key), keypad);
        QVERIFY(f.ui.messages().isEmpty());
        QVERIFY(!window.isVisible());
        QVERIFY(window.mainWindow() && window.mainWindow()->isVisible());
        QCOMPARE(f.existingTables(), QStringList({"Orders"}));
        QCOMPARE(f.store.GetSetting(SettingKeys::Port), boxesTyped > 1 ? "5001" : "5000");
    }

    // A failed connection says why, after the words it always showed, on both buttons.
    void aFailedConnectionSaysWhy_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("button");
        for (const char* target : {"missing folder", "closed port", "wrong password"})
            for (const char* button : {"PushButton7", "PushButton3"})
                QTest::addRow("%s, %s", target, button) << target << button;
    }
    void aFailedConnectionSaysWhy()
    {
        QFETCH(QString, target);
        QFETCH(QString, button);
        WindowsFixture f;
        ClosedPort closed;
        std::unique_ptr<SandboxServer> sandbox;
        ConnectionSettings values;
        QString reasonStart; // the first line of the reason
        QString alsoSays;    // the words of the database or the server themselves
        if (target == QLatin1String("missing folder")) {
            const QString path = f.env.path(QStringLiteral("missing/main.db"));
            values = {QStringLiteral("file:") + path, {}, {}, {}, {}};
            reasonStart = QStringLiteral("The database file ") + path;
            alsoSays = QStringLiteral("unable to open database file");
        } else if (target == QLatin1String("closed port")) {
            values = {QStringLiteral("127.0.0.1"), QString::number(closed.port), "sa", "pw", {}};
            reasonStart =
                QStringLiteral("The login to the server 127.0.0.1:%1 failed.").arg(closed.port);
            alsoSays = QStringLiteral("unavailable or does not exist");
        } else {
            sandbox = std::make_unique<SandboxServer>();
            QVERIFY2(sandbox->isRunning(), qPrintable(sandbox->errorText()));
            values = {QStringLiteral("127.0.0.1"), sandbox->portText(), sandbox->settings().user,
                      QStringLiteral("not-the-password"), "testdb"};
            reasonStart =
                QStringLiteral("The login to the server 127.0.0.1:%1 failed.").arg(sandbox->port());
            alsoSays = QStringLiteral("Login failed.");
        }
        ConnectionWindow& window = f.start();
        fillBoxes(f, values);
        f.clickOnConnectionWindow(qPrintable(button));
        QCOMPARE(f.ui.messages().size(), 1);
        const QString text = f.ui.messageTexts().first();
        QVERIFY2(text.startsWith(QStringLiteral("Could not connect.\r\n\r\n") + reasonStart),
                 qPrintable(text));
        QVERIFY2(text.contains(alsoSays), qPrintable(text));
        QVERIFY(window.isVisible());
        QVERIFY(!window.mainWindow());
        QCOMPARE(window.pointer().value(), Pointer::Default);
    }

    // The probes of the start and of "Next >" log in under the busy pointer and give the
    // arrow back afterwards, whether the login worked or not.
    void aLoginShowsTheBusyPointer_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("works");
        QTest::newRow("start, working") << true << true;
        QTest::newRow("start, failing") << true << false;
        QTest::newRow("next, working") << false << true;
        QTest::newRow("next, failing") << false << false;
    }
    void aLoginShowsTheBusyPointer()
    {
        QFETCH(bool, atStart);
        QFETCH(bool, works);
        WindowsFixture f;
        const QString server = works ? QStringLiteral("file:") + f.database()
                                     : QStringLiteral("file:") + f.env.path("missing/main.db");
        if (atStart)
            f.store.SaveSetting(SettingKeys::Server, server);
        QList<Pointer> atLogin;
        f.context.createSession = [&] {
            if (f.connectionWindow)
                atLogin << f.connectionWindow->pointer().value();
            return std::make_unique<DatabaseSession>();
        };
        f.connectionWindow = std::make_unique<ConnectionWindow>(f.context);
        f.connectionWindow->load();
        if (!atStart) {
            atLogin.clear();
            f.connectionControl<QLineEdit>("Text1")->setText(server);
            f.clickOnConnectionWindow("PushButton3");
        }
        QVERIFY(!atLogin.isEmpty());
        QCOMPARE(atLogin.first(), Pointer::Busy);
        QCOMPARE(f.connectionWindow->pointer().value(), Pointer::Default);
        QCOMPARE(bool(f.connectionWindow->mainWindow()), works);
    }
};

QTEST_MAIN(ConnectionWindowTest)
#include "ConnectionWindowTest.moc"
