// Tests of core/GifDecoder: decoded pixels compared with files and expectations made
// independently of the decoder (tools/make_test_gifs.py, a classic hand-checked sample,
// and hand-assembled code streams), the failure contract, and fuzzer regressions.

#include "core/GifDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "../data/gif/GifTestData.inc"

namespace gif_test_data {
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
}  // namespace gif_test_data

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t Opaque(std::uint32_t rgb) { return kGifOpaqueAlpha | rgb; }

// Hand assembly of GIF files, so a test states every byte that matters to it.
class GifBuilder {
public:
    // Header and logical screen descriptor, optionally with a global colour table.
    GifBuilder(unsigned width, unsigned height, std::vector<std::uint32_t> globalTable = {},
               const char* version = "GIF89a")
    {
        for (const char* p = version; *p != '\0'; ++p)
            m_bytes.push_back(static_cast<std::uint8_t>(*p));
        U16(width);
        U16(height);
        m_bytes.push_back(globalTable.empty() ? 0x00 : static_cast<std::uint8_t>(0xF0 | TableBits(globalTable)));
        m_bytes.push_back(0);  // background colour index
        m_bytes.push_back(0);  // pixel aspect ratio
        Table(globalTable);
    }

    GifBuilder& Raw(std::initializer_list<int> values)
    {
        for (const int v : values)
            m_bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }

    GifBuilder& Control(unsigned disposal, unsigned delay, int transparent = -1)
    {
        Raw({0x21, 0xF9, 4, static_cast<int>((disposal << 2) | (transparent >= 0 ? 1u : 0u))});
        U16(delay);
        return Raw({transparent >= 0 ? transparent : 0, 0});
    }

    // Image descriptor (and local table), minimum code size, the codes packed
    // least-significant bit first with the given widths, in sub-blocks, terminator.
    GifBuilder& Image(unsigned left, unsigned top, unsigned width, unsigned height, unsigned minCodeSize,
                      const std::vector<std::pair<unsigned, unsigned>>& codes, bool interlaced = false,
                      std::vector<std::uint32_t> localTable = {})
    {
        m_bytes.push_back(0x2C);
        U16(left);
        U16(top);
        U16(width);
        U16(height);
        std::uint8_t packed = interlaced ? 0x40 : 0x00;
        if (!localTable.empty())
            packed = static_cast<std::uint8_t>(packed | 0x80 | TableBits(localTable));
        m_bytes.push_back(packed);
        Table(localTable);
        m_bytes.push_back(static_cast<std::uint8_t>(minCodeSize));
        return SubBlocks(PackCodes(codes));
    }

    GifBuilder& SubBlocks(const Bytes& data)
    {
        for (std::size_t i = 0; i < data.size(); i += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - i);
            m_bytes.push_back(static_cast<std::uint8_t>(n));
            m_bytes.insert(m_bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                           data.begin() + static_cast<std::ptrdiff_t>(i + n));
        }
        m_bytes.push_back(0);
        return *this;
    }

    Bytes Trailer()
    {
        m_bytes.push_back(0x3B);
        return m_bytes;
    }
    Bytes NoTrailer() const { return m_bytes; }

    static Bytes PackCodes(const std::vector<std::pair<unsigned, unsigned>>& codes)
    {
        Bytes out;
        std::uint32_t acc = 0;
        unsigned bits = 0;
        for (const auto& [code, width] : codes) {
            acc |= code << bits;
            bits += width;
            while (bits >= 8) {
                out.push_back(static_cast<std::uint8_t>(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        }
        if (bits > 0)
            out.push_back(static_cast<std::uint8_t>(acc & 0xFF));
        return out;
    }

private:
    void U16(unsigned value)
    {
        m_bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }

    static unsigned TableBits(const std::vector<std::uint32_t>& table)
    {
        unsigned n = 0;
        while ((2u << n) < table.size())
            ++n;
        return n;
    }

    void Table(const std::vector<std::uint32_t>& table)
    {
        if (table.empty())
            return;
        const std::size_t entries = std::size_t{2} << TableBits(table);
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint32_t rgb = i < table.size() ? table[i] : 0;
            Raw({static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                 static_cast<int>(rgb & 0xFF)});
        }
    }

    Bytes m_bytes;
};

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0x0000FF;

// 2x2 red/green/blue/white, minimum code size 2: clear, 0, 1, 2 in 3 bits; reading the
// third code defines entry 7, so the next free code (8) needs 4 bits: 3 and end in 4 bits.
Bytes TwoByTwo(unsigned disposal = 0, unsigned delay = 0)
{
    return GifBuilder(2, 2, {kRed, kGreen, kBlue, kWhite})
        .Control(disposal, delay)
        .Image(0, 0, 2, 2, 2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}})
        .Trailer();
}

