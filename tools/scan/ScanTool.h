// q71-scan's run: opens the Q71 through the TWAIN source manager, prints what it reads, scans
// one sheet and writes the chosen side as a 24-bit BMP file; every failure gets its own exit
// status and a line saying what to check.
#pragma once

#include <cstdio>
#include <string>

namespace calvix {
class Twain;
struct ScanSettings;
}  // namespace calvix

namespace calvix::scan {

enum ExitStatus {
    ExitScanned = 0,
    ExitUsage = 2,
    ExitNoManager = 3,      // twain_32.so missing, unloadable or refusing to open
    ExitNoSource = 4,       // the data source does not open or cannot be read
    ExitNothingToScan = 5,  // no paper, or the rear of a one-sided scanner
    ExitTransfer = 6,       // no image of the side arrived
    ExitBadImage = 7,       // the image is not a usable 24-bit bitmap
    ExitOutput = 8,         // the file cannot be written
};

struct ScanOptions {
    std::string side = "front";
    std::string output;  // empty: Scan_<side>.bmp in the current folder
    bool verbose = false;
};

// Parses the command line: -1 to go on, else the exit status (help, usage errors).
int ParseScanOptions(int argc, char** argv, ScanOptions& options);

// twain: a module over the manager library in systemDir (not yet loaded).
int RunScan(const ScanOptions& options, Twain& twain, const std::string& systemDir, std::FILE* out, std::FILE* err);

// The values read from the source: online, duplex, serial and the rows of the settings table.
void PrintCapabilities(const Twain& twain, std::FILE* out);

}  // namespace calvix::scan
