// Panels are placed by hand rather than by a layout, which would never let them be clipped.
#include "gui/PanelStatusBar.h"

#include <QLabel>

#include <algorithm>

#include "mainform/MainWindowLayout.h"

namespace calvix {

static_assert(PanelStatusBar::PanelCount == StatusPanelCount);

PanelStatusBar::PanelStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName("StatusBar");
    setSizeGripEnabled(false);
    for (int i = 0; i < PanelCount; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    panels_[1]->setText("Size: ");
    setMinimumHeight(fontMetrics().height() + 8);
    Place();
}

void PanelStatusBar::SetPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < PanelCount && panels_[panel]->text() != text) panels_[panel]->setText(text);
}

QString PanelStatusBar::PanelText(int panel) const {
    return panel >= 0 && panel < PanelCount ? panels_[panel]->text() : QString();
}

void PanelStatusBar::SetPanel0Width(int width) {
    if (width == panel0Width_) return;
    panel0Width_ = width;
    Place();
}

void PanelStatusBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    Place();
}

void PanelStatusBar::Place() {
    int x = 0;
    for (int i = 0; i < PanelCount; ++i) {
        const int w = i == 0 ? std::max(panel0Width_, 0) : StatusPanelWidths[i];
        panels_[i]->setGeometry(x, 1, w, std::max(height() - 2, 0));
        x += w;
    }
}

}  // namespace calvix
