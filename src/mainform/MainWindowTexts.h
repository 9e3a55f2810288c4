// The main window's menu and tab captions in the language in force: the English ones are the
// window's designed texts, the German and French ones their translations, so that one window
// does not show two languages.
#pragma once

#include <string>

namespace calvix {

// Message ids in the string table (text id = text base + message id).
enum MainWindowTextId {
    MainTextMenuFile = 2200,
    MainTextOpen,
    MainTextClose,
    MainTextCalibrationAssistent,
    MainTextQuit,
    MainTextMenuView,
    MainTextToolBar,
    MainTextStatusBar,
    MainTextMenuWindow,
    MainTextCascade,
    MainTextTileHorizontal,
    MainTextTileVertical,
    MainTextMenuHelp,
    MainTextContents,
    MainTextAbout,
    MainTextTabInfo,
    MainTextTabSettings,
    MainTextTabZoom,
    MainTextTabIt8,
    MainTextSelectTwainSource,
    MainTextAcquire,
};

// The caption in the language of textBase; the English one where the language lacks it.
std::string MainWindowText(int textBase, MainWindowTextId id);

}  // namespace calvix
