// Profiles from verification scans. The scan was taken through the tables in force, so the
// profile describes the scanner as it delivers now, which is what a colour-managed program
// reading its scans needs.
#include "ProfileOut.h"

#include "profiling/ProfileBuilder.h"
#include "profiling/ProfileFiles.h"

namespace calvix::verify {

std::string ProfileBatchName(const ReferenceBatch& batch) {
    for (const char* key : {"SERIAL", "DESCRIPTOR"})
        if (std::string value = batch.Keyword(key); !value.empty()) return value;
    const std::size_t slash = batch.file.find_last_of('/');
    return slash == std::string::npos ? batch.file : batch.file.substr(slash + 1);
}

MadeProfile MakeSideProfile(const SideResult& side, const ReferenceBatch& batch, const ProfileOutRequest& request) {
    MadeProfile made;
    if (!side.chartPatches) {
        made.error = "the " + side.name + " side was not measured";
        return made;
    }
    ProfileRequest build;
    build.patches = *side.chartPatches;
    build.identity.serial = request.serial;
    build.identity.side = side.name;
    build.identity.date = request.date;
    build.identity.batch = ProfileBatchName(batch);
    std::string error;
    const std::optional<BuiltProfile> built = BuildInputProfile(build, error);
    if (!built) {
        made.error = "cannot make the " + side.name + " profile: " + error;
        return made;
    }
    const std::string name = ProfileFileName(request.serial, side.name);
    if (!StoreProfile(request.folder, name, built->bytes, error)) {
        made.error = "cannot store the " + side.name + " profile in '" + request.folder + "': " + error;
        return made;
    }
    made.path = request.folder + "/" + name;
    made.kind = built->kind;
    made.fit = built->fit;
    return made;
}

}  // namespace calvix::verify
