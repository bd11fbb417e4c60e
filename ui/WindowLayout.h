#pragma once
// Set-up steps every skinned window repeats for its template's controls: put a control at
// its place in client pixels (given for 96 DPI, scaled to the window's), make a label or
// a button skinned. A control missing from
// the template is skipped, so a window still opens with what it has.

#include "controls/AccessibleAnnotation.h"
#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/CheckBox.h"
#include "controls/XColorStatic.h"
#include "res/resource.h"
#include "ui/Looks.h"

#include <windows.h>

#include <string>
#include <vector>

struct ControlPlace {
    int x;
    int y;
    int width;
    int height;
};

// A skinned window's look: its skin bitmap, its client size, and the height the skin
// paints (the window is centred as if it were that tall), in 96-DPI pixels.
struct WindowSkin {
    UINT bitmap;
    int width;
    int height;
    int skinHeight;
};

inline constexpr WindowSkin kPanelSkin{IDB_PANEL_BACKGROUND, 528, 481, 461};
inline constexpr WindowSkin kNarrowPanelSkin{IDB_PANEL_BACKGROUND, 526, 481, 461};
inline constexpr WindowSkin kSmallPanelSkin{IDB_SMALL_PANEL_BACKGROUND, 450, 413, 393};

// Pure red: the transparent colour of every button face.
inline constexpr COLORREF kButtonTransparent = RGB(255, 0, 0);

// Skins, sizes and centres the window and gives it its title.
void SetUpSkinnedPanel(CBitmapDialog& window, const WindowSkin& skin, const std::wstring& title);

// Moves and sizes the dialog's control.
void PlaceControl(HWND dialog, int id, const ControlPlace& place);

// Subclasses the label, gives it its font and colour and puts it at `place` (null keeps
// the template's place); its window text becomes `text`, so it can be read back.
void SetUpLabel(CXColorStatic& label, HWND dialog, int id, const LabelLook& look, const std::wstring& text,
                const ControlPlace* place);

// A button whose face bitmaps carry its caption: `normalId`, and `activeId` for the
// pressed, hover and disabled states (0: the normal bitmap again).
void SetUpImageButton(CBitmapButtonEx& button, HWND dialog, int id, UINT normalId, UINT activeId,
                      const ControlPlace& place);

// A button drawn from a plain face with its caption painted over it in 8-point Arial,
// centred.
void SetUpCaptionButton(CBitmapButtonEx& button, HWND dialog, int id, UINT faceId, const std::wstring& caption,
                        const ControlPlace& place);

// Names a control the program does not draw itself (a picture, a progress bar).
void SetUpAnnotation(CAccessibleAnnotation& control, HWND dialog, int id, std::wstring name);

// The check box takes its name from the label beside it, and a click on the label
// clicks the box.
void PairBoxWithLabel(CCheckBox& box, CXColorStatic& label);

// Tab goes through these controls in this order (their z-order), before the others.
void SetTabOrder(HWND dialog, const std::vector<int>& ids);
// The first focus of a window: its initialisation then returns FALSE.
void FocusControl(HWND dialog, int id);

// A tooltip window for the dialog's controls (white, up to 400 pixels wide, shown after
// 350 ms for 4 s); null when it cannot be made. The dialog owns it: it goes with the dialog.
[[nodiscard]] HWND CreateControlTooltips(HWND dialog);
// Shows `text` over the dialog's control; nothing when the control is missing.
void AddControlTooltip(HWND tooltips, HWND dialog, int id, const std::wstring& text);
