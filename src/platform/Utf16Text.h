// UTF-16LE <-> UTF-8 for the user store, which the Windows registry editor exports as UTF-16LE
// with a byte-order mark. Both directions are strict, so a text converted back is byte-identical.
#pragma once

#include <string>
#include <string_view>

namespace calvix {

// Decodes UTF-16LE code units (no byte-order mark) into UTF-8. False, with the reason in error,
// for an odd byte count or an unpaired surrogate.
bool Utf16LeToUtf8(std::string_view bytes, std::string& out, std::string& error);

// Encodes well-formed UTF-8 as UTF-16LE (no byte-order mark). False for anything that is not
// well-formed UTF-8 (overlong forms, surrogates, code points above U+10FFFF, cut sequences).
bool Utf8ToUtf16Le(std::string_view text, std::string& out);

}  // namespace calvix
