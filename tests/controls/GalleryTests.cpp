// The gallery: every window's background with its controls placed as the windows place
// them (the settings window and the startup manager are the program's own windows),
// photographed in each state (normal, hover, pressed, disabled), plus the gauges, so
// that the look can be reviewed as pictures. Files go to TestOutputFolder()\gallery.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "controls/BitmapButtonEx.h"
#include "controls/CheckBox.h"
#include "controls/ItemListCtrl.h"
#include "controls/PictureBoxEx.h"
#include "controls/XColorStatic.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/controls/ControlsTestSupport.h"
#include "ui/ManageStartupDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/SendLogDialog.h"

namespace {

constexpr COLORREF kTitleBlue = RGB(13, 91, 153);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kButtonKey = 255;  // the colour every window passes: pure red

const std::array<const wchar_t*, 12> kSectionNames = {
    L"ActiveX / OLE",        L"Percorsi di programma",     L"Files Audio",          L"Files di Aiuto",
    L"Avvio di Windows",     L"Programmi di sistema",      L"Dll condivise",        L"Chiavi di registro vuote",
    L"Drivers di sistema",   L"Files di disinstallazione", L"Caratteri di Windows", L"Scorciatoie di programma",
};

enum class Variant { Normal, Hover, Pressed, Disabled };
constexpr std::array<Variant, 4> kVariants = {Variant::Normal, Variant::Hover, Variant::Pressed, Variant::Disabled};

const wchar_t* VariantName(Variant variant)
{
    switch (variant) {
    case Variant::Hover:
        return L"hover";
    case Variant::Pressed:
        return L"pressed";
    case Variant::Disabled:
        return L"disabled";
    default:
        return L"normal";
    }
}

RECT Place(int x, int y, int width, int height)
{
    return RECT{x, y, x + width, y + height};
}

// Paints everything now and saves the client area; no message is handled in between,
// so hover and press states are photographed before anything could end them.
bool PhotographWindow(HWND window, const std::wstring& name, const RECT* part = nullptr)
{
    PaintNow(window);
    Capture capture = CaptureClient(window);
    if (part) {
        Capture cut;
        cut.width = part->right - part->left;
        cut.height = part->bottom - part->top;
        for (int y = part->top; y < part->bottom; ++y) {
            for (int x = part->left; x < part->right; ++x)
                cut.pixels.push_back(capture.At(x, y));
        }
        capture = std::move(cut);
    }
    const std::wstring folder = TestOutputFolder() + L"\\gallery";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return capture.width > 0 && SaveBmp(capture, folder + L"\\" + name + L".bmp");
}

// The send-log window itself, with a snapshot that needs no running processes.
class GallerySendLogService final : public ISendLogService {
public:
    std::wstring BuildSnapshot(std::wstring& marked) override
    {
        marked.clear();
        return L"\r\nRunning Processes\r\nC:\\Windows\\explorer.exe\r\nC:\\Windows\\system32\\svchost.exe\r\n";
    }
    SubmitOutcome SubmitLog(const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&,
                            const std::atomic<bool>&) override
    {
        return SubmitOutcome::Failed;
    }
    std::wstring ProductVersion() const override { return L"3.0.6"; }
};

// One window of the program rebuilt from its layout: the skin and the skinned controls.
class Scene {
public:
    Scene(UINT skin, int width, int height)
    {
        m_dialog.SetTransparentLabels(true);
        m_dialog.SetDragEnabled(true);
        m_dialog.SetTransparentColor(RGB(255, 0, 255));
        m_ready = m_dialog.SetSkinBitmap(skin) && m_dialog.Open(width, height);
    }

    [[nodiscard]] bool Ready() const { return m_ready; }
    [[nodiscard]] HWND Window() const { return m_dialog.GetSafeHwnd(); }

