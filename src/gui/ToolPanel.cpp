// The tool panel's frame, the page control's window events, and Sync: every control takes its
// state from the core, with signals held back so that drawing the state runs no handler.
#include "gui/ToolPanel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/StringTable.h"
#include "gui/QualityPage.h"
#include "gui/ViewDisplays.h"
#include "mainform/MainForm.h"
#include "mainform/MainWindowTexts.h"

namespace calvix {
namespace {

constexpr int kPanelMinWidth = 200;

// Reports every tab it draws.
class ToolTabBar final : public QTabBar {
public:
    std::function<void(int)> drawTab;

protected:
    void paintEvent(QPaintEvent* event) override {
        for (int i = 0; i < count(); ++i) {
            if (drawTab) drawTab(i);
        }
        QTabBar::paintEvent(event);
    }
};

class ToolTabWidget final : public QTabWidget {
public:
    explicit ToolTabWidget(QWidget* parent) : QTabWidget(parent), bar_(new ToolTabBar) { setTabBar(bar_); }
    ToolTabBar* Bar() const { return bar_; }

private:
    ToolTabBar* bar_;
};

void SetText(QLabel* label, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (label->text() != shown) label->setText(shown);
}

}  // namespace

ToolPanel::ToolPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("PanelTools");
    setMinimumWidth(kPanelMinWidth);
    setMaximumWidth(ToolPanelMaxWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    upper_ = new QSplitter(Qt::Vertical, this);
    upper_->setObjectName("SplitterToolbarUpper");
    upper_->setChildrenCollapsible(false);
    layout->addWidget(upper_);

    tab_ = new ToolTabWidget(upper_);
    tab_->setObjectName("ToolTab");
    tab_->setProperty("helpContext", HelpContextToolTab);
    tab_->addTab(BuildInfoPage(), "&Info");
    tab_->addTab(Scrolled(BuildSettingsPage()), "&Settings");
    tab_->addTab(Scrolled(BuildZoomPage()), "&Zoom");
    tab_->addTab(Scrolled(BuildIt8Page()), "&IT8 Chart");
    ApplyLanguage(TextBaseEnglish);
    quality_ = new QualityPageWidget;
    tab_->addTab(Scrolled(quality_), "&Quality");
    tab_->setTabVisible(ToolTabQuality, false);
    tab_->installEventFilter(this);
    tab_->tabBar()->installEventFilter(this);
    upper_->addWidget(tab_);

    auto* views = new QWidget(upper_);
    views->setObjectName("PanelZoom");
    auto* viewsLayout = new QVBoxLayout(views);
    viewsLayout->setContentsMargins(0, 0, 0, 0);
    zoom_ = new ImageZoomWidget(views);
    overview_ = new OverviewWidget(views);
    viewsLayout->addWidget(zoom_, 1);
    viewsLayout->addWidget(overview_);
    upper_->addWidget(views);
    upper_->setStretchFactor(0, 1);
    upper_->setStretchFactor(1, 0);
}

void ToolPanel::Bind(TMainFormular& core, std::function<void()> acted, std::function<void()> graphRequested) {
    core_ = &core;
    acted_ = std::move(acted);
    graphRequested_ = std::move(graphRequested);
    zoom_->Bind(core);
    overview_->Bind(core);
    static_cast<ToolTabWidget*>(tab_)->Bar()->drawTab = [this](int index) {
        if (core_) core_->ToolTabDrawTab(index);
    };
    Sync();
}

void ToolPanel::Act(const std::function<void(TMainFormular&)>& action) {
    if (!core_) return;
    action(*core_);
    if (acted_) acted_();
}

bool ToolPanel::eventFilter(QObject* watched, QEvent* event) {
    if (core_ && event->type() == QEvent::Enter && watched == tab_) core_->ToolTabMouseEnter();
    if (core_ && event->type() == QEvent::MouseButtonPress) {
        // The press makes the page under it the active one.
        int page = tab_->currentIndex();
        if (watched == tab_->tabBar()) {
            const int under = tab_->tabBar()->tabAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (under >= 0) page = under;
        }
        core_->ToolTabMouseActivate(page);
        tab_->setProperty("helpContext", core_->toolTabHelpContext);
    }
    return QWidget::eventFilter(watched, event);
}

void ToolPanel::Sync() {
    if (!core_) return;
    const MainFormControls& c = core_->controls;
    for (const CheckBinding& b : checks_) {
        const CheckBoxState& s = c.*b.state;
        if (b.box->isChecked() != s.checked) b.box->setChecked(s.checked);
        b.box->setEnabled(s.enabled);
        if (b.box->isVisibleTo(b.box->parentWidget()) != s.visible) b.box->setVisible(s.visible);
    }
    for (const ButtonBinding& b : buttons_) {
        const CommandState& s = c.*b.state;
        if (b.button->isCheckable() && b.button->isChecked() != s.checked) b.button->setChecked(s.checked);
        b.button->setEnabled(s.enabled);
    }
    {
        const QSignalBlocker hold(language_);
        language_->setCurrentText(QString::fromStdString(c.languageSelector));
    }
    std::string memo;
    for (const std::string& line : c.infoMemo) {
        if (!memo.empty()) memo += '\n';
        memo += line;
    }
    if (memo != memoShown_) {
        memoShown_ = memo;
        memoInfo_->setPlainText(QString::fromStdString(memo).replace("\r\n", "\n").replace('\r', '\n'));
    }
    SyncZoomPage();
    SyncIt8Page();
    SyncQualityPage();
}

void ToolPanel::SyncZoomPage() {
    const ZoomPageControls& z = core_->Views().controls;
    {
        const QSignalBlocker hold(trackBarZoom_);
        trackBarZoom_->setValue(z.trackBarZoom);
    }
    SetText(lblZoomfactor_, z.lblZoomfactor);
    if (zoomRaster_->isChecked() != z.showRaster.checked) zoomRaster_->setChecked(z.showRaster.checked);
    for (int ch = 0; ch < 3; ++ch) {
        SetText(centre_[ch], z.centre[static_cast<std::size_t>(ch)]);
        SetText(centreRegion_[ch], z.centreRegion[static_cast<std::size_t>(ch)]);
    }
}

void ToolPanel::SyncIt8Page() {
    if (core_->AppStrings()) {
        for (int slot = 1; slot <= 4; ++slot) {
            const CornerLabel& label = core_->Chart().cornerLabels[static_cast<std::size_t>(slot)];
            SetText(cornerLabels_[slot], label.text);
            if (cornerLabels_[slot]->isVisibleTo(cornerLabels_[slot]->parentWidget()) != label.visible)
                cornerLabels_[slot]->setVisible(label.visible);
        }
    }
    if (optionsGroup_->isVisibleTo(optionsGroup_->parentWidget()) != core_->controls.optionsGroupVisible)
        optionsGroup_->setVisible(core_->controls.optionsGroupVisible);
    const ReferenceOptions& r = core_->referenceOptions();
    SetText(profilPath_, r.LabelTTabIT8ProfilPath.caption);
    profilPath_->setEnabled(r.LabelTTabIT8ProfilPath.enabled);
    SetText(gammaLabel_, r.LabelTTabIT8Gamma.caption);
    gammaLabel_->setEnabled(r.LabelTTabIT8Gamma.enabled);
    SetText(gammaValue_, r.LabelTTabIT8GammaVal.caption);
    gammaValue_->setEnabled(r.LabelTTabIT8GammaVal.enabled);
    gammaUpDown_->setEnabled(r.UpDownTTabIT8Gamma.enabled);
    for (const auto& [box, state] : {std::pair{gammaLast_, &r.CheckBoxTTabIT8GammaLast},
                                     std::pair{convertD65_, &r.CheckBoxTTabIT8ConvertD65}}) {
        if (box->isChecked() != state->checked) box->setChecked(state->checked);
        box->setEnabled(state->enabled);
    }
    const QSignalBlocker hold(whiteAdaption_);
    whiteAdaption_->setValue(core_->whiteAdaptionPosition);
}

// Asked at every Sync: the core measures again only when the window, its corners, the
// reference or the language changed, and the page redraws only then.
void ToolPanel::ApplyLanguage(int textBase) {
    constexpr MainWindowTextId tabs[] = {MainTextTabInfo, MainTextTabSettings, MainTextTabZoom, MainTextTabIt8};
    for (int i = 0; i < 4; ++i) tab_->setTabText(i, QString::fromStdString(MainWindowText(textBase, tabs[i])));
}

int ToolPanel::TabsWidth() const {
    int tabs = 0;
    for (int i = 0; i < tab_->count(); ++i)
        if (tab_->isTabVisible(i)) tabs += tab_->tabBar()->tabRect(i).width();
    const QMargins m = layout()->contentsMargins();
    return tabs + m.left() + m.right() + 2 * tab_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
}

void ToolPanel::SyncQualityPage() {
    const QualityPageState& q = core_->QualityPage();
    if (tab_->isTabVisible(ToolTabQuality) != q.visible) {
        tab_->setTabVisible(ToolTabQuality, q.visible);
        if (tabsChanged) tabsChanged();
    }
    const QString caption = "&" + QString::fromStdString(q.caption);
    if (tab_->tabText(ToolTabQuality) != caption) {
        tab_->setTabText(ToolTabQuality, caption);
        if (tabsChanged) tabsChanged();
    }
    quality_->Show(q);
}

}  // namespace calvix
