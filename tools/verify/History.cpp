// Decision on atomicity: a verification appends one complete line with a single write() to a
// file opened O_APPEND, then fsyncs it. Rewriting the file by temp + rename would cost the
// whole history per run; with appends a crash can at worst leave the last line cut short. The
// reader skips such a line, and the next append first ends it with a line end, so a cut line
// never swallows the run after it.
#include "History.h"

#include "HistoryQuality.h"
#include "JsonText.h"
#include "PrintableText.h"
#include "VerifyReport.h"
#include "app/RegularFile.h"
#include "app/SerialNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix::verify {

namespace {

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

double Largest(const JsonValue* triple) {
    double largest = 0.0;
    if (triple == nullptr || triple->type != JsonValue::Type::Array || triple->items.size() != 3) return -1.0;
    for (const JsonValue& v : triple->items) {
        if (v.type != JsonValue::Type::Number) return -1.0;
        largest = std::max(largest, v.number);
    }
    return largest;
}

}  // namespace

const HistorySide* HistoryEntry::Side(const std::string& name) const {
    for (const HistorySide& side : sides)
        if (side.name == name) return &side;
    return nullptr;
}

// Decision: serials become file names by the escaping the profiles share (app/SerialNames.h), so
// that no two serials share a file and the serial can be read back from the name. Nothing is cut:
// a name longer than a folder entry can hold is refused rather than shortened into another's.
std::string SafeSerialName(const std::string& serial) {
    const std::string name = EscapeSerial(serial);
    return name.size() > MaxSerialNameBytes ? std::string() : name;
}

// The name versions before the escaping gave: at most 64 bytes kept, every other byte as '_',
// "unknown" for the empty serial. Such a file may hold several scanners' lines.
std::string EarlierSerialName(const std::string& serial) {
    std::string name;
    for (const char c : serial) {
        if (name.size() == 64) break;
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || (c == '.' && !name.empty());
        name += plain ? c : '_';
    }
    return name.empty() ? "unknown" : name;
}

std::string HistoryPath(const std::string& dataHome, const std::string& serial) {
    const std::string name = SafeSerialName(serial);
    return name.empty() ? std::string() : dataHome + "/Zelmar GmbH/Calvix/history/" + name + ".jsonl";
}

bool AppendHistory(const std::string& path, const std::string& line, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    // Read access too: the last byte is looked at to end a line a crash cut short.
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        error = "cannot open history '" + path + "': " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) error = "history '" + path + "' is not a regular file";
    std::string text = line + "\n";
    if (ok && st.st_size > 0) {
        char last = '\n';
        if (::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') text = "\n" + text;
    }
    if (ok && !WriteAll(fd, text)) {
        error = "cannot append to history '" + path + "': " + std::strerror(errno);
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        error = "cannot flush history '" + path + "': " + std::strerror(errno);
        ok = false;
    }
    ::close(fd);
    return ok;
}

bool ParseHistoryLine(const std::string& line, HistoryEntry& entry) {
    JsonValue value;
    std::string error;
    if (line.size() > MaxHistoryLineBytes || !ParseJson(line, value, error)) return false;
    if (value.TextOr("schema", "") != HistorySchema) return false;
    entry = HistoryEntry{};
    entry.verifiedAt = value.TextOr("verified_at", "");
    entry.serial = value.TextOr("serial", "");
    entry.verdict = value.TextOr("verdict", "");
    const JsonValue* sides = value.Find("sides");
    if (sides == nullptr || sides->type != JsonValue::Type::Array) return false;
    for (const JsonValue& s : sides->items) {
        HistorySide side;
        side.name = s.TextOr("side", "");
        const double mean = Largest(s.Find("mean"));
        const double max = Largest(s.Find("max"));
        side.measured = mean >= 0.0 && max >= 0.0;
        if (side.measured) {
            side.mean = mean;
            side.max = max;
            ReadQualityFigures(s, side);
        }
        if (!side.name.empty()) entry.sides.push_back(side);
    }
    return true;
}

namespace {

bool ReadHistoryFile(const std::string& path, HistoryRead& history, std::string& error,
                     const std::optional<std::string>& serial) {
    history = HistoryRead{};
    std::string reason;
    std::FILE* file = OpenRegularFile(path, reason);
    if (file == nullptr) {
        error = "cannot read history '" + path + "': " + reason;
        return false;
    }
    std::string text;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        const long start = size > static_cast<long>(MaxHistoryReadBytes) ? size - static_cast<long>(MaxHistoryReadBytes) : 0;
        history.olderLeftOut = start > 0;
        std::fseek(file, start, SEEK_SET);
    }
    char chunk[65536];
    while (text.size() < MaxHistoryReadBytes) {
        const std::size_t want = std::min(sizeof chunk, MaxHistoryReadBytes - text.size());
        const std::size_t n = std::fread(chunk, 1, want, file);
        if (n == 0) break;
        text.append(chunk, n);
    }
    std::fclose(file);
    // Compared as a line holds it: the JSON text keeps bytes that are no UTF-8 as U+FFFD.
    JsonValue stored;
    if (serial && !ParseJson(JsonQuote(*serial), stored, reason)) stored.text = *serial;
    std::size_t pos = 0;
    // Reading from the middle of the file begins inside a line: it belongs to the older runs.
    if (history.olderLeftOut) {
        const std::size_t end = text.find('\n');
        pos = end == std::string::npos ? text.size() : end + 1;
    }
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        const bool complete = end != std::string::npos;
        if (!complete) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        HistoryEntry entry;
        // A last line without its line end was cut off while it was written.
        if (!complete || !ParseHistoryLine(line, entry)) ++history.skipped;
        // Files of older versions could hold several scanners whose serials differed only in
        // what the name could not show; each keeps only its own lines.
        else if (serial && entry.serial != stored.text) ++history.otherScanner;
        else history.entries.push_back(std::move(entry));
    }
    return true;
}

}  // namespace