const gif_test_data::Case& GeneratedCase(const std::string& name)
{
    for (const auto& c : gif_test_data::kCases) {
        if (name == c.name)
            return c;
    }
    ADD_FAILURE() << "no generated case " << name;
    return gif_test_data::kCases[0];
}

std::vector<std::uint32_t> ExpectedFrame(const gif_test_data::Case& c, std::size_t frame)
{
    const std::size_t size = std::size_t{c.width} * c.height;
    std::vector<std::uint32_t> pixels(size);
    for (std::size_t i = 0; i < size; ++i)
        pixels[i] = c.colours[c.pixels[frame * size + i]];
    return pixels;
}

std::optional<GifImage> Decode(std::span<const std::uint8_t> bytes, const GifLimits& limits = {})
{
    return DecodeGif(bytes, limits);
}

// "x,y: expected E, got G" for the first differing pixel, empty when equal.
std::string FirstDifference(const std::vector<std::uint32_t>& expected, const std::vector<std::uint32_t>& actual,
                            unsigned width)
{
    if (expected.size() != actual.size())
        return "size " + std::to_string(expected.size()) + " vs " + std::to_string(actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "%zu,%zu: expected %08X, got %08X", i % width, i / width,
                          static_cast<unsigned>(expected[i]), static_cast<unsigned>(actual[i]));
            return text;
        }
    }
    return {};
}

// Lengths to cut a file at: all of them for small files; for the larger (LZW) ones all
// lengths near the start and the end and every 97th in between, to keep the test fast
// (the fuzzer tries the others).
std::vector<std::size_t> CutPoints(std::size_t size)
{
    std::vector<std::size_t> cuts;
    for (std::size_t n = 0; n < size; ++n) {
        if (size <= 1024 || n < 64 || n + 64 >= size || n % 97 == 0)
            cuts.push_back(n);
    }
    return cuts;
}

// ---------------------------------------------------------------------------
// Signature

TEST(GifSignature, AcceptsBothVersionsAndNothingElse)
{
    const auto is = [](const char* text, std::size_t n) {
        return IsGif(std::span(reinterpret_cast<const std::uint8_t*>(text), n));
    };
    EXPECT_TRUE(is("GIF87a", 6));
    EXPECT_TRUE(is("GIF89a", 6));
    EXPECT_TRUE(is("GIF89a\x0A\x00", 8));
    EXPECT_FALSE(is("GIF89", 5));
    EXPECT_FALSE(is("GIF88a", 6));
    EXPECT_FALSE(is("gif89a", 6));
    EXPECT_FALSE(is("\x89PNG\r\n", 6));
    EXPECT_FALSE(IsGif({}));
}

// ---------------------------------------------------------------------------
// Known files

// The 10x10 four-colour sample that GIF tutorials dissect byte by byte ("What's in a
// GIF"): its index grid below is the published one (ImageMagick agrees).
TEST(GifKnownFile, ClassicTenByTenSample)
{
    const Bytes file = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x0A, 0x00, 0x0A, 0x00, 0x91, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
        0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x00, 0x02, 0x16, 0x8C, 0x2D, 0x99,
        0x87, 0x2A, 0x1C, 0xDC, 0x33, 0xA0, 0x02, 0x75, 0xEC, 0x95, 0xFA, 0xA8, 0xDE, 0x60, 0x8C, 0x04,
        0x91, 0x4C, 0x01, 0x00, 0x3B};
    const char* const grid[10] = {"1111122222", "1111122222", "1111122222", "1110000222", "1110000222",
                                  "2220000111", "2220000111", "2222211111", "2222211111", "2222211111"};
    const std::uint32_t colours[4] = {Opaque(kWhite), Opaque(kRed), Opaque(kBlue), Opaque(0)};
    std::vector<std::uint32_t> expected;
    for (const char* row : grid) {
        for (const char* p = row; *p != '\0'; ++p)
            expected.push_back(colours[*p - '0']);
    }

    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 10u);
    EXPECT_EQ(image->height, 10u);
    ASSERT_EQ(image->frames.size(), 1u);
    EXPECT_EQ(FirstDifference(expected, image->frames[0].pixels, 10), "");
    EXPECT_EQ(image->frames[0].delayMs, 0u);
    EXPECT_FALSE(image->loopCount);
    EXPECT_TRUE(image->complete);
}

