// The data sources the manager finds: every regular file under <system dir>/twain_32/ whose
// name contains ".ds", loaded, its DS_Entry resolved and its identity asked for.
#pragma once

#include "scanner/TwainTypes.h"

#include <string>
#include <vector>

namespace calvix::twain {

struct CatalogEntry {
    std::string path;
    void* library = nullptr;
    DSENTRYPROC entry = nullptr;
    TW_IDENTITY identity{};
};

// The system directory: CALVIX_SYSTEM_DIR when set, else the folder that holds the library
// containing anchor.
std::string SystemDirectory(const void* anchor);

// Loads every source found, in path order, giving each the Id firstId, firstId + 1, ...
// Files that are not loadable libraries, lack DS_Entry or refuse their identity are skipped.
std::vector<CatalogEntry> LoadSources(const std::string& systemDir, TW_IDENTITY* application, TW_UINT32 firstId);

void UnloadSources(std::vector<CatalogEntry>& sources);

}  // namespace calvix::twain
