// Opening the source once for its identity, then one acquisition per sheet; every step closes
// the session again, so the source gets its own settings back whatever happens.
#include "ScannerAcquisition.h"

#include "VerifyOptions.h"
#include "scanner/Twain.h"
#include "scanner/TwainDib.h"

#include <cstring>

namespace calvix::verify {

namespace {

// The parent window handle the manager is given; this tool has no window.
int g_noWindow = 0;

std::string Text(const char* field, std::size_t size) { return std::string(field, ::strnlen(field, size)); }

}  // namespace

int ScannerAcquisition::Fail(int status, const std::string& reason, std::string& error) {
    error = reason;
    twain_.TwainCloseSession(&g_noWindow);
    return status;
}

int ScannerAcquisition::Open(ScannerInfo& info, std::string& error) {
    if (!twain_.TwainLoadManager())
        return Fail(ExitScannerNotReached,
                    "cannot load the TWAIN source manager twain_32.so (set CALVIX_SYSTEM_DIR to the folder "
                    "that holds it)",
                    error);
    if (!twain_.TwainOpenManager(&g_noWindow))
        return Fail(ExitScannerNotReached, "the TWAIN source manager refused to open", error);
    if (!twain_.TwainOpenSource())
        return Fail(ExitScannerNotReached,
                    std::string("the data source \"") + kSourceProductName +
                        "\" cannot be opened: is the scanner (q71-emulator) running and reachable?",
                    error);
    if (const int code = twain_.TwainReadCapabilities())
        return Fail(ExitScannerNotReached, "reading the source's capabilities failed (code " + std::to_string(code) + ")",
                    error);
    const twain::TW_IDENTITY& id = twain_.SourceIdentity();
    info.serial = twain_.twainSerial();
    info.duplex = twain_.twainDuplex();
    info.model = Text(id.ProductName, sizeof id.ProductName);
    const std::string maker = Text(id.Manufacturer, sizeof id.Manufacturer);
    const std::string version = Text(id.Version.Info, sizeof id.Version.Info);
    if (!maker.empty()) info.model += ", " + maker;
    if (!version.empty()) info.model += ", " + version;
    twain_.TwainCloseSession(&g_noWindow);
    return ExitPass;
}

int ScannerAcquisition::Scan(bool front, ScanBitmap& image, std::string& error) {
    const char* side = front ? "front" : "rear";
    const int feeder = twain_.TwainFeederLoaded(&g_noWindow);
    if (feeder < 0) return Fail(ExitScannerNotReached, "the feeder could not be queried (CAP_FEEDERLOADED)", error);
    if (feeder == 0)
        return Fail(ExitScanFailed, std::string("no paper in the feeder for the ") + side + " scan", error);
    DibHandle dib = twain_.TwainGetImage(&g_noWindow, front ? 1 : 0);
    if (dib.Empty())
        return Fail(ExitScanFailed, std::string("the transfer failed: no ") + side + " image arrived", error);
    DibConversion converted = ConvertDib(dib.Data(), dib.Size());
    dib.Release();
    if (converted.status == DibStatus::BitDepth)
        return Fail(ExitScanFailed,
                    "the source delivered a " + std::to_string(converted.bitCount) + "-bit image; only 24 bits are taken",
                    error);
    if (converted.status != DibStatus::Ok)
        return Fail(ExitScanFailed, "the " + std::string(side) + " image cannot be used: " + converted.reason, error);
    image = std::move(converted.bitmap);
    return ExitPass;
}

}  // namespace calvix::verify
