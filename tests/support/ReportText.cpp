#include "ReportText.h"

#include "Failure.h"

#include <QRegularExpression>

int lineOf(const QString& report)
{
    static const QRegularExpression where(QStringLiteral("at line (\\d+)\r\r"));
    const QRegularExpressionMatch match = where.match(report);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString failureOf(const std::function<void()>& step)
{
    try {
        step();
    } catch (const Failure& failure) {
        // An empty description is still a failure: keep it apart from "none thrown".
        return failure.description().isNull() ? QStringLiteral("") : failure.description();
    }
    return {};
}
