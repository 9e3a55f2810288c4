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

void TFormStatus::SetClock(Clock* clock) { clock_ = clock; }
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
    const CivilTime now = clock.LocalNow();
    // The millisecond field is the process's elapsed time, not the wall clock's, so it runs
    // independently of the seconds field.
    const long long ms = clock.ElapsedMs() % 1000;
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, " %02d:%02d:%02d.%03lld > ", now.hour, now.minute, now.second, ms);
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
