#include "controls/PictureBoxEx.h"

#include "controls/DpiScale.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "core/GifDecoder.h"
#include "framework/WinThread.h"

namespace {

// Browsers show frames with no delay, or a delay below 20 ms, for 100 ms; so does this.
constexpr unsigned kShortestDelayMs = 20;
constexpr unsigned kDefaultDelayMs = 100;
constexpr unsigned kMaxPictureSide = 4096;

std::uint32_t ToDibPixel(COLORREF color)
{
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) | (static_cast<std::uint32_t>(GetGValue(color)) << 8) |
           GetBValue(color);
}

}  // namespace

struct CPictureBoxEx::Canvas {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<GifFrame> frames;  // never changed while the animation thread runs
    UniqueGdiObject<HBITMAP> bitmap;  // 32 bpp top-down DIB section: the off-screen bitmap
    std::uint32_t* bits = nullptr;
    std::uint32_t background = 0;
    HWND window = nullptr;
    std::mutex lock;  // the thread writes `bits` while the window copies them
    std::atomic<size_t> current{0};
    // One per play, never reset: a thread that outlives the stop's wait still finds it set.
    UniqueHandle stopEvent;

    [[nodiscard]] unsigned DelayOf(size_t index) const
    {
        const unsigned delay = frames[index].delayMs;
        return delay < kShortestDelayMs ? kDefaultDelayMs : delay;
    }

    void Compose(size_t index)
    {
        const std::vector<std::uint32_t>& pixels = frames[index].pixels;
        std::lock_guard<std::mutex> guard(lock);
        for (size_t i = 0; i < pixels.size(); ++i)
            bits[i] = (pixels[i] & kGifOpaqueAlpha) ? (pixels[i] & 0x00FFFFFFu) : background;
        current = index;
    }
};

namespace {

class CAnimationThread : public CWinThread {
public:
    explicit CAnimationThread(std::shared_ptr<CPictureBoxEx::Canvas> canvas) : m_canvas(std::move(canvas))
    {
        // It may outlive the control (a stop that times out); it then frees itself.
        m_bAutoDelete = true;
    }

    int Run() override
    {
        const size_t count = m_canvas->frames.size();
        size_t index = m_canvas->current;
        while (::WaitForSingleObject(m_canvas->stopEvent.get(), m_canvas->DelayOf(index)) == WAIT_TIMEOUT) {
            index = (index + 1) % count;
            m_canvas->Compose(index);
            ::InvalidateRect(m_canvas->window, nullptr, FALSE);
        }
        return 0;
    }

private:
    std::shared_ptr<CPictureBoxEx::Canvas> m_canvas;
};

bool ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes)
{
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > CPictureBoxEx::kMaxFileBytes)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr) || read == 0)
            return false;
        done += read;
    }
    return true;
}

// One image through the system's picture loader, composed over `background`.
bool LoadPicture(std::span<const std::uint8_t> bytes, COLORREF background, GifImage& image)
{
    if (bytes.empty() || bytes.size() > CPictureBoxEx::kMaxFileBytes)
        return false;
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory)
        return false;
    if (void* target = ::GlobalLock(memory)) {
        std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(target));
        ::GlobalUnlock(memory);
    } else {
        ::GlobalFree(memory);
        return false;
    }
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {
        ::GlobalFree(memory);
        return false;
    }
    ComPtr<IPicture> picture;
    if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                picture.put_void())))
        return false;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    if (FAILED(picture->get_Width(&himetricWidth)) || FAILED(picture->get_Height(&himetricHeight)))
        return false;
    const HDC screen = ::GetDC(nullptr);
    const int width = ::MulDiv(himetricWidth, ::GetDeviceCaps(screen, LOGPIXELSX), 2540);
    const int height = ::MulDiv(himetricHeight, ::GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ::ReleaseDC(nullptr, screen);
    if (width <= 0 || height <= 0 || width > static_cast<int>(kMaxPictureSide) ||
        height > static_cast<int>(kMaxPictureSide))
        return false;

    void* bits = nullptr;
    UniqueGdiObject<HBITMAP> target = CreateTopDownDib(nullptr, width, height, &bits);
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!target || !bits || !dc)
        return false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + count, ToDibPixel(background));
    {
        SelectObjectGuard selected(dc.get(), target.get());
        if (FAILED(picture->Render(dc.get(), 0, 0, width, height, 0, himetricHeight, himetricWidth,
                                   -himetricHeight, nullptr)))
            return false;
        ::GdiFlush();
    }
    GifFrame frame;
    frame.pixels.resize(count);
    for (size_t i = 0; i < count; ++i)
        frame.pixels[i] = pixels[i] | kGifOpaqueAlpha;
    image.width = static_cast<unsigned>(width);
    image.height = static_cast<unsigned>(height);
    image.frames.clear();
    image.frames.push_back(std::move(frame));
    return true;
}

}  // namespace

