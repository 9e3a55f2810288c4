// calvix-verify --profile-out: the ICC input profile of a measured side, made from the
// verification scan itself and stored where it is asked for.
#pragma once

#include "ReferenceBatch.h"
#include "SideMeasurement.h"

#include <string>

namespace calvix::verify {

struct ProfileOutRequest {
    std::string folder;
    std::string serial;
    std::string date;  // ISO 8601 day
};

// The batch a profile's description names: the reference file's SERIAL, else its DESCRIPTOR,
// else the file's name.
std::string ProfileBatchName(const ReferenceBatch& batch);

// Builds the profile from side.chartPatches and stores it as folder/ProfileFileName(serial,
// side); the result says where, or why not.
MadeProfile MakeSideProfile(const SideResult& side, const ReferenceBatch& batch, const ProfileOutRequest& request);

}  // namespace calvix::verify