    CBitmapButtonEx& Button(RECT place, UINT normal, UINT other, const wchar_t* caption = L"")
    {
        const HWND window = CreateChild(Window(), L"BUTTON", caption, BS_PUSHBUTTON, place, NextId());
        auto button = std::make_unique<CBitmapButtonEx>();
        static_cast<void>(button->Attach(window));
        static_cast<void>(button->LoadStateBitmaps(kButtonKey, normal, other));
        if (*caption) {
            button->SetCaption(caption);
            button->SetCaptionRect(RECT{0, 0, place.right - place.left, place.bottom - place.top});
            button->SetCaptionFont(8, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        m_buttons.push_back(std::move(button));
        return *m_buttons.back();
    }

    CXColorStatic& Label(RECT place, const wchar_t* text, COLORREF color, int points, int weight, DWORD style = 0)
    {
        const HWND window = CreateChild(Window(), L"STATIC", text, style, place, NextId());
        auto label = std::make_unique<CXColorStatic>();
        static_cast<void>(label->Attach(window));
        label->SetTextColor(color);
        label->SetTextFont(points, weight);
        m_labels.push_back(std::move(label));
        return *m_labels.back();
    }

    CCheckBox& Box(RECT place, bool checked, const wchar_t* text = L"", DWORD style = 0)
    {
        const HWND window = CreateChild(Window(), L"BUTTON", text, BS_CHECKBOX | style, place, NextId());
        ::SendMessageW(window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        auto box = std::make_unique<CCheckBox>();
        static_cast<void>(box->Attach(window));
        m_boxes.push_back(std::move(box));
        return *m_boxes.back();
    }

    HWND Picture(RECT place, UINT bitmap)
    {
        const HWND window = CreateChild(Window(), L"STATIC", L"", SS_BITMAP, place, NextId());
        UniqueGdiObject<HBITMAP> image(static_cast<HBITMAP>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap), IMAGE_BITMAP, 0, 0, 0)));
        ::SendMessageW(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image.get()));
        ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       SWP_NOZORDER);
        m_pictures.push_back(std::move(image));
        return window;
    }

    HWND Plain(const wchar_t* className, const wchar_t* text, DWORD style, RECT place, DWORD exStyle = 0)
    {
        return CreateChild(Window(), className, text, style, place, NextId(), exStyle);
    }

    void Adopt(std::unique_ptr<CSubclassedWindow> control) { m_others.push_back(std::move(control)); }

    void Apply(Variant variant)
    {
        for (auto& button : m_buttons) {
            const HWND window = button->GetSafeHwnd();
            if (variant == Variant::Hover)
                ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            else if (variant == Variant::Pressed)
                ::SendMessageW(window, BM_SETSTATE, TRUE, 0);
            else if (variant == Variant::Disabled)
                ::EnableWindow(window, FALSE);
        }
        for (auto& box : m_boxes) {
            const HWND window = box->GetSafeHwnd();
            if (variant == Variant::Hover)
                ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            else if (variant == Variant::Pressed)
                ::SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
            else if (variant == Variant::Disabled)
                ::EnableWindow(window, FALSE);
        }
    }

    bool Photograph(const std::wstring& name, const RECT* part = nullptr) { return PhotographWindow(Window(), name, part); }

private:
    int NextId() { return m_nextId++; }

    CTestDialog m_dialog;
    bool m_ready = false;
    int m_nextId = 2000;
    std::vector<std::unique_ptr<CBitmapButtonEx>> m_buttons;
    std::vector<std::unique_ptr<CXColorStatic>> m_labels;
    std::vector<std::unique_ptr<CCheckBox>> m_boxes;
    std::vector<std::unique_ptr<CSubclassedWindow>> m_others;
    std::vector<UniqueGdiObject<HBITMAP>> m_pictures;
};

