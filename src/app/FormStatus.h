// The process-wide log writer: TFormStatus and its single instance LogWriter, the log masks,
// and the per-unit helpers that open traced operations, errors, user actions and window traces.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace calvix {

class Clock;

// Masks: level in bits 0-7, category and routing bits above, forced bit 31.
inline constexpr std::uint32_t LogDbg = 0x08D0;
inline constexpr std::uint32_t LogDbgLow = 0x0820;
inline constexpr std::uint32_t LogInf = 0x0280;
inline constexpr std::uint32_t LogUac = 0x8080;
inline constexpr std::uint32_t LogErr = 0x01D0;
inline constexpr std::uint32_t LogErrBar = 0x05D0;
inline constexpr std::uint32_t LogErrBarSplash = 0x45D0;
inline constexpr std::uint32_t LogErrSplash = 0x41D0;
inline constexpr std::uint32_t LogSta = 0x0480;
inline constexpr std::uint32_t LogStaSplash = 0x4480;
inline constexpr std::uint32_t LogVcl = 0x2080;
inline constexpr std::uint32_t LogForced = 0xFFFFBFFF;
inline constexpr std::uint32_t LogForcedSplash = 0xFFFFFFFF;

inline constexpr std::uint32_t LogBitError = 0x0100;
inline constexpr std::uint32_t LogBitInfo = 0x0200;
inline constexpr std::uint32_t LogBitStatus = 0x0400;
inline constexpr std::uint32_t LogBitDebug = 0x0800;
inline constexpr std::uint32_t LogBitTime = 0x1000;
inline constexpr std::uint32_t LogBitVcl = 0x2000;
inline constexpr std::uint32_t LogBitSplash = 0x4000;
inline constexpr std::uint32_t LogBitUserAction = 0x8000;
inline constexpr std::uint32_t LogBitForced = 0x80000000u;

// The five category check boxes of the main window, read at every write.
struct LogCategories {
    bool error = true;
    bool info = true;
    bool status = true;
    bool debug = true;
    bool vcl = false;
};

// Where a line can show besides the log: status-bar panel 0 of the main window and the
// splash window's list. The main window installs itself; before that nothing is shown.
class LogDisplay {
public:
    virtual ~LogDisplay() = default;
    virtual bool MainWindowVisible() const = 0;
    virtual void ShowStatusLine(const std::string& text) = 0;
    virtual bool SplashLogActive() const = 0;
    virtual void AppendSplashLine(const std::string& text) = 0;
};

// The writer holds only constants until its first use; the log itself (header, buffer, file
// name, switches) is built then. So LogWriter is usable from any static initialiser of any unit,
// and a program that never logs never builds a header.
class TFormStatus {
public:
    constexpr TFormStatus() = default;
    ~TFormStatus();
    TFormStatus(const TFormStatus&) = delete;
    TFormStatus& operator=(const TFormStatus&) = delete;

    // Writes the separator, the header and the separator to standard output, as the log's
    // construction does on a console. Only the program's own entry calls it, as its first act.
    void PrintHeader();

    void WriteLine(const std::string& text, std::uint32_t mask);
    // Formats into the shared scratch text and returns it; not reentrant.
    const std::string& Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void SetFileName(const std::string& path);
    void SetLevel(std::int32_t threshold);
    void SetActive(bool on);
    void SetTimestamp(bool on);
    // Replaces the log file with the whole buffer when a name is set and lines are unsaved.
    // Returns false when the file could not be written; the buffer stays dirty for a retry.
    bool Flush();

    LogCategories& Categories() { return categories_; }
    const LogCategories& Categories() const { return categories_; }
    void SetDisplay(LogDisplay* display) { display_ = display; }
    // The clock for the time prefix; nullptr restores the process clock.
    void SetClock(Clock* clock);
    void SetEcho(bool toStandardOutput) { echo_ = toStandardOutput; }

    const std::string& HeaderText() const { return Log().header; }
    const std::string& FileName() const { return Log().fileName; }
    bool FileNameSet() const { return Log().fileNameSet; }
    const std::vector<std::string>& Buffer() const { return Log().buffer; }
    bool Dirty() const { return Log().dirty; }
    std::int32_t Level() const { return Log().level; }
    bool Active() const { return Log().active; }
    bool Timestamp() const { return Log().timestamp; }
    const std::string& LastFlushError() const { return Log().lastFlushError; }

    // Back to the state right after construction (tests only).
    void ResetForTest();

private:
    struct Record {
        std::string header;
        std::string fileName;
        bool fileNameSet = false;
        std::vector<std::string> buffer;
        bool dirty = false;
        std::int32_t level = 128;
        bool buffering = false;
        bool active = false;
        bool timestamp = false;
        std::string scratch;
        std::string lastFlushError;
        // The time prefix's local seconds at elapsed time 0, once the first stamp was taken.
        std::int64_t timeBase = 0;
        bool timeAnchored = false;
    };
    // The log record, constructed with its header at the first call.
    Record& Log() const;
    void Construct(Record& log) const;
    bool Accepts(const Record& log, std::uint32_t mask) const;
    std::string TimePrefix() const;

    LogCategories categories_;
    LogDisplay* display_ = nullptr;
    Clock* clock_ = nullptr;
    bool echo_ = true;
    mutable std::unique_ptr<Record> log_;
};

// Constant-initialised: it exists before any dynamic initialisation runs.
extern constinit TFormStatus LogWriter;

// Names of the units that appear in the trace formats.
namespace unit {
inline constexpr const char* MainForm = "MainForm";
inline constexpr const char* assistent = "assistent";
inline constexpr const char* ImageChild = "ImageChild";
inline constexpr const char* graph = "graph";
inline constexpr const char* about = "about";
}  // namespace unit

void LogTrace(const char* unitName, const std::string& operation, int line, std::uint32_t mask = LogDbg);
void LogError(const char* unitName, const std::string& text, int line, std::uint32_t mask = LogErr);
void LogUserAction(const char* unitName, const std::string& text, int line, std::uint32_t mask = LogUac);
void LogWindowEvent(const char* unitName, const std::string& text, int line, std::uint32_t mask = LogVcl);
void LogStatus(const std::string& text, std::uint32_t mask = LogSta);
void LogInfo(const std::string& text, std::uint32_t mask = LogInf);

}  // namespace calvix

// The calling line goes into the trace text, so these are macros.
#define CALVIX_LOG_DBG(unitName, operation) ::calvix::LogTrace(unitName, operation, __LINE__)
#define CALVIX_LOG_DBG_MASK(unitName, operation, mask) ::calvix::LogTrace(unitName, operation, __LINE__, mask)
#define CALVIX_LOG_ERR(unitName, text, mask) ::calvix::LogError(unitName, text, __LINE__, mask)
#define CALVIX_LOG_UAC(unitName, text) ::calvix::LogUserAction(unitName, text, __LINE__)
#define CALVIX_LOG_VCL(unitName, text) ::calvix::LogWindowEvent(unitName, text, __LINE__)