// Every file written by tools/make_test_gifs.py, frame by frame against the script's
// own compositor.
class GifGeneratedFile : public testing::TestWithParam<gif_test_data::Case> {};

TEST_P(GifGeneratedFile, DecodesToTheReferenceFrames)
{
    const auto& c = GetParam();
    SCOPED_TRACE(c.description);
    const auto image = Decode(c.gif);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    EXPECT_EQ(image->complete, c.complete);
    EXPECT_EQ(image->loopCount.has_value(), c.loopCount >= 0);
    if (image->loopCount && c.loopCount >= 0) {
        EXPECT_EQ(*image->loopCount, static_cast<unsigned>(c.loopCount));
    }
    ASSERT_EQ(image->frames.size(), c.delaysMs.size());
    for (std::size_t f = 0; f < image->frames.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        EXPECT_EQ(image->frames[f].delayMs, c.delaysMs[f]);
        EXPECT_EQ(FirstDifference(ExpectedFrame(c, f), image->frames[f].pixels, c.width), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Files, GifGeneratedFile, testing::ValuesIn(gif_test_data::kCases),
                         [](const testing::TestParamInfo<gif_test_data::Case>& info) {
                             return std::string(info.param.name);
                         });

// The LZW cases really exercise what their names say (the encoder counted it).
TEST(GifGeneratedData, LzwCasesFillTheCodeTable)
{
    const auto& reset = GeneratedCase("lzw_full_reset");
    EXPECT_EQ(reset.maxNextCode, 4096u);
    EXPECT_GE(reset.clears, 2u);

    const auto& deferred = GeneratedCase("lzw_deferred_clear");
    EXPECT_EQ(deferred.maxNextCode, 4096u);
    EXPECT_GE(deferred.codesWhileFull, 400u);  // codes read from a full table before the clear
    EXPECT_GE(deferred.clears, 2u);

    const auto& never = GeneratedCase("lzw_never_clear");
    EXPECT_EQ(never.maxNextCode, 4096u);
    EXPECT_GE(never.codesWhileFull, 400u);
    EXPECT_EQ(never.clears, 1u);
}

TEST(GifPixels, TransparentPixelsAreZeroAndTheOthersOpaque)
{
    const auto& c = GeneratedCase("transparent");
    const auto image = Decode(c.gif);
    ASSERT_TRUE(image);
    std::size_t transparent = 0;
    for (const std::uint32_t pixel : image->frames[0].pixels) {
        if (pixel == kGifTransparentPixel)
            ++transparent;
        else
            EXPECT_EQ(pixel & 0xFF000000u, kGifOpaqueAlpha);
    }
    EXPECT_GT(transparent, 0u);
    EXPECT_LT(transparent, image->frames[0].pixels.size());
}

TEST(GifPixels, DelayIsHundredthsTimesTen)
{
    const Bytes file = TwoByTwo(0, 7);
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames[0].delayMs, 70u);
    EXPECT_EQ(FirstDifference({Opaque(kRed), Opaque(kGreen), Opaque(kBlue), Opaque(kWhite)},
                              image->frames[0].pixels, 2),
              "");
}

TEST(GifPixels, Gif87aFilesMayCarryExtensionsToo)
{
    // Browsers honour a Graphic Control Extension in a GIF87a file; so does the decoder.
    const Bytes file = GifBuilder(2, 2, {kRed, kGreen, kBlue, kWhite}, "GIF87a")
                           .Control(0, 12, 1)
                           .Image(0, 0, 2, 2, 2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames[0].delayMs, 120u);
    EXPECT_EQ(image->frames[0].pixels, (std::vector<std::uint32_t>{Opaque(kRed), 0, Opaque(kBlue), Opaque(kWhite)}));
}

TEST(GifPixels, LoopCountFromNetscapeOrAnimExtsOnly)
{
    const auto loop = [](const char* id, std::initializer_list<int> data) -> std::optional<unsigned> {
        GifBuilder gif(2, 2, {kRed, kGreen, kBlue, kWhite});
        gif.Raw({0x21, 0xFF, 11});
        for (int i = 0; i < 11; ++i)
            gif.Raw({id[i]});
        gif.Raw(data);
        const Bytes file = gif.Image(0, 0, 2, 2, 2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}}).Trailer();
        const auto image = Decode(file);
        EXPECT_TRUE(image && image->complete);
        return image ? image->loopCount : std::nullopt;
    };
    EXPECT_EQ(loop("NETSCAPE2.0", {3, 1, 0, 0, 0}), 0u);
    EXPECT_EQ(loop("NETSCAPE2.0", {3, 1, 0x2C, 0x01, 0}), 300u);
    EXPECT_EQ(loop("ANIMEXTS1.0", {3, 1, 5, 0, 0}), 5u);
    EXPECT_EQ(loop("NETSCAPE2.0", {5, 2, 0, 16, 0, 0, 0}), std::nullopt);  // buffering sub-block
    EXPECT_EQ(loop("NETSCAPE2.1", {3, 1, 5, 0, 0}), std::nullopt);
    EXPECT_EQ(loop("XMP DataXMP", {3, 1, 5, 0, 0}), std::nullopt);
}

