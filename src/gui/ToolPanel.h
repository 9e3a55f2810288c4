// The tool panel (PanelTools) on the main window's right: the page control ToolTab with its
// pages "&Info", "&Settings", "&Zoom", "&IT8 Chart" and, in expert mode, "&Quality", and below the splitter
// SplitterToolbarUpper the zoom view and the overview. Its controls show the core's state and
// hand clicks to the core's handlers.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "app/MainFormControls.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QSlider;
class QSplitter;
class QTabWidget;

namespace calvix {

class OverviewWidget;
class QualityPageWidget;
class TMainFormular;
class ImageZoomWidget;

class ToolPanel final : public QWidget {
    Q_OBJECT
public:
    explicit ToolPanel(QWidget* parent);

    // acted runs after every control that reached the core; graphRequested after "Show graph".
    void Bind(TMainFormular& core, std::function<void()> acted, std::function<void()> graphRequested);
    void Sync();
    // The tab captions in the language of the text base (the Quality tab follows its page).
    void ApplyLanguage(int textBase);
    // What the panel needs to show every tab, scroll arrows aside.
    int TabsWidth() const;
    // The tabs' captions or visibility changed: the panel may need another width.
    std::function<void()> tabsChanged;

    QTabWidget* Tab() const { return tab_; }
    QSplitter* UpperSplitter() const { return upper_; }
    ImageZoomWidget* Zoom() const { return zoom_; }
    OverviewWidget* Overview() const { return overview_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A check box whose state lives in MainFormControls, and the handler its click runs.
    struct CheckBinding {
        QCheckBox* box;
        CheckBoxState MainFormControls::*state;
        void (TMainFormular::*click)();
    };
    // A button whose enabled, visible and pressed state lives in MainFormControls.
    struct ButtonBinding {
        QAbstractButton* button;
        CommandState MainFormControls::*state;
        void (TMainFormular::*click)();
    };

    static QWidget* Scrolled(QWidget* page);
    QWidget* BuildInfoPage();
    QWidget* BuildSettingsPage();
    QWidget* BuildZoomPage();
    QWidget* BuildIt8Page();
    QWidget* BuildCornersGroup();
    QWidget* BuildOptionsGroup();
    QCheckBox* AddCheck(const char* name, const char* text, CheckBoxState MainFormControls::*state,
                        void (TMainFormular::*click)(), QWidget* parent);
    QAbstractButton* AddButton(QAbstractButton* button, const char* name, CommandState MainFormControls::*state,
                               void (TMainFormular::*click)());
    void Act(const std::function<void(TMainFormular&)>& action);
    void SyncZoomPage();
    void SyncIt8Page();
    void SyncQualityPage();

    TMainFormular* core_ = nullptr;
    std::function<void()> acted_;
    std::function<void()> graphRequested_;
    std::vector<CheckBinding> checks_;
    std::vector<ButtonBinding> buttons_;

    QTabWidget* tab_;
    QSplitter* upper_;
    ImageZoomWidget* zoom_;
    OverviewWidget* overview_;
    QualityPageWidget* quality_;
    QPlainTextEdit* memoInfo_ = nullptr;
    QComboBox* language_ = nullptr;
    QSlider* trackBarZoom_ = nullptr;
    QLabel* lblZoomfactor_ = nullptr;
    QCheckBox* zoomRaster_ = nullptr;
    QLabel* centre_[3] = {};
    QLabel* centreRegion_[3] = {};
    QLabel* cornerLabels_[5] = {};
    QGroupBox* optionsGroup_ = nullptr;
    QLabel* profilPath_ = nullptr;
    QLabel* gammaLabel_ = nullptr;
    QLabel* gammaValue_ = nullptr;
    QWidget* gammaUpDown_ = nullptr;
    QCheckBox* gammaLast_ = nullptr;
    QCheckBox* convertD65_ = nullptr;
    QSlider* whiteAdaption_ = nullptr;
    std::string memoShown_;
};

}  // namespace calvix
