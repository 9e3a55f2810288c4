// ImageWindows: owns the open image windows and the main window's references to them (the
// current window ChildImage, the front and rear scan windows, the helper-image window), so a
// closing window can never be left behind in one of those references.
#pragma once

#include "analysis/ImageChild.h"

#include <memory>
#include <vector>

namespace calvix {

class ImageWindows {
public:
    explicit ImageWindows(ImageServices services) : services_(services) {}
    ImageWindows(const ImageWindows&) = delete;
    ImageWindows& operator=(const ImageWindows&) = delete;

    // A new, empty window; it becomes the current one. imageCount is the caller's to raise.
    TChildImage& Create();
    // Makes an open window current and brings the main window's controls in line with it.
    void Activate(TChildImage& window);
    // Frees the window and drops every reference to it. Unknown windows are ignored.
    void Close(TChildImage& window);
    // Closes the current window; false when there is none.
    bool CloseCurrent();

    TChildImage* ChildImage() const { return current_; }
    TChildImage* FrontWindow() const { return front_; }
    TChildImage* RearWindow() const { return rear_; }
    TChildImage* HelperWindow() const { return helper_; }
    // Only open windows (or null) are accepted; anything else leaves the reference unchanged.
    void SetFrontWindow(TChildImage* window) { if (Accepts(window)) front_ = window; }
    void SetRearWindow(TChildImage* window) { if (Accepts(window)) rear_ = window; }
    void SetHelperWindow(TChildImage* window) { if (Accepts(window)) helper_ = window; }

    int Count() const { return static_cast<int>(windows_.size()); }
    bool Contains(const TChildImage* window) const;

private:
    bool Accepts(const TChildImage* window) const { return window == nullptr || Contains(window); }

    ImageServices services_;
    std::vector<std::unique_ptr<TChildImage>> windows_;
    std::vector<TChildImage*> activationOrder_;  // least recently active first
    TChildImage* current_ = nullptr;
    TChildImage* front_ = nullptr;
    TChildImage* rear_ = nullptr;
    TChildImage* helper_ = nullptr;
};

}  // namespace calvix
