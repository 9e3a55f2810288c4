// The scanner tests' desktop: the headless desktop, which records every message box and
// answers an OK box with OK.
#pragma once

#include "platform/HeadlessDesktop.h"

namespace calvix::test {

using RecordingDesktop = HeadlessDesktop;

}  // namespace calvix::test
