// A second, narrow reading of the reference file for the certificate: the reference parser
// keeps only XYZ, so header keywords and LAB columns are taken here, line by line and bounded.
#include "ReferenceBatch.h"

#include "InputFile.h"
#include "it8ref/TextFiles.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace calvix::verify {

namespace {

const char* const BatchKeywords[] = {"ORIGINATOR", "DESCRIPTOR", "CREATED", "MANUFACTURER",
                                     "PROD_DATE",  "SERIAL",     "MATERIAL"};
// A data line with more fields than this is not one of a chart's.
constexpr std::size_t MaxFields = 64;

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size() && words.size() <= MaxFields) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// The value after the keyword: quotes and control characters dropped, tabs as blanks, cut to its limit.
std::string KeywordValue(const std::string& line, std::size_t start) {
    std::string value;
    for (std::size_t i = start; i < line.size() && value.size() < MaxKeywordValue; ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == '"') continue;
        const char shown = c == '\t' ? ' ' : static_cast<char>(c);
        if ((c < 0x20 && c != '\t') || c == 0x7F) continue;
        if (shown != ' ' || !value.empty()) value += shown;
    }
    while (!value.empty() && value.back() == ' ') value.pop_back();
    return value;
}

bool ParseNumber(const std::string& word, double& value) {
    const char* end = word.data() + word.size();
    const auto [next, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && next == end && std::isfinite(value);
}

// Row and column of a colour patch id ("A1".."L22"), or false.
bool ColourPatchId(const std::string& id, int& row, int& column) {
    if (id.size() < 2 || id.size() > 3 || id[0] < 'A' || id[0] > 'L') return false;
    int number = 0;
    const auto [next, ec] = std::from_chars(id.data() + 1, id.data() + id.size(), number);
    if (ec != std::errc() || next != id.data() + id.size() || number < 1 || number > It8PatchColumns) return false;
    row = id[0] - 'A';
    column = number - 1;
    return true;
}

}  // namespace

std::string ReferenceBatch::Keyword(const std::string& name) const {
    for (const auto& [key, value] : keywords)
        if (key == name) return value;
    return {};
}

bool ReadReferenceBatch(const std::string& path, const TIT8Ref& reference, ReferenceBatch& batch, std::string& error) {
    std::string text, reason;
    if (ReadInputFile(path, MaxBatchFileBytes, text, reason) != ReadResult::Ok) {
        error = "cannot read reference file '" + path + "': " + reason;
        return false;
    }
    batch = ReferenceBatch{};
    batch.file = path;
    std::array<std::array<bool, It8PatchColumns>, It8PatchRows> given{};
    enum class Block { Header, Format, Data } block = Block::Header;
    std::vector<std::string> format;
    int labL = -1, labA = -1, labB = -1;

    for (const std::string& line : SplitTextLines(text)) {
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        if (block == Block::Format) {
            for (const std::string& word : words) {
                if (word == "END_DATA_FORMAT") {
                    block = Block::Header;
                    break;
                }
                if (format.size() < MaxFields) format.push_back(word);
            }
            continue;
        }
        if (block == Block::Data) {
            if (words[0] == "END_DATA") {
                block = Block::Header;
                continue;
            }
            int row = 0, column = 0;
            const int needed = std::max({labL, labA, labB});
            if (labL < 0 || labA < 0 || labB < 0 || !ColourPatchId(words[0], row, column) ||
                static_cast<int>(words.size()) <= needed)
                continue;
            Lab lab;
            if (ParseNumber(words[static_cast<std::size_t>(labL)], lab.L) &&
                ParseNumber(words[static_cast<std::size_t>(labA)], lab.a) &&
                ParseNumber(words[static_cast<std::size_t>(labB)], lab.b)) {
                batch.lab[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = lab;
                given[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = true;
            }
            continue;
        }
        if (words[0] == "BEGIN_DATA_FORMAT") {
            block = Block::Format;
            format.clear();
            for (std::size_t i = 1; i < words.size() && format.size() < MaxFields; ++i) format.push_back(words[i]);
            continue;
        }
        if (words[0] == "BEGIN_DATA") {
            labL = labA = labB = -1;
            for (std::size_t i = 0; i < format.size(); ++i) {
                if (format[i] == "LAB_L") labL = static_cast<int>(i);
                if (format[i] == "LAB_A") labA = static_cast<int>(i);
                if (format[i] == "LAB_B") labB = static_cast<int>(i);
            }
            block = Block::Data;
            continue;
        }
        for (const char* keyword : BatchKeywords) {
            if (words[0] == keyword && batch.Keyword(keyword).empty())
                batch.keywords.emplace_back(keyword, KeywordValue(line, line.find(keyword) + words[0].size()));
        }
    }

    for (int r = 0; r < It8PatchRows; ++r) {
        for (int c = 0; c < It8PatchColumns; ++c) {
            const auto ru = static_cast<std::size_t>(r), cu = static_cast<std::size_t>(c);
            if (given[ru][cu]) {
                ++batch.labFromFile;
                continue;
            }
            const float* xyz = reference.patchXYZ[r][c];
            batch.lab[ru][cu] = XyzToLab({xyz[0], xyz[1], xyz[2]}, WhiteD50);
        }
    }
    return true;
}

}  // namespace calvix::verify
