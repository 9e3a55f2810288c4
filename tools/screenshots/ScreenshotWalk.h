// A scripted walk through the running program's windows: steps run in order, each once its
// condition holds, clicking what an operator would click and saving a PNG of each window.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace calvix {

class ScreenshotWalk final : public QObject {
public:
    // finish ends the program; it runs after the last step or when a required step times out.
    ScreenshotWalk(QString outDir, std::function<void()> finish);

    // act runs once ready() holds; a required step that times out ends the walk.
    void Then(std::string name, std::function<bool()> ready, std::function<void()> act, int timeoutMs = 30000,
              bool required = true);
    void Wait(int ms);
    // Saves the window as <name>.png once it is shown; a window that never shows is missing.
    // stage, when given, runs with true just before the picture is taken and false just after,
    // in the same turn of the event loop (for a look the program would undo at its next update).
    void Shot(std::string name, std::function<QWidget*()> window, int timeoutMs = 10000,
              std::function<void(bool)> stage = {});
    void Start();

    const std::vector<std::string>& Saved() const { return saved_; }
    const std::vector<std::string>& Missing() const { return missing_; }
    bool Ended() const { return ended_; }
    // A required step was not reached: the walk ended early.
    bool Stopped() const { return stopped_; }
    // The screenshots not reached when the program ended.
    std::vector<std::string> Unreached() const;

private:
    struct Step {
        std::string name;
        std::function<bool()> ready;
        std::function<void()> act;
        int timeoutMs;
        bool required;
        bool shot = false;
    };
    void Tick();
    void End();
    // A message box nobody expected: saved, so that the failure shows what the operator saw.
    void SaveOpenMessages();

    QString outDir_;
    std::function<void()> finish_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    qint64 stepStart_ = -1;
    qint64 now_ = 0;
    bool inTick_ = false;
    bool ended_ = false;
    bool stopped_ = false;
    QTimer timer_;
    std::vector<std::string> saved_;
    std::vector<std::string> missing_;
};

// Finds a shown top-level window by its objectName.
QWidget* ShownWindow(const char* objectName);

}  // namespace calvix
