// The animated picture: GIF playback and stop, other images through the system's
// picture loader, and files that cannot be used.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "controls/PictureBoxEx.h"
#include "framework/File.h"
#include "tests/controls/ControlsTestSupport.h"

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// A GIF89a of `width` x `height` whose frames each fill the picture with one palette
// index (index `transparent` is see-through when >= 0). The LZW data sends a clear code
// before every pixel, so every code is a literal of the minimum code size.
std::vector<std::uint8_t> MakeGif(int width, int height, const std::vector<Rgb>& palette,
                                  const std::vector<int>& frameIndices, int transparent = -1)
{
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    const auto word = [&](int value) {
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    word(width);
    word(height);
    out.push_back(0xF1);  // global table of 4 entries
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < 4; ++i) {
        const Rgb colour = i < static_cast<int>(palette.size()) ? palette[i] : Rgb{0, 0, 0};
        out.insert(out.end(), {colour.r, colour.g, colour.b});
    }
    for (const int index : frameIndices) {
        out.insert(out.end(), {0x21, 0xF9, 0x04, static_cast<std::uint8_t>(transparent >= 0 ? 0x01 : 0x00)});
        word(3);  // 30 ms
        out.push_back(static_cast<std::uint8_t>(transparent >= 0 ? transparent : 0));
        out.push_back(0);
        out.push_back(0x2C);
        word(0);
        word(0);
        word(width);
        word(height);
        out.push_back(0);
        out.push_back(2);  // minimum code size: codes of 3 bits, clear = 4, end = 5
        std::vector<std::uint8_t> data;
        unsigned bits = 0;
        int count = 0;
        const auto code = [&](unsigned value) {
            bits |= value << count;
            count += 3;
            while (count >= 8) {
                data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        for (int pixel = 0; pixel < width * height; ++pixel) {
            code(4);
            code(static_cast<unsigned>(index));
        }
        code(5);
        if (count > 0)
            data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t size = std::min<size_t>(255, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(size));
            out.insert(out.end(), data.begin() + at, data.begin() + at + size);
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

const std::vector<Rgb> kPalette = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {0, 0, 0}};

struct PictureOnDialog {
    CTestDialog dialog;
    HWND window = nullptr;
    CPictureBoxEx picture;

    bool Open()
    {
        if (!dialog.Open(300, 200))
            return false;
        window = CreateChild(dialog.GetSafeHwnd(), L"STATIC", L"", 0, RECT{10, 10, 60, 60}, 1084);
        return window && picture.Attach(window);
    }

    COLORREF Shown()
    {
        PaintNow(window);
        return CaptureClient(window).At(1, 1);
    }
};

std::wstring TemporaryFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

}  // namespace

TEST(PictureBoxEx, AnAnimatedGifTakesItsSizeAndPlaysUntilStopped)
{
    PictureOnDialog host;
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.picture.LoadFromMemory(MakeGif(4, 3, kPalette, {0, 1, 2})));
    EXPECT_EQ(host.picture.GetFrameCount(), 3u);
    RECT client{};
    ::GetClientRect(host.window, &client);
    EXPECT_EQ(client.right, 4);
    EXPECT_EQ(client.bottom, 3);

    host.picture.Draw();
    EXPECT_TRUE(host.picture.IsAnimating());
    EXPECT_EQ(host.Shown(), RGB(200, 30, 30));
    EXPECT_TRUE(PumpUntil([&] { return host.picture.GetCurrentFrame() == 2; }));
    EXPECT_TRUE(PumpUntil([&] { return host.picture.GetCurrentFrame() == 0; }));  // it loops

    const HBITMAP offscreen = host.picture.GetOffscreenBitmap();
    host.picture.Stop();
    EXPECT_FALSE(host.picture.IsAnimating());
    EXPECT_FALSE(host.picture.HasImage());
    EXPECT_FALSE(IsGdiObjectAlive(offscreen));
    host.Shown();  // an empty control still paints
}

TEST(PictureBoxEx, TransparentPixelsShowTheBackgroundColourAndOneFrameIsDrawnOnce)
{
    PictureOnDialog host;
    ASSERT_TRUE(host.Open());
    host.picture.SetBackgroundColor(RGB(1, 2, 3));
    ASSERT_TRUE(host.picture.LoadFromMemory(MakeGif(2, 2, kPalette, {3}, 3)));
    host.picture.Draw();
    EXPECT_FALSE(host.picture.IsAnimating());
    EXPECT_EQ(host.Shown(), RGB(1, 2, 3));
}

TEST(PictureBoxEx, DestroyingTheWindowStopsTheAnimationAndFreesTheImage)
{
    PictureOnDialog host;
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.picture.LoadFromMemory(MakeGif(4, 3, kPalette, {0, 1})));
    host.picture.Draw();
    const HBITMAP offscreen = host.picture.GetOffscreenBitmap();
    ::DestroyWindow(host.window);
    EXPECT_FALSE(host.picture.IsAnimating());
    EXPECT_FALSE(IsGdiObjectAlive(offscreen));
}

