// The splash window's log list and its file.
#include "app/Splash.h"

#include "app/AtomicFile.h"

namespace calvix {

TFormSplash::TFormSplash(std::string versionText, bool logListActive)
    : versionLabel_(std::move(versionText)), logListVisible_(logListActive), lines_{FirstLine}, shown_{FirstLine} {}

void TFormSplash::Append(const std::string& line, const std::string& shown) {
    lines_.push_back(line);
    shown_.push_back(shown);
    if (changed) changed();
}

bool TFormSplash::SaveToFile(const std::string& path) const {
    std::string content;
    for (const std::string& line : lines_) content += line + "\r\n";
    return WriteFileAtomically(path, content);
}

}  // namespace calvix