UniqueGdiObject<HFONT> ArialOfHeight(int height, int weight)
{
    return UniqueGdiObject<HFONT>(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                                DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

void DrawResource(HDC dc, UINT id, int x, int y, bool masked)
{
    UniqueGdiObject<HBITMAP> image(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP info{};
    ::GetObjectW(image.get(), sizeof(info), &info);
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    SelectObjectGuard selected(source.get(), image.get());
    if (masked)
        ::TransparentBlt(dc, x, y, 13, 13, source.get(), 0, 0, 13, 13, RGB(255, 0, 255));
    else
        ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
}

void DrawCheckImage(HDC dc, bool chosen, int x, int y)
{
    UniqueGdiObject<HBITMAP> strip(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_CHECKBOX_STRIP), IMAGE_BITMAP, 0, 0, 0)));
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    SelectObjectGuard selected(source.get(), strip.get());
    ::TransparentBlt(dc, x, y, 13, 13, source.get(), chosen ? 0 : 13, 0, 13, 13, RGB(255, 0, 255));
}

void PaintSectionRows(HWND window, HDC dc);
void PaintProblemRows(HWND window, HDC dc);

// Stand-ins for the results windows' own lists, drawn by their row rules, to show the
// pictures of the skin where they are used.
LRESULT CALLBACK SectionRowsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return ::DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    PaintSectionRows(window, dc);
    ::EndPaint(window, &paint);
    return 0;
}

void PaintSectionRows(HWND window, HDC dc)
{
    RECT client{};
    ::GetClientRect(window, &client);
    UniqueGdiObject<HBRUSH> grey(::CreateSolidBrush(RGB(238, 238, 238)));
    ::FillRect(dc, &client, grey.get());
    auto font = ArialOfHeight(15, FW_BOLD);
    SelectObjectGuard selectedFont(dc, font.get());
    UniqueGdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, RGB(225, 225, 225)));
    SelectObjectGuard selectedPen(dc, pen.get());
    ::SetBkMode(dc, TRANSPARENT);
    const std::array<int, 5> counts = {12, 45, 75, 110, 270};
    const std::array<int, 5> sections = {0, 2, 5, 7, 11};
    for (int row = 0; row < 5; ++row) {
        const int y = row * 35;
        ::SetTextColor(dc, RGB(45, 54, 63));
        ::TextOutW(dc, 25, y + 10, kSectionNames[sections[row]], lstrlenW(kSectionNames[sections[row]]));
        ::SetTextColor(dc, RGB(152, 2, 9));
        const std::wstring count = std::to_wstring(counts[row]);
        RECT countArea{240, y + 10, 270, y + 30};
        ::DrawTextW(dc, count.c_str(), -1, &countArea, DT_RIGHT | DT_SINGLELINE);
        ::MoveToEx(dc, 0, y + 34, nullptr);
        ::LineTo(dc, 600, y + 34);
        DrawCheckImage(dc, row != 3, 5, y + 10);
        DrawResource(dc, IDB_DETAILS_ICON, 200, y + 10, false);
        DrawResource(dc, IDB_SEVERITY_1 + row, 290, y, false);
    }
}

LRESULT CALLBACK ProblemRowsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return ::DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    PaintProblemRows(window, dc);
    ::EndPaint(window, &paint);
    return 0;
}

void PaintProblemRows(HWND window, HDC dc)
{
    RECT client{};
    ::GetClientRect(window, &client);
    UniqueGdiObject<HBRUSH> even(::CreateSolidBrush(RGB(244, 246, 209)));
    ::FillRect(dc, &client, even.get());
    auto bold = ArialOfHeight(14, FW_BOLD);
    auto plain = ArialOfHeight(12, FW_NORMAL);
    UniqueGdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, RGB(128, 128, 128)));
    SelectObjectGuard selectedPen(dc, pen.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(45, 54, 63));
    for (int row = 0; row < 4; ++row) {
        const int y = row * 60;
        const COLORREF back = row == 1 ? RGB(219, 225, 102) : (row % 2 ? RGB(255, 255, 255) : RGB(244, 246, 209));
        UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(back));
        RECT band{0, y, 430, y + 60};
        ::FillRect(dc, &band, brush.get());
        {
            SelectObjectGuard selected(dc, bold.get());
            ::TextOutW(dc, 25, y + 5, L"Invalid file reference", 22);
        }
        {
            SelectObjectGuard selected(dc, plain.get());
            RECT area{25, y + 20, 410, y + 55};
            const wchar_t* reason =
                L"HKEY_LOCAL_MACHINE\\ SOFTWARE\\ Microsoft\\ Windows\\ CurrentVersion\\ App Paths\\ "
                L"oldtool.exe\\ C:\\ Program Files\\ Old Tool\\ oldtool.exe";
            ::DrawTextW(dc, reason, -1, &area, DT_WORDBREAK | DT_NOPREFIX);
        }
        ::MoveToEx(dc, 0, y + 59, nullptr);
        ::LineTo(dc, 600, y + 59);
        DrawCheckImage(dc, row != 2, 5, y + 18);
    }
}

