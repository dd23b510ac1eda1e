#include "QtInteraction.h"

#include "ApplicationTitle.h"
#include "TitleRoom.h"

#include <cmath>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QTime>
#include <QUrl>
#include <random>

namespace {
QString titleOrDefault(const QString& title)
{
    return title.isEmpty() ? ApplicationTitle() : title;
}
} // namespace

QWidget* QtInteraction::parentWindow()
{
    return QApplication::activeWindow();
}

QString QtInteraction::displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void QtInteraction::messageBox(const QString& text, MessageStyle style, const QString& title)
{
    QMessageBox box(style == MessageStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    titleOrDefault(title), displayText(text), QMessageBox::Ok, parentWindow());
    // Failure descriptions come from databases and file systems: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    MakeRoomForTitle(box);
    box.exec();
}

bool QtInteraction::messageBoxWithCheck(const QString& text, MessageStyle style,
                                        const QString& title, const QString& checkCaption)
{
    QMessageBox box(style == MessageStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    titleOrDefault(title), displayText(text), QMessageBox::Ok, parentWindow());
    box.setTextFormat(Qt::PlainText);
    auto* check = new QCheckBox(checkCaption, &box);
    box.setCheckBox(check);
    MakeRoomForTitle(box);
    box.exec();
    return check->isChecked();
}

QString QtInteraction::inputBox(const QString& prompt, const QString& title,
                                const QString& defaultAnswer)
{
    QInputDialog dialog(parentWindow());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(titleOrDefault(title));
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(defaultAnswer);
    MakeRoomForTitle(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

QStringList QtInteraction::nameFilters(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns.isEmpty())
            patterns = QStringLiteral("*");
        // A description that already shows its patterns, as "Text Files (*.txt)" does, keeps
        // them once: Qt reads the patterns from the last parentheses.
        const QString shown = QLatin1Char('(') + patterns + QLatin1Char(')');
        QString description = parts[i];
        if (QString(description).replace(QLatin1Char(';'), QLatin1Char(' ')).endsWith(shown))
            description.chop(shown.size());
        else
            description += QLatin1Char(' ');
        filters << description + shown;
    }
    return filters;
}

QString QtInteraction::openFileResult(const QStringList& paths)
{
    if (paths.isEmpty())
        return QString();
    if (paths.size() == 1)
        return QDir::toNativeSeparators(paths.front());

    QString folder = QFileInfo(paths.front()).absolutePath();
    auto holdsAll = [&paths](const QString& candidate) {
        const QDir dir(candidate);
        for (const QString& p : paths) {
            const QString relative = dir.relativeFilePath(p);
            if (relative == QStringLiteral("..") || relative.startsWith(QStringLiteral("../")))
                return false;
        }
        return true;
    };
    while (!holdsAll(folder) && !QDir(folder).isRoot())
        folder = QFileInfo(folder).absolutePath();

    const QDir dir(folder);
    QString result = QDir::toNativeSeparators(folder);
    for (const QString& p : paths)
        result += QChar(u'\0') + QDir::toNativeSeparators(dir.relativeFilePath(p));
    return result;
}

QString QtInteraction::openFileDialog(const QString& title, const QString& filter)
{
    QFileDialog dialog(parentWindow(), titleOrDefault(title));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = nameFilters(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.front());
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return openFileResult(dialog.selectedFiles());
}

QString QtInteraction::saveFileDialog(const QString& title, const QString& filter)
{
    QFileDialog dialog(parentWindow(), titleOrDefault(title));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = nameFilters(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
}

QString QtInteraction::browseForFolder(const QString& title, const QString& startFolder)
{
    const QString start = QFileInfo(startFolder).isDir() ? startFolder : QString();
    const QString chosen = QFileDialog::getExistingDirectory(parentWindow(), titleOrDefault(title),
                                                             start, QFileDialog::ShowDirsOnly);
    return QDir::toNativeSeparators(chosen);
}

void QtInteraction::yield()
{
    QCoreApplication::processEvents();
}

void QtInteraction::openWebAddress(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

QPoint QtInteraction::pointerPosition()
{
    return QCursor::pos();
}

double QtInteraction::randomFromTimeOfDay()
{
    std::mt19937 generator(
        static_cast<std::mt19937::result_type>(QTime::currentTime().msecsSinceStartOfDay()));
    const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(generator);
    // Rounding can give the upper bound itself; the draw is below 1 by contract.
    return draw < 1.0 ? draw : std::nextafter(1.0, 0.0);
}
