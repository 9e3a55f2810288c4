// Gives a test the log lines written during it: the process log writer, reset, every
// category and level accepted, nothing echoed.
#pragma once

#include "app/FormStatus.h"

#include <string>
#include <vector>

namespace calvix::test {

class LogCapture {
public:
    LogCapture() {
        LogWriter.SetEcho(false);
        LogWriter.ResetForTest();
        LogWriter.SetActive(true);
        LogWriter.SetLevel(0);
        start_ = LogWriter.Buffer().size();
    }
    ~LogCapture() { LogWriter.ResetForTest(); }

    // The lines written since construction, without the " > " prefix.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const auto& buffer = LogWriter.Buffer();
        for (std::size_t i = start_; i < buffer.size(); ++i)
            lines.push_back(buffer[i].rfind(" > ", 0) == 0 ? buffer[i].substr(3) : buffer[i]);
        return lines;
    }

private:
    std::size_t start_ = 0;
};

}  // namespace calvix::test
