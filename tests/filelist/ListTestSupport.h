#pragma once

#include "FileList.h"

#include <QStringList>

// Five entries whose texts show where each one went.
inline const QStringList FiveEntries{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                     QStringLiteral("4"), QStringLiteral("5")};

// The list's texts in list order.
inline QStringList ListTexts(const FileList& list)
{
    QStringList all;
    for (int i = 0; i < list.count(); ++i)
        all.append(list.path(i));
    return all;
}
