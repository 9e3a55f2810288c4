// TWAIN_DS and TWAIN_DS_RC: the program's exported entry to its opened source, forwarding to
// the one Twain module the main window registered.
#include "scanner/Twain.h"

namespace calvix {

namespace {
Twain* g_programTwain = nullptr;
}

void SetProgramTwain(Twain* module) { g_programTwain = module; }
Twain* ProgramTwain() { return g_programTwain; }

}  // namespace calvix

using calvix::twain::TW_UINT16;
using calvix::twain::TW_UINT32;

extern "C" __attribute__((visibility("default"))) int TWAIN_DS(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    return TWAIN_DS_RC(dg, dat, msg, data) == calvix::twain::TWRC_SUCCESS ? 1 : 0;
}

extern "C" __attribute__((visibility("default"))) TW_UINT16 TWAIN_DS_RC(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                                                        void* data) {
    calvix::Twain* module = calvix::ProgramTwain();
    return module ? module->SourceCall(dg, dat, msg, data) : calvix::twain::TWRC_FAILURE;
}
