// Gives a test the log lines written during it: the process log writer reset, every category
// and level accepted, nothing echoed; the writer is reset again afterwards.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "app/FormStatus.h"

namespace calvix::test {

class LogCapture {
public:
    LogCapture() {
        LogWriter.SetEcho(false);
        LogWriter.ResetForTest();
        LogWriter.SetActive(true);
        LogWriter.SetLevel(0);
        LogWriter.Categories().vcl = true;
        start_ = LogWriter.Buffer().size();
    }
    ~LogCapture() { LogWriter.ResetForTest(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines written since construction, without the " > " prefix.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const auto& buffer = LogWriter.Buffer();
        for (std::size_t i = start_; i < buffer.size(); ++i)
            lines.push_back(buffer[i].rfind(" > ", 0) == 0 ? buffer[i].substr(3) : buffer[i]);
        return lines;
    }
    bool Contains(const std::string& piece) const {
        const auto lines = Lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&piece](const std::string& line) { return line.find(piece) != std::string::npos; });
    }

private:
    std::size_t start_ = 0;
};

}  // namespace calvix::test
