// A disk that fills up on request: a SQLite file system layered over the default one whose writes
// fail as on a full disk once filled, so that tests reach the "no space" paths without privileges.
#pragma once

namespace zelt::testing {

// While it lives it is SQLite's default file system for every connection opened afterwards.
class FullDisk {
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // From now on every write and every growth of a file fails with SQLITE_FULL.
    void fill();
    // Writes succeed again.
    void clear();
};

}  // namespace zelt::testing
