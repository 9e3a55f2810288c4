// The walk's clock is its own 100 ms timer, so a step's time-out counts while scans and
// message boxes run their nested event loops.
#include "ScreenshotWalk.h"

#include "app/AtomicFile.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace calvix {

namespace {
constexpr int kTickMs = 100;

// Through the program's replacing writer, which refuses a device or FIFO where a picture goes.
bool SavePng(const QPixmap& picture, const QString& file) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) return false;
    return WriteFileAtomically(file.toStdString(), std::string(png.constData(), static_cast<std::size_t>(png.size())));
}
}  // namespace

QWidget* ShownWindow(const char* objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible()) return w;
    return nullptr;
}

ScreenshotWalk::ScreenshotWalk(QString outDir, std::function<void()> finish)
    : outDir_(std::move(outDir)), finish_(std::move(finish)) {
    QDir().mkpath(outDir_);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void ScreenshotWalk::Then(std::string name, std::function<bool()> ready, std::function<void()> act, int timeoutMs,
                          bool required) {
    steps_.push_back({std::move(name), std::move(ready), std::move(act), timeoutMs, required});
}

void ScreenshotWalk::Wait(int ms) {
    auto until = std::make_shared<qint64>(-1);
    Then(
        "wait",
        [this, until, ms] {
            if (*until < 0) *until = now_ + ms;
            return now_ >= *until;
        },
        [] {}, ms + 1000);
}

void ScreenshotWalk::Shot(std::string name, std::function<QWidget*()> window, int timeoutMs,
                          std::function<void(bool)> stage) {
    Then(
        name,
        [window] {
            QWidget* w = window();
            return w && w->isVisible();
        },
        [this, name, window, stage] {
            QWidget* w = window();
            const QString file = outDir_ + "/" + QString::fromStdString(name) + ".png";
            if (stage) stage(true);
            const QPixmap picture = w->grab();
            if (stage) stage(false);
            if (SavePng(picture, file)) {
                saved_.push_back(name);
                std::printf("  saved %s\n", qPrintable(file));
            } else {
                missing_.push_back(name + " (not written)");
            }
        },
        timeoutMs, false);
    steps_.back().shot = true;
}

void ScreenshotWalk::Start() { timer_.start(); }

std::vector<std::string> ScreenshotWalk::Unreached() const {
    std::vector<std::string> names;
    for (std::size_t i = next_; i < steps_.size(); ++i)
        if (steps_[i].shot) names.push_back(steps_[i].name);
    return names;
}

void ScreenshotWalk::Tick() {
    now_ += kTickMs;
    // A step's action may run a nested event loop (a scan, a message box) in which this timer
    // keeps firing; the walk goes on only after the action has returned.
    if (inTick_ || ended_) return;
    inTick_ = true;
    while (next_ < steps_.size()) {
        Step& step = steps_[next_];
        if (stepStart_ < 0) stepStart_ = now_;
        if (!step.ready()) {
            if (now_ - stepStart_ < step.timeoutMs) break;
            std::printf("  %s: %s (not reached within %d ms)\n", step.required ? "stopped at" : "missing",
                        step.name.c_str(), step.timeoutMs);
            if (step.shot) missing_.push_back(step.name);
            if (step.required) {
                stopped_ = true;
                SaveOpenMessages();
                End();
                break;
            }
        } else {
            step.act();
        }
        ++next_;
        stepStart_ = -1;
        // One action per tick, so that what it started is drawn before the next looks at it.
        break;
    }
    if (next_ >= steps_.size()) End();
    inTick_ = false;
}

void ScreenshotWalk::SaveOpenMessages() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        std::printf("  open message box: %s: %s\n", qPrintable(box->windowTitle()), qPrintable(box->text()));
        SavePng(box->grab(), outDir_ + QString("/unexpected-message-%1.png").arg(++n));
    }
}

void ScreenshotWalk::End() {
    if (ended_) return;
    ended_ = true;
    timer_.stop();
    finish_();
}

}  // namespace calvix
