// The drift history: one JSON line per verification in a file per scanner under the data folder
// ("history/<serial>.jsonl"), appended line by line, read back bounded, and printed as a trend.
#pragma once

#include "quality/QualityLevels.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace calvix::verify {

// A line longer than this is not one the tool wrote; it is skipped.
inline constexpr std::size_t MaxHistoryLineBytes = 16 * 1024;
// Only this much of a file's end is read; older runs beyond it are left out of the trend.
inline constexpr std::size_t MaxHistoryReadBytes = 8u << 20;

struct HistorySide {
    std::string name;
    bool measured = false;
    double mean = 0.0;  // the worst channel's mean |difference|, levels
    double max = 0.0;   // the largest |difference| of any channel, levels
    quality::Measurements figures;  // the image-quality figures; none in lines of older versions
};

struct HistoryEntry {
    std::string verifiedAt;
    std::string serial;
    std::string verdict;
    std::vector<HistorySide> sides;

    const HistorySide* Side(const std::string& name) const;
};

struct HistoryRead {
    std::vector<HistoryEntry> entries;  // oldest first
    int skipped = 0;                    // lines cut off, too long or not an entry
    int otherScanner = 0;               // entries of another serial than the one asked for
    bool olderLeftOut = false;          // the file was longer than what is read
};

// Longest file name a serial may get, so that it and ".jsonl" fit a folder entry (255 bytes).
inline constexpr std::size_t MaxSerialNameBytes = 249;

// The serial as a file name of its own, reversibly: letters, digits, '-', '_' and '.' kept, a
// leading '.' and every other byte as %XX; "%unknown" when empty; empty when the name would be
// longer than MaxSerialNameBytes.
std::string SafeSerialName(const std::string& serial);
// The file name (without ".jsonl") versions before the escaping gave the serial.
std::string EarlierSerialName(const std::string& serial);
// dataHome + "/Zelmar GmbH/Calvix/history/" + SafeSerialName(serial) + ".jsonl"; empty when
// the serial has no file name.
std::string HistoryPath(const std::string& dataHome, const std::string& serial);

// Appends line (without line end) and a line end, creating folders and file as needed.
bool AppendHistory(const std::string& path, const std::string& line, std::string& error);
// False with a reason when the file cannot be read (missing included). With a serial, the
// entries of other serials are left out, and the serial's lines in the file of the name earlier
// versions gave it (beside path) are read too, before the others.
bool ReadHistory(const std::string& path, HistoryRead& history, std::string& error,
                 const std::optional<std::string>& serial = std::nullopt);
// One history line into an entry; false when it is not one.
bool ParseHistoryLine(const std::string& line, HistoryEntry& entry);

// Least-squares slope of values against their index (0 for fewer than two).
double SlopePerRun(const std::vector<double>& values);

// The table of runs and the slope of mean and max per side.
void PrintTrend(const HistoryRead& history, const std::string& serial, const std::string& path, std::FILE* out);

}  // namespace calvix::verify