// The shipped animation (res/Loading.gif) decodes to the frames its script rendered.
TEST(GifKnownFile, LoadingAnimationAsShipped)
{
    const auto image = Decode(gif_test_data::kLoadingGif);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 200u);
    EXPECT_EQ(image->height, 21u);
    EXPECT_EQ(image->width, gif_test_data::kLoadingWidth);
    EXPECT_EQ(image->height, gif_test_data::kLoadingHeight);
    EXPECT_TRUE(image->complete);
    EXPECT_EQ(image->loopCount, 0u);  // forever
    ASSERT_EQ(image->frames.size(), std::size(gif_test_data::kLoadingDelays));
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (std::size_t f = 0; f < image->frames.size(); ++f) {
        EXPECT_EQ(image->frames[f].delayMs, gif_test_data::kLoadingDelays[f]) << f;
        for (const std::uint32_t pixel : image->frames[f].pixels) {
            EXPECT_EQ(pixel & 0xFF000000u, kGifOpaqueAlpha);
            for (const unsigned shift : {0u, 8u, 16u, 24u}) {
                hash ^= (pixel >> shift) & 0xFFu;
                hash *= 0x100000001B3ULL;
            }
        }
    }
    EXPECT_EQ(hash, gif_test_data::kLoadingPixelsFnv1a);
}

// ---------------------------------------------------------------------------
// LZW streams assembled by hand (minimum code size 2: clear 4, end 5, first free 6)

