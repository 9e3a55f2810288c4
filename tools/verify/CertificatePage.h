// The certificate's page geometry and text helpers, shared by its pages: millimetres on A4 at
// 300 dpi, text boxes that wrap, and a field of a name and its value.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <cstdio>
#include <string>

namespace calvix::verify::certificate {

inline constexpr double Dpi = 300.0;
inline constexpr double Left = 18.0, Right = 192.0;

inline double Px(double mm) { return mm * Dpi / 25.4; }
inline QRectF Box(double x, double y, double w, double h) { return QRectF(Px(x), Px(y), Px(w), Px(h)); }
inline QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

inline std::string Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

class Page {
public:
    explicit Page(QPainter& p) : p_(p) {}

    void Font(double points, bool bold = false) {
        QFont font("DejaVu Sans");
        font.setPointSizeF(points);
        font.setBold(bold);
        p_.setFont(font);
    }
    // Text in a box; returns the box's bottom.
    double Text(double x, double y, double w, double h, const std::string& text, int flags = Qt::AlignLeft) {
        if ((flags & Qt::AlignVertical_Mask) == 0) flags |= Qt::AlignVCenter;
        p_.drawText(Box(x, y, w, h), flags | Qt::TextWordWrap, Q(text));
        return y + h;
    }
    // Top-aligned text as tall as its wrapped lines need; returns its bottom.
    double Wrapped(double x, double y, double w, const std::string& text) {
        const QRectF need =
            p_.boundingRect(Box(x, y, w, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Q(text));
        const double h = need.height() * 25.4 / Dpi + 0.6;
        return Text(x, y, w, h, text, Qt::AlignLeft | Qt::AlignTop);
    }
    double Field(double y, const std::string& name, const std::string& value, double lines = 1) {
        Font(8.5, true);
        Text(Left, y, 42, 4.6, name, Qt::AlignLeft | Qt::AlignTop);
        Font(8.5);
        return Text(Left + 43, y, Right - Left - 43, 4.6 * lines, value, Qt::AlignLeft | Qt::AlignTop);
    }
    QPainter& Painter() { return p_; }

private:
    QPainter& p_;
};

}  // namespace calvix::verify::certificate
