#pragma once

#include <QString>
#include <QStringList>

// Whether two paths name one file, however they are written: through links, "..", or a
// second hard link. A path that does not exist yet is compared by the folder it would be
// made in and its name.
bool NameSameFile(const QString& a, const QString& b);

// Why the errors file may not be written at path (it is one of the inputs, or the embedded
// database or one of its companion files), or an empty text when it may.
QString ErrorsFileConflict(const QString& path, const QStringList& inputs,
                           const QString& databasePath);
