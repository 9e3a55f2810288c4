// The four pages of ToolTab, built with the core's component names as object names. Controls
// hidden in the form are created hidden; nothing shows them.
#include "gui/ToolPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Language.h"
#include "mainform/MainForm.h"
#include "views/ZoomView.h"

namespace calvix {
namespace {

QWidget* NewPage(const char* name, int helpContext) {
    auto* page = new QWidget;
    page->setObjectName(name);
    page->setProperty("helpContext", helpContext);
    return page;
}

QLabel* NewLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QGroupBox* NewGroup(const char* name, const char* title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    return group;
}

QToolButton* NewSpeedButton(const char* text, bool toggle) {
    auto* button = new QToolButton;
    button->setText(text);
    button->setCheckable(toggle);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

// A reference path is far wider than the panel: shown shortened in the middle, whole in its
// tool tip, so it never widens the page beyond the panel.
class PathLabel final : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return minimumSizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTip) setToolTip(text());
        return QLabel::event(e);
    }
};

}  // namespace

// The pages are taller than the panel leaves them at a small window: they scroll rather than
// squeeze their controls over each other.
QWidget* ToolPanel::Scrolled(QWidget* page) {
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(page);
    return area;
}

QCheckBox* ToolPanel::AddCheck(const char* name, const char* text, CheckBoxState MainFormControls::*state,
                               void (TMainFormular::*click)(), QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    checks_.push_back({box, state, click});
    // clicked comes from the operator only, never from Sync setting the state.
    connect(box, &QCheckBox::clicked, this, [this, state, click](bool checked) {
        Act([state, click, checked](TMainFormular& core) {
            (core.controls.*state).checked = checked;
            if (click) (core.*click)();
        });
    });
    return box;
}

QAbstractButton* ToolPanel::AddButton(QAbstractButton* button, const char* name, CommandState MainFormControls::*state,
                                      void (TMainFormular::*click)()) {
    button->setObjectName(name);
    buttons_.push_back({button, state, click});
    connect(button, &QAbstractButton::clicked, this, [this, click] { Act([click](TMainFormular& core) { (core.*click)(); }); });
    return button;
}

