// Where a side's profile is kept: the ICC folder colour-managed programs look in, one file per
// scanner and side, replaced atomically with the one before kept beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace calvix {

// Longest escaped serial a profile's name holds: with "Zelmar-Q71-", the side, ".icc" and the
// longest helper suffix (".previous.new" and a temporary file's ".XXXXXX") the name still fits
// a folder entry of 255 bytes.
inline constexpr std::size_t MaxProfileSerialBytes = 200;

// "Zelmar-Q71-<serial>-<side>.icc" with the serial percent-encoded as the history files do:
// letters, digits, '-', '_' and '.' (not leading) stay, every other byte becomes %XX, so no two
// serials share a name and none reaches outside the folder. The empty serial is "%unknown".
// Empty when the escaped serial is longer than MaxProfileSerialBytes.
std::string ProfileFileName(const std::string& serial, const std::string& side);

// The name the versions before the escaping gave: every other character became '_' and the
// empty serial "unknown". Only read, never written.
std::string OldProfileFileName(const std::string& serial, const std::string& side);

// Whether a profile's description (as ProfileDescriptionText writes it) names this serial and
// side: the model, serial and side, then the end or ", ".
bool DescriptionNamesSide(const std::string& description, const std::string& serial, const std::string& side);

// Writes bytes as folder/name (folder created when missing). An existing profile of that name is
// kept as name + ".previous" (replacing an older one); the name never stands empty and the new
// file appears whole or not at all. False with a reason otherwise.
bool StoreProfile(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes,
                  std::string& error);

// Moves the side's stored profile (escaped name, and an old-name file FindScannerProfile would
// take in its place) aside as name + ".stale", replacing an older one, so that nothing reads it
// as the profile in force. True when none is left (moved: the last .stale path made, empty when
// there was none); false with a reason.
bool SetProfileAside(const std::string& folder, const std::string& serial, const std::string& side, std::string& moved,
                     std::string& error);

// The stored profile of a scanner's side: folder/ProfileFileName, else a file under the old
// name, each used only when it is a regular file whose description names this serial and side.
// Nothing otherwise; refusal (when given) then says why a file that is there was not taken.
std::optional<std::string> FindScannerProfile(const std::string& folder, const std::string& serial,
                                              const std::string& side, std::string* refusal = nullptr);

// The path of folder/name when a regular file is there; nothing otherwise. A name that
// ProfileFileName made is looked up as FindScannerProfile does, so no caller skips the check.
std::optional<std::string> FindProfile(const std::string& folder, const std::string& name);

}  // namespace calvix
