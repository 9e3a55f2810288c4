// calvix-verify: checks that a calibrated Q71 scans the IT8 chart's greys as the reference
// says, through the LUT in force, and writes a certificate and the scanner's drift history.
#include "BuildInfo.h"
#include "Certificate.h"
#include "VerifyRun.h"
#include "app/Clock.h"
#include "app/FormStatus.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/HeadlessMessagePump.h"
#include "platform/LinuxSystemInfo.h"
#include "platform/StopSignals.h"
#include "platform/XdgDirs.h"
#include "scanner/Twain.h"

#include <cstdio>
#include <memory>

namespace {

std::string UtcStamp(const calvix::CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace calvix;
    verify::VerifyOptions options;
    if (const int parsed = verify::ParseVerifyOptions(argc, argv, options); parsed >= 0) return parsed;
    verify::VerifyEnvironment env;
    env.dataHome = XdgDataHome();
    env.iccFolder = XdgIccFolder();
    if (!options.historySerial.empty()) return verify::PrintHistory(options.historySerial, env);

    LogWriter.SetActive(options.verbose);
    LogWriter.SetLevel(0);
    LogWriter.SetEcho(options.verbose);
    // Ctrl+C ends a wait for the source cleanly, so the source still gets its values back.
    InstallStopSignals();
    HeadlessMessagePump pump(SystemClock(), [] { return StopRequested(); });
    Twain twain(std::make_unique<DlDynamicLibrary>(), SystemDirectory(), SystemClock(), &pump);

    char version[48];
    std::snprintf(version, sizeof version, "%d.%d.%d build %d", CALVIX_VERSION_MAJOR, CALVIX_VERSION_MINOR,
                  CALVIX_VERSION_PATCH, CALVIX_VERSION_BUILD);
    env.toolVersion = version;
    env.verifiedAt = UtcStamp(SystemClock().UtcNow());
    env.twain = &twain;
    env.certificate = verify::WriteCertificate;
    verify::VerifyResult result;
    return verify::RunVerify(options, env, result);
}
