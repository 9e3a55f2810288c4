// Finding and loading the installed data sources.
#include "SourceCatalog.h"

#include <dlfcn.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace calvix::twain {

namespace {

// Bounds on a directory tree that is not ours to trust: a link loop or a huge tree must not
// stall OPENDSM.
constexpr std::size_t kMaxEntriesVisited = 10000;
constexpr int kMaxDepth = 8;
constexpr std::size_t kMaxSources = 64;

std::vector<std::string> FindSourceFiles(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    std::size_t visited = 0;
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (++visited > kMaxEntriesVisited) break;
        if (it.depth() >= kMaxDepth) it.disable_recursion_pending();
        std::error_code statError;
        if (!it->is_regular_file(statError)) continue;
        if (it->path().filename().string().find(".ds") == std::string::npos) continue;
        found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    if (found.size() > kMaxSources) found.resize(kMaxSources);
    return found;
}

}  // namespace

std::string SystemDirectory(const void* anchor) {
    const char* overridden = std::getenv("CALVIX_SYSTEM_DIR");
    if (overridden && *overridden) return overridden;
    Dl_info info{};
    if (dladdr(anchor, &info) == 0 || !info.dli_fname) return ".";
    return std::filesystem::path(info.dli_fname).parent_path().string();
}

std::vector<CatalogEntry> LoadSources(const std::string& systemDir, TW_IDENTITY* application, TW_UINT32 firstId) {
    std::vector<CatalogEntry> sources;
    for (const std::string& path : FindSourceFiles(systemDir + "/twain_32")) {
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) continue;
        auto entry = reinterpret_cast<DSENTRYPROC>(dlsym(library, kSourceEntryName));
        CatalogEntry source;
        if (!entry || entry(application, DG_CONTROL, DAT_IDENTITY, MSG_GET, &source.identity) != TWRC_SUCCESS) {
            dlclose(library);
            continue;
        }
        source.path = path;
        source.library = library;
        source.entry = entry;
        source.identity.Id = firstId + static_cast<TW_UINT32>(sources.size());
        // A source's strings are not ours: make sure each ends inside its field.
        source.identity.Version.Info[sizeof(TW_STR32) - 1] = '\0';
        source.identity.Manufacturer[sizeof(TW_STR32) - 1] = '\0';
        source.identity.ProductFamily[sizeof(TW_STR32) - 1] = '\0';
        source.identity.ProductName[sizeof(TW_STR32) - 1] = '\0';
        sources.push_back(source);
    }
    return sources;
}

void UnloadSources(std::vector<CatalogEntry>& sources) {
    for (CatalogEntry& source : sources) {
        if (source.library) dlclose(source.library);
    }
    sources.clear();
}

}  // namespace calvix::twain
