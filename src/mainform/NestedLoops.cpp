// The counting desktop: a scope per dialog, undone also when the loop raises.
#include "mainform/NestedLoops.h"

namespace calvix {
namespace {

class Inside {
public:
    explicit Inside(int& depth) : depth_(depth) { ++depth_; }
    ~Inside() { --depth_; }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

private:
    int& depth_;
};

}  // namespace

MessageAnswer CountingDesktop::ShowMessage(const std::string& text, const std::string& title, MessageButtons buttons) {
    Inside inside(loops_.dialogs);
    return inner_.ShowMessage(text, title, buttons);
}

std::optional<std::string> CountingDesktop::OpenFileDialog(const FileDialogRequest& request) {
    Inside inside(loops_.dialogs);
    return inner_.OpenFileDialog(request);
}

}  // namespace calvix
