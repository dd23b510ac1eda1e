#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaloom"));
    QMessageBox::information(nullptr, QStringLiteral("Tessaloom"),
                             QStringLiteral("Tessaloom is being built; the windows come next."));
    return 0;
}