TEST(PictureBoxEx, OtherImagesGoThroughTheSystemPictureLoader)
{
    // A 2 x 2 24-bit BMP file, bottom-up rows padded to 4 bytes, every pixel RGB(20, 120, 220).
    std::vector<std::uint8_t> bmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                                     0,   0,   1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0,   0,   0, 0, 0,  0};
    for (int row = 0; row < 2; ++row)
        bmp.insert(bmp.end(), {220, 120, 20, 220, 120, 20, 0, 0});
    PictureOnDialog host;
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.picture.LoadFromMemory(bmp));
    EXPECT_EQ(host.picture.GetFrameCount(), 1u);
    EXPECT_EQ(host.picture.GetImageSize().cx, 2);
    host.picture.Draw();
    EXPECT_EQ(host.Shown(), RGB(20, 120, 220));
}

TEST(PictureBoxEx, FilesThatCannotBeReadOrDecodedLeaveTheControlEmpty)
{
    PictureOnDialog host;
    ASSERT_TRUE(host.Open());
    const std::wstring path = TemporaryFile(L"velmora-picture-test.gif");
    const std::vector<std::uint8_t> gif = MakeGif(4, 3, kPalette, {0, 1});
    ASSERT_TRUE(CFile::WriteAll(path, std::string(gif.begin(), gif.end())));
    ASSERT_TRUE(host.picture.Load(path));
    host.picture.Draw();
    const HBITMAP previous = host.picture.GetOffscreenBitmap();

    EXPECT_FALSE(host.picture.Load(path + L".missing"));
    EXPECT_FALSE(host.picture.HasImage());
    EXPECT_FALSE(host.picture.IsAnimating());
    EXPECT_FALSE(IsGdiObjectAlive(previous));

    const std::string garbage = "GIF89a\x04";
    EXPECT_FALSE(host.picture.LoadFromMemory(
        std::vector<std::uint8_t>(garbage.begin(), garbage.end())));
    const std::string text = "not a picture at all";
    EXPECT_FALSE(host.picture.LoadFromMemory(std::vector<std::uint8_t>(text.begin(), text.end())));
    EXPECT_FALSE(host.picture.LoadFromMemory({}));
    EXPECT_FALSE(host.picture.HasImage());
    host.picture.Draw();  // nothing to play
    EXPECT_FALSE(host.picture.IsAnimating());
    host.Shown();

    // Someone writing the file keeps it from being read.
    UniqueHandle writer(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_FALSE(host.picture.Load(path));
    writer.reset();
    EXPECT_TRUE(host.picture.Load(path));
    ::DeleteFileW(path.c_str());
}

TEST(PictureBoxEx, TheProgramsLoadingAnimationPlays)
{
    PictureOnDialog host;
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.picture.Load(HostPath(VELMORA_TEST_DATA "/../../res/Loading.gif")));
    EXPECT_GT(host.picture.GetFrameCount(), 1u);
    EXPECT_EQ(host.picture.GetImageSize().cx, 200);
    EXPECT_EQ(host.picture.GetImageSize().cy, 21);
    host.picture.Draw();
    EXPECT_TRUE(PumpUntil([&] { return host.picture.GetCurrentFrame() > 0; }));
}
