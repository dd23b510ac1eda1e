#include "FaultyVfs.h"

#include <cstring>
#include <sqlite3.h>

namespace {
sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_faulty;
std::atomic<int> g_errorCode{0};
std::atomic<int> g_remaining{0};
std::atomic<int> g_injected{0};

struct File
{
    sqlite3_file base;
    sqlite3_file* real;
    bool wal;
};

sqlite3_file* real(sqlite3_file* f)
{
    return reinterpret_cast<File*>(f)->real;
}

int xClose(sqlite3_file* f)
{
    const int rc = real(f)->pMethods ? real(f)->pMethods->xClose(real(f)) : SQLITE_OK;
    sqlite3_free(real(f));
    return rc;
}
int xRead(sqlite3_file* f, void* p, int n, sqlite3_int64 o)
{
    return real(f)->pMethods->xRead(real(f), p, n, o);
}
int xWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 o)
{
    if (reinterpret_cast<File*>(f)->wal && g_errorCode.load() != 0 && g_remaining.load() != 0) {
        if (g_remaining.load() > 0)
            --g_remaining;
        ++g_injected;
        return g_errorCode.load();
    }
    return real(f)->pMethods->xWrite(real(f), p, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 s)
{
    return real(f)->pMethods->xTruncate(real(f), s);
}
int xSync(sqlite3_file* f, int flags)
{
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* s)
{
    return real(f)->pMethods->xFileSize(real(f), s);
}
int xLock(sqlite3_file* f, int l)
{
    return real(f)->pMethods->xLock(real(f), l);
}
int xUnlock(sqlite3_file* f, int l)
{
    return real(f)->pMethods->xUnlock(real(f), l);
}
int xCheckReservedLock(sqlite3_file* f, int* r)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), r);
}
int xFileControl(sqlite3_file* f, int op, void* a)
{
    return real(f)->pMethods->xFileControl(real(f), op, a);
}
int xSectorSize(sqlite3_file* f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int i, int s, int e, void volatile** p)
{
    return real(f)->pMethods->xShmMap(real(f), i, s, e, p);
}
int xShmLock(sqlite3_file* f, int o, int n, int fl)
{
    return real(f)->pMethods->xShmLock(real(f), o, n, fl);
}
void xShmBarrier(sqlite3_file* f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int d)
{
    return real(f)->pMethods->xShmUnmap(real(f), d);
}
int xFetch(sqlite3_file* f, sqlite3_int64 o, int n, void** p)
{
    return real(f)->pMethods->xFetch(real(f), o, n, p);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 o, void* p)
{
    return real(f)->pMethods->xUnfetch(real(f), o, p);
}

const sqlite3_io_methods g_methods = {3,
                                      xClose,
                                      xRead,
                                      xWrite,
                                      xTruncate,
                                      xSync,
                                      xFileSize,
                                      xLock,
                                      xUnlock,
                                      xCheckReservedLock,
                                      xFileControl,
                                      xSectorSize,
                                      xDeviceCharacteristics,
                                      xShmMap,
                                      xShmLock,
                                      xShmBarrier,
                                      xShmUnmap,
                                      xFetch,
                                      xUnfetch};

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags)
{
    File* file = reinterpret_cast<File*>(f);
    file->base.pMethods = nullptr;
    file->real = static_cast<sqlite3_file*>(sqlite3_malloc(g_real->szOsFile));
    std::memset(file->real, 0, size_t(g_real->szOsFile));
    const int rc = g_real->xOpen(g_real, name, file->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        sqlite3_free(file->real);
        return rc;
    }
    file->wal = (flags & SQLITE_OPEN_WAL) != 0;
    file->base.pMethods = &g_methods;
    return SQLITE_OK;
}
int xDelete(sqlite3_vfs*, const char* n, int s)
{
    return g_real->xDelete(g_real, n, s);
}
int xAccess(sqlite3_vfs*, const char* n, int f, int* r)
{
    return g_real->xAccess(g_real, n, f, r);
}
int xFullPathname(sqlite3_vfs*, const char* n, int s, char* o)
{
    return g_real->xFullPathname(g_real, n, s, o);
}
void* xDlOpen(sqlite3_vfs*, const char* n)
{
    return g_real->xDlOpen(g_real, n);
}
void xDlError(sqlite3_vfs*, int n, char* m)
{
    g_real->xDlError(g_real, n, m);
}
void (*xDlSym(sqlite3_vfs*, void* h, const char* s))(void)
{
    return g_real->xDlSym(g_real, h, s);
}
void xDlClose(sqlite3_vfs*, void* h)
{
    g_real->xDlClose(g_real, h);
}
int xRandomness(sqlite3_vfs*, int n, char* o)
{
    return g_real->xRandomness(g_real, n, o);
}
int xSleep(sqlite3_vfs*, int u)
{
    return g_real->xSleep(g_real, u);
}
int xCurrentTime(sqlite3_vfs*, double* t)
{
    return g_real->xCurrentTime(g_real, t);
}
int xGetLastError(sqlite3_vfs*, int n, char* b)
{
    return g_real->xGetLastError(g_real, n, b);
}
int xCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* t)
{
    return g_real->xCurrentTimeInt64(g_real, t);
}
} // namespace

void FaultyVfs::install()
{
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    g_faulty = sqlite3_vfs{};
    g_faulty.iVersion = 2;
    g_faulty.szOsFile = int(sizeof(File));
    g_faulty.mxPathname = g_real->mxPathname;
    g_faulty.zName = "faulty";
    g_faulty.xOpen = xOpen;
    g_faulty.xDelete = xDelete;
    g_faulty.xAccess = xAccess;
    g_faulty.xFullPathname = xFullPathname;
    g_faulty.xDlOpen = xDlOpen;
    g_faulty.xDlError = xDlError;
    g_faulty.xDlSym = xDlSym;
    g_faulty.xDlClose = xDlClose;
    g_faulty.xRandomness = xRandomness;
    g_faulty.xSleep = xSleep;
    g_faulty.xCurrentTime = xCurrentTime;
    g_faulty.xGetLastError = xGetLastError;
    g_faulty.xCurrentTimeInt64 = xCurrentTimeInt64;
    sqlite3_vfs_register(&g_faulty, 1);
}

void FaultyVfs::failWalWrites(int errorCode, int count)
{
    g_remaining = count;
    g_errorCode = errorCode;
}

int FaultyVfs::failuresInjected()
{
    return g_injected.load();
}
