// Writes the program's icon into a hicolor theme tree, one PNG per drawn size, so the desktop
// menu shows the same drawing as the window.
#include "ProgramIcon.h"

#include <cstdio>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: tessaloom-icon-export OUTPUT-FOLDER ICON-NAME\n", stderr);
        return 2;
    }
    const QDir output(args.at(1));
    const QString name = args.at(2);
    const QIcon icon = ProgramIcon();
    const QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        return 1;
    for (const QSize& size : sizes) {
        const QString folder =
            QStringLiteral("hicolor/%1x%2/apps").arg(size.width()).arg(size.height());
        if (!output.mkpath(folder))
            return 1;
        // Device pixel ratio 1: each file holds exactly the size its folder names.
        QPixmap pixmap = icon.pixmap(size, 1.0);
        if (pixmap.size() != size || !pixmap.save(output.filePath(folder + QLatin1Char('/') + name +
                                                                  QStringLiteral(".png"))))
            return 1;
    }
    return 0;
}