// Decision: the file under the name of earlier versions is read beside the current one rather
// than renamed into it. It may be the current file of another serial (the old name of "Q71:1"
// is the name of "Q71_1"), or shared by several; each serial takes its own lines from it, and
// nothing is moved or lost. Its runs are older, so they come first.
bool ReadHistory(const std::string& path, HistoryRead& history, std::string& error,
                 const std::optional<std::string>& serial) {
    const bool found = ReadHistoryFile(path, history, error, serial);
    if (!serial) return found;
    const std::filesystem::path current(path);
    const std::filesystem::path earlier = current.parent_path() / (EarlierSerialName(*serial) + ".jsonl");
    if (earlier == current) return found;
    HistoryRead older;
    std::string olderError;
    if (!ReadHistoryFile(earlier.string(), older, olderError, serial)) return found;
    if (!found) history = HistoryRead{};
    older.entries.insert(older.entries.end(), std::make_move_iterator(history.entries.begin()),
                         std::make_move_iterator(history.entries.end()));
    history.entries = std::move(older.entries);
    history.skipped += older.skipped;
    history.otherScanner += older.otherScanner;
    history.olderLeftOut = history.olderLeftOut || older.olderLeftOut;
    error.clear();
    return true;
}

double SlopePerRun(const std::vector<double>& values) {
    const std::size_t n = values.size();
    if (n < 2) return 0.0;
    const double meanX = (static_cast<double>(n) - 1.0) / 2.0;
    double meanY = 0.0;
    for (double v : values) meanY += v;
    meanY /= static_cast<double>(n);
    double sxy = 0.0, sxx = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = static_cast<double>(i) - meanX;
        sxy += dx * (values[i] - meanY);
        sxx += dx * dx;
    }
    return sxy / sxx;
}

void PrintTrend(const HistoryRead& history, const std::string& serial, const std::string& path, std::FILE* out) {
    std::fprintf(out, "history of scanner %s: %zu run%s (%s)\n", PrintableText(serial).c_str(),
                 history.entries.size(), history.entries.size() == 1 ? "" : "s", PrintableText(path).c_str());
    std::fprintf(out, "%4s  %-20s  %-7s  %10s  %9s  %10s  %9s\n", "run", "verified at (UTC)", "verdict", "front mean",
                 "front max", "rear mean", "rear max");
    std::vector<double> series[4];
    for (std::size_t i = 0; i < history.entries.size(); ++i) {
        const HistoryEntry& e = history.entries[i];
        std::fprintf(out, "%4zu  %-20s  %-7s", i + 1, PrintableText(e.verifiedAt).c_str(),
                     PrintableText(e.verdict).c_str());
        int column = 0;
        for (const char* name : {"front", "rear"}) {
            const HistorySide* side = e.Side(name);
            if (side != nullptr && side->measured) {
                std::fprintf(out, "  %10.2f  %9.0f", side->mean, side->max);
                series[column].push_back(side->mean);
                series[column + 1].push_back(side->max);
            } else {
                std::fprintf(out, "  %10s  %9s", "-", "-");
            }
            column += 2;
        }
        std::fputc('\n', out);
    }
    std::fprintf(out, "trend (least-squares slope, levels per run):");
    const char* labels[4] = {"front mean", "front max", "rear mean", "rear max"};
    bool any = false;
    for (int s = 0; s < 4; ++s) {
        if (series[s].size() < 2) continue;
        std::fprintf(out, "%s %s %+.3f", any ? "," : "", labels[s], SlopePerRun(series[s]));
        any = true;
    }
    std::fprintf(out, "%s\n", any ? "" : " not enough runs");
    PrintQualityTrend(history, out);
    if (history.skipped > 0)
        std::fprintf(out, "skipped %d line%s that could not be read (cut off by a crash, or not an entry)\n",
                     history.skipped, history.skipped == 1 ? "" : "s");
    if (history.otherScanner > 0)
        std::fprintf(out, "left out %d line%s of other scanners (a file shared by an older version)\n",
                     history.otherScanner, history.otherScanner == 1 ? "" : "s");
    if (history.olderLeftOut) std::fprintf(out, "older runs at the start of the file were left out\n");
}

}  // namespace calvix::verify
