// Text forms of the grey-step comparison and of the correction tables, written whole by
// temporary file and rename so a failed write never leaves half a file.
#include "calibration/CorrectionFiles.h"

#include "app/AtomicFile.h"

#include <cstdio>

namespace calvix {

std::string GreyScaleFileText(const GreyColours& measured, const GreyColours& reference) {
    std::string text = "\nGS RGB values\nScanner\t\t\t\tReference\nGS#\tR\tG\tB\tR\tG\tB\n";
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        char line[96];
        std::snprintf(line, sizeof line, "GS%d\t%d\t%d\t%d\t%d\t%d\t%d\n", k, RedOf(measured[k]), GreenOf(measured[k]),
                      BlueOf(measured[k]), RedOf(reference[k]), GreenOf(reference[k]), BlueOf(reference[k]));
        text += line;
    }
    text += '\n';
    return text;
}

std::string TableFileText(const ChannelTables& tables) {
    std::string text;
    text.reserve(ChannelTableEntries * 16 + 1);
    for (int i = 0; i < ChannelTableEntries; ++i) {
        char line[48];
        std::snprintf(line, sizeof line, "%d %d %d %d\n", i, tables[0][i], tables[1][i], tables[2][i]);
        text += line;
    }
    text += '\n';
    return text;
}

std::string GreyScaleFilePath(const std::string& dataFolder, bool isFront) {
    return dataFolder + (isFront ? "/gs_rgb_front.csv" : "/gs_rgb_back.csv");
}

std::string TableFilePath(const std::string& dataFolder, bool isFront) {
    return dataFolder + (isFront ? "/corrvals_front.csv" : "/corrvals_back.csv");
}

bool WriteGreyScaleFile(const std::string& dataFolder, bool isFront, const GreyColours& measured,
                        const GreyColours& reference, std::string* error) {
    return WriteFileAtomically(GreyScaleFilePath(dataFolder, isFront), GreyScaleFileText(measured, reference), error);
}

bool WriteTableFile(const std::string& dataFolder, bool isFront, const ChannelTables& tables, std::string* error) {
    return WriteFileAtomically(TableFilePath(dataFolder, isFront), TableFileText(tables), error);
}

}  // namespace calvix
