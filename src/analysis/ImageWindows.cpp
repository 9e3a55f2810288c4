// Window registry: creation, activation and closing with all the main window's follow-ups.

#include "analysis/ImageWindows.h"

#include <algorithm>

namespace calvix {

bool ImageWindows::Contains(const TChildImage* window) const {
    return std::any_of(windows_.begin(), windows_.end(),
                       [window](const std::unique_ptr<TChildImage>& w) { return w.get() == window; });
}

TChildImage& ImageWindows::Create() {
    windows_.push_back(std::make_unique<TChildImage>(services_));
    TChildImage& window = *windows_.back();
    Activate(window);
    return window;
}

void ImageWindows::Activate(TChildImage& window) {
    if (!Contains(&window)) return;
    std::erase(activationOrder_, &window);
    activationOrder_.push_back(&window);
    current_ = &window;
    // The information panel always describes the current window.
    services_.host.ShowInfoLines(window.infoLines);
    services_.host.ImageWindowActivated(window);
}

void ImageWindows::Close(TChildImage& window) {
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [&window](const std::unique_ptr<TChildImage>& w) { return w.get() == &window; });
    if (it == windows_.end()) return;
    TChildImage* closing = it->get();
    if (current_ == closing) current_ = nullptr;
    if (front_ == closing) front_ = nullptr;
    if (rear_ == closing) rear_ = nullptr;
    if (helper_ == closing) helper_ = nullptr;
    std::erase(activationOrder_, closing);
    windows_.erase(it);  // frees the window with its picture and overview

    ImageHost& host = services_.host;
    host.SetImageOpen(false);
    host.ClearImageViews();
    host.SetStatusPanel(2, "");
    host.SetStatusPanel(3, "");
    host.ShowInfoLines({});
    host.LowerImageCount();

    // The frame then activates the window that was active before (or keeps the current one
    // when another window closed). imageOpen means "an image window is open", so it stays set
    // while one is, and the views show the current window again.
    if (!activationOrder_.empty()) {
        host.SetImageOpen(true);
        Activate(current_ != nullptr ? *current_ : *activationOrder_.back());
    }
}

bool ImageWindows::CloseCurrent() {
    if (current_ == nullptr) return false;
    Close(*current_);
    return true;
}

}  // namespace calvix
