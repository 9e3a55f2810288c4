// The XDG base directories every program here uses: data, config, state and runtime folders,
// each from its variable when that holds an absolute path, else from the convention's default.
#pragma once

#include <string>

namespace calvix {

// The folder named by variable when it is an absolute path (the XDG convention ignores a
// relative or empty value as if unset), else $HOME + homeSuffix when HOME is absolute; empty
// when neither gives a usable folder.
std::string XdgBaseDirectory(const char* variable, const char* homeSuffix);

// $XDG_DATA_HOME, else $HOME/.local/share; empty when neither can be had.
std::string XdgDataHome();
// $XDG_DATA_HOME/icc (else $HOME/.local/share/icc): where colour-managed programs and colord
// look for the profiles of the user's devices; empty when no data folder can be had.
std::string XdgIccFolder();
// $XDG_CONFIG_HOME, else $HOME/.config; empty when neither can be had.
std::string XdgConfigHome();
// $XDG_STATE_HOME, else $HOME/.local/state; empty when neither can be had.
std::string XdgStateHome();
// $XDG_RUNTIME_DIR when it names an existing folder, else /tmp.
std::string XdgRuntimeDir();

}  // namespace calvix
