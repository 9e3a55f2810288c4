// The Zelmar Calvix banner of the splash and about windows: the maker's name, the product's
// name and a strip of the grey wedge and chart colours that the program calibrates with.
#pragma once

#include <QIcon>
#include <QWidget>

namespace calvix {

// The program's window icon in the banner's colours: a "C" over the colour strip.
QIcon CalvixIcon();

class SplashBanner final : public QWidget {
public:
    explicit SplashBanner(QWidget* parent);
    QSize sizeHint() const override { return {480, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace calvix
