#pragma once

#include <QChar>
#include <QString>

// Folder separator of the platform's path notation.
#ifdef Q_OS_WIN
inline constexpr QChar NativeSeparator = u'\\';
#else
inline constexpr QChar NativeSeparator = u'/';
#endif

// The text up to and including the last separator ("/a/b.txt" gives "/a/"); "" when the
// path holds no separator.
QString ParentFolderOf(const QString& path, QChar separator = NativeSeparator);

// Replaces each pair of separators by one, scanning once from the left (pairs do not
// overlap: three in a row become two). A leading run of separators is treated apart: with
// "\" it becomes exactly two (a network share, whatever the run's length); with "/", where
// paths name no shares, it becomes one, so joining the root "/" with "/name" gives "/name".
QString CleanPath(const QString& path, QChar separator = NativeSeparator);