CPictureBoxEx::~CPictureBoxEx()
{
    Stop();
}

bool CPictureBoxEx::Load(const std::wstring& path)
{
    Stop();
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        return false;
    return LoadFromMemory(bytes);
}

bool CPictureBoxEx::LoadFromMemory(std::span<const std::uint8_t> bytes)
{
    Stop();
    GifImage image;
    if (IsGif(bytes)) {
        GifLimits limits;
        limits.maxTotalPixels = std::size_t{16} << 20;
        auto decoded = DecodeGif(bytes, limits);
        if (!decoded)
            return false;
        image = std::move(*decoded);
    } else if (!LoadPicture(bytes, m_background, image)) {
        return false;
    }
    auto canvas = std::make_shared<Canvas>();
    canvas->width = image.width;
    canvas->height = image.height;
    canvas->frames = std::move(image.frames);
    return Prepare(std::move(canvas));
}

bool CPictureBoxEx::Prepare(std::shared_ptr<Canvas> canvas)
{
    void* bits = nullptr;
    canvas->bitmap = CreateTopDownDib(nullptr, static_cast<int>(canvas->width), static_cast<int>(canvas->height),
                                      &bits);
    if (!canvas->bitmap || !bits)
        return false;
    canvas->bits = static_cast<std::uint32_t*>(bits);
    canvas->background = ToDibPixel(m_background);
    canvas->window = m_hWnd;
    const size_t count = static_cast<size_t>(canvas->width) * canvas->height;
    std::fill(canvas->bits, canvas->bits + count, canvas->background);
    m_canvas = std::move(canvas);
    if (m_hWnd) {
        const CDpiScale scale = CDpiScale::OfWindow(m_hWnd);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, scale.Px(static_cast<int>(m_canvas->width)),
                       scale.Px(static_cast<int>(m_canvas->height)), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    return true;
}

void CPictureBoxEx::Draw()
{
    if (!m_canvas || m_thread)
        return;
    m_canvas->window = m_hWnd;
    m_canvas->Compose(0);
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    if (m_canvas->frames.size() < 2 || !m_hWnd)
        return;
    m_canvas->stopEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_canvas->stopEvent)
        return;
    auto thread = std::make_unique<CAnimationThread>(m_canvas);
    if (!thread->CreateThread(true))
        return;
    // The object frees itself when the thread ends, so the wait uses a handle of our own.
    HANDLE own = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    const bool duplicated = ::DuplicateHandle(process, thread->GetThreadHandle(), process, &own, SYNCHRONIZE, FALSE,
                                              0) != FALSE;
    CAnimationThread* running = thread.release();
    if (!duplicated)
        ::SetEvent(m_canvas->stopEvent.get());  // it ends at once and frees itself; the first frame stays
    else
        m_thread.reset(own);
    running->ResumeThread();
}

void CPictureBoxEx::Stop()
{
    if (m_thread) {
        ::SetEvent(m_canvas->stopEvent.get());
        ::WaitForSingleObject(m_thread.get(), kStopWaitMs);
        m_thread.reset();
    }
    // A thread still running holds its own reference: what it draws into stays alive.
    m_canvas.reset();
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

size_t CPictureBoxEx::GetFrameCount() const
{
    return m_canvas ? m_canvas->frames.size() : 0;
}

SIZE CPictureBoxEx::GetImageSize() const
{
    return m_canvas ? SIZE{static_cast<LONG>(m_canvas->width), static_cast<LONG>(m_canvas->height)} : SIZE{0, 0};
}

size_t CPictureBoxEx::GetCurrentFrame() const
{
    return m_canvas ? m_canvas->current.load() : 0;
}

HBITMAP CPictureBoxEx::GetOffscreenBitmap() const
{
    return m_canvas ? m_canvas->bitmap.get() : nullptr;
}

void CPictureBoxEx::Paint()
{
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (!dc)
        return;
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    if (source) {
        std::lock_guard<std::mutex> guard(m_canvas->lock);
        SelectObjectGuard selected(source.get(), m_canvas->bitmap.get());
        // The picture fills the control, which the window sized for its DPI.
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, static_cast<int>(m_canvas->width),
                     static_cast<int>(m_canvas->height), SRCCOPY);
    }
    ::EndPaint(m_hWnd, &paint);
}

LRESULT CPictureBoxEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT answer = 0; m_accessible.OnMessage(m_hWnd, message, wParam, lParam, answer))
        return answer;
    switch (message) {
    case WM_PAINT:
        if (m_canvas) {
            Paint();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (m_canvas)
            return TRUE;
        break;
    case WM_DESTROY:
        Stop();
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}
