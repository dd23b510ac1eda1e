#pragma once

#include <optional>
#include <QString>

// The file attribute bits that folder scans and the path tests work with, derived from what
// a POSIX file system knows, in this one place:
//   Directory    16  the entry is a folder (a link to a folder counts as one)
//   ReadOnly      1  the owner's write permission bit is clear (whoever is asking)
//   Hidden        2  the name begins with "."
//   Archive      32  every regular file (a link to a file counts as one)
//   ReparsePoint 1024 the entry is a symbolic link, even a dangling one
//   System        4  never set: POSIX has no such notion
namespace FileAttribute {
inline constexpr int ReadOnly = 1;
inline constexpr int Hidden = 2;
inline constexpr int System = 4;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;
inline constexpr int ReparsePoint = 1024;
} // namespace FileAttribute

// The attribute bits of the entry at path, or nothing when there is no such entry (or the
// path is empty).
std::optional<int> FileAttributesOf(const QString& path);
