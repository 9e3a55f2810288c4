// Sheet lines and the feeder queue.
#include "Feeder.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace calvix::device {

namespace {

bool ParseInt(std::string_view text, int low, int high, int* out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    *out = value;
    return true;
}

bool ParseDegrees(std::string_view text, double* out) {
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > kMaxRotation) {
        return false;
    }
    *out = value;
    return true;
}

std::string Canonical(bool front, const std::string& it8, const Placement& p) {
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, ",rotate=%g,shift-x=%d,shift-y=%d", p.rotationDegrees, p.shiftX, p.shiftY);
    return std::string("chart-on=") + (front ? "front" : "rear") + ",it8=" + it8 + numbers;
}

}  // namespace

bool ParseSheet(std::string_view text, Sheet* sheet, std::string* error) {
    auto fail = [error](std::string why) {
        *error = std::move(why);
        return false;
    };
    if (text.size() > kMaxSheetText) return fail("sheet description too long");
    if (text == "blank") {
        *sheet = Sheet{};
        sheet->description = "blank";
        return true;
    }
    if (text.substr(0, 12) == "blank,level=") {
        double level = 0.0;
        const std::string_view value = text.substr(12);
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), level);
        if (ec != std::errc() || end != value.data() + value.size() || !(level >= kMinBlankLevel && level <= 1.0))
            return fail("level must be 0.05 to 1: " + std::string(value.substr(0, 80)));
        *sheet = Sheet{};
        sheet->front.blankLevel = sheet->rear.blankLevel = level;
        char canonical[48];
        std::snprintf(canonical, sizeof canonical, "blank,level=%g", level);
        sheet->description = canonical;
        return true;
    }
    std::optional<bool> front;
    std::string it8;
    Placement placement;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
        const std::string shown(item.substr(0, 80));
        if (eq == std::string_view::npos) return fail("expected key=value: " + shown);
        if (key == "chart-on") {
            if (value != "front" && value != "rear") return fail("chart-on must be front or rear: " + shown);
            front = value == "front";
        } else if (key == "it8") {
            if (value.empty()) return fail("it8 needs a file");
            it8 = std::string(value);
        } else if (key == "rotate") {
            if (!ParseDegrees(value, &placement.rotationDegrees)) return fail("rotate must be -180 to 180 degrees: " + shown);
        } else if (key == "shift-x" || key == "shift-y") {
            int* target = key == "shift-x" ? &placement.shiftX : &placement.shiftY;
            if (!ParseInt(value, -kMaxShift, kMaxShift, target)) return fail("shift must be -2000 to 2000 pixels: " + shown);
        } else {
            return fail("unknown key: " + shown);
        }
    }
    if (!front) return fail("chart-on=front|rear or blank[,level=LEVEL] expected");
    if (it8.empty()) return fail("it8=FILE expected");
    auto colours = std::make_shared<ChartColours>();
    std::string why;
    if (!LoadChartColours(it8, colours.get(), &why)) return fail(why);
    *sheet = Sheet{};
    Face& face = *front ? sheet->front : sheet->rear;
    face.chart = std::move(colours);
    face.placement = placement;
    sheet->description = Canonical(*front, it8, placement);
    return true;
}

bool Feeder::Add(Sheet sheet) {
    if (sheets_.size() >= kCapacity) return false;
    sheets_.push_back(std::move(sheet));
    return true;
}

std::optional<Sheet> Feeder::Take() {
    if (sheets_.empty()) return std::nullopt;
    Sheet top = std::move(sheets_.front());
    sheets_.pop_front();
    return top;
}

std::vector<std::string> Feeder::Descriptions() const {
    std::vector<std::string> lines;
    for (const Sheet& sheet : sheets_) lines.push_back(sheet.description);
    return lines;
}

}  // namespace calvix::device