void RegisterRowsClass(const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSW description{};
    if (::GetClassInfoW(::GetModuleHandleW(nullptr), name, &description))
        return;
    description.lpfnWndProc = procedure;
    description.hInstance = ::GetModuleHandleW(nullptr);
    description.lpszClassName = name;
    description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&description);
}

void BuildMainWindow(Scene& scene, bool problems)
{
    for (int section = 0; section < 12; ++section) {
        const int x = section < 6 ? 280 : 510;
        const int y = 225 + 20 * (section % 6);
        scene.Box(Place(x, y, 13, 13), section != 4 && section != 9);
        scene.Label(Place(x + 20, y - 2, 160, 21), kSectionNames[section], kTitleBlue, 10, FW_NORMAL);
    }
    scene.Button(Place(32, 92, 181, 50), IDB_SCAN_NORMAL, IDB_SCAN_ACTIVE);
    scene.Button(Place(32, 152, 181, 50), IDB_SETTINGS_NORMAL, IDB_SETTINGS_ACTIVE);
    scene.Button(Place(32, 212, 181, 50), IDB_BACKUP_NORMAL, IDB_BACKUP_ACTIVE);
    scene.Button(Place(32, 272, 181, 50), IDB_STARTUP_NORMAL, IDB_STARTUP_ACTIVE);
    scene.Button(Place(30, 334, 181, 50), IDB_ADVANCED_REPAIR_NORMAL, IDB_ADVANCED_REPAIR_ACTIVE);
    scene.Button(Place(488, 51, 80, 31), IDB_BUTTON_HEADER, 0, L"Aggiorna");
    scene.Button(Place(652, 51, 80, 31), IDB_BUTTON_HEADER, 0, L"Aiuto");
    scene.Button(Place(708, 9, 24, 24), IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_ACTIVE);
    scene.Button(Place(735, 9, 24, 24), IDB_CLOSE_NORMAL, IDB_CLOSE_ACTIVE);
    scene.Button(Place(469, 476, 113, 31), IDB_REPAIR_NORMAL, IDB_REPAIR_ACTIVE);
    scene.Button(Place(589, 476, 113, 31), IDB_NEW_SCAN_NORMAL, IDB_NEW_SCAN_ACTIVE);
    scene.Label(Place(18, 12, 90, 15), L"Velmora v3.0.6", kWhite, 10, FW_BOLD);
    scene.Label(Place(115, 465, 124, 13), L"3.0.6", kWhite, 8, FW_NORMAL);
    scene.Label(Place(115, 483, 124, 13), L"08/12/2026", kWhite, 8, FW_NORMAL);
    if (problems)
        scene.Label(Place(115, 522, 126, 13), L"Disponibili", RGB(255, 255, 0), 8, FW_BOLD);
    else
        scene.Label(Place(115, 522, 126, 13), L"Non disponibili", kWhite, 8, FW_NORMAL);
    scene.Label(Place(257, 390, 200, 15), L"08/12/2026 21:47", kRed, 10, FW_BOLD);
    if (problems) {
        scene.Label(Place(257, 409, 200, 21), L"131 Errori di Registro", kRed, 11, FW_BOLD);
        scene.Picture(Place(480, 380, 210, 75), IDB_GAUGE_STEP_5);
    } else {
        scene.Label(Place(257, 409, 200, 21), L"0 Errori di Registro", kGreen, 11, FW_BOLD);
        scene.Picture(Place(480, 380, 210, 75), IDB_GAUGE_UNKNOWN);
    }
}