TEST(GifLzw, KwKwKCodeAndGrowthToFourBits)
{
    // 9x1 of index 1. Literal 1; code 6 is the code being defined (the KwKwK case) and
    // means "1 1"; code 7 likewise means "1 1 1". Reading it defines entry 7, the next free
    // code becomes 8, which needs 4 bits: the fourth code (8, "1 1 1 1") has 4 bits.
    // 1 + 2 + 3 + 4 = 10 pixels for a 9-pixel image: the last one is ignored, and so is
    // the end code that is never reached.
    const Bytes file = GifBuilder(9, 1, {kRed, kGreen, kBlue, kWhite})
                           .Image(0, 0, 9, 1, 2, {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {8, 4}, {5, 4}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames[0].pixels, std::vector<std::uint32_t>(9, Opaque(kGreen)));
    EXPECT_TRUE(image->complete);
}

TEST(GifLzw, TableFillsToCode4095AndStaysFullWithoutAClear)
{
    // Minimum code size 2. Reading the k-th code after the clear (k >= 2) defines entry
    // k + 4, so 4091 literal codes (k % 3 for the k-th) define entries 6..4095, the last
    // one being "literal 4090, first of literal 4091" = "1 2". Then code 4095 three
    // times, read from the full table, and the end code. Code widths follow the GIF rule:
    // after k codes the next free code is 5 + k (4096 at most), and a code is as wide as
    // that number needs (3 to 12 bits). 4091 + 3 * 2 = 4097 pixels = 17 x 241.
    std::vector<std::pair<unsigned, unsigned>> codes = {{4, 3}};
    const auto width = [](unsigned codesRead) {
        const unsigned nextFree = codesRead == 0 ? 6u : std::min(4096u, 5 + codesRead);
        return std::clamp(static_cast<unsigned>(std::bit_width(nextFree)), 3u, 12u);
    };
    std::vector<std::uint32_t> expected;
    const std::uint32_t colours[3] = {Opaque(kRed), Opaque(kGreen), Opaque(kBlue)};
    unsigned read = 0;
    for (unsigned k = 1; k <= 4091; ++k, ++read) {
        codes.emplace_back(k % 3, width(read));
        expected.push_back(colours[k % 3]);
    }
    for (int i = 0; i < 3; ++i, ++read) {
        codes.emplace_back(4095, width(read));
        expected.push_back(colours[1]);
        expected.push_back(colours[2]);
    }
    EXPECT_EQ(codes.back().second, 12u);
    codes.emplace_back(5, width(read));

    const Bytes file = GifBuilder(17, 241, {kRed, kGreen, kBlue, kWhite}).Image(0, 0, 17, 241, 2, codes).Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(FirstDifference(expected, image->frames[0].pixels, 17), "");
    EXPECT_TRUE(image->complete);

    // Had the stream used 4095 one code earlier, it would have been the KwKwK case
    // (the code being defined): "literal 4090 + its own first pixel" = "1 1".
    codes.resize(1 + 4090);
    codes.emplace_back(4095, width(4090));
    codes.emplace_back(5, 12);
    expected.resize(4090);
    expected.push_back(colours[1]);
    expected.push_back(colours[1]);
    const Bytes kwkwk = GifBuilder(4092, 1, {kRed, kGreen, kBlue, kWhite}).Image(0, 0, 4092, 1, 2, codes).Trailer();
    const auto image2 = Decode(kwkwk);
    ASSERT_TRUE(image2);
    EXPECT_EQ(FirstDifference(expected, image2->frames[0].pixels, 4092), "");
    EXPECT_TRUE(image2->complete);
}

TEST(GifLzw, StreamMayStartWithoutClearCode)
{
    const Bytes file = GifBuilder(2, 1, {kRed, kGreen, kBlue, kWhite})
                           .Image(0, 0, 2, 1, 2, {{3, 3}, {2, 3}, {5, 3}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames[0].pixels, (std::vector<std::uint32_t>{Opaque(kWhite), Opaque(kBlue)}));
    EXPECT_TRUE(image->complete);
}

TEST(GifLzw, CodeBeyondTheTableKeepsEarlierPixelsAndDecodingGoesOn)
{
    // Frame 1: literal 2, then code 7 while the next free code is 6: damaged after one pixel.
    // Frame 2 is intact and must still be decoded.
    const Bytes file = GifBuilder(4, 1, {kRed, kGreen, kBlue, kWhite})
                           .Image(0, 0, 4, 1, 2, {{4, 3}, {2, 3}, {7, 3}, {0, 3}, {5, 3}})
                           .Image(3, 0, 1, 1, 2, {{4, 3}, {3, 3}, {5, 3}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->frames.size(), 2u);
    EXPECT_EQ(image->frames[0].pixels, (std::vector<std::uint32_t>{Opaque(kBlue), 0, 0, 0}));
    EXPECT_EQ(image->frames[1].pixels, (std::vector<std::uint32_t>{Opaque(kBlue), 0, 0, Opaque(kWhite)}));
    EXPECT_FALSE(image->complete);
}

TEST(GifLzw, FirstCodeAfterClearMustBeALiteral)
{
    const Bytes file = GifBuilder(2, 1, {kRed, kGreen, kBlue, kWhite})
                           .Image(0, 0, 2, 1, 2, {{4, 3}, {1, 3}, {4, 3}, {6, 3}, {5, 3}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames[0].pixels, (std::vector<std::uint32_t>{Opaque(kGreen), 0}));
    EXPECT_FALSE(image->complete);
}

TEST(GifLzw, EarlyEndCodeLeavesTheRestOfTheFrameAsTheCanvasWas)
{
    const Bytes file = GifBuilder(3, 1, {kRed, kGreen, kBlue, kWhite})
                           .Image(0, 0, 3, 1, 2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {5, 3}})
                           .Image(0, 0, 3, 1, 2, {{4, 3}, {3, 3}, {5, 3}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->frames.size(), 2u);
    EXPECT_EQ(image->frames[1].pixels,
              (std::vector<std::uint32_t>{Opaque(kWhite), Opaque(kGreen), Opaque(kBlue)}));
    EXPECT_FALSE(image->complete);
}

TEST(GifLzw, MissingEndCodeAndTrailingCodesAreHarmless)
{
    const Bytes noEnd = GifBuilder(2, 1, {kRed, kGreen, kBlue, kWhite})
                            .Image(0, 0, 2, 1, 2, {{4, 3}, {1, 3}, {2, 3}})
                            .Trailer();
    const Bytes extra = GifBuilder(2, 1, {kRed, kGreen, kBlue, kWhite})
                            .Image(0, 0, 2, 1, 2, {{4, 3}, {1, 3}, {2, 3}, {7, 3}, {7, 3}, {7, 3}, {7, 3}})
                            .Trailer();
    for (const Bytes* file : {&noEnd, &extra}) {
        const auto image = Decode(*file);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->frames[0].pixels, (std::vector<std::uint32_t>{Opaque(kGreen), Opaque(kBlue)}));
        EXPECT_TRUE(image->complete);
    }
}

TEST(GifLzw, MinimumCodeSizeOutsideOneToEightStopsDecoding)
{
    for (const unsigned size : {0u, 9u, 12u, 255u}) {
        SCOPED_TRACE(size);
        Bytes file = GifBuilder(2, 2, {kRed, kGreen, kBlue, kWhite})
                         .Image(0, 0, 2, 2, 2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}})
                         .Image(0, 0, 1, 1, size, {{0, 8}})
                         .Trailer();
        const auto image = Decode(file);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->frames.size(), 1u);
        EXPECT_FALSE(image->complete);
    }
}

