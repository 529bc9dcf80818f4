// How windows of an application's own classes cooperate with the skin engine. The engine draws
// the system's control classes by itself; a window of another class that wants the skin's look
// names what it is with a window property, and a window that draws its own text over its
// parent can ask the parent which ink reads well on the skinned surface.
//
// Both work without the engine too: an absent property means "leave me alone", and the ink
// question answers 0 when no skin is attached (DefWindowProc answers registered messages with 0).
#pragma once

namespace base::skin_parts {

// Window property (SetPropW) holding one of the Part values, cast to a handle.
inline constexpr wchar_t kPartProperty[] = L"SkinEngine.Part";

enum class Part : int {
  kNone = 0,
  kPanel = 1,  // a plain container: the engine fills its client with the skin's panel surface
  kFrame = 2,  // a group frame: the engine draws the frame, and the caption from the window's
               // text in the font WM_GETFONT gives
};

// Window property (SetPropW) of a top-level window holding the DPI its layout is made for, cast
// to a handle. Without it the engine draws at the DPI the system gives the window.
inline constexpr wchar_t kDpiProperty[] = L"SkinEngine.Dpi";

// Registered window message (RegisterWindowMessageW). Sent to the window a control draws on:
// wParam is the text colour the control would use (a COLORREF; black means the default ink),
// lParam the asking control. The answer is 0 when no skin is attached, otherwise kInkAnswered
// plus the COLORREF to draw with.
inline constexpr wchar_t kInkMessage[] = L"SkinEngine.Ink";
inline constexpr unsigned long kInkAnswered = 0x01000000;

}  // namespace base::skin_parts
