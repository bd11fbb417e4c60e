// libFuzzer target for core/GifDecoder (host build).
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//       core/GifDecoder.cpp core/Utf16Text.cpp fuzz/GifDecoderFuzzer.cpp -o gif_fuzzer
//   ./gif_fuzzer -max_len=4096 fuzz/corpus/gif
//
// Besides crashes and sanitizer reports, it stops on any break of the contract written
// in core/GifDecoder.h: a decoded image has a logical screen within the limits, at least
// one frame, frames within the frame limit and the pixel budget, every frame exactly
// width * height pixels, and every pixel either fully transparent (0) or opaque.
// The input is decoded twice: with the default screen limits (4096 x 4096) but a pixel
// budget of 4 Mi pixels instead of 64 Mi, and with small limits, so that the
// stop-on-budget paths are reached with small inputs too. The smaller budget keeps a run
// fast (a 4 KiB input can otherwise make 256 MiB of frames, by design); the code paths
// are the same, and tests/core/GifDecoderTests.cpp covers the default budget.

#include "core/GifDecoder.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

void DecodeAndCheck(std::span<const std::uint8_t> bytes, const GifLimits& limits)
{
    const auto image = DecodeGif(bytes, limits);
    if (!image)
        return;
    Check(IsGif(bytes));
    Check(image->width >= 1 && image->width <= limits.maxWidth);
    Check(image->height >= 1 && image->height <= limits.maxHeight);
    Check(!image->frames.empty() && image->frames.size() <= limits.maxFrames);
    const std::size_t pixels = std::size_t{image->width} * image->height;
    Check(image->frames.size() <= limits.maxTotalPixels / pixels);
    for (const GifFrame& frame : image->frames) {
        Check(frame.pixels.size() == pixels);
        Check(frame.delayMs <= 65535u * 10u);
        for (const std::uint32_t pixel : frame.pixels)
            Check(pixel == kGifTransparentPixel || (pixel & 0xFF000000u) == kGifOpaqueAlpha);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    DecodeAndCheck(bytes, GifLimits{.maxTotalPixels = std::size_t{4} << 20});
    DecodeAndCheck(bytes, GifLimits{.maxWidth = 64, .maxHeight = 64, .maxTotalPixels = 4096, .maxFrames = 8});
    return 0;
}
