// Profile assembly through Little CMS.
#include "profiling/InputProfileWriter.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace calvix {

namespace {

constexpr int ShaperTableSize = 4096;
constexpr const char* CopyrightText = "Made by Calvix from a scan of an IT8.7/2 target. Free to use and to pass on with the scans it describes.";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool WriteText(cmsHPROFILE h, cmsTagSignature tag, const std::string& text) {
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    if (mlu == nullptr) return false;
    const bool ok = cmsMLUsetASCII(mlu, "en", "US", text.c_str()) && cmsWriteTag(h, tag, mlu);
    cmsMLUfree(mlu);
    return ok;
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

// The fit goes into the metadata dictionary, where a reader finds it by name.
bool WriteFit(cmsHPROFILE h, const ProfileFigures& fit, const std::string& kind, const ProfileIdentity& id) {
    cmsHANDLE dict = cmsDictAlloc(nullptr);
    if (dict == nullptr) return false;
    const std::pair<std::string, std::string> entries[] = {
        {"CALVIX_MODEL", kind},
        {"CALVIX_SERIAL", id.serial},
        {"CALVIX_SIDE", id.side},
        {"CALVIX_REFERENCE", id.batch},
        {"CALVIX_FIT_PATCHES", std::to_string(fit.patches)},
        {"CALVIX_FIT_DE2000_MEAN", Number(fit.mean)},
        {"CALVIX_FIT_DE2000_P90", Number(fit.p90)},
        {"CALVIX_FIT_DE2000_MAX", Number(fit.max)},
        {"CALVIX_FIT_WORST_PATCH", fit.worst},
    };
    bool ok = true;
    for (const auto& [name, value] : entries) {
        const std::wstring n = Wide(name), v = Wide(value);
        ok = ok && cmsDictAddEntry(dict, n.c_str(), v.c_str(), nullptr, nullptr);
    }
    ok = ok && cmsWriteTag(h, cmsSigMetaTag, dict);
    cmsDictFree(dict);
    return ok;
}

bool WriteShaperMatrix(cmsHPROFILE h, const InputProfileModel& model) {
    const cmsTagSignature colourant[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    const cmsTagSignature trc[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
        const cmsCIEXYZ column{model.matrix[0][c], model.matrix[1][c], model.matrix[2][c]};
        if (!cmsWriteTag(h, colourant[c], &column)) return false;
        const std::vector<unsigned short> table = model.shapers[static_cast<std::size_t>(c)].Table(ShaperTableSize);
        cmsToneCurve* curve = cmsBuildTabulatedToneCurve16(nullptr, static_cast<cmsUInt32Number>(table.size()), table.data());
        const bool ok = curve != nullptr && cmsWriteTag(h, trc[c], curve);
        cmsFreeToneCurve(curve);
        if (!ok) return false;
    }
    return true;
}

bool WriteGrid(cmsHPROFILE h, const InputProfileModel& model) {
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 3, 3);
    if (lut == nullptr) return false;
    cmsToneCurve* curves[3] = {};
    // The grid's input is the cube root of the shaper: nodes spaced roughly evenly in lightness,
    // so dark colours get as many nodes as light ones.
    for (int c = 0; c < 3; ++c) {
        std::vector<unsigned short> table = model.shapers[static_cast<std::size_t>(c)].Table(ShaperTableSize);
        for (unsigned short& v : table) v = static_cast<unsigned short>(std::lround(65535.0 * std::cbrt(v / 65535.0)));
        curves[c] = cmsBuildTabulatedToneCurve16(nullptr, static_cast<cmsUInt32Number>(table.size()), table.data());
    }
    // A table's PCS XYZ is stored in its encoding, 1 + 32767/32768 at full scale; readers undo it.
    const double xyzScale = 1.0 / (1.0 + 32767.0 / 32768.0);
    // 16-bit entries: both the version 2 and the version 4 table types store them, floats neither.
    std::vector<cmsUInt16Number> values;
    values.reserve(model.grid.size() * 3);
    for (const auto& v : model.grid)
        for (double x : v)
            values.push_back(static_cast<cmsUInt16Number>(std::lround(65535.0 * std::clamp(x * xyzScale, 0.0, 1.0))));
    cmsStage* shaper = curves[0] && curves[1] && curves[2] ? cmsStageAllocToneCurves(nullptr, 3, curves) : nullptr;
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, static_cast<cmsUInt32Number>(model.gridPoints), 3, 3, values.data());
    for (cmsToneCurve* c : curves) cmsFreeToneCurve(c);
    // The version 4 table type needs output curves after the grid; they are the identity.
    cmsStage* output = cmsStageAllocToneCurves(nullptr, 3, nullptr);
    bool ok = shaper && grid && output;
    if (ok) {
        ok = cmsPipelineInsertStage(lut, cmsAT_END, shaper) && cmsPipelineInsertStage(lut, cmsAT_END, grid) &&
             cmsPipelineInsertStage(lut, cmsAT_END, output);
        shaper = grid = output = nullptr;
    }
    for (cmsStage* stage : {shaper, grid, output})
        if (stage) cmsStageFree(stage);
    ok = ok && cmsWriteTag(h, cmsSigAToB0Tag, lut);
    cmsPipelineFree(lut);
    return ok;
}

}  // namespace

std::string ProfileDescriptionText(const ProfileIdentity& id) {
    std::string text = id.model;
    if (!id.serial.empty()) text += " " + id.serial;
    if (!id.side.empty()) text += " " + id.side;
    if (!id.date.empty()) text += ", " + id.date;
    if (!id.batch.empty()) text += ", reference " + id.batch;
    return text;
}

std::optional<IccProfile> WriteInputProfile(const InputProfileModel& model, const ProfileIdentity& identity,
                                            int iccVersion, const ProfileFigures& fit, const std::string& kind,
                                            std::string& error) {
    cmsHPROFILE h = cmsCreateProfilePlaceholder(nullptr);
    if (h == nullptr) {
        error = "Little CMS could not create a profile";
        return std::nullopt;
    }
    IccProfile profile(h);
    cmsSetProfileVersion(h, iccVersion == 2 ? 2.4 : 4.3);
    cmsSetDeviceClass(h, cmsSigInputClass);
    cmsSetColorSpace(h, cmsSigRgbData);
    cmsSetPCS(h, cmsSigXYZData);
    cmsSetHeaderRenderingIntent(h, INTENT_PERCEPTUAL);
    const cmsCIEXYZ white{model.white.X / 100.0, model.white.Y / 100.0, model.white.Z / 100.0};
    bool ok = WriteText(h, cmsSigProfileDescriptionTag, ProfileDescriptionText(identity)) &&
              WriteText(h, cmsSigCopyrightTag, CopyrightText) && WriteText(h, cmsSigDeviceModelDescTag, identity.model) &&
              cmsWriteTag(h, cmsSigMediaWhitePointTag, &white) && WriteShaperMatrix(h, model);
    // The dictionary type exists from version 4.3 on; a version 2 profile is read by programs
    // that know only version 2 tags, so it goes without the fit (the run's report has it).
    if (ok && iccVersion != 2) ok = WriteFit(h, fit, kind, identity);
    if (ok && !model.grid.empty()) ok = WriteGrid(h, model);
    if (ok && iccVersion != 2) ok = cmsMD5computeID(h);
    if (!ok) {
        error = "Little CMS could not write the profile's tags";
        return std::nullopt;
    }
    return profile;
}

}  // namespace calvix
