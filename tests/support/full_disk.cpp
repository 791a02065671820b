#include "support/full_disk.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <stdexcept>

namespace zelt::testing {
namespace {

std::atomic<bool> full{false};
sqlite3_vfs* lower = nullptr;
sqlite3_vfs shim;

// The shim's file: its own header followed by the lower file system's file.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

sqlite3_file* realOf(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f)->real(); }

int shimClose(sqlite3_file* f) { return realOf(f)->pMethods->xClose(realOf(f)); }
int shimRead(sqlite3_file* f, void* p, int n, sqlite3_int64 at) { return realOf(f)->pMethods->xRead(realOf(f), p, n, at); }
int shimWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
    if (full) return SQLITE_FULL;
    return realOf(f)->pMethods->xWrite(realOf(f), p, n, at);
}
int shimTruncate(sqlite3_file* f, sqlite3_int64 size) { return realOf(f)->pMethods->xTruncate(realOf(f), size); }
int shimSync(sqlite3_file* f, int flags) { return realOf(f)->pMethods->xSync(realOf(f), flags); }
int shimFileSize(sqlite3_file* f, sqlite3_int64* size) { return realOf(f)->pMethods->xFileSize(realOf(f), size); }
int shimLock(sqlite3_file* f, int level) { return realOf(f)->pMethods->xLock(realOf(f), level); }
int shimUnlock(sqlite3_file* f, int level) { return realOf(f)->pMethods->xUnlock(realOf(f), level); }
int shimCheckReservedLock(sqlite3_file* f, int* out) { return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out); }
int shimFileControl(sqlite3_file* f, int op, void* arg) {
    // Growing a file ahead of writing it is a write too.
    if (full && op == SQLITE_FCNTL_SIZE_HINT) return SQLITE_FULL;
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int shimSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int shimDeviceCharacteristics(sqlite3_file* f) { return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)); }
int shimShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** p) {
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, p);
}
int shimShmLock(sqlite3_file* f, int offset, int n, int flags) { return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags); }
void shimShmBarrier(sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); }
int shimShmUnmap(sqlite3_file* f, int deleteFlag) { return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag); }
int shimFetch(sqlite3_file* f, sqlite3_int64 at, int n, void** p) { return realOf(f)->pMethods->xFetch(realOf(f), at, n, p); }
int shimUnfetch(sqlite3_file* f, sqlite3_int64 at, void* p) { return realOf(f)->pMethods->xUnfetch(realOf(f), at, p); }

const sqlite3_io_methods kMethods = {
    3,           shimClose,      shimRead,        shimWrite,   shimTruncate,          shimSync,
    shimFileSize, shimLock,      shimUnlock,      shimCheckReservedLock, shimFileControl, shimSectorSize,
    shimDeviceCharacteristics, shimShmMap, shimShmLock, shimShmBarrier, shimShmUnmap, shimFetch, shimUnfetch,
};

int shimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    ShimFile* file = reinterpret_cast<ShimFile*>(f);
    file->base.pMethods = nullptr;
    const int rc = lower->xOpen(lower, name, file->real(), flags, outFlags);
    if (rc == SQLITE_OK && file->real()->pMethods) file->base.pMethods = &kMethods;
    return rc;
}

}  // namespace

FullDisk::FullDisk() {
    lower = sqlite3_vfs_find(nullptr);
    if (!lower || lower->iVersion < 1) throw std::runtime_error("no default SQLite file system");
    shim = *lower;
    shim.zName = "zelt-full-disk";
    shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + lower->szOsFile;
    shim.xOpen = shimOpen;
    shim.pNext = nullptr;
    full = false;
    sqlite3_vfs_register(&shim, 1);
}

FullDisk::~FullDisk() {
    full = false;
    sqlite3_vfs_unregister(&shim);
    sqlite3_vfs_register(lower, 1);
}

void FullDisk::fill() { full = true; }
void FullDisk::clear() { full = false; }

}  // namespace zelt::testing
