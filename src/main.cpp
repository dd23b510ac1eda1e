#include "AppContext.h"
#include "ConnectionWindow.h"
#include "ProgramFiles.h"
#include "QtInteraction.h"

#include <cstdio>
#include <cstring>
#include <QApplication>

namespace {
bool asksForVersion(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0)
            return true;
    return false;
}
} // namespace

int main(int argc, char* argv[])
{
    // Answered before the window system is reached, so it works without a display.
    if (asksForVersion(argc, argv)) {
        std::puts("tessaloom " TESSALOOM_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaloom"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALOOM_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Varnholt"));
    // Ties the windows to the installed desktop entry (menu icon, task bar grouping).
    QGuiApplication::setDesktopFileName(QStringLiteral(TESSALOOM_APP_ID));
    // Both windows stay loaded while one of them is hidden; only closing one ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    QtInteraction interaction;
    SettingsStore store;
    const QString programFolder = ProgramFolder();
    ReportProgramFiles(programFolder);
    AppContext context{interaction, store, programFolder, defaultSessionFactory(),
                       [] { QApplication::quit(); }};
    ConnectionWindow connectionWindow(context);
    connectionWindow.load();
    return QApplication::exec();
}
