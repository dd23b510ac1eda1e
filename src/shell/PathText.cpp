#include "PathText.h"

QString ParentFolderOf(const QString& path, QChar separator)
{
    const qsizetype last = path.lastIndexOf(separator);
    if (last < 0)
        return QString();
    return path.left(last + 1);
}

namespace {
QString halvePairs(QStringView text, QChar separator)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return result;
}
} // namespace

QString CleanPath(const QString& path, QChar separator)
{
    if (path.isEmpty() || path.front() != separator)
        return halvePairs(path, separator);
    qsizetype start = 0;
    while (start < path.size() && path[start] == separator)
        ++start;
    const QString prefix = separator == u'\\' ? QString(2, separator) : QString(1, separator);
    return prefix + halvePairs(QStringView(path).mid(start), separator);
}