void BuildScanProgress(Scene& scene)
{
    scene.Label(Place(50, 30, 250, 40), L"Scansione del Registro", kTitleBlue, 14, FW_NORMAL);
    scene.Label(Place(50, 90, 420, 40),
                L"Scansione del PC in esecuzione. Il completamento dell’operazione può richiedere alcuni minuti.",
                kBlack, 9, FW_BOLD);
    scene.Label(Place(50, 140, 420, 21), L"HKEY_CLASSES_ROOT\\CLSID\\{0A4286EA-E355-44FB-8086-AF3DF7645BD9}\\Inpro..",
                RGB(128, 128, 128), 8, FW_NORMAL);
    const HWND progress = scene.Plain(PROGRESS_CLASSW, L"", 0, Place(50, 160, 420, 21));
    ::SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageW(progress, PBM_SETPOS, 41, 0);
    scene.Button(Place(415, 398, 81, 21), IDB_BUTTON, 0, L"Stop scansione");
    for (int section = 0; section < 12; ++section) {
        const int x = section < 6 ? 50 : 300;
        const int y = 225 + 20 * (section % 6);
        scene.Label(Place(x + 25, y, 200, 21), kSectionNames[section], kTitleBlue, 10, FW_NORMAL);
        const std::wstring count = L"(" + std::to_wstring(section < 5 ? section * 3 : 0) + L")";
        scene.Label(Place(x, y + 2, 25, 21), count.c_str(), RGB(154, 0, 0), 7, FW_NORMAL);
    }
    const HWND animation = scene.Plain(L"STATIC", L"", 0, Place(300, 325, 200, 21));
    auto picture = std::make_unique<CPictureBoxEx>();
    static_cast<void>(picture->Attach(animation));
    if (picture->Load(HostPath(VELMORA_TEST_DATA "/../../res/Loading.gif"))) {
        picture->Draw();
        ::SetWindowPos(animation, nullptr, 25, 225 + 20 * 4, 21, 21, SWP_NOZORDER);
    }
    scene.Adopt(std::move(picture));
}

void BuildResults(Scene& scene)
{
    RegisterRowsClass(L"VelmoraGallerySections", &SectionRowsProc);
    scene.Label(Place(40, 40, 250, 40), L"RISULTATO DELLA SCANSIONE", kTitleBlue, 13, FW_NORMAL);
    scene.Label(Place(85, 100, 351, 21), L"Attenzione! Sono stati trovati 512 errori di Registro.", kWhite, 10,
                FW_BOLD);
    scene.Plain(L"VelmoraGallerySections", L"", 0, Place(40, 182, 454, 176));
    scene.Label(Place(320, 373, 181, 21), L"512", RGB(152, 2, 9), 12, FW_BOLD);
    scene.Button(Place(275, 410, 90, 21), IDB_BUTTON_WIDE, 0, L"Crea Rapporto");
    scene.Button(Place(370, 410, 121, 21), IDB_BUTTON_WIDE, 0, L"Ripara i problemi");
}

void BuildSectionResults(Scene& scene)
{
    RegisterRowsClass(L"VelmoraGalleryProblems", &ProblemRowsProc);
    scene.Label(Place(50, 30, 250, 45), L"Percorsi di programma", kTitleBlue, 14, FW_NORMAL);
    scene.Label(Place(50, 70, 351, 21), L"4 Problemi sono stati rilevati in questa sezione.", kBlack, 9, FW_BOLD);
    scene.Label(Place(50, 90, 351, 50),
                L"Seleziona / Deseleziona manualmente gli errori per una riparazione personalizzata del Registro.",
                kBlack, 9, FW_NORMAL);
    scene.Plain(L"VelmoraGalleryProblems", L"", WS_VSCROLL, Place(50, 140, 430, 252));
    scene.Button(Place(300, 410, 81, 21), IDB_BUTTON, 0, L"Salva");
    scene.Button(Place(400, 410, 81, 21), IDB_BUTTON, 0, L"Annulla");
}

