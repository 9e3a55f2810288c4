// TFormSplash: the splash window's state: its version label and its log list, which begins
// with ">>>  Zelmar Calvix <<<" and is saved to Calvix_splash.log at shut-down.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace calvix {

class TFormSplash {
public:
    static constexpr const char* FirstLine = ">>>  Zelmar Calvix <<<";

    TFormSplash(std::string versionText, bool logListActive);

    const std::string& VersionLabel() const { return versionLabel_; }
    bool LogListVisible() const { return logListVisible_; }
    // The lines as logged (and saved), and as the list shows them to the operator.
    const std::vector<std::string>& Lines() const { return lines_; }
    const std::vector<std::string>& ShownLines() const { return shown_; }
    void Append(const std::string& line) { Append(line, line); }
    void Append(const std::string& line, const std::string& shown);
    // One list line per text line; false when the file cannot be written.
    bool SaveToFile(const std::string& path) const;

    std::function<void()> changed;

private:
    std::string versionLabel_;
    bool logListVisible_;
    std::vector<std::string> lines_;
    std::vector<std::string> shown_;
};

}  // namespace calvix
