#pragma once

#include <atomic>

// An SQLite VFS, installed as the default, that passes everything to the real one but can be
// told to fail writes to write-ahead logs with a given error, as a full disk would.
namespace FaultyVfs {
void install();
// 0 stops the failures; otherwise every WAL write fails with this code, `count` times
// (negative: until stopped).
void failWalWrites(int errorCode, int count = -1);
int failuresInjected();
} // namespace FaultyVfs