void BuildSummary(Scene& scene)
{
    scene.Label(Place(40, 30, 250, 21), L"DATI DI RIPARAZIONE", kTitleBlue, 14, FW_NORMAL);
    int totals[3] = {0, 0, 0};
    for (int section = 0; section < 12; ++section) {
        const int y = 122 + 24 * section;
        scene.Label(Place(50, y, 160, 21), kSectionNames[section], RGB(19, 155, 175), 10, FW_NORMAL);
        const int found = (section * 7) % 12;
        const int ignored = section % 3 == 0 ? found / 2 : 0;
        const int values[3] = {found, found - ignored, ignored};
        for (int column = 0; column < 3; ++column) {
            totals[column] += values[column];
            scene.Label(Place(320 + 80 * column, y, 30, 21), std::to_wstring(values[column]).c_str(), kBlack, 10,
                        FW_NORMAL, SS_CENTER);
        }
    }
    for (int column = 0; column < 3; ++column)
        scene.Label(Place(320 + 80 * column, 410, 30, 21), std::to_wstring(totals[column]).c_str(), kTitleBlue, 12,
                    FW_BOLD, SS_CENTER);
    scene.Button(Place(440, 450, 81, 21), IDB_BUTTON, 0, L"Chiudi");
}

void BuildRestore(Scene& scene)
{
    scene.Label(Place(35, 30, 250, 60), L"BACKUP DEL REGISTRO", kTitleBlue, 14, FW_NORMAL);
    scene.Label(Place(35, 82, 381, 60),
                L"Un backup del registro viene creato automaticamente a ogni riparazione del PC. Se desideri "
                L"ripristinare una precedente configurazione del registro, seleziona una delle date disponibili e "
                L"clicca sul pulsante \"Ripristina\".",
                kBlack, 8, FW_NORMAL);
    scene.Box(Place(35, 140, 13, 13), false);
    scene.Label(Place(50, 140, 151, 21), L"Seleziona / Deseleziona tutto", kTitleBlue, 8, FW_NORMAL);
    const HWND list = scene.Plain(WC_LISTBOXW, L"", LBS_MULTIPLESEL | WS_VSCROLL | WS_BORDER,
                                  Place(35, 165, 381, 170));
    for (const wchar_t* line : {L"Monday, December 07, 2026 21:47", L"Tuesday, December 08, 2026 09:12"})
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    scene.Button(Place(135, 350, 81, 21), IDB_BUTTON, 0, L"Elimina");
    scene.Button(Place(235, 350, 81, 21), IDB_BUTTON, 0, L"Ripristina");
    scene.Button(Place(335, 350, 81, 21), IDB_BUTTON, 0, L"Chiudi");
}

void BuildRepair(Scene& scene)
{
    scene.Label(Place(50, 30, 181, 45), L"RIPARAZIONE IN CORSO", kTitleBlue, 14, FW_NORMAL);
    scene.Label(Place(50, 100, 350, 40), L"Attendere fino a quando il processo di riparazione sarà concluso.",
                kBlack, 8, FW_BOLD);
    scene.Label(Place(50, 160, 351, 30), L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                kBlack, 8, FW_NORMAL);
    const HWND progress = scene.Plain(PROGRESS_CLASSW, L"", 0, Place(50, 210, 351, 21));
    ::SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 3));
    ::SendMessageW(progress, PBM_SETPOS, 2, 0);
    scene.Button(Place(340, 350, 81, 21), IDB_BUTTON, 0, L"Chiudi");
}

