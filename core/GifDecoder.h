#pragma once
// GIF87a / GIF89a decoder for the animated picture control ("Loading.gif").
// Pure and platform-free: bytes in, fully composed frames out. Never includes <windows.h>.
//
// What is read: the logical screen descriptor, global and local colour tables, image
// descriptors (interlaced or not) with their LZW data (code sizes growing to 12 bits,
// clear and end codes, a full 4096-entry table kept until the encoder sends a clear),
// the Graphic Control Extension (delay, disposal method, transparent index) and the
// NETSCAPE2.0 / ANIMEXTS1.0 loop count. Comment, plain-text and other application
// extensions are skipped. Both versions accept every block (as browsers do). The code
// size grows when the next free code no longer fits, checked after every code as giflib
// does, which also decodes the rare minimum code size 1 (first free code 4, 3 bits).
//
// Output pixels: one std::uint32_t per pixel, 0xAARRGGBB, rows top-down, width * height
// per frame. In memory (little-endian) that is B, G, R, A: exactly the bits of a top-down
// 32 bpp BI_RGB DIB section. GIF transparency is all-or-nothing, so a pixel is either
// opaque (alpha 0xFF, colour from the table) or fully transparent (all bits 0, see
// kGifTransparentPixel); the frame is therefore also valid premultiplied-alpha input for
// AlphaBlend with AC_SRC_ALPHA.
//
// Composition: the canvas starts fully transparent. Each image is drawn over the canvas
// (its transparent-index pixels leave the canvas as it was), clipped to the logical
// screen, and a copy of the canvas becomes that image's frame. Then the image's disposal
// method prepares the canvas for the next image:
//   0 (unspecified), 1 (leave in place), 4-7 (undefined): nothing;
//   2 (restore to background): the image's rectangle (clipped) becomes transparent;
//      the background colour index of the file is ignored, as browsers do;
//   3 (restore to previous): the canvas goes back to what it was before the image.
// A Graphic Control Extension applies to the next image only; an image without one has
// delay 0, disposal 0 and no transparency.
//
// Colours: an image uses its local colour table, else the global one. An index beyond
// the table in use, or any index of an image with no table at all, is opaque black.
//
// Failure contract (any input is safe: no crash, no read out of bounds, no undefined
// behaviour; the only exception that can leave DecodeGif is std::bad_alloc, which
// the limits below keep far away):
// - std::nullopt when: the signature is not GIF87a/GIF89a; the file ends inside the
//   header, the logical screen descriptor or the global colour table; the logical
//   screen is 0 wide or 0 high, or exceeds the limits; or no frame could be decoded.
// - Otherwise the image has at least one frame, and every frame has width * height
//   pixels. Decoding stops early, keeping the frames decoded so far and clearing
//   `complete`, when: the file ends (inside a block, or before the trailer); an unknown
//   block introducer is met; an image's LZW minimum code size is outside 1..8; the
//   frame limit or the pixel budget would be exceeded by the next frame.
// - An image whose LZW data is damaged (a code that is not yet in the table, or a
//   first code after a clear that is not a literal) or runs out (end code or end of
//   its data sub-blocks) before every pixel is set keeps the pixels decoded up to that
//   point; its other pixels show the canvas as it was. This is sound because the data is
//   length-delimited: decoding goes on with the next block and `complete` is cleared.
//   When the file itself ends inside an image's data, that image is kept as the last
//   frame if at least one of its pixels reached the logical screen, and dropped otherwise.
// - Data after an image's last pixel on the logical screen (extra codes, a missing end
//   code, pixels of rows below the screen) is ignored; that is not an error.
//
// Cost: memory is bounded by the limits (frames * width * height * 4 bytes, plus two
// canvases); time is linear in the input size and in the pixels produced.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

inline constexpr std::uint32_t kGifTransparentPixel = 0x00000000u;
inline constexpr std::uint32_t kGifOpaqueAlpha = 0xFF000000u;

struct GifFrame {
    // width * height pixels of the whole logical screen, composed, 0xAARRGGBB, top-down.
    std::vector<std::uint32_t> pixels;
    // The image's GIF delay (hundredths of a second) * 10. 0 when the file gives none;
    // a player chooses its own minimum (browsers use 100 ms for delays below 20 ms).
    unsigned delayMs = 0;
};

struct GifImage {
    unsigned width = 0;   // logical screen, 1..GifLimits::maxWidth
    unsigned height = 0;  // logical screen, 1..GifLimits::maxHeight
    std::vector<GifFrame> frames;  // never empty in a returned image
    // NETSCAPE2.0 loop count: 0 = forever, n = n repetitions; empty when the file has none.
    std::optional<unsigned> loopCount;
    // True when the trailer was reached and every image decoded all of its pixels that
    // fall on the logical screen without error; false when decoding stopped early or an
    // image was short or damaged.
    bool complete = false;
};

struct GifLimits {
    unsigned maxWidth = 4096;   // logical screen width above this -> nullopt
    unsigned maxHeight = 4096;  // logical screen height above this -> nullopt
    // Sum of width * height over all returned frames (64 Mi pixels = 256 MiB). A logical
    // screen larger than this -> nullopt; a frame that would go beyond it stops decoding.
    std::size_t maxTotalPixels = std::size_t{64} << 20;
    std::size_t maxFrames = 10000;  // a frame beyond this stops decoding
};

// True when bytes start with "GIF87a" or "GIF89a".
[[nodiscard]] bool IsGif(std::span<const std::uint8_t> bytes) noexcept;

// Decodes a whole GIF file; see the failure contract above.
[[nodiscard]] std::optional<GifImage> DecodeGif(std::span<const std::uint8_t> bytes,
                                                const GifLimits& limits = {});
