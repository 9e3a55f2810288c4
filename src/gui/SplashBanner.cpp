// Painted, so it scales with the window and needs no image files.
#include "gui/SplashBanner.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace calvix {

SplashBanner::SplashBanner(QWidget* parent) : QWidget(parent) {
    setObjectName("ImageLogo");
    setAccessibleName("Zelmar Calvix");
    setMinimumSize(320, 100);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SplashBanner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    QLinearGradient sky(r.topLeft(), r.bottomRight());
    sky.setColorAt(0, QColor(12, 38, 78));
    sky.setColorAt(1, QColor(10, 92, 150));
    p.fillRect(r, sky);

    // The strip along the bottom: the 24 steps of a grey wedge, then a run of chart hues.
    const double stripHeight = 10;
    const double step = r.width() / 48.0;
    for (int i = 0; i < 48; ++i) {
        const QRectF cell(r.left() + i * step, r.bottom() - stripHeight, step + 0.5, stripHeight);
        if (i < 24) {
            const int v = 255 - i * 255 / 23;
            p.fillRect(cell, QColor(v, v, v));
        } else {
            p.fillRect(cell, QColor::fromHsv((i - 24) * 15, 200, 230));
        }
    }

    QFont maker = font();
    maker.setPixelSize(13);
    maker.setBold(true);
    maker.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    p.setFont(maker);
    p.setPen(QColor(170, 200, 230));
    p.drawText(QRectF(24, 14, r.width() - 48, 20), Qt::AlignLeft | Qt::AlignVCenter, "ZELMAR");

    QFont product = font();
    product.setPixelSize(44);
    product.setBold(true);
    p.setFont(product);
    p.setPen(Qt::white);
    p.drawText(QRectF(22, 32, r.width() - 44, r.height() - stripHeight - 40), Qt::AlignLeft | Qt::AlignVCenter,
               "Calvix");

    QFont tag = font();
    tag.setPixelSize(12);
    p.setFont(tag);
    p.setPen(QColor(200, 220, 240));
    p.drawText(QRectF(24, 32, r.width() - 48, r.height() - stripHeight - 40), Qt::AlignRight | Qt::AlignBottom,
               "Colour calibration for the Q71");
}

QIcon CalvixIcon() {
    QIcon icon;
    for (const int size : {16, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(0, 0, size, size);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(12, 60, 110));
        p.drawRoundedRect(r, size / 6.0, size / 6.0);
        const double strip = size / 5.0;
        for (int i = 0; i < 4; ++i)
            p.fillRect(QRectF(size * (0.1 + 0.2 * i), size - strip - size * 0.08, size * 0.2, strip),
                       QColor::fromHsv(i * 80, 210, 235));
        QFont letter;
        letter.setPixelSize(static_cast<int>(size * 0.7));
        letter.setBold(true);
        p.setFont(letter);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, size, size - strip - size * 0.05), Qt::AlignCenter, "C");
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace calvix
