// The Zelmar Calvix banner of the splash and about windows: the maker's name, the product's
// name and a strip of the grey wedge and chart colours that the program calibrates with.
#pragma once

#include <QWidget>

namespace calvix {

class SplashBanner final : public QWidget {
public:
    explicit SplashBanner(QWidget* parent);
    QSize sizeHint() const override { return {480, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace calvix
