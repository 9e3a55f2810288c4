// The two displays under the tool panel's pages: the zoom view (ImageZoom) and the overview
// (Overview). They paint what the core's ImageViews holds and report their size and the
// mouse on the overview back to it.
#pragma once

#include <QWidget>

#include <functional>

namespace calvix {

class TMainFormular;

class ViewDisplay : public QWidget {
    Q_OBJECT
public:
    explicit ViewDisplay(QWidget* parent) : QWidget(parent) {}
    void Bind(TMainFormular& core) { core_ = &core; }
    // Runs after a mouse action reached the core, so the windows can follow.
    std::function<void()> acted;

protected:
    TMainFormular* core_ = nullptr;
};

class ImageZoomWidget final : public ViewDisplay {
    Q_OBJECT
public:
    explicit ImageZoomWidget(QWidget* parent);
    QSize sizeHint() const override { return {236, 149}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

class OverviewWidget final : public ViewDisplay {
    Q_OBJECT
public:
    explicit OverviewWidget(QWidget* parent);
    QSize sizeHint() const override { return {236, 131}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace calvix