// ---------------------------------------------------------------------------
// Composition corner cases not in the generated files

TEST(GifComposition, HugeImageOnASmallScreenIsClippedCheaply)
{
    // A 65535 x 65535 interlaced image on a 3 x 2 screen: only the visible pixels matter,
    // and decoding stops once no further pixel can be visible.
    const Bytes file = GifBuilder(3, 2, {kRed, kGreen, kBlue, kWhite})
                           .Image(0, 0, 65535, 65535, 2, {{4, 3}, {2, 3}, {1, 3}, {5, 3}}, true)
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames[0].pixels,
              (std::vector<std::uint32_t>{Opaque(kBlue), Opaque(kGreen), 0, 0, 0, 0}));
    EXPECT_FALSE(image->complete);  // its data ended long before its last pixel
}

TEST(GifComposition, EmptyImageIsAFrameThatChangesNothing)
{
    const Bytes file = GifBuilder(2, 2, {kRed, kGreen, kBlue, kWhite})
                           .Image(0, 0, 2, 2, 2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}})
                           .Control(1, 50)
                           .Image(1, 1, 0, 0, 2, {{4, 3}, {5, 3}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->frames.size(), 2u);
    EXPECT_EQ(image->frames[1].pixels, image->frames[0].pixels);
    EXPECT_EQ(image->frames[1].delayMs, 500u);
    EXPECT_TRUE(image->complete);
}

TEST(GifComposition, TransparentIndexOutsideTheTableStillMatches)
{
    // Minimum code size 3 on a 4-entry table: index 6 is beyond the table and transparent,
    // index 7 is beyond it and opaque black.
    const Bytes file = GifBuilder(3, 1, {kRed, kGreen, kBlue, kWhite})
                           .Control(0, 0, 6)
                           .Image(0, 0, 3, 1, 3, {{8, 4}, {6, 4}, {7, 4}, {1, 4}, {9, 4}})
                           .Trailer();
    const auto image = Decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames[0].pixels, (std::vector<std::uint32_t>{0, Opaque(0), Opaque(kGreen)}));
}

