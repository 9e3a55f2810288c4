// q71-scan's run: opens the Q71 through the TWAIN source manager, prints what it reads, scans
// one sheet and writes the chosen side as a 24-bit BMP file or an archival TIFF with the side's
// ICC profile; every failure gets its own exit status and a line saying what to check.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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
    ExitProfile = 9,        // the ICC profile to embed cannot be read or is not an RGB input profile
};

struct ScanOptions {
    std::string side = "front";
    std::string output;  // empty: Scan_<side>.bmp in the current folder
    bool verbose = false;
    // For a TIFF output only: the profile to embed instead of the side's own, or none at all.
    std::string profile;
    bool noProfile = false;
    std::string compression = "lzw";
    // Where the sides' profiles are kept (the XDG ICC folder; empty when there is none).
    std::string iccFolder;
};

// True for a name ending in .tif or .tiff, in any case; every other name is written as BMP.
bool IsTiffName(const std::string& path);

// The profile a TIFF gets: its exact file bytes (empty for none) and the line saying which.
struct ChosenProfile {
    std::vector<std::uint8_t> bytes;
    std::string line;
};

// Reads path as the profile to embed; false with a message naming the file when it is not a
// regular file, cannot be read whole or is not an RGB input profile (class 'scnr').
bool LoadProfile(const std::string& path, ChosenProfile& chosen, std::string& error);

// The scanned side's own profile from folder; none (and a line saying so) when it is not there
// or the scanner reported no serial. Something else under the profile's name is refused.
bool FindSideProfile(const std::string& folder, const std::string& serial, const std::string& side,
                     ChosenProfile& chosen, std::string& error);

// Parses the command line: -1 to go on, else the exit status (help, usage errors).
int ParseScanOptions(int argc, char** argv, ScanOptions& options);

// twain: a module over the manager library in systemDir (not yet loaded).
int RunScan(const ScanOptions& options, Twain& twain, const std::string& systemDir, std::FILE* out, std::FILE* err);

// The values read from the source: online, duplex, serial and the rows of the settings table.
void PrintCapabilities(const Twain& twain, std::FILE* out);

}  // namespace calvix::scan
