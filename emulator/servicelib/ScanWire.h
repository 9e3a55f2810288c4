// The scan connection between the Q71 data source (q71.ds) and q71-emulator: capability
// requests, a scan request and the images that answer it, in the frames of WireFormat.h.
// Both ends include this header; nothing in the product sees it. All integers little-endian.
//
// After the Hello exchange (role "scan") the client sends requests one at a time:
//
//   CapRequest   cap u16, message u16 (MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET or
//                MSG_SET), item type u16, then for MSG_SET the item's bytes (ItemSize of the
//                type, exactly), else nothing.
//   CapReply     rc u16 (a TWRC_ code), cc u16 (a TWCC_ condition code, 0 on success), item
//                type u16, then the item's bytes of the value in force afterwards (exactly
//                ItemSize of the type; none when rc is TWRC_FAILURE).
//
//   ScanRequest  empty. The device takes the top sheet of its feeder and answers, per face it
//                delivers (front first), one ImageHeader followed by ImageData frames carrying
//                exactly the header's byte count, then one ScanDone.
//   ImageHeader  face u8 (0 front, 1 rear), disposition u8 (ImageDisposition), width u32,
//                height u32, bit count u16 (8, 24 or 32), dpi u16, byte count u32: the bitmap
//                bytes that follow the 40-byte header of a native transfer (for 8 bits a
//                256-entry B,G,R,0 palette, then the rows bottom-up, each padded to 4 bytes).
//   ImageData    up to kMaxImageChunk bytes of those.
//   ScanDone     rc u16, cc u16: TWRC_SUCCESS when the faces above are all there is; otherwise
//                why the scan failed (an empty feeder: TWRC_FAILURE, TWCC_OPERATIONERROR,
//                with no image before it).
//
// A header whose sizes disagree (byte count not that of width, height and bit count, a side
// over kMaxImageSide, more than kMaxImageBytes) breaks the connection, as does data beyond the
// announced count: the client never allocates more than the header announced and checked.
#pragma once

#include "WireFormat.h"
#include "scanner/TwainTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace calvix::wire {

enum class ImageDisposition : std::uint8_t {
    Deliver = 0,    // the transfer of this face succeeds
    Fail = 1,       // the transfer of this face fails (the application sees TWRC_FAILURE)
    Cancel = 2,     // the transfer of this face is cancelled (TWRC_CANCEL)
};

inline constexpr std::uint32_t kMaxImageSide = 20000;
inline constexpr std::uint64_t kMaxImageBytes = 256ull * 1024 * 1024;
inline constexpr std::uint32_t kMaxImageChunk = kMaxFramePayload;

inline void PutU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

inline std::uint16_t GetU16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

// Bytes of one padded bitmap row.
inline std::uint64_t DibStride(std::uint32_t width, std::uint16_t bitCount) {
    return ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
}

// Bytes after the 40-byte header for width x height at bitCount; 0 for a bit count not sent.
inline std::uint64_t DibPayloadBytes(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount) {
    if (bitCount != 8 && bitCount != 24 && bitCount != 32) return 0;
    const std::uint64_t palette = bitCount == 8 ? 256 * 4 : 0;
    return palette + DibStride(width, bitCount) * height;
}

struct CapRequest {
    std::uint16_t cap = 0;
    std::uint16_t message = 0;
    std::uint16_t itemType = 0;
    std::string item;  // MSG_SET only
};

struct CapReply {
    std::uint16_t rc = 0;
    std::uint16_t cc = 0;
    std::uint16_t itemType = 0;
    std::string item;
};

struct ImageHeader {
    std::uint8_t face = 0;
    ImageDisposition disposition = ImageDisposition::Deliver;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitCount = 24;
    std::uint16_t dpi = 400;
    std::uint32_t byteCount = 0;
};

struct ScanDone {
    std::uint16_t rc = 0;
    std::uint16_t cc = 0;
};

inline std::string EncodeCapRequest(const CapRequest& r) {
    std::string p;
    PutU16(p, r.cap);
    PutU16(p, r.message);
    PutU16(p, r.itemType);
    p += r.item;
    return EncodeFrame(FrameType::CapRequest, p);
}

// Checks the item length against the item type; nothing for a malformed payload.
inline std::optional<CapRequest> DecodeCapRequest(std::string_view payload) {
    if (payload.size() < 6) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(payload.data());
    CapRequest r;
    r.cap = GetU16(b);
    r.message = GetU16(b + 2);
    r.itemType = GetU16(b + 4);
    r.item.assign(payload.substr(6));
    const std::size_t size = twain::ItemSize(r.itemType);
    if (r.message == twain::MSG_SET) {
        if (size == 0 || r.item.size() != size) return std::nullopt;
    } else if (!r.item.empty()) {
        return std::nullopt;
    }
    return r;
}

inline std::string EncodeCapReply(const CapReply& r) {
    std::string p;
    PutU16(p, r.rc);
    PutU16(p, r.cc);
    PutU16(p, r.itemType);
    p += r.item;
    return EncodeFrame(FrameType::CapReply, p);
}

inline std::optional<CapReply> DecodeCapReply(std::string_view payload) {
    if (payload.size() < 6) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(payload.data());
    CapReply r;
    r.rc = GetU16(b);
    r.cc = GetU16(b + 2);
    r.itemType = GetU16(b + 4);
    r.item.assign(payload.substr(6));
    if (r.rc == twain::TWRC_FAILURE) {
        if (!r.item.empty()) return std::nullopt;
    } else {
        const std::size_t size = twain::ItemSize(r.itemType);
        if (size == 0 || r.item.size() != size) return std::nullopt;
    }
    return r;
}

inline std::string EncodeImageHeader(const ImageHeader& h) {
    std::string p;
    p.push_back(static_cast<char>(h.face));
    p.push_back(static_cast<char>(h.disposition));
    PutU32(p, h.width);
    PutU32(p, h.height);
    PutU16(p, h.bitCount);
    PutU16(p, h.dpi);
    PutU32(p, h.byteCount);
    return EncodeFrame(FrameType::ImageHeader, p);
}

// Refuses a header whose sizes disagree or exceed the bounds above.
inline std::optional<ImageHeader> DecodeImageHeader(std::string_view payload) {
    if (payload.size() != 18) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(payload.data());
    ImageHeader h;
    h.face = b[0];
    if (h.face > 1 || b[1] > 2) return std::nullopt;
    h.disposition = static_cast<ImageDisposition>(b[1]);
    h.width = GetU32(b + 2);
    h.height = GetU32(b + 6);
    h.bitCount = GetU16(b + 10);
    h.dpi = GetU16(b + 12);
    h.byteCount = GetU32(b + 14);
    if (h.width == 0 || h.height == 0 || h.width > kMaxImageSide || h.height > kMaxImageSide) return std::nullopt;
    const std::uint64_t expected = DibPayloadBytes(h.width, h.height, h.bitCount);
    if (expected == 0 || expected > kMaxImageBytes || expected != h.byteCount) return std::nullopt;
    return h;
}

inline std::string EncodeScanDone(const ScanDone& d) {
    std::string p;
    PutU16(p, d.rc);
    PutU16(p, d.cc);
    return EncodeFrame(FrameType::ScanDone, p);
}

inline std::optional<ScanDone> DecodeScanDone(std::string_view payload) {
    if (payload.size() != 4) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(payload.data());
    return ScanDone{GetU16(b), GetU16(b + 2)};
}

}  // namespace calvix::wire
