#pragma once

#include <QString>

namespace AddFolder {

// True when the name holds a control character (below 32), a character from 127 to 159, a
// "?" or a character that the file-name encoding cannot represent (which would reach the
// file system as "?"). False for a name without any, also for an empty one.
bool HasUnsafeCharacters(const QString& name);

} // namespace AddFolder
