#include "AppContext.h"
#include "Form1.h"
#include "ProgramFiles.h"
#include "QtInteraction.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaloom"));
    QApplication::setOrganizationName(QStringLiteral("Varnholt"));
    // Both windows stay loaded while one of them is hidden; only closing one ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    QtInteraction interaction;
    SettingsStore store;
    AppContext context{interaction, store, ProgramFolder(), defaultSessionFactory(), [] { QApplication::quit(); }};
    Form1 form1(context);
    form1.Form_Load();
    return QApplication::exec();
}
