// CGATS .ti3 text.
#include "profiling/Ti3Writer.h"

#include <cstdio>

namespace calvix {

namespace {

void AppendPatch(std::string& out, const PatchMeasurement& p) {
    char line[160];
    std::snprintf(line, sizeof line, "%s %.4f %.4f %.4f %.4f %.4f %.4f\n", p.name.c_str(), p.device[0] / 2.55,
                  p.device[1] / 2.55, p.device[2] / 2.55, p.reference.X, p.reference.Y, p.reference.Z);
    out += line;
}

std::string Quoted(const std::string& text) {
    std::string q;
    for (char c : text)
        if (c != '"' && c != '\n' && c != '\r') q += c;
    return "\"" + q + "\"";
}

}  // namespace

std::string Ti3Text(const ChartMeasurement& patches, const std::string& description) {
    std::string out = "CTI3\n\n";
    out += "DESCRIPTOR " + Quoted(description) + "\n";
    out += "ORIGINATOR \"Calvix\"\n";
    out += "DEVICE_CLASS \"INPUT\"\n";
    out += "COLOR_REP \"XYZ_RGB\"\n\n";
    out += "NUMBER_OF_FIELDS 7\nBEGIN_DATA_FORMAT\nSAMPLE_ID RGB_R RGB_G RGB_B XYZ_X XYZ_Y XYZ_Z\nEND_DATA_FORMAT\n\n";
    out += "NUMBER_OF_SETS " + std::to_string(patches.colours.size() + patches.greys.size()) + "\nBEGIN_DATA\n";
    for (const PatchMeasurement& p : patches.colours) AppendPatch(out, p);
    for (const PatchMeasurement& p : patches.greys) AppendPatch(out, p);
    out += "END_DATA\n";
    return out;
}

}  // namespace calvix
