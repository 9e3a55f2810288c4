// The log writer: the gate, the time prefix, standard output, the in-memory log and its flush.
#include "app/FormStatus.h"

#include <cstdarg>
#include <cstdio>
#include <iostream>

#include "app/AtomicFile.h"
#include "app/Clock.h"

namespace calvix {

TFormStatus LogWriter;

namespace {
const std::string kSeparator(79, '=');
}

TFormStatus::TFormStatus() { Construct(); }

TFormStatus::~TFormStatus() {
    buffering_ = false;
    buffer_.clear();
}

void TFormStatus::Construct() {
    buffer_.clear();
    fileName_.clear();
    fileNameSet_ = false;
    const CivilTime today = (clock_ ? *clock_ : SystemClock()).LocalNow();
    char header[64];
    std::snprintf(header, sizeof header, "\nCalvix Log File\nDate: %04d-%02d-%02d", today.year, today.month,
                  today.day);
    header_ = header;
    if (echo_) std::cout << kSeparator << '\n' << header_ << '\n' << kSeparator << '\n';
    buffer_.push_back(kSeparator);
    buffer_.push_back(header_);
    buffer_.push_back(kSeparator);
    buffering_ = true;
    dirty_ = true;
    level_ = 128;
    active_ = false;
    timestamp_ = false;
}

void TFormStatus::ResetForTest() {
    categories_ = LogCategories{};
    display_ = nullptr;
    lastFlushError_.clear();
    Construct();
}

void TFormStatus::SetClock(Clock* clock) { clock_ = clock; }
void TFormStatus::SetFileName(const std::string& path) {
    fileName_ = path;
    fileNameSet_ = true;
}
void TFormStatus::SetLevel(std::int32_t threshold) { level_ = threshold; }
void TFormStatus::SetActive(bool on) { active_ = on; }
void TFormStatus::SetTimestamp(bool on) { timestamp_ = on; }

bool TFormStatus::Accepts(std::uint32_t mask) const {
    if (!active_ && (mask & LogBitForced) == 0) return false;
    if (static_cast<std::int32_t>(mask & 0xFF) < level_) return false;
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
    if (display_ && display_->MainWindowVisible() && (mask & LogBitStatus)) display_->ShowStatusLine(text);
    if (Accepts(mask)) {
        const std::string prefix = (timestamp_ || (mask & LogBitTime)) ? TimePrefix() : std::string(" > ");
        if (echo_) std::cout << prefix << text << '\n';
        if (buffering_) {
            buffer_.push_back(prefix + text);
            dirty_ = true;
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
    scratch_ = std::move(result);
    return scratch_;
}

bool TFormStatus::Flush() {
    if (!fileNameSet_ || !dirty_) return true;
    std::string content;
    for (const std::string& item : buffer_) {
        content += item;
        content += "\r\n";
    }
    std::string error;
    if (!WriteFileAtomically(fileName_, content, &error)) {
        lastFlushError_ = error;
        return false;
    }
    lastFlushError_.clear();
    dirty_ = false;
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
