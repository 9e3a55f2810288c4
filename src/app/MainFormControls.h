// The main window's controls as plain state, with their designed starting values. The Qt view
// draws them and hands clicks back to TMainFormular's handlers.
#pragma once

#include <string>
#include <vector>

namespace calvix {

struct CheckBoxState {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};

struct CommandState {
    bool enabled = true;
    bool visible = true;
    bool checked = false;
};

// The Quality page as text: one row per image-quality figure of the current window's chart with
// the level it reaches in each standard, or only a hint when there is nothing to measure.
struct QualityRow {
    std::string figure;
    std::string value;
    std::string fadgi;
    std::string iso;
    std::string metamorfoze;
    std::string detail;     // why the figure was not measured, or why it is doubtful; empty when neither
    bool doubtful = false;  // beyond what the method can measure (see the page's warnings)
};

struct QualityPageState {
    bool visible = false;  // expert mode only
    int revision = 0;      // raised whenever the content changes, so a view redraws only then
    std::string caption = "Quality";
    std::vector<std::string> headers;  // figure, value, FADGI, ISO, Metamorfoze: short, the panel is narrow
    std::vector<std::string> headerTips;  // the headers in full
    std::string hint;                  // in place of the table: no chart found
    std::string notMet;                // a level cell's mark for "no level met", and its words
    std::string notMetTip;
    std::string decoder;               // how the pixels were read into L*a*b*
    std::string measured;              // what was measured: the raw scan, through the new tables, a file
    std::vector<std::string> warnings;  // figures beyond what the method can measure
    std::vector<QualityRow> rows;
    std::vector<std::string> limits;   // per standard: the grade and the figures that hold it down
};

struct MainFormControls {
    // Settings page: logging.
    CheckBoxState logging{true};
    CheckBoxState timestamp{true};
    CheckBoxState info{true};
    CheckBoxState error{true};
    CheckBoxState status{true};
    CheckBoxState debug{true};
    CheckBoxState vcl{false};
    CheckBoxState loadLastFileOnStartup{false};
    CheckBoxState know{false, true, false};
    CheckBoxState doubleBuffering{true, false, false};
    CheckBoxState keepAspectRatio{false, true, false};
    std::string languageSelector = "Auto Selection";

    // Info page.
    std::vector<std::string> infoMemo{"No additional info available!"};
    CheckBoxState dragFullWindows{false, false, true};
    CheckBoxState topDownBitmap{false, false, true};

    // IT8 chart page.
    CheckBoxState showRasterAndColors{true, false, false};  // on the settings page, hidden
    bool optionsGroupVisible = false;
    CommandState graphButton{false};
    CommandState storeButton{false};
    CommandState setCornerButton{false};
    CommandState setAutoButton{true};

    // Menu and bars.
    CommandState openFile{true, false};
    CommandState closeFile{false};
    CommandState calibrationAssistent{false};
    CommandState viewToolBar{true, true, true};
    CommandState viewStatusBar{true, true, true};
    bool toolBarVisible = true;
    bool statusBarVisible = true;

    // The image-open dialog's current file name.
    std::string openDialogFileName;
};

}  // namespace calvix