QWidget* ToolPanel::BuildInfoPage() {
    QWidget* page = NewPage("TabSheetInfo", HelpContextMainWindow);
    auto* layout = new QVBoxLayout(page);
    memoInfo_ = new QPlainTextEdit("No additional info available!", page);
    memoInfo_->setObjectName("MemoTTabInfo");
    memoInfo_->setReadOnly(true);
    memoInfo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The header dump indents with tabs; narrow stops keep its values in view.
    memoInfo_->setTabStopDistance(memoInfo_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    layout->addWidget(memoInfo_, 1);
    layout->addWidget(AddCheck("CheckBoxDragFullWindows", "Drag full Window", &MainFormControls::dragFullWindows,
                               &TMainFormular::CheckBoxDragFullWindowsClick, page));
    layout->addWidget(AddCheck("TTabCheckBoxTopdown", "top down bitmap", &MainFormControls::topDownBitmap, nullptr, page));
    return page;
}

QWidget* ToolPanel::BuildSettingsPage() {
    QWidget* page = NewPage("TabSheetSettings", HelpContextSettingsPage);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(AddCheck("CheckBoxTTabSettingsLoadLastFile", "Load last file on startup",
                               &MainFormControls::loadLastFileOnStartup, nullptr, page));
    layout->addWidget(NewLabel("LabelTTabSettingsLanguage", "Language", page));
    language_ = new QComboBox(page);
    language_->setObjectName("ComboBoxLanguageSelector");
    language_->setProperty("helpContext", HelpContextLanguageSelector);
    for (const std::string& item : LanguageSelectorItems) language_->addItem(QString::fromStdString(item));
    connect(language_, &QComboBox::activated, this, [this](int index) {
        const std::string entry = language_->itemText(index).toStdString();
        Act([entry](TMainFormular& core) { core.ComboBoxLanguageSelectorChange(entry); });
    });
    layout->addWidget(language_);

    QGroupBox* logging = NewGroup("GroupBoxTTabLogging", " Logging ", page);
    auto* loggingLayout = new QVBoxLayout(logging);
    loggingLayout->addWidget(AddCheck("CheckBoxTTabSetLogging", "logging", &MainFormControls::logging,
                                      &TMainFormular::CheckBoxLoggingClick, logging));
    loggingLayout->addWidget(AddCheck("CheckBoxTTabSetLogTimestamp", "Timestamp", &MainFormControls::timestamp,
                                      &TMainFormular::CheckBoxTimestampClick, logging));
    QGroupBox* options = NewGroup("GroupBoxTTabLogOptions", " Options ", logging);
    auto* optionsLayout = new QVBoxLayout(options);
    // The "logging" handler also serves the five categories: it copies every box at once.
    const struct {
        const char* name;
        const char* text;
        CheckBoxState MainFormControls::*state;
    } categories[] = {
        {"CheckBoxTTabSetLogInfo", "Info", &MainFormControls::info},
        {"CheckBoxTTabSetLogError", "Error", &MainFormControls::error},
        {"CheckBoxTTabSetLogStatus", "Status", &MainFormControls::status},
        {"CheckBoxTTabSetLogDebug", "Debug", &MainFormControls::debug},
        {"CheckBoxTTabSetLogVcl", "VCL", &MainFormControls::vcl},
    };
    for (const auto& c : categories)
        optionsLayout->addWidget(AddCheck(c.name, c.text, c.state, &TMainFormular::CheckBoxLoggingClick, options));
    loggingLayout->addWidget(options);
    layout->addWidget(logging);

    layout->addWidget(AddCheck("CheckBoxKnow", "I know what I am doing    :-)", &MainFormControls::know,
                               &TMainFormular::CheckBoxKnowClick, page));
    layout->addWidget(AddCheck("TTabSettingsCheckBoxDoublebuffering", "Doublebuffering", &MainFormControls::doubleBuffering,
                               &TMainFormular::TTabSettingsCheckBoxDoublebufferingClick, page));
    layout->addWidget(AddCheck("TTabCheckBoxKeepAspect", "Keep picture aspect ratio in overview",
                               &MainFormControls::keepAspectRatio, nullptr, page));
    layout->addWidget(AddCheck("CheckBoxTTabIT8ShowRaster", "Show Raster and Colors", &MainFormControls::showRasterAndColors,
                               &TMainFormular::CheckBoxTTabIT8ShowRasterClick, page));
    layout->addStretch(1);
    return page;
}

QWidget* ToolPanel::BuildZoomPage() {
    QWidget* page = NewPage("TabSheetZoom", HelpContextZoomPage);
    auto* layout = new QGridLayout(page);
    trackBarZoom_ = new QSlider(Qt::Horizontal, page);
    trackBarZoom_->setObjectName("TrackBarZoom");
    trackBarZoom_->setRange(MinZoomFactor, MaxZoomFactor);
    trackBarZoom_->setValue(DefaultZoomFactor);
    trackBarZoom_->setTickPosition(QSlider::TicksBelow);
    connect(trackBarZoom_, &QSlider::valueChanged, this, [this](int value) {
        Act([value](TMainFormular& core) {
            core.Views().controls.trackBarZoom = value;
            core.TrackBarZoomChange();
        });
    });
    lblZoomfactor_ = NewLabel("LblZoomfactor", "  x8", page);
    layout->addWidget(trackBarZoom_, 0, 0, 1, 2);
    layout->addWidget(lblZoomfactor_, 0, 2);
    zoomRaster_ = new QCheckBox("Show &Raster", page);
    zoomRaster_->setObjectName("TTabZoomCheckBoxShowRaster");
    connect(zoomRaster_, &QCheckBox::clicked, this, [this](bool checked) {
        Act([checked](TMainFormular& core) {
            core.Views().controls.showRaster.checked = checked;
            core.TTabZoomCheckBoxShowRasterClick();
        });
    });
    layout->addWidget(zoomRaster_, 1, 0, 1, 3);
    layout->addWidget(NewLabel("LabelTTabZoomCenter", "Center", page), 2, 1);
    layout->addWidget(NewLabel("LabelTTabZoomRegion", "5 x 5", page), 2, 2);
    const char* channels[3] = {"R", "G", "B"};
    for (int c = 0; c < 3; ++c) {
        layout->addWidget(NewLabel(qPrintable(QString("LabelTTabZoom") + channels[c]), channels[c], page), 3 + c, 0);
        centre_[c] = NewLabel(qPrintable(QString("TTabZoomLabelCenter") + channels[c]), "", page);
        centreRegion_[c] = NewLabel(qPrintable(QString("TTabZoomLabelCenterReg") + channels[c]), "", page);
        layout->addWidget(centre_[c], 3 + c, 1);
        layout->addWidget(centreRegion_[c], 3 + c, 2);
    }
    layout->setRowStretch(6, 1);
    return page;
}

QWidget* ToolPanel::BuildCornersGroup() {
    QGroupBox* group = NewGroup("GroupBoxIT8Corners", " Corners ", nullptr);
    auto* layout = new QGridLayout(group);
    // Slots 1 upper right, 2 upper left, 3 lower left, 4 lower right, placed where they point.
    const struct {
        const char* name;
        int row, column;
    } corners[5] = {{nullptr, 0, 0}, {"LabelIT8CUR", 0, 1}, {"LabelIT8CUL", 0, 0}, {"LabelIT8CLL", 1, 0}, {"LabelIT8CLR", 1, 1}};
    for (int slot = 1; slot <= 4; ++slot) {
        cornerLabels_[slot] = NewLabel(corners[slot].name, "", group);
        cornerLabels_[slot]->setVisible(false);
        layout->addWidget(cornerLabels_[slot], corners[slot].row, corners[slot].column);
    }
    layout->addWidget(AddButton(NewSpeedButton("Set", true), "TTabIT8SpeedButtonSetCorner", &MainFormControls::setCornerButton,
                                &TMainFormular::TTabButtonSetMarkerClick),
                      2, 0);
    layout->addWidget(AddButton(NewSpeedButton("Set auto", true), "TTabButtonSetAuto", &MainFormControls::setAutoButton,
                                &TMainFormular::TTabButtonSetAutoClick),
                      2, 1);
    return group;
}

QWidget* ToolPanel::BuildOptionsGroup() {
    optionsGroup_ = NewGroup("GroupBoxIT8Params", " Options ", nullptr);
    optionsGroup_->setVisible(false);
    auto* layout = new QGridLayout(optionsGroup_);
    profilPath_ = new PathLabel(DefaultValuesActiveText, optionsGroup_);
    profilPath_->setObjectName("LabelTTabIT8ProfilPath");
    profilPath_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(profilPath_, 0, 0, 1, 3);
    auto* select = new QPushButton("...", optionsGroup_);
    select->setObjectName("ButtonTTabIT8ProfSelect");
    connect(select, &QPushButton::clicked, this, [this] { Act([](TMainFormular& core) { core.ButtonTTabIT8ProfSelectClick(); }); });
    layout->addWidget(select, 0, 3);

    gammaLabel_ = NewLabel("LabelTTabIT8Gamma", "Gamma", optionsGroup_);
    gammaValue_ = NewLabel("LabelTTabIT8GammaVal", "1.0", optionsGroup_);
    gammaUpDown_ = new QWidget(optionsGroup_);
    gammaUpDown_->setObjectName("UpDownTTabIT8Gamma");
    auto* arrows = new QVBoxLayout(gammaUpDown_);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (const int step : {1, -1}) {
        auto* arrow = new QToolButton(gammaUpDown_);
        arrow->setObjectName(step > 0 ? "UpDownTTabIT8GammaUp" : "UpDownTTabIT8GammaDown");
        arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFixedSize(18, 11);
        connect(arrow, &QToolButton::clicked, this, [this, step] {
            Act([step](TMainFormular& core) {
                UpDownControl& upDown = core.referenceOptions().UpDownTTabIT8Gamma;
                upDown.position = std::clamp(upDown.position + step, upDown.min, upDown.max);
                core.UpDownTTabIT8GammaClick();
            });
        });
        arrows->addWidget(arrow);
    }
    layout->addWidget(gammaLabel_, 1, 0);
    layout->addWidget(gammaValue_, 1, 1);
    layout->addWidget(gammaUpDown_, 1, 2);
    // The reference options keep their states in the core's ReferenceOptions.
    auto referenceCheck = [this](const char* name, const char* text, CheckBoxControl ReferenceOptions::*state,
                                 void (TMainFormular::*click)()) {
        auto* box = new QCheckBox(text, optionsGroup_);
        box->setObjectName(name);
        connect(box, &QCheckBox::clicked, this, [this, state, click](bool checked) {
            Act([state, click, checked](TMainFormular& core) {
                (core.referenceOptions().*state).checked = checked;
                (core.*click)();
            });
        });
        return box;
    };
    gammaLast_ = referenceCheck("CheckBoxTTabIT8GammaLast", "Gamma last", &ReferenceOptions::CheckBoxTTabIT8GammaLast,
                                &TMainFormular::CheckBoxTTabIT8GammaLastClick);
    convertD65_ = referenceCheck("CheckBoxTTabIT8ConvertD65", "chromatic adaption (D65)",
                                 &ReferenceOptions::CheckBoxTTabIT8ConvertD65, &TMainFormular::CheckBoxTTabIT8ConvertD65Click);
    layout->addWidget(gammaLast_, 2, 0, 1, 4);
    layout->addWidget(convertD65_, 3, 0, 1, 4);

    layout->addWidget(NewLabel("LabelTTabIT8WhiteAdaption", "White adaption", optionsGroup_), 4, 0, 1, 2);
    whiteAdaption_ = new QSlider(Qt::Horizontal, optionsGroup_);
    whiteAdaption_->setObjectName("TrackBarTTabIT8WhiteAdaption");
    whiteAdaption_->setRange(0, 4);
    whiteAdaption_->setPageStep(1);
    whiteAdaption_->setTickPosition(QSlider::TicksBelow);
    // Takes effect at the next "Store".
    connect(whiteAdaption_, &QSlider::valueChanged, this,
            [this](int value) { Act([value](TMainFormular& core) { core.whiteAdaptionPosition = value; }); });
    layout->addWidget(whiteAdaption_, 4, 2, 1, 2);

    layout->addWidget(AddButton(NewSpeedButton("Store", false), "SpeedButtonStore", &MainFormControls::storeButton,
                                &TMainFormular::Store),
                      5, 0, 1, 2);
    QAbstractButton* graph = AddButton(NewSpeedButton("Show graph", false), "SpeedButtonShowGraph",
                                       &MainFormControls::graphButton, &TMainFormular::SpeedButtonShowGraphClick);
    connect(graph, &QAbstractButton::clicked, this, [this] {
        if (graphRequested_) graphRequested_();
    });
    layout->addWidget(graph, 5, 2, 1, 2);
    return optionsGroup_;
}

QWidget* ToolPanel::BuildIt8Page() {
    QWidget* page = NewPage("TabSheetIT8Chart", HelpContextToolTab);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(BuildCornersGroup());
    layout->addWidget(BuildOptionsGroup());
    layout->addStretch(1);
    return page;
}

}  // namespace calvix
