// q71-scan: the service engineer's check of the TWAIN path, like scanimage for SANE: one sheet
// from the Q71 through the real source manager and data source, written as a BMP or TIFF file.
#include "ScanTool.h"

#include "app/Clock.h"
#include "app/FormStatus.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/HeadlessMessagePump.h"
#include "platform/LinuxSystemInfo.h"
#include "platform/StopSignals.h"
#include "platform/XdgDirs.h"
#include "scanner/Twain.h"

#include <memory>

int main(int argc, char** argv) {
    using namespace calvix;
    scan::ScanOptions options;
    if (const int parsed = scan::ParseScanOptions(argc, argv, options); parsed >= 0) return parsed;
    options.iccFolder = XdgIccFolder();
    LogWriter.SetActive(options.verbose);
    LogWriter.SetLevel(0);
    LogWriter.SetEcho(options.verbose);
    // Ctrl+C ends a wait for the source cleanly, so the source still gets its values back.
    InstallStopSignals();
    HeadlessMessagePump pump(SystemClock(), [] { return StopRequested(); });
    const std::string systemDir = SystemDirectory();
    Twain twain(std::make_unique<DlDynamicLibrary>(), systemDir, SystemClock(), &pump);
    return scan::RunScan(options, twain, systemDir, stdout, stderr);
}
