#pragma once

#include <QString>

// The path tests never fail: anything that cannot be read gives false.

// True when the modification time of the entry (file or folder) can be read.
bool PathExists(const QString& path);

// True for an existing entry that is not a folder and whose path holds neither "*" nor "?",
// nor a character that the system's file-name encoding cannot represent.
bool FileExists(const QString& path);

// True when the entry's directory attribute is set.
bool IsFolder(const QString& path);

// True when both paths reach one existing file (links followed): the same device and inode,
// however the paths are written.
bool SameFile(const QString& a, const QString& b);
