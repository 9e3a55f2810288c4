// libjpeg glue: an error manager that jumps back instead of exiting the process, a progress
// monitor that forwards real progress and bounds progressive scans, and the colour conversion.

#include "analysis/JpegDecoder.h"

#include "analysis/FileBytes.h"

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

namespace calvix {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct ProgressMonitor {
    jpeg_progress_mgr base;
    const LoadProgressFn* progress;
    int lastPercent;
};

[[noreturn]] void OnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

[[noreturn]] void Abort(j_common_ptr info, const char* text) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(errors->message, sizeof errors->message, "%s", text);
    std::longjmp(errors->jump, 1);
}

// Warnings stay silent, except that a file cut short is an error: libjpeg would fill the rest
// of the picture with grey and the analysis would measure it.
void OnMessage(j_common_ptr info, int level) {
    if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) {
        OnError(info);
    }
}

void OnProgress(j_common_ptr info) {
    auto* monitor = reinterpret_cast<ProgressMonitor*>(info->progress);
    if (!info->is_decompressor) return;
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxJpegScans) {
        Abort(info, "too many progressive scans");
    }
    const long passes = monitor->base.total_passes > 0 ? monitor->base.total_passes : 1;
    const long limit = monitor->base.pass_limit > 0 ? monitor->base.pass_limit : 1;
    const long done = monitor->base.completed_passes * limit + monitor->base.pass_counter;
    int percent = static_cast<int>(done * 100 / (passes * limit));
    if (percent > 99) percent = 99;
    if (percent / 10 > monitor->lastPercent / 10) {
        monitor->lastPercent = percent;
        ReportProgress(*monitor->progress, LoadStage::Running, percent);
    }
}

void ConvertRow(const JSAMPLE* src, std::uint8_t* dst, int width, J_COLOR_SPACE space) {
    for (int x = 0; x < width; ++x) {
        std::uint8_t r, g, b;
        if (space == JCS_CMYK) {
            // Adobe writes CMYK inverted, which is what libjpeg hands back; with inverted
            // values the colour is simply C*K, M*K, Y*K.
            const JSAMPLE* p = src + 4 * x;
            r = static_cast<std::uint8_t>(p[0] * p[3] / 255);
            g = static_cast<std::uint8_t>(p[1] * p[3] / 255);
            b = static_cast<std::uint8_t>(p[2] * p[3] / 255);
        } else {
            const JSAMPLE* p = src + 3 * x;
            r = p[0];
            g = p[1];
            b = p[2];
        }
        dst[3 * x] = b;
        dst[3 * x + 1] = g;
        dst[3 * x + 2] = r;
    }
}

// Everything that lives across the setjmp point is kept in this record, outside the frame
// that longjmp returns to, so no local variable is left indeterminate after a jump.
struct DecodeState {
    jpeg_decompress_struct info;
    ErrorManager errors;
    ProgressMonitor monitor;
    std::vector<JSAMPLE> row;
    PictureResult result;
    bool created = false;
};

bool Decode(DecodeState& s, std::span<const std::uint8_t> file, const LoadProgressFn& progress,
            long long maxPixels) {
    s.info.err = jpeg_std_error(&s.errors.base);
    s.errors.base.error_exit = OnError;
    s.errors.base.emit_message = OnMessage;
    s.errors.message[0] = '\0';
    if (setjmp(s.errors.jump)) {
        s.result = PictureResult::Failure(std::string("JPEG error: ") + s.errors.message);
        return false;
    }
    jpeg_create_decompress(&s.info);
    s.created = true;
    s.monitor.base.progress_monitor = OnProgress;
    s.monitor.progress = &progress;
    s.monitor.lastPercent = 0;
    s.info.progress = &s.monitor.base;
    jpeg_mem_src(&s.info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&s.info, TRUE);

    const long long width = s.info.image_width;
    const long long height = s.info.image_height;
    if (width < 1 || height < 1 || width > ScanBitmap::MaxSide || height > ScanBitmap::MaxSide ||
        width * height > maxPixels) {
        char text[96];
        std::snprintf(text, sizeof text, "JPEG size %lld x %lld is too large", width, height);
        s.result = PictureResult::Failure(text);
        return false;
    }
    const bool cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
    s.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;  // greyscale comes out as RGB too
    // Reported before decompression starts: a progressive file is read whole in that call.
    char message[96];
    std::snprintf(message, sizeof message, "JPEG %lld x %lld, %d components", width, height,
                  s.info.num_components);
    ReportProgress(progress, LoadStage::Starting, 0, message);
    jpeg_start_decompress(&s.info);
    try {
        s.result.image = ScanBitmap(static_cast<int>(width), static_cast<int>(height));
        s.row.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(s.info.output_components), 0);
    } catch (const std::bad_alloc&) {
        s.result = PictureResult::Failure("not enough memory for the JPEG image");
        return false;
    }
    while (s.info.output_scanline < s.info.output_height) {
        const int y = static_cast<int>(s.info.output_scanline);
        JSAMPROW rows[1] = {s.row.data()};
        if (jpeg_read_scanlines(&s.info, rows, 1) != 1) {
            s.result = PictureResult::Failure("JPEG data ended early");
            return false;
        }
        ConvertRow(s.row.data(), s.result.image.Row(y), static_cast<int>(width), s.info.out_color_space);
    }
    jpeg_finish_decompress(&s.info);
    s.result.ok = true;
    s.result.heldAsBitmap = true;
    ReportProgress(progress, LoadStage::Ending, 100);
    return true;
}

}  // namespace

PictureResult DecodeJpeg(std::span<const std::uint8_t> file, const LoadProgressFn& progress,
                         long long maxPixels) {
    if (file.empty()) return PictureResult::Failure("JPEG error: empty file");
    auto state = std::make_unique<DecodeState>();
    Decode(*state, file, progress, maxPixels);
    if (state->created) jpeg_destroy_decompress(&state->info);
    return std::move(state->result);
}

PictureResult LoadJpegFile(const std::string& path, const LoadProgressFn& progress) {
    ImageBytes bytes;
    std::string error;
    if (!ReadFileBytes(path, bytes, error)) return PictureResult::Failure(error);
    return DecodeJpeg(bytes, progress);
}

}  // namespace calvix
