#include "RunReports.h"

#include <QRegularExpression>

void ListedRows::row(const QString& path, qint64 line, const QString& reason, const QString& text)
{
    entries << QStringList{path, QString::number(line), reason, text}.join(QLatin1Char('|'));
    reasons << reason;
    texts << text;
}

void ListedRows::file(const QString& path, const QString& reason)
{
    row(path, 0, reason, QString());
}

QStringList ListedRows::lines() const
{
    QStringList numbers;
    for (const QString& e : entries)
        numbers << e.section(QLatin1Char('|'), 1, 1);
    return numbers;
}

PartWay partWay(const QString& report)
{
    static const QRegularExpression numbers(
        QStringLiteral(", ([\\d,]+) rows? w(?:as|ere) loaded; from line ([\\d,]+) on"));
    PartWay p;
    const QRegularExpressionMatch m = numbers.match(report);
    if (!m.hasMatch())
        return p;
    p.loaded = m.captured(1).remove(QLatin1Char(',')).toLongLong();
    p.fromLine = m.captured(2).remove(QLatin1Char(',')).toLongLong();
    p.text = QString(report).replace(m.capturedStart(), m.capturedLength(), QStringLiteral("#"));
    return p;
}

QString unknownOutcomeNote()
{
    return QStringLiteral("The last statement sent got no answer: whether the server applied "
                          "it is not known.");
}

QString unknownCommitNote()
{
    return QStringLiteral("The commit of these rows got no answer: whether the server kept them "
                          "is not known.");
}

QString withoutUnknownOutcomeNotes(QString report)
{
    for (const QString& note : {unknownOutcomeNote(), unknownCommitNote()})
        report.remove(note + QStringLiteral("\r\n"));
    return report;
}
