// Progress of a picture decoder: a start report, running reports and an end report, each with
// the percentage done and an optional message, delivered through a plain callback.
#pragma once

#include <functional>
#include <string>

namespace calvix {

enum class LoadStage { Starting, Running, Ending };

using LoadProgressFn = std::function<void(LoadStage stage, int percent, const std::string& message)>;

// Reports a stage when a callback is installed; decoders call this instead of testing it.
inline void ReportProgress(const LoadProgressFn& progress, LoadStage stage, int percent,
                           const std::string& message = std::string()) {
    if (progress) progress(stage, percent, message);
}

// Emits Running reports for rows done out of total, at most one per whole ten percent,
// so large images do not flood the log.
class RowProgress {
public:
    RowProgress(const LoadProgressFn& progress, long long totalRows)
        : progress_(progress), total_(totalRows > 0 ? totalRows : 1) {}

    void RowsDone(long long rows) {
        const int percent = static_cast<int>(rows * 100 / total_);
        if (percent / 10 > lastTenth_ && percent < 100) {
            lastTenth_ = percent / 10;
            ReportProgress(progress_, LoadStage::Running, percent);
        }
    }

private:
    const LoadProgressFn& progress_;
    long long total_;
    int lastTenth_ = 0;
};

}  // namespace calvix