// What the real settings window and startup manager show in the pictures.
class GallerySettings final : public ISettingsService {
public:
    std::wstring ReadSetting(const std::wstring& name) const override
    {
        return name == L"StartScanAtProgramStartup" ? L"false" : L"true";
    }
    void WriteSetting(const std::wstring&, const std::wstring&) override {}
    bool HasStartWithWindowsEntry() const override { return true; }
    void SetStartWithWindowsEntry(bool) override {}
    bool GetScanSchedule(ScanScheduleSetting& setting) const override
    {
        setting = {ScheduleWeekly, 21, 30, 0x22};
        return true;
    }
    bool SetScanSchedule(const ScanScheduleSetting&) override { return true; }
    void OpenReportFolder() override {}
};

class GalleryStartup final : public IStartupService {
public:
    CRegistryItemListEx GetStartupEntries() const override
    {
        CRegistryItemListEx entries;
        const auto add = [&](RootKey root, const wchar_t* name, const wchar_t* command) {
            entries.Add(RegistryItemAt(root, kStartupRunKey, name, command));
        };
        add(kRootCurrentUser, L"OneSync", L"\"C:\\Users\\anna\\AppData\\OneSync.exe\" /background");
        add(kRootLocalMachine, L"Velmora", L"\"C:\\Program Files\\Velmora\\Velmora.exe\"");
        add(kRootLocalMachine, L"AudioTray", L"C:\\Windows\\audiotray.exe -tray");
        return entries;
    }
    StartupRemoval RemoveStartupEntry(std::size_t, const CRegistryItem&) override { return StartupRemoval::Removed; }
};

// The program's own window in a state: buttons and check boxes are told the mouse is
// over them, pressed or disabled, as the scenes' controls are.
void ApplyToRealWindow(HWND window, Variant variant)
{
    std::vector<HWND> buttons;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            wchar_t name[16] = {};
            ::GetClassNameW(child, name, 16);
            if (lstrcmpiW(name, L"Button") == 0)
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    for (const HWND button : buttons) {
        RECT place{};
        ::GetWindowRect(button, &place);
        const bool isBox = place.right - place.left == CCheckBox::kBoxSize;
        if (variant == Variant::Hover)
            ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        else if (variant == Variant::Pressed && isBox)
            ::SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
        else if (variant == Variant::Pressed)
            ::SendMessageW(button, BM_SETSTATE, TRUE, 0);
        else if (variant == Variant::Disabled)
            ::EnableWindow(button, FALSE);
    }
}

// The program's own window, opened afresh for each state, as the scenes are.
bool PhotographRealWindow(CDialogBase& dialog, const std::wstring& name)
{
    const std::wstring folder = TestOutputFolder() + L"\\gallery";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const Variant variant : kVariants) {
        if (!dialog.Create(TestStage()))
            return false;
        const HWND window = dialog.GetSafeHwnd();
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        PumpMessages();
        ApplyToRealWindow(window, variant);
        PaintNow(window);
        const Capture capture = CaptureClient(window);
        dialog.EndDialog(IDCANCEL);
        if (capture.width == 0 || !SaveBmp(capture, folder + L"\\" + name + L"-" + VariantName(variant) + L".bmp"))
            return false;
    }
    return true;
}

struct Window {
    const wchar_t* name;
    UINT skin;
    int width;
    int height;
    void (*build)(Scene&);
};

}  // namespace

