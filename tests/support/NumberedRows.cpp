#include "NumberedRows.h"

QByteArray numberedLines(int count)
{
    QByteArray bytes = "id,value\n";
    for (int i = 1; i <= count; ++i)
        bytes += QByteArray::number(i) + ",v" + QByteArray::number(i) + "\n";
    return bytes;
}

QStringList ids(int count, const std::function<bool(int)>& skip)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        if (!skip || !skip(i))
            out << QString::number(i);
    return out;
}
