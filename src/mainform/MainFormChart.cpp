// TMainFormular's chart operations, carried out by its ChartAnalysis.
#include "mainform/MainForm.h"

#include <cstdint>


namespace calvix {

int TMainFormular::CheckIt8Scan(TChildImage* window, bool front) { return chart_->CheckIt8Scan(window, front); }
int TMainFormular::CheckGreyWedge() { return chart_->CheckGreyWedge(); }
bool TMainFormular::IsGrey(PackedColour colour) const { return calvix::IsGrey(colour, GWTolerance); }

void TMainFormular::CheckBoxTTabIT8ShowRasterClick() {
    chart_->CheckBoxTTabIT8ShowRasterClick(reinterpret_cast<std::uintptr_t>(&controls.showRasterAndColors));
}

void TMainFormular::TTabButtonSetMarkerClick() { chart_->TTabButtonSetMarkerClick(); }

void TMainFormular::SetCornerAt(TChildImage& window, int x, int y, int clientWidth, int clientHeight) {
    chart_->SetCornerAt(window, x, y, clientWidth, clientHeight);
}

void TMainFormular::TTabButtonSetAutoClick() { chart_->TTabButtonSetAutoClick(); }

}  // namespace calvix
