#include "GifDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

constexpr unsigned kMaxCodes = 4096;  // 12-bit codes
constexpr unsigned kMaxCodeSize = 12;

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kApplicationLabel = 0xFF;

// Bounds-checked cursor over the file. Every read either succeeds whole or reports
// the end of the data (and then consumes nothing).
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    [[nodiscard]] std::size_t Remaining() const { return m_bytes.size() - m_pos; }

    [[nodiscard]] bool ReadByte(std::uint8_t& value)
    {
        if (Remaining() < 1)
            return false;
        value = m_bytes[m_pos++];
        return true;
    }

    [[nodiscard]] bool ReadU16(unsigned& value)
    {
        if (Remaining() < 2)
            return false;
        value = static_cast<unsigned>(m_bytes[m_pos]) | (static_cast<unsigned>(m_bytes[m_pos + 1]) << 8);
        m_pos += 2;
        return true;
    }

    [[nodiscard]] bool ReadSpan(std::size_t count, std::span<const std::uint8_t>& out)
    {
        if (Remaining() < count)
            return false;
        out = m_bytes.subspan(m_pos, count);
        m_pos += count;
        return true;
    }

    // Up to count bytes (fewer at the end of the data).
    std::span<const std::uint8_t> ReadUpTo(std::size_t count)
    {
        const std::size_t n = std::min(count, Remaining());
        const auto out = m_bytes.subspan(m_pos, n);
        m_pos += n;
        return out;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

// Walks a chain of data sub-blocks (length byte, data) up to its zero terminator.
class SubBlocks {
public:
    explicit SubBlocks(ByteReader& reader) : m_reader(reader) {}

    // Next block's data; false at the terminator or at the end of the file (then
    // Truncated() is true and block holds whatever part of the last block was there).
    [[nodiscard]] bool Next(std::span<const std::uint8_t>& block)
    {
        block = {};
        if (m_finished)
            return false;
        std::uint8_t size = 0;
        if (!m_reader.ReadByte(size)) {
            m_finished = m_truncated = true;
            return false;
        }
        if (size == 0) {
            m_finished = true;
            return false;
        }
        block = m_reader.ReadUpTo(size);
        if (block.size() < size) {
            m_finished = m_truncated = true;
            return !block.empty();
        }
        return true;
    }

    // Skips the rest of the chain.
    void SkipRest()
    {
        std::span<const std::uint8_t> block;
        while (Next(block)) {
        }
    }

    [[nodiscard]] bool Truncated() const { return m_truncated; }

private:
    ByteReader& m_reader;
    bool m_finished = false;
    bool m_truncated = false;
};

struct ColourTable {
    // Entries past the table's size stay opaque black.
    std::array<std::uint32_t, 256> colours;
    ColourTable() { colours.fill(kGifOpaqueAlpha); }
};

[[nodiscard]] bool ReadColourTable(ByteReader& reader, unsigned sizeBits, ColourTable& table)
{
    const std::size_t count = std::size_t{2} << (sizeBits & 7u);
    std::span<const std::uint8_t> rgb;
    if (!reader.ReadSpan(count * 3, rgb))
        return false;
    table = ColourTable{};  // a smaller table must not show a previous, larger one's entries
    for (std::size_t i = 0; i < count; ++i) {
        table.colours[i] = kGifOpaqueAlpha | (static_cast<std::uint32_t>(rgb[3 * i]) << 16) |
                           (static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
    }
    return true;
}

struct GraphicControl {
    unsigned disposal = 0;
    unsigned delay = 0;  // hundredths of a second
    int transparentIndex = -1;
};

// Places an image's pixels, given in stream order, on the canvas: interlacing, clipping
// to the logical screen, transparency and the colour table. It finishes as soon as no
// further pixel of the image can land on the canvas.
class FrameWriter {
public:
    FrameWriter(std::vector<std::uint32_t>& canvas, unsigned canvasWidth, unsigned canvasHeight,
                unsigned left, unsigned top, unsigned width, unsigned height, bool interlaced,
                const ColourTable& table, int transparentIndex)
        : m_canvas(canvas.data()),
          m_canvasWidth(canvasWidth),
          m_left(left),
          m_top(top),
          m_width(width),
          m_interlaced(interlaced),
          m_table(table.colours.data()),
          m_transparent(transparentIndex)
    {
        // left, top, width and height are 16-bit values: no sum overflows.
        m_visibleColumns = left < canvasWidth ? std::min(width, canvasWidth - left) : 0;
        m_visibleRows = top < canvasHeight ? std::min(height, canvasHeight - top) : 0;
        if (m_visibleColumns == 0 || m_visibleRows == 0)
            m_row = m_visibleRows = 0;  // nothing to draw: done from the start
    }

    [[nodiscard]] bool Done() const { return m_row >= m_visibleRows; }
    [[nodiscard]] std::size_t PixelsWritten() const { return m_written; }

    // Takes a run of colour indices in stream order; whatever comes after the image's
    // last visible pixel is ignored.
    void Put(const std::uint8_t* indices, std::size_t count)
    {
        while (count > 0 && !Done()) {
            const std::size_t chunk = std::min<std::size_t>(count, m_width - m_x);
            if (m_x < m_visibleColumns) {
                const std::size_t visible = std::min<std::size_t>(chunk, m_visibleColumns - m_x);
                std::uint32_t* out = m_canvas + (std::size_t{m_top} + m_row) * m_canvasWidth + m_left + m_x;
                for (std::size_t i = 0; i < visible; ++i) {
                    if (indices[i] != m_transparent)
                        out[i] = m_table[indices[i]];
                }
                m_written += visible;
            }
            indices += chunk;
            count -= chunk;
            m_x += static_cast<unsigned>(chunk);
            if (m_x == m_width) {
                m_x = 0;
                NextRow();
            }
        }
    }

private:
    void NextRow()
    {
        static constexpr unsigned kPassStart[4] = {0, 4, 2, 1};
        static constexpr unsigned kPassStep[4] = {8, 8, 4, 2};
        if (!m_interlaced) {
            ++m_row;
            return;
        }
        // Rows past the visible ones are never drawn: move on to the next pass.
        m_row += kPassStep[m_pass];
        while (m_row >= m_visibleRows && m_pass < 3) {
            ++m_pass;
            m_row = kPassStart[m_pass];
        }
    }

    std::uint32_t* m_canvas;
    unsigned m_canvasWidth;
    unsigned m_left;
    unsigned m_top;
    unsigned m_width;
    bool m_interlaced;
    const std::uint32_t* m_table;
    int m_transparent;
    unsigned m_visibleColumns = 0;
    unsigned m_visibleRows = 0;
    unsigned m_row = 0;  // row within the image
    unsigned m_x = 0;    // column within the image
    unsigned m_pass = 0;
    std::size_t m_written = 0;
};

enum class LzwEnd {
    Complete,  // every visible pixel was written (the rest of the data is ignored)
    EndCode,   // end code before the last pixel
    DataEnded, // data ran out before the last pixel
    BadCode,   // a code that cannot occur in a valid stream
};

// Variable-length-code LZW as GIF uses it: codes packed least significant bit first,
// code size from minCodeSize + 1 up to 12 bits, growing when the next free code needs
// one more bit. When the table is full it stays full (no growth, no new entries) until
// the encoder sends a clear code: the "deferred clear".
LzwEnd DecodeLzw(std::span<const std::uint8_t> data, unsigned minCodeSize, FrameWriter& out)
{
    const unsigned clearCode = 1u << minCodeSize;
    const unsigned endCode = clearCode + 1;

    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint8_t, kMaxCodes> suffix{};
    std::array<std::uint8_t, kMaxCodes> firstByte{};
    std::array<std::uint16_t, kMaxCodes> length{};
    std::array<std::uint8_t, kMaxCodes> string{};
    for (unsigned code = 0; code < clearCode; ++code) {
        suffix[code] = static_cast<std::uint8_t>(code);
        firstByte[code] = static_cast<std::uint8_t>(code);
        length[code] = 1;
    }

    unsigned codeSize = minCodeSize + 1;
    unsigned nextCode = clearCode + 2;
    unsigned previous = kMaxCodes;  // none: just after the start or a clear code
    std::uint32_t bitBuffer = 0;
    unsigned bitCount = 0;
    std::size_t pos = 0;

    while (!out.Done()) {
        while (bitCount < codeSize) {
            if (pos == data.size())
                return LzwEnd::DataEnded;
            bitBuffer |= static_cast<std::uint32_t>(data[pos++]) << bitCount;
            bitCount += 8;
        }
        const unsigned code = bitBuffer & ((1u << codeSize) - 1u);
        bitBuffer >>= codeSize;
        bitCount -= codeSize;

        if (code == clearCode) {
            codeSize = minCodeSize + 1;
            nextCode = clearCode + 2;
            previous = kMaxCodes;
            continue;
        }
        if (code == endCode)
            return LzwEnd::EndCode;

        if (previous == kMaxCodes) {
            if (code > clearCode)
                return LzwEnd::BadCode;
            const auto literal = static_cast<std::uint8_t>(code);
            out.Put(&literal, 1);
        } else {
            std::uint8_t first = 0;
            if (code < nextCode)
                first = firstByte[code];
            else if (code == nextCode)  // the KwKwK case: previous string + its own first byte
                first = firstByte[previous];
            else
                return LzwEnd::BadCode;

            if (nextCode < kMaxCodes) {
                prefix[nextCode] = static_cast<std::uint16_t>(previous);
                suffix[nextCode] = first;
                firstByte[nextCode] = firstByte[previous];
                length[nextCode] = static_cast<std::uint16_t>(length[previous] + 1);
                ++nextCode;
            }

            // Spell the code's string backwards into the buffer, then hand it on in
            // order. A length never exceeds the number of entries, so the walk stays
            // inside the buffer.
            const unsigned count = length[code];
            unsigned walk = code;
            for (unsigned i = count; i > 0; --i) {
                string[i - 1] = suffix[walk];
                walk = prefix[walk];
            }
            out.Put(string.data(), count);
        }
        previous = code;
        // One more bit once the next free code no longer fits. Checked after every code,
        // the first after a clear included, as giflib does: with minCodeSize 1 the
        // first free code (4) already needs 3 bits.
        if (nextCode >= (1u << codeSize) && codeSize < kMaxCodeSize)
            ++codeSize;
    }
    return LzwEnd::Complete;
}

void ClearRectangle(std::vector<std::uint32_t>& canvas, unsigned canvasWidth, unsigned canvasHeight,
                    unsigned left, unsigned top, unsigned width, unsigned height)
{
    if (left >= canvasWidth || top >= canvasHeight)
        return;
    const unsigned columns = std::min(width, canvasWidth - left);
    const unsigned rows = std::min(height, canvasHeight - top);
    for (unsigned y = 0; y < rows; ++y) {
        auto row = canvas.begin() + static_cast<std::ptrdiff_t>((std::size_t{top} + y) * canvasWidth + left);
        std::fill(row, row + columns, kGifTransparentPixel);
    }
}

[[nodiscard]] bool IsLoopApplication(std::span<const std::uint8_t> id)
{
    static constexpr char kNetscape[] = "NETSCAPE2.0";
    static constexpr char kAnimExts[] = "ANIMEXTS1.0";
    return id.size() == 11 &&
           (std::memcmp(id.data(), kNetscape, 11) == 0 || std::memcmp(id.data(), kAnimExts, 11) == 0);
}

class Decoder {
public:
    Decoder(std::span<const std::uint8_t> bytes, const GifLimits& limits)
        : m_reader(bytes), m_limits(limits)
    {
    }

    std::optional<GifImage> Run()
    {
        if (!ReadScreen())
            return std::nullopt;
        m_image.complete = ReadBlocks();
        if (m_image.frames.empty())
            return std::nullopt;
        return std::move(m_image);
    }

private:
    bool ReadScreen()
    {
        std::span<const std::uint8_t> signature;
        if (!m_reader.ReadSpan(6, signature) || !IsGif(signature))
            return false;
        unsigned width = 0;
        unsigned height = 0;
        std::uint8_t packed = 0;
        std::uint8_t background = 0;
        std::uint8_t aspect = 0;
        if (!m_reader.ReadU16(width) || !m_reader.ReadU16(height) || !m_reader.ReadByte(packed) ||
            !m_reader.ReadByte(background) || !m_reader.ReadByte(aspect))
            return false;
        if (width == 0 || height == 0 || width > m_limits.maxWidth || height > m_limits.maxHeight)
            return false;
        const std::size_t pixels = std::size_t{width} * height;
        if (pixels > m_limits.maxTotalPixels)
            return false;
        if ((packed & 0x80) != 0 && !ReadColourTable(m_reader, packed & 7u, m_globalTable))
            return false;
        m_hasGlobalTable = (packed & 0x80) != 0;
        m_image.width = width;
        m_image.height = height;
        m_canvas.assign(pixels, kGifTransparentPixel);
        return true;
    }

    // Reads blocks up to the trailer; true when everything decoded cleanly.
    bool ReadBlocks()
    {
        bool clean = true;
        for (;;) {
            std::uint8_t introducer = 0;
            if (!m_reader.ReadByte(introducer))
                return false;  // no trailer
            switch (introducer) {
            case kTrailer:
                return clean;
            case kExtensionIntroducer:
                if (!ReadExtension())
                    return false;
                break;
            case kImageSeparator: {
                const ImageResult result = ReadImage();
                if (result == ImageResult::Stop)
                    return false;
                if (result == ImageResult::Damaged)
                    clean = false;
                break;
            }
            default:
                return false;  // not a GIF block: the structure is lost
            }
        }
    }

    // False when the file ends inside the extension.
    bool ReadExtension()
    {
        std::uint8_t label = 0;
        if (!m_reader.ReadByte(label))
            return false;
        SubBlocks blocks(m_reader);
        std::span<const std::uint8_t> block;
        if (label == kGraphicControlLabel) {
            if (blocks.Next(block) && block.size() >= 4) {
                m_control.disposal = (block[0] >> 2) & 7u;
                m_control.delay = static_cast<unsigned>(block[1]) | (static_cast<unsigned>(block[2]) << 8);
                m_control.transparentIndex = (block[0] & 1u) != 0 ? block[3] : -1;
            }
        } else if (label == kApplicationLabel) {
            if (blocks.Next(block) && IsLoopApplication(block)) {
                while (blocks.Next(block)) {
                    if (block.size() >= 3 && block[0] == 1)
                        m_image.loopCount = static_cast<unsigned>(block[1]) | (static_cast<unsigned>(block[2]) << 8);
                }
            }
        }
        // Comments, plain text and other applications: skipped (as is the rest of the above).
        blocks.SkipRest();
        return !blocks.Truncated();
    }

    enum class ImageResult { Clean, Damaged, Stop };

    ImageResult ReadImage()
    {
        unsigned left = 0;
        unsigned top = 0;
        unsigned width = 0;
        unsigned height = 0;
        std::uint8_t packed = 0;
        if (!m_reader.ReadU16(left) || !m_reader.ReadU16(top) || !m_reader.ReadU16(width) ||
            !m_reader.ReadU16(height) || !m_reader.ReadByte(packed))
            return ImageResult::Stop;
        const ColourTable* table = m_hasGlobalTable ? &m_globalTable : &m_noTable;
        if ((packed & 0x80) != 0) {
            if (!ReadColourTable(m_reader, packed & 7u, m_localTable))
                return ImageResult::Stop;
            table = &m_localTable;
        }
        const bool interlaced = (packed & 0x40) != 0;
        std::uint8_t minCodeSize = 0;
        if (!m_reader.ReadByte(minCodeSize) || minCodeSize < 1 || minCodeSize > 8)
            return ImageResult::Stop;

        const std::size_t canvasPixels = m_canvas.size();
        const std::size_t frameCount = m_image.frames.size();
        if (frameCount >= m_limits.maxFrames || frameCount + 1 > m_limits.maxTotalPixels / canvasPixels)
            return ImageResult::Stop;

        m_data.clear();
        SubBlocks blocks(m_reader);
        std::span<const std::uint8_t> block;
        while (blocks.Next(block))
            m_data.insert(m_data.end(), block.begin(), block.end());
        const bool truncated = blocks.Truncated();

        const GraphicControl control = m_control;
        m_control = GraphicControl{};
        if (control.disposal == 3)
            m_saved = m_canvas;

        FrameWriter writer(m_canvas, m_image.width, m_image.height, left, top, width, height, interlaced, *table,
                           control.transparentIndex);
        const LzwEnd end = DecodeLzw(m_data, minCodeSize, writer);
        if (truncated && writer.PixelsWritten() == 0)
            return ImageResult::Stop;  // nothing of it arrived: the canvas is unchanged

        m_image.frames.push_back(GifFrame{m_canvas, control.delay * 10u});

        if (control.disposal == 2)
            ClearRectangle(m_canvas, m_image.width, m_image.height, left, top, width, height);
        else if (control.disposal == 3)
            m_canvas.swap(m_saved);

        if (truncated)
            return ImageResult::Stop;
        return end == LzwEnd::Complete ? ImageResult::Clean : ImageResult::Damaged;
    }

    ByteReader m_reader;
    GifLimits m_limits;
    GifImage m_image;
    ColourTable m_globalTable;
    ColourTable m_localTable;
    const ColourTable m_noTable;
    bool m_hasGlobalTable = false;
    GraphicControl m_control;
    std::vector<std::uint32_t> m_canvas;
    std::vector<std::uint32_t> m_saved;
    std::vector<std::uint8_t> m_data;
};

}  // namespace

bool IsGif(std::span<const std::uint8_t> bytes) noexcept
{
    static constexpr std::uint8_t k87a[6] = {'G', 'I', 'F', '8', '7', 'a'};
    static constexpr std::uint8_t k89a[6] = {'G', 'I', 'F', '8', '9', 'a'};
    return bytes.size() >= 6 &&
           (std::memcmp(bytes.data(), k87a, 6) == 0 || std::memcmp(bytes.data(), k89a, 6) == 0);
}

std::optional<GifImage> DecodeGif(std::span<const std::uint8_t> bytes, const GifLimits& limits)
{
    Decoder decoder(bytes, limits);
    return decoder.Run();
}
