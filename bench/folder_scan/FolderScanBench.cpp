// Runs "Add All File(s) In Folder" headless on a folder with a given extension, through the
// same handler, file list and folder access as the window, and prints what it added and how
// long it took:  tessaloom-folder-scan FOLDER EXTENSION SETTINGS-FILE

#include "AddAllFilesInFolder.h"
#include "ConsoleInteraction.h"
#include "FileList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        QTextStream(stderr) << "usage: tessaloom-folder-scan FOLDER EXTENSION SETTINGS-FILE\n";
        return 2;
    }

    ConsoleInteraction interaction(args.at(2), args.at(1));
    const SettingsStore settings(args.at(3));
    WindowPointer pointer;
    FileList list;

    QElapsedTimer timer;
    timer.start();
    AddAllFilesInFolder(interaction, settings, pointer, AppendTo(list));
    const qint64 elapsed = timer.elapsed();

    QTextStream(stdout) << "added " << list.count() << " files in " << elapsed << " ms, "
                        << interaction.yields() << " yields, " << interaction.messages()
                        << " messages\n";
    return interaction.messages() == 0 ? 0 : 1;
}