TEST(Gallery, EveryWindowInEveryStateIsPhotographed)
{
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    const std::array<Window, 8> windows = {{
        {L"main", IDB_MAIN_BACKGROUND, 770, 571, [](Scene& s) { BuildMainWindow(s, true); }},
        {L"main-clean", IDB_MAIN_BACKGROUND, 770, 571, [](Scene& s) { BuildMainWindow(s, false); }},
        {L"scan-progress", IDB_PANEL_BACKGROUND, 528, 481, &BuildScanProgress},
        {L"results", IDB_RESULTS_BACKGROUND, 526, 481, &BuildResults},
        {L"section-results", IDB_PANEL_BACKGROUND, 526, 481, &BuildSectionResults},
        {L"summary", IDB_SUMMARY_BACKGROUND, 570, 518, &BuildSummary},
        {L"restore", IDB_SMALL_PANEL_BACKGROUND, 450, 413, &BuildRestore},
        {L"repair", IDB_SMALL_PANEL_BACKGROUND, 450, 413, &BuildRepair},
    }};
    for (const Window& window : windows) {
        for (const Variant variant : kVariants) {
            Scene scene(window.skin, window.width, window.height);
            ASSERT_TRUE(scene.Ready());
            window.build(scene);
            scene.Apply(variant);
            EXPECT_TRUE(scene.Photograph(std::wstring(window.name) + L"-" + VariantName(variant)));
        }
    }
    {
        GallerySettings settingsSource;
        CSettingsDialog settings(settingsSource);
        EXPECT_TRUE(PhotographRealWindow(settings, L"settings"));
        GalleryStartup startupSource;
        CManageStartupDialog startup(startupSource);
        EXPECT_TRUE(PhotographRealWindow(startup, L"startup-manager"));
    }
    {
        GallerySendLogService service;
        CSendLogDialog sendLog(service);
        ASSERT_TRUE(sendLog.Create());
        ::SetDlgItemTextW(sendLog.GetSafeHwnd(), IDC_SEND_LOG_NAME, L"Anna");
        EXPECT_TRUE(PhotographWindow(sendLog.GetSafeHwnd(), L"send-log-normal"));
        sendLog.EndDialog(IDCANCEL);
    }
    {
        // The animation as it plays: photographed at three frames of its loop.
        Scene scene(IDB_PANEL_BACKGROUND, 528, 481);
        ASSERT_TRUE(scene.Ready());
        scene.Label(Place(50, 170, 300, 21), L"Loading.gif", kTitleBlue, 10, FW_NORMAL);
        const HWND window = scene.Plain(L"STATIC", L"", 0, Place(50, 200, 200, 21));
        auto picture = std::make_unique<CPictureBoxEx>();
        ASSERT_TRUE(picture->Attach(window));
        ASSERT_TRUE(picture->Load(HostPath(VELMORA_TEST_DATA "/../../res/Loading.gif")));
        picture->Draw();
        const RECT part{40, 160, 260, 230};
        const size_t count = picture->GetFrameCount();
        for (const size_t frame : {count / 6, count / 3, count / 2}) {
            EXPECT_TRUE(PumpUntil([&] { return picture->GetCurrentFrame() >= frame; }));
            EXPECT_TRUE(scene.Photograph(L"loading-frame" + std::to_wstring(frame), &part));
        }
        scene.Adopt(std::move(picture));
    }
    const std::array<std::pair<UINT, const wchar_t*>, 6> gauges = {{{IDB_GAUGE_UNKNOWN, L"unknown"},
                                                                    {IDB_GAUGE_STEP_1, L"step1"},
                                                                    {IDB_GAUGE_STEP_2, L"step2"},
                                                                    {IDB_GAUGE_STEP_3, L"step3"},
                                                                    {IDB_GAUGE_STEP_4, L"step4"},
                                                                    {IDB_GAUGE_STEP_5, L"step5"}}};
    for (const auto& [bitmap, name] : gauges) {
        Scene scene(IDB_MAIN_BACKGROUND, 770, 571);
        ASSERT_TRUE(scene.Ready());
        scene.Label(Place(257, 390, 200, 15), L"08/12/2026 21:47", kRed, 10, FW_BOLD);
        scene.Label(Place(257, 409, 200, 21), L"45 Errori di Registro", kRed, 11, FW_BOLD);
        scene.Picture(Place(480, 380, 210, 75), bitmap);
        const RECT card{240, 356, 770, 532};
        EXPECT_TRUE(scene.Photograph(std::wstring(L"gauge-") + name, &card));
    }
}
