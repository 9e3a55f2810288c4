// The kept scans are written by the BMP writer the calibration uses; the blank pages are read by
// the program's own BMP decoder, bounded as every picture it opens.
#include "ScanFiles.h"

#include "analysis/BmpReader.h"
#include "analysis/BmpWriter.h"

namespace calvix::verify {

bool KeepScan(const VerifyOptions& options, const ScanBitmap& image, const std::string& name, std::string& kept,
              std::string& error) {
    kept.clear();
    if (options.keepFolder.empty()) return true;
    kept = options.keepFolder + "/Verify_" + name + ".bmp";
    if (SaveBmpFile(image, kept, error)) return true;
    error = "cannot keep scan '" + kept + "': " + error;
    return false;
}

bool LoadBlankPages(const VerifyOptions& options, std::array<ScanBitmap, 2>& pages, MeasureContext& context,
                    std::string& error) {
    const std::string* paths[2] = {&options.uniformityFront, &options.uniformityRear};
    for (std::size_t k = 0; k < 2; ++k) {
        if (paths[k]->empty()) continue;
        PictureResult picture = LoadBmpFile(*paths[k]);
        if (!picture.ok) {
            error = "cannot read the blank page '" + *paths[k] + "' as a BMP picture (" + picture.error + ")";
            return false;
        }
        pages[k] = std::move(picture.image);
        context.blankPages[k] = &pages[k];
    }
    return true;
}

}  // namespace calvix::verify