// ---------------------------------------------------------------------------
// Failure contract

TEST(GifFailure, NotAGifOrNoScreenIsNullopt)
{
    EXPECT_FALSE(Decode({}));
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0};
    EXPECT_FALSE(Decode(png));
    const Bytes full = TwoByTwo();
    for (std::size_t n = 0; n < 13 + 12; ++n)  // header, screen descriptor, global table
        EXPECT_FALSE(Decode(std::span(full).first(n))) << n;
}

TEST(GifFailure, NoImageIsNullopt)
{
    EXPECT_FALSE(Decode(GifBuilder(2, 2, {kRed, kGreen}).Trailer()));
    EXPECT_FALSE(Decode(GifBuilder(2, 2, {kRed, kGreen}).Control(0, 10).Raw({0x21, 0xFE, 1, 'x', 0}).Trailer()));
    EXPECT_FALSE(Decode(GifBuilder(2, 2).NoTrailer()));
}

TEST(GifFailure, EmptyOrOversizedScreenIsNullopt)
{
    const auto oneByOne = [](unsigned w, unsigned h) {
        return GifBuilder(w, h, {kRed, kGreen, kBlue, kWhite})
            .Image(0, 0, 1, 1, 2, {{4, 3}, {1, 3}, {5, 3}})
            .Trailer();
    };
    EXPECT_FALSE(Decode(oneByOne(0, 5)));
    EXPECT_FALSE(Decode(oneByOne(5, 0)));
    EXPECT_FALSE(Decode(oneByOne(4097, 1)));
    EXPECT_FALSE(Decode(oneByOne(1, 4097)));
    EXPECT_FALSE(Decode(oneByOne(65535, 65535)));

    const auto largest = Decode(oneByOne(4096, 4096));
    ASSERT_TRUE(largest);
    ASSERT_EQ(largest->frames.size(), 1u);
    EXPECT_EQ(largest->frames[0].pixels.size(), std::size_t{4096} * 4096);
    EXPECT_EQ(largest->frames[0].pixels[0], Opaque(kGreen));
    EXPECT_EQ(largest->frames[0].pixels.back(), kGifTransparentPixel);
}

TEST(GifFailure, LimitsCapTheScreenTheFramesAndThePixelBudget)
{
    static_assert(GifLimits{}.maxWidth == 4096 && GifLimits{}.maxHeight == 4096);
    static_assert(GifLimits{}.maxTotalPixels == std::size_t{64} * 1024 * 1024);

    const auto& c = GeneratedCase("disposal_none");  // 8 x 8, three frames
    const auto frameCount = [&](GifLimits limits) -> std::size_t {
        const auto image = Decode(c.gif, limits);
        if (!image)
            return 0;
        EXPECT_EQ(image->complete, image->frames.size() == 3);
        for (std::size_t f = 0; f < image->frames.size(); ++f)
            EXPECT_EQ(image->frames[f].pixels, ExpectedFrame(c, f));
        return image->frames.size();
    };
    EXPECT_EQ(frameCount({}), 3u);
    EXPECT_EQ(frameCount({.maxTotalPixels = 3 * 64}), 3u);
    EXPECT_EQ(frameCount({.maxTotalPixels = 3 * 64 - 1}), 2u);
    EXPECT_EQ(frameCount({.maxTotalPixels = 64}), 1u);
    EXPECT_EQ(frameCount({.maxTotalPixels = 63}), 0u);  // not even the screen fits
    EXPECT_EQ(frameCount({.maxFrames = 2}), 2u);
    EXPECT_EQ(frameCount({.maxFrames = 0}), 0u);
    EXPECT_EQ(frameCount({.maxWidth = 7}), 0u);
    EXPECT_EQ(frameCount({.maxHeight = 7}), 0u);
}

