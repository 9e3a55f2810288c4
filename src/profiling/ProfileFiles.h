// Where a side's profile is kept: the ICC folder colour-managed programs look in, one file per
// scanner and side, replaced atomically with the one before kept beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace calvix {

// "Zelmar-Q71-<serial>-<side>.icc"; characters other than letters, digits, '.', '_' and '-' in
// the serial become '_' so a serial can never reach outside the folder. An empty serial is
// "unknown".
std::string ProfileFileName(const std::string& serial, const std::string& side);

// Writes bytes as folder/name (folder created when missing). An existing profile of that name is
// kept as name + ".previous" (replacing an older one); the new file appears whole or not at all.
// False with a reason otherwise.
bool StoreProfile(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes,
                  std::string& error);

// The path of folder/name when a regular file is there; nothing otherwise.
std::optional<std::string> FindProfile(const std::string& folder, const std::string& name);

}  // namespace calvix
