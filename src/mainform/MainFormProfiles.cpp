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
#include "calibration/CalibrationLut.h"
#include "profiling/ProfileBuilder.h"
#include "profiling/ProfileFiles.h"

#include <algorithm>
#include <cstdio>

namespace calvix {

void TMainFormular::KeepProfilePatches(const TChildImage& window) {
    const std::size_t side = window.isFront ? 0 : 1;
    profilePatches_[side].reset();
    // The built-in greys have no colour patches to make a profile from.
    if (referenceOptions_->loadedPath.empty() || window.image.Empty()) return;
    // Read through what the LUT now holds for the side: the new tables when they went in, the
    // side's earlier ones when the grey correction kept falling tables out. A side that never got
    // tables gets no profile, since no table in force describes it.
    const LutSide lutSide = window.isFront ? LutSide::Front : LutSide::Rear;
    ChannelTables held{};
    bool any = false;
    for (std::size_t c = 0; c < held.size(); ++c) {
        const auto table = CalibrationLut.Table(lutSide, static_cast<ColourChannel>(c));
        std::copy(table.begin(), table.end(), held[c].begin());
        any = any || std::any_of(table.begin(), table.end(), [](std::uint8_t v) { return v != 0; });
    }
    if (!any) return;
    profilePatches_[side] = MeasureChartPatches(window.image, window.cornerSlots, It8Reference(), ThroughTables(held));
}

void TMainFormular::MakeSideProfiles() {
    profileReports.clear();
    profilesFailed = false;
    if (ports_.iccFolder.empty()) return;
    const CivilTime now = ports_.clock.UtcNow();
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year, now.month, now.day);
    const std::size_t lutSides = duplexScanner ? 2 : 1;
    for (std::size_t side = 0; side < lutSides; ++side) {
        if (!profilePatches_[side]) {
            // No profile describes the side's new tables (built-in greys, or no tables of its
            // own), so the one stored before must not pass for it.
            SetStaleProfileAside(side == 0 ? "front" : "rear", "not made (no colour patches measured)", false);
            continue;
        }
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
            SetStaleProfileAside(request.identity.side, "not written: " + error, true);
        }
    }
}

void TMainFormular::SetStaleProfileAside(const std::string& side, const std::string& why, bool failed) {
    // Decision: a stale profile is renamed to .stale rather than marked inside, so that no
    // program (q71-scan, calvix-verify, colord) can take it for the profile of the LUT in force,
    // and the operator can still look at it.
    std::string line = "ICC profile of the " + side + " side " + why;
    std::string moved, error;
    if (!SetProfileAside(ports_.iccFolder, scannerSerial, side, moved, error)) {
        line += "; the one stored before describes the previous LUT and is still in place: " + error;
        failed = true;
    } else if (!moved.empty()) {
        line += "; the one stored before describes the previous LUT and is moved aside as " + moved;
    }
    if (failed) {
        profilesFailed = true;
        CALVIX_LOG_ERR(unit::MainForm, line, LogErr);
    } else {
        LogStatus(line);
    }
    profileReports.push_back(line);
}

}  // namespace calvix