TEST(GifFailure, StructureErrorsKeepTheFramesBefore)
{
    const Bytes good = TwoByTwo();
    const Bytes body(good.begin(), good.end() - 1);  // without the trailer

    Bytes unknownBlock = body;
    unknownBlock.push_back(0x99);
    Bytes truncatedExtension = body;
    truncatedExtension.insert(truncatedExtension.end(), {0x21, 0xFE, 10, 'a', 'b'});
    Bytes truncatedDescriptor = body;
    truncatedDescriptor.insert(truncatedDescriptor.end(), {0x2C, 0, 0, 0, 0, 2});
    // A second image whose data never arrived: dropped, not returned as a copy of the first.
    Bytes noData = body;
    noData.insert(noData.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2});
    Bytes cutInFirstBlock = noData;
    cutInFirstBlock.insert(cutInFirstBlock.end(), {5, 0x24});  // 5 bytes announced; clear, clear

    const Bytes* const files[] = {&body, &unknownBlock, &truncatedExtension, &truncatedDescriptor, &noData,
                                  &cutInFirstBlock};
    for (const Bytes* file : files) {
        const auto image = Decode(*file);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->frames.size(), 1u);
        EXPECT_EQ(image->frames[0].pixels,
                  (std::vector<std::uint32_t>{Opaque(kRed), Opaque(kGreen), Opaque(kBlue), Opaque(kWhite)}));
        EXPECT_FALSE(image->complete);
    }
}

// Cut every generated file at (nearly) every length: never a crash; the frames before the last
// one returned are exactly the full file's; the last one is the full file's frame or,
// when the cut fell in its image data, a mix of that frame and what the canvas was.
TEST(GifFailure, EveryTruncationKeepsASoundPrefix)
{
    for (const auto& c : gif_test_data::kCases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<std::uint32_t>> expected;
        for (std::size_t f = 0; f < c.delaysMs.size(); ++f)
            expected.push_back(ExpectedFrame(c, f));
        const std::vector<std::uint32_t> blank(expected[0].size(), kGifTransparentPixel);
        for (const std::size_t n : CutPoints(c.gif.size())) {
            const auto image = Decode(c.gif.first(n));
            if (!image)
                continue;
            ASSERT_FALSE(image->complete) << n;
            ASSERT_GE(image->frames.size(), 1u);
            ASSERT_LE(image->frames.size(), expected.size()) << n;
            const std::size_t last = image->frames.size() - 1;
            for (std::size_t f = 0; f < last; ++f)
                ASSERT_EQ(image->frames[f].pixels, expected[f]) << "cut at " << n << ", frame " << f;
            // What the canvas was under the last frame: transparent, or (after disposal
            // 1 or 3 of earlier frames) one of the two frames before it.
            const auto& full = expected[last];
            const auto& before1 = last >= 1 ? expected[last - 1] : blank;
            const auto& before2 = last >= 2 ? expected[last - 2] : blank;
            const auto& got = image->frames[last].pixels;
            for (std::size_t i = 0; i < got.size(); ++i) {
                if (got[i] != full[i] && got[i] != before1[i] && got[i] != before2[i] &&
                    got[i] != kGifTransparentPixel)
                    FAIL() << "cut at " << n << ", frame " << last << ", pixel " << i;
            }
        }
    }
}

// A single non-interlaced frame cut inside its data: the decoded pixels are exactly a
// prefix, in raster order, of the full frame; the rest is transparent.
TEST(GifFailure, TruncatedSingleFrameIsARasterPrefix)
{
    for (const char* name : {"single", "lzw_full_reset", "lzw_deferred_clear"}) {
        const auto& c = GeneratedCase(name);
        SCOPED_TRACE(name);
        const auto full = ExpectedFrame(c, 0);
        std::size_t lastPrefix = 0;
        for (const std::size_t n : CutPoints(c.gif.size())) {
            const auto image = Decode(c.gif.first(n));
            if (!image)
                continue;
            const auto& got = image->frames[0].pixels;
            std::size_t k = 0;
            while (k < got.size() && got[k] == full[k])
                ++k;
            for (std::size_t i = k; i < got.size(); ++i)
                ASSERT_EQ(got[i], kGifTransparentPixel) << "cut at " << n;
            ASSERT_GE(k, lastPrefix) << "cut at " << n;  // more data never decodes less
            lastPrefix = k;
        }
        EXPECT_GT(lastPrefix, full.size() / 2);
    }
}

// ---------------------------------------------------------------------------
// Regressions found by fuzz/GifDecoderFuzzer.cpp (one test per crash, input verbatim).

}  // namespace
