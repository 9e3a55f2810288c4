// TMainFormular's views: the zoom view and overview of the current image window, carried out
// by its ImageViews, and the graph window opened by "Show graph".
#include "mainform/MainForm.h"

namespace calvix {

void TMainFormular::CreateViews() {
    auto setCornerAt = [this](TChildImage& window, int x, int y, int clientWidth, int clientHeight) {
        // The chart page comes up with the message texts; before that there is no corner mode.
        if (chart_) SetCornerAt(window, x, y, clientWidth, clientHeight);
    };
    views_ = std::make_unique<ImageViews>(ImageViewsContext{*images_, *this, imageOpen, setCornerAt});
}

void TMainFormular::UpdateZoom(TChildImage& window) { views_->UpdateZoom(window); }
void TMainFormular::DrawOverview(TChildImage& window) { views_->DrawOverview(window); }
void TMainFormular::ClearImageViews() { views_->ClearImageViews(); }
void TMainFormular::MapOriToOver() { views_->MapOriToOver(); }

OverviewGeometry TMainFormular::OverviewSize() const {
    const ViewSurface size = views_->Overview().size;
    return {size.width, size.height, controls.keepAspectRatio.checked};
}

void TMainFormular::ShowGraph() {
    if (!graphOpen) {
        graph_ = std::make_unique<TGraphix>(GraphSources{correction_.Tables(), GreyPatches()});
        graphOpen = true;
    }
    graph_->Draw();
}

void TMainFormular::GraphFormClose() {
    graph_.reset();
    graphOpen = false;
}

}  // namespace calvix
