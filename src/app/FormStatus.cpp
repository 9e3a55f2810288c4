// The log writer: the gate, the time prefix, standard output, the in-memory log and its flush.
#include "app/FormStatus.h"

#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <string_view>

#include "app/AtomicFile.h"
#include "app/Clock.h"

namespace calvix {

constinit TFormStatus LogWriter;

namespace {
constexpr std::string_view kSeparator =
    "===============================================================================";
static_assert(kSeparator.size() == 79);

// Seconds of a local civil time since 1970-01-01 00:00 of the same calendar.
std::int64_t LocalSeconds(const CivilTime& t) {
    const int year = t.year - (t.month <= 2);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}
}  // namespace

TFormStatus::~TFormStatus() {
    if (log_) {
        log_->buffering = false;
        log_->buffer.clear();
    }
}

TFormStatus::Record& TFormStatus::Log() const {
    if (!log_) {
        log_ = std::make_unique<Record>();
        Construct(*log_);
    }
    return *log_;
}

void TFormStatus::Construct(Record& log) const {
    log = Record{};
    const CivilTime today = (clock_ ? *clock_ : SystemClock()).LocalNow();
    char header[64];
    std::snprintf(header, sizeof header, "\nCalvix Log File\nDate: %04d-%02d-%02d", today.year, today.month,
                  today.day);
    log.header = header;
    log.buffer.emplace_back(kSeparator);
    log.buffer.push_back(log.header);
    log.buffer.emplace_back(kSeparator);
    log.buffering = true;
    log.dirty = true;
}

void TFormStatus::PrintHeader() {
    const Record& log = Log();
    if (echo_) std::cout << kSeparator << '\n' << log.header << '\n' << kSeparator << '\n';
}

void TFormStatus::ResetForTest() {
    categories_ = LogCategories{};
    display_ = nullptr;
    Construct(Log());
}

void TFormStatus::SetClock(Clock* clock) {
    clock_ = clock;
    if (log_) log_->timeAnchored = false;  // another clock, another time line
}
void TFormStatus::SetFileName(const std::string& path) {
    Record& log = Log();
    log.fileName = path;
    log.fileNameSet = true;
}
void TFormStatus::SetLevel(std::int32_t threshold) { Log().level = threshold; }
void TFormStatus::SetActive(bool on) { Log().active = on; }
void TFormStatus::SetTimestamp(bool on) { Log().timestamp = on; }

bool TFormStatus::Accepts(const Record& log, std::uint32_t mask) const {
    if (!log.active && (mask & LogBitForced) == 0) return false;
    if (static_cast<std::int32_t>(mask & 0xFF) < log.level) return false;
    return ((mask & LogBitError) && categories_.error) || ((mask & LogBitDebug) && categories_.debug) ||
           ((mask & LogBitStatus) && categories_.status) ||
           ((mask & (LogBitInfo | LogBitUserAction)) && categories_.info) ||
           ((mask & LogBitVcl) && categories_.vcl);
}

std::string TFormStatus::TimePrefix() const {
    const Clock& clock = clock_ ? *clock_ : SystemClock();
    Record& log = Log();
    const std::int64_t elapsed = clock.ElapsedMs();
    // One source for the whole stamp: the wall clock's time of day, counted on by the process
    // clock. The milliseconds stay the process's elapsed time modulo 1000 and now carry into
    // the seconds, so a later line never shows an earlier time. The wall clock is followed
    // only forwards, once it is more than a second ahead (a suspend, a clock set on).
    const std::int64_t base = LocalSeconds(clock.LocalNow()) - elapsed / 1000;
    if (!log.timeAnchored || base > log.timeBase + 1) {
        log.timeBase = base;
        log.timeAnchored = true;
    }
    const std::int64_t seconds = log.timeBase + elapsed / 1000;
    const int ofDay = static_cast<int>((seconds % 86400 + 86400) % 86400);
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, " %02d:%02d:%02d.%03lld > ", ofDay / 3600, ofDay / 60 % 60, ofDay % 60,
                  static_cast<long long>(elapsed % 1000));
    return prefix;
}

void TFormStatus::WriteLine(const std::string& text, std::uint32_t mask) {
    Record& log = Log();
    if (display_ && display_->MainWindowVisible() && (mask & LogBitStatus)) display_->ShowStatusLine(text);
    if (Accepts(log, mask)) {
        const std::string prefix = (log.timestamp || (mask & LogBitTime)) ? TimePrefix() : std::string(" > ");
        if (echo_) std::cout << prefix << text << '\n';
        if (log.buffering) {
            log.buffer.push_back(prefix + text);
            log.dirty = true;
        }
    }
    if (display_ && display_->SplashLogActive() && (mask & LogBitSplash)) display_->AppendSplashLine(text);
}

const std::string& TFormStatus::Printf(const char* format, ...) {
    // Formats into a fresh string first: callers may pass the scratch text itself as an argument.
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (needed > 0) {
        result.assign(static_cast<std::size_t>(needed) + 1, '\0');
        std::vsnprintf(result.data(), result.size(), format, args);
        result.resize(static_cast<std::size_t>(needed));
    }
    va_end(args);
    Record& log = Log();
    log.scratch = std::move(result);
    return log.scratch;
}

bool TFormStatus::Flush() {
    Record& log = Log();
    if (!log.fileNameSet || !log.dirty) return true;
    std::string content;
    for (const std::string& item : log.buffer) {
        content += item;
        content += "\r\n";
    }
    std::string error;
    if (!WriteFileAtomically(log.fileName, content, &error)) {
        log.lastFlushError = error;
        return false;
    }
    log.lastFlushError.clear();
    log.dirty = false;
    return true;
}

void LogTrace(const char* unitName, const std::string& operation, int line, std::uint32_t mask) {
    char format[64];
    std::snprintf(format, sizeof format, "DBG: call to '%%s'  ( file %s, line %%d)", unitName);
    LogWriter.WriteLine(LogWriter.Printf(format, operation.c_str(), line), mask);
}

void LogError(const char* unitName, const std::string& text, int line, std::uint32_t mask) {
    char format[64];
    std::snprintf(format, sizeof format, "ERR: error '%%s'  ( file %s, line %%d)", unitName);
    LogWriter.WriteLine(LogWriter.Printf(format, text.c_str(), line), mask);
}

void LogUserAction(const char* unitName, const std::string& text, int line, std::uint32_t mask) {
    char format[64];
    std::snprintf(format, sizeof format, "UAC: user action '%%s'  ( file %s, line %%d)", unitName);
    LogWriter.WriteLine(LogWriter.Printf(format, text.c_str(), line), mask);
}

void LogWindowEvent(const char* unitName, const std::string& text, int line, std::uint32_t mask) {
    char format[64];
    std::snprintf(format, sizeof format, "VCL: %%s  ( file %s, line %%d)", unitName);
    LogWriter.WriteLine(LogWriter.Printf(format, text.c_str(), line), mask);
}

void LogStatus(const std::string& text, std::uint32_t mask) {
    LogWriter.WriteLine(LogWriter.Printf("STA: %s", text.c_str()), mask);
}

void LogInfo(const std::string& text, std::uint32_t mask) {
    LogWriter.WriteLine(LogWriter.Printf("INF: %s  ", text.c_str()), mask);
}

}  // namespace calvix
