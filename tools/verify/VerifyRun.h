// One verification from start to verdict: reference and record read, both sides scanned (or
// read from files) and measured, the summary printed, the history appended and the report
// written. The certificate's drawing is handed in, so this part stays free of any toolkit.
#pragma once

#include "History.h"
#include "VerifyOptions.h"
#include "VerifyReport.h"

#include <cstdio>
#include <functional>
#include <string>

namespace calvix {
class Twain;
}

namespace calvix::verify {

// Writes the certificate PDF; false with a reason.
using CertificateWriter =
    std::function<bool(const VerifyResult& result, const HistoryRead& history, const std::string& path, std::string& error)>;

struct VerifyEnvironment {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::FILE* in = stdin;           // the operator's Enter before the rear scan
    Twain* twain = nullptr;          // null: only --offline can run
    std::string dataHome;            // XDG data folder; the history goes below it
    std::string iccFolder;           // where the sides' profiles are looked for by serial
    std::string verifiedAt;          // UTC time stamp of this run
    std::string toolVersion;
    CertificateWriter certificate;   // null: --report writes the JSON only
};

// The JSON goes beside the PDF: "cert.pdf" gives "cert.json", any other name gets ".json" added.
std::string ReportJsonPath(const std::string& reportPath);

// Runs the verification; the exit status (VerifyOptions.h) and what was found in result.
int RunVerify(const VerifyOptions& options, VerifyEnvironment& env, VerifyResult& result);

// calvix-verify --history SERIAL.
int PrintHistory(const std::string& serial, const VerifyEnvironment& env);

}  // namespace calvix::verify
