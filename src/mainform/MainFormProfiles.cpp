// TMainFormular's side profiles. A profile describes the scanner through its new LUT, but the
// scans the tables were made from were taken with the scanner's own correction bypassed. Rather
// than asking for another pass of the sheet, the bypass scan is read through the new tables here:
// the device maps each raw value through the same tables, and a bypass pixel is raw / 4, so the
// mean of the four entries behind it is what the device would deliver on average. The patches
// are kept at Store (the window may be gone or changed by the end), and the profiles are made
// only once the scanner has acknowledged the LUT they describe.
#include "mainform/MainForm.h"

#include "app/AtomicFile.h"
#include "app/Clock.h"
#include "profiling/ProfileBuilder.h"
#include "profiling/ProfileFiles.h"

#include <cstdio>

namespace calvix {

void TMainFormular::KeepProfilePatches(const TChildImage& window) {
    const std::size_t side = window.isFront ? 0 : 1;
    profilePatches_[side].reset();
    // The built-in greys have no colour patches to make a profile from.
    if (referenceOptions_->loadedPath.empty() || window.image.Empty()) return;
    profilePatches_[side] =
        MeasureChartPatches(window.image, window.cornerSlots, It8Reference(), ThroughTables(correction_.Tables()));
}

void TMainFormular::MakeSideProfiles() {
    profileReports.clear();
    if (ports_.iccFolder.empty()) return;
    const CivilTime now = ports_.clock.UtcNow();
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year, now.month, now.day);
    for (std::size_t side = 0; side < profilePatches_.size(); ++side) {
        if (!profilePatches_[side]) continue;
        ProfileRequest request;
        request.patches = *profilePatches_[side];
        request.identity.serial = scannerSerial;
        request.identity.side = side == 0 ? "front" : "rear";
        request.identity.date = date;
        request.identity.batch = FileNamePart(referenceOptions_->loadedPath);
        const std::string name = ProfileFileName(scannerSerial, request.identity.side);
        std::string error;
        const std::optional<BuiltProfile> built = BuildInputProfile(request, error);
        if (built && StoreProfile(ports_.iccFolder, name, built->bytes, error)) {
            char line[512];
            std::snprintf(line, sizeof line, "ICC profile of the %s side: %s/%s (%s, CIEDE2000 on the chart: mean %.2f, p90 %.2f)",
                          request.identity.side.c_str(), ports_.iccFolder.c_str(), name.c_str(), built->kind.c_str(),
                          built->fit.mean, built->fit.p90);
            LogStatus(line);
            profileReports.push_back(line);
        } else {
            const std::string line = "ICC profile of the " + request.identity.side + " side not written: " + error;
            CALVIX_LOG_ERR(unit::MainForm, line, LogErr);
            profileReports.push_back(line);
        }
    }
}

}  // namespace calvix
