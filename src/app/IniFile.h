// IniFile: the whole INI text in memory. Lines that are not ours (comments, foreign keys and
// sections, even garbage) survive a read-modify-write unchanged; new keys are appended to their
// section in the order written, new sections at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace calvix {

class IniFile {
public:
    // Largest file read; a bigger one is treated as unreadable rather than half-read.
    static constexpr std::size_t MaxFileSize = 4 * 1024 * 1024;

    // Loads path; a missing file is an empty one. False when the file exists but cannot be read
    // (then nothing may be written back over it); error then names the path and the cause.
    bool Load(const std::string& path, std::string* error = nullptr);
    void LoadText(const std::string& text);
    bool Save(const std::string& path, std::string* error = nullptr) const;
    std::string Text() const;

    bool ValueExists(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // A value that is not a decimal 32-bit integer reads as the default.
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    // Index of the line holding key in section, or -1.
    int FindKey(const std::string& section, const std::string& key) const;
    std::vector<std::string> lines_;
};

// Parses an optionally signed decimal 32-bit integer with surrounding blanks; false otherwise.
bool ParseInt32(const std::string& text, std::int32_t& value);

}  // namespace calvix
