#pragma once

#include "Interaction.h"

#include <QString>

// Lets pending events run, then deletes the file at path. "*" and "?" in the file name (not
// in the folder part) delete every matching file of that folder. Read-only files are deleted
// too; folders never are. Every failure is ignored.
void DeleteFileQuietly(Interaction& interaction, const QString& path);

// Copies source to destination when the destination's parent folder exists and the source is
// an existing file (both paths cleaned first); blank paths and wildcard sources copy nothing.
// An existing destination file is replaced.
void CopyFileIfPossible(const QString& source, const QString& destination);

// Copies source to destination, replacing an existing destination file; a destination that
// ends with a separator names the folder to copy into. The destination is replaced in one
// step, so a copy that fails halfway leaves the old destination as it was. Every failure (no
// such source, a destination whose owner may not write it, a missing folder) is ignored.
void CopyFileQuietly(const QString& source, const QString& destination);
