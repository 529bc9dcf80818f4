// Win32 rendering of the control kinds. Standard kinds (edit box, button, radio box, combo box,
// tab control, rich edit) are the system's controls; group boxes, tab pages, transparent labels,
// the hypertext box and picture boxes are classes of this file. Containers forward commands and
// notifications to the top-level window, which routes them to handlers.
#include "ui/widgets_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <richedit.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "base/skin_parts.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/balloon_tip_win.h"
#include "ui/hypertext.h"
#include "ui/hypertext_win.h"
#include "ui/png_picture.h"

namespace ui::widgets {

using base::GbkFromWide;
using base::WideFromGbk;
using base::WindowText;
namespace {

constexpr wchar_t kGroupBoxClass[] = L"GroupBox";
constexpr wchar_t kTabPageClass[] = L"TabPage";
constexpr wchar_t kTransLabelClass[] = L"TransLabel";
constexpr wchar_t kSimpleHtmlClass[] = L"SimpleHtml";
constexpr wchar_t kPicBoxClass[] = L"PicBox";

using base::ColorRefFromRgb;

// ---- Fonts ---------------------------------------------------------------------------------

// Whether a face is installed, asked of GDI for that one face: a catalogue of every face takes
// far longer than the few names the windows use.
int CALLBACK NoteSameFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* query = reinterpret_cast<std::pair<const wchar_t*, bool>*>(param);
  // GDI also lists a face it would substitute for the name; only the face itself counts.
  if (lstrcmpW(font->lfFaceName, query->first) != 0) return 1;
  query->second = true;
  return 0;
}

bool FaceInstalled(std::wstring_view face) {
  static std::map<std::wstring, bool, std::less<>> known;
  if (auto it = known.find(face); it != known.end()) return it->second;
  const std::wstring name(face);
  std::pair<const wchar_t*, bool> query{name.c_str(), false};
  if (!name.empty() && name.size() < LF_FACESIZE) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, name.c_str(), LF_FACESIZE);
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &wanted, NoteSameFace, reinterpret_cast<LPARAM>(&query), 0);
    ReleaseDC(nullptr, dc);
  }
  known.emplace(name, query.second);
  return query.second;
}

int CALLBACK NoteFirstFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  if (font->lfFaceName[0] == L'@') return 1;  // vertical variants
  *reinterpret_cast<std::wstring*>(param) = font->lfFaceName;
  return 0;
}

// The first installed face that offers the GB2312 character set, or nothing.
std::wstring FirstChineseFace() {
  std::wstring face;
  LOGFONTW query{};
  query.lfCharSet = GB2312_CHARSET;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, NoteFirstFace, reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(nullptr, dc);
  return face;
}

// Chinese and English names of the same faces; a system may list either.
const std::pair<std::wstring_view, std::wstring_view> kFaceAliases[] = {
    {L"宋体", L"SimSun"}, {L"新宋体", L"NSimSun"},
    {L"楷体", L"KaiTi"},  {L"楷体_GB2312", L"KaiTi_GB2312"},
    {L"黑体", L"SimHei"}, {L"微软雅黑", L"Microsoft YaHei"},
};

// Faces that can stand in for any Chinese face, best first.
constexpr std::wstring_view kChineseFallbacks[] = {L"Microsoft YaHei",
                                                   L"SimSun",
                                                   L"NSimSun",
                                                   L"SimHei",
                                                   L"WenQuanYi Micro Hei",
                                                   L"WenQuanYi Zen Hei",
                                                   L"Noto Sans CJK SC",
                                                   L"Source Han Sans SC",
                                                   L"Droid Sans Fallback"};
constexpr std::wstring_view kKaiFallbacks[] = {L"KaiTi", L"楷体", L"STKaiti", L"AR PL UKai CN",
                                               L"AR PL UKai TW"};

std::wstring DefaultFaceName() {
  return L"宋体";
}

}  // namespace

std::wstring ResolveFace(std::wstring_view face) {
  auto installed = [](std::wstring_view name) { return FaceInstalled(name); };
  if (installed(face)) return std::wstring(face);
  for (const auto& [chinese, english] : kFaceAliases) {
    if (face == chinese && installed(english)) return std::wstring(english);
    if (face == english && installed(chinese)) return std::wstring(chinese);
  }
  if (face == L"楷体" || face == L"KaiTi") {
    for (std::wstring_view candidate : kKaiFallbacks) {
      if (installed(candidate)) return std::wstring(candidate);
    }
  }
  for (std::wstring_view candidate : kChineseFallbacks) {
    if (installed(candidate)) return std::wstring(candidate);
  }
  if (std::wstring chinese = FirstChineseFace(); !chinese.empty()) return chinese;
  return std::wstring(face);  // let GDI pick by character set
}

HFONT FontFor(const FontSpec& wanted) {
  // Keyed on a copy of the face name: callers may pass names that do not outlive the call.
  static std::map<std::tuple<std::string, int, bool>, HFONT> cache;
  const int height = wanted.height != 0 ? wanted.height : 12;
  auto key = std::make_tuple(std::string(wanted.face), height, wanted.bold);
  if (auto it = cache.find(key); it != cache.end()) return it->second;

  LOGFONTW font{};
  font.lfHeight = -height;  // character height, not cell height
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring face =
      ResolveFace(wanted.face.empty() ? DefaultFaceName() : WideFromGbk(wanted.face));
  lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
  HFONT handle = CreateFontIndirectW(&font);
  if (handle == nullptr) handle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  cache.emplace(std::move(key), handle);
  return handle;
}

HFONT DefaultFont() {
  return FontFor({});
}

void FillWindowBackground(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void PaintParentBackground(HWND child, HDC dc) {
  HWND parent = GetParent(child);
  if (parent == nullptr) return;
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT previous;
  OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
}

namespace {

// Per-control drawing state of the custom kinds, owned by the window.
struct Appearance {
  HFONT font = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  // A label whose caption is wider than the label is drawn in a smaller size of its font.
  HFONT fittedFont = nullptr;
  bool fitted = false;
  // A picture box's image, decoded once when the box is created.
  std::optional<Picture> picture;

  void ForgetFit() {
    if (fittedFont != nullptr) DeleteObject(fittedFont);
    fittedFont = nullptr;
    fitted = false;
  }
};

Appearance* AppearanceOf(HWND hwnd) {
  return reinterpret_cast<Appearance*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Draws through a memory bitmap, so rewriting a label every second does not flicker.
template <typename Paint>
void PaintBuffered(HWND hwnd, HDC target, Paint&& paint) {
  RECT client;
  GetClientRect(hwnd, &client);
  HDC memory = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                          std::max<LONG>(client.bottom, 1));
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  paint(memory, client);
  BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

// Messages every custom kind answers the same way.
bool HandleCommonMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT& result) {
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Appearance{}));
      return false;
    case WM_NCDESTROY:
      if (Appearance* appearance = AppearanceOf(hwnd)) appearance->ForgetFit();
      delete AppearanceOf(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      RemovePropW(hwnd, base::skin_parts::kPartProperty);
      return false;
    case WM_SETFONT:
      if (Appearance* appearance = AppearanceOf(hwnd)) {
        appearance->font = reinterpret_cast<HFONT>(wParam);
        appearance->ForgetFit();
      }
      result = 0;
      return true;
    case WM_GETFONT:
      result = AppearanceOf(hwnd) ? reinterpret_cast<LRESULT>(AppearanceOf(hwnd)->font) : 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;  // WM_PAINT covers every pixel
      return true;
    default:
      return false;
  }
}

// Containers pass what their children report on to the top-level window, which routes it.
bool ForwardToTopLevel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      result = SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
      return true;
    default:
      return false;
  }
}

template <void (*Paint)(HWND, HDC)>
LRESULT CALLBACK CustomKindProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleCommonMessage(hwnd, message, wParam, result)) return result;
  if (ForwardToTopLevel(hwnd, message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Paint(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT: {
      // The old text goes completely: the next paint redraws the background under it.
      LRESULT set = DefWindowProcW(hwnd, message, wParam, lParam);
      if (Appearance* appearance = AppearanceOf(hwnd)) appearance->ForgetFit();
      InvalidateRect(hwnd, nullptr, FALSE);
      return set;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// ---- Painting of the custom kinds ------------------------------------------------------------

void PaintGroupBox(HWND hwnd, HDC dc) {
  FillWindowBackground(hwnd, dc);
  RECT client;
  GetClientRect(hwnd, &client);
  Appearance* appearance = AppearanceOf(hwnd);
  HGDIOBJ oldFont =
      SelectObject(dc, appearance && appearance->font ? appearance->font : DefaultFont());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const std::wstring caption = WindowText(hwnd);

  // The frame line runs through the middle of the caption, as with the system's group box.
  RECT frame = client;
  frame.top = caption.empty() ? 0 : metrics.tmHeight / 2;
  COLORREF captionColor = GetSysColor(COLOR_WINDOWTEXT);
  HTHEME theme = IsAppThemed() ? OpenThemeData(hwnd, L"BUTTON") : nullptr;
  if (theme != nullptr) {
    DrawThemeBackground(theme, dc, BP_GROUPBOX, GBS_NORMAL, &frame, nullptr);
    GetThemeColor(theme, BP_GROUPBOX, GBS_NORMAL, TMT_TEXTCOLOR, &captionColor);
    CloseThemeData(theme);
  } else {
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  }
  if (!caption.empty()) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    RECT behindCaption{6, 0, 6 + extent.cx + 4, metrics.tmHeight};
    FillRect(dc, &behindCaption, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, captionColor);
    TextOutW(dc, 8, 0, caption.c_str(), static_cast<int>(caption.size()));
  }
  SelectObject(dc, oldFont);
}

// The font a label's caption fits in: its own, or the largest smaller size of it whose widest
// line fits the label's width.
HFONT FittingFont(HWND hwnd, HDC dc, const std::wstring& text, int width) {
  Appearance* appearance = AppearanceOf(hwnd);
  HFONT font = appearance && appearance->font ? appearance->font : DefaultFont();
  if (appearance == nullptr) return font;
  if (appearance->fitted) return appearance->fittedFont ? appearance->fittedFont : font;
  appearance->fitted = true;
  auto widestLine = [&](HFONT candidate) {
    SelectObject(dc, candidate);
    LONG widest = 0;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(L'\n', start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(start, end - start);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      SIZE extent{};
      GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
      widest = std::max(widest, extent.cx);
      start = end + 1;
    }
    return widest;
  };
  const LONG natural = widestLine(font);
  if (natural <= width || natural == 0) return font;
  LOGFONTW logical{};
  GetObjectW(font, sizeof logical, &logical);
  const LONG height = logical.lfHeight < 0 ? -logical.lfHeight : logical.lfHeight;
  for (LONG size = height * width / natural; size >= 6; --size) {
    logical.lfHeight = logical.lfHeight < 0 ? -size : size;
    HFONT candidate = CreateFontIndirectW(&logical);
    if (candidate == nullptr) break;
    if (widestLine(candidate) <= width) {
      appearance->fittedFont = candidate;
      return candidate;
    }
    DeleteObject(candidate);
  }
  return font;
}

// The colour to draw text in over the parent: a skin engine, when one is attached, answers with
// a colour that reads well on its skin; otherwise the control's own colour stays.
COLORREF InkOver(HWND control, COLORREF wanted) {
  static const UINT inkMessage = RegisterWindowMessageW(base::skin_parts::kInkMessage);
  HWND parent = GetParent(control);
  if (parent == nullptr || inkMessage == 0) return wanted;
  const LRESULT answer =
      SendMessageW(parent, inkMessage, wanted, reinterpret_cast<LPARAM>(control));
  return (answer & base::skin_parts::kInkAnswered) ? static_cast<COLORREF>(answer & 0xFFFFFF)
                                                   : wanted;
}

void PaintTransLabel(HWND hwnd, HDC target) {
  PaintBuffered(hwnd, target, [&](HDC dc, RECT client) {
    PaintParentBackground(hwnd, dc);
    Appearance* appearance = AppearanceOf(hwnd);
    const std::wstring text = WindowText(hwnd);
    HGDIOBJ oldFont = SelectObject(dc, FittingFont(hwnd, dc, text, client.right));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, InkOver(hwnd, appearance ? appearance->textColor : RGB(0, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_LEFT | DT_TOP | DT_NOPREFIX);
    SelectObject(dc, oldFont);
  });
}

// The hypertext box renders its text with the style sheet's body font.
void PaintSimpleHtml(HWND hwnd, HDC target) {
  PaintBuffered(hwnd, target, [&](HDC dc, RECT client) {
    PaintParentBackground(hwnd, dc);
    // The box holds the program's style sheet: its body rule gives face, size and colour.
    const StyleSheet& sheet = StyleSheet::Program();
    std::vector<HypertextLine> lines =
        ParseHypertext(GbkFromWide(WindowText(hwnd)), sheet.Body().color);
    for (HypertextLine& line : lines) {
      for (HypertextRun& run : line) {
        const COLORREF ink = InkOver(hwnd, ColorRefFromRgb(run.color));
        run.color = static_cast<Rgb>(GetRValue(ink)) << 16 | GetGValue(ink) << 8 | GetBValue(ink);
      }
    }
    DrawHypertext(dc, client, lines, sheet);
  });
}

// A picture box shows its image unscaled at its top left, on the window's background.
void PaintPicBox(HWND hwnd, HDC target) {
  PaintBuffered(hwnd, target, [&](HDC dc, RECT) {
    FillWindowBackground(hwnd, dc);
    Appearance* appearance = AppearanceOf(hwnd);
    if (appearance == nullptr || !appearance->picture) return;
    const Picture& picture = *appearance->picture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, picture.width, picture.height, 0, 0, 0, picture.height,
                      picture.pixels.data(), &info, DIB_RGB_COLORS);
  });
}

// ---- Tab control -------------------------------------------------------------------------------

struct TabState {
  std::vector<HWND> pages;
  POINT pageOrigin{0, 0};  // where the pages sit inside the tab control
};

constexpr UINT_PTR kTabSubclassId = 1;
// The state is also kept as a window property, so a notification can find it from the handle.
constexpr wchar_t kTabStateProperty[] = L"ComposerTabState";

TabState* TabStateOf(HWND tab) {
  return static_cast<TabState*>(GetPropW(tab, kTabStateProperty));
}

void ShowPage(HWND tab, TabState& state, int index) {
  HWND focus = GetFocus();
  for (size_t i = 0; i < state.pages.size(); ++i) {
    ShowWindow(state.pages[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  }
  // Focus must not stay on a control that just disappeared.
  if (focus != nullptr && !IsWindowVisible(focus) && IsChild(tab, focus)) SetFocus(tab);
}

LRESULT CALLBACK TabSubclassProc(HWND tab, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
  auto* state = reinterpret_cast<TabState*>(data);
  switch (message) {
    case TCM_SETCURSEL: {
      // Selecting a tab by message raises no TCN_SELCHANGE, so follow it here.
      LRESULT previous = DefSubclassProc(tab, message, wParam, lParam);
      ShowPage(tab, *state, static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)));
      return previous;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(tab, TabSubclassProc, kTabSubclassId);
      RemovePropW(tab, kTabStateProperty);
      delete state;
      break;
    default:
      break;
  }
  return DefSubclassProc(tab, message, wParam, lParam);
}

// Resting the pointer on a tab shows its page's hint text in a tooltip.
void AddPageHints(HWND tab, const Element& element) {
  HWND tooltip =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(tab, GA_ROOT),
                      nullptr, base::ProgramInstance(), nullptr);
  if (tooltip == nullptr) return;
  SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
  for (size_t i = 0; i < element.pages.size(); ++i) {
    std::wstring hint = WideFromGbk(element.pages[i].hint);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = tab;
    tool.uId = i;
    SendMessageW(tab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tool.rect));
    tool.lpszText = hint.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// Tells a skin engine what a window of our own classes is, so a skin can draw it.
void MarkSkinPart(HWND hwnd, base::skin_parts::Part part) {
  if (hwnd != nullptr) {
    SetPropW(hwnd, base::skin_parts::kPartProperty,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(part)));
  }
}

HWND CreateTabControl(HWND parent, const Element& element, DWORD style, TabState*& stateOut) {
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", style | WS_CLIPCHILDREN, element.rect.left,
                             element.rect.top, element.rect.width, element.rect.height, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(element.id)),
                             base::ProgramInstance(), nullptr);
  if (tab == nullptr) return nullptr;
  SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(element.font)), FALSE);
  auto state = std::make_unique<TabState>();
  for (size_t i = 0; i < element.pages.size(); ++i) {
    std::wstring caption = WideFromGbk(element.pages[i].caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  RECT display{0, 0, element.rect.width, element.rect.height};
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  state->pageOrigin = {display.left, display.top};
  const int current = std::clamp(element.currentPage, 1, static_cast<int>(element.pages.size()));
  for (size_t i = 0; i < element.pages.size(); ++i) {
    HWND page = CreateWindowExW(WS_EX_CONTROLPARENT, kTabPageClass, L"",
                                WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                    (static_cast<int>(i) + 1 == current ? WS_VISIBLE : 0),
                                display.left, display.top, display.right - display.left,
                                display.bottom - display.top, tab, nullptr, base::ProgramInstance(),
                                nullptr);
    if (page == nullptr) {
      DestroyWindow(tab);
      return nullptr;
    }
    MarkSkinPart(page, base::skin_parts::Part::kPanel);
    state->pages.push_back(page);
  }
  SendMessageW(tab, TCM_SETCURSEL, current - 1, 0);
  AddPageHints(tab, element);
  stateOut = state.get();
  SetPropW(tab, kTabStateProperty, state.get());
  SetWindowSubclass(tab, TabSubclassProc, kTabSubclassId,
                    reinterpret_cast<DWORD_PTR>(state.release()));
  return tab;
}

// ---- Creation ------------------------------------------------------------------------------

// Where a control goes: the window that holds it, and how its described position (relative to
// the control its description names as parent) moves inside that window.
struct Placement {
  HWND parent;
  POINT offset;
};

// What the creation of one window's controls keeps between its elements.
struct CreationState {
  HWND top;
  std::unordered_map<ControlId, HWND>& controls;
  std::unordered_map<ControlId, TabState*> tabs;
  std::unordered_set<HWND> radioGroupStarted;
};

// Children of a tab control live on the page their description names; children of a group box
// inside it. Parents are described before their children.
std::optional<Placement> PlacementOf(const Element& element, const CreationState& state) {
  if (element.parent == 0) return Placement{state.top, {0, 0}};
  if (auto tab = state.tabs.find(element.parent); tab != state.tabs.end()) {
    const int page = element.page - 1;
    if (page < 0 || page >= static_cast<int>(tab->second->pages.size())) return std::nullopt;
    return Placement{tab->second->pages[static_cast<size_t>(page)],
                     {-tab->second->pageOrigin.x, -tab->second->pageOrigin.y}};
  }
  if (auto container = state.controls.find(element.parent); container != state.controls.end()) {
    return Placement{container->second, {0, 0}};
  }
  return std::nullopt;
}

DWORD DescribedStyle(const Element& element) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (element.visible) style |= WS_VISIBLE;
  if (element.disabled) style |= WS_DISABLED;
  if (element.tabStop) style |= WS_TABSTOP;
  return style;
}

HWND CreateChild(const Element& element, const Placement& at, DWORD exStyle,
                 const wchar_t* className, std::wstring_view text, DWORD style, int height) {
  const std::wstring caption(text);
  return CreateWindowExW(
      exStyle, className, caption.c_str(), style, element.rect.left + at.offset.x,
      element.rect.top + at.offset.y, element.rect.width, height, at.parent,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(element.id)), base::ProgramInstance(), nullptr);
}

HWND CreateChild(const Element& element, const Placement& at, DWORD exStyle,
                 const wchar_t* className, DWORD style) {
  return CreateChild(element, at, exStyle, className, WideFromGbk(element.caption), style,
                     element.rect.height);
}

HWND CreateEditBox(const Element& element, const Placement& at, DWORD style) {
  HWND edit = CreateChild(element, at, WS_EX_CLIENTEDGE, L"EDIT", style | ES_LEFT | ES_AUTOHSCROLL);
  // Typed or pasted text may be as long as the control can hold.
  if (edit) SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  return edit;
}

HWND CreateButton(const Element& element, const Placement& at, DWORD style) {
  return CreateChild(element, at, 0, L"BUTTON",
                     style | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER);
}

// The first radio box of a parent opens its group; the group runs to the last sibling.
HWND CreateRadioBox(const Element& element, const Placement& at, DWORD style,
                    CreationState& state) {
  const bool first = state.radioGroupStarted.insert(at.parent).second;
  return CreateChild(element, at, 0, L"BUTTON",
                     style | BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0));
}

// A drop-down list is created with room for its list; its closed height is then brought to the
// height the description gives.
void FitComboHeight(HWND combo, int height) {
  RECT window;
  GetWindowRect(combo, &window);
  const int closed = window.bottom - window.top;
  const int itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, -1, 0));
  const int wanted = itemHeight + (height - closed);
  if (closed != height && wanted > 0) SendMessageW(combo, CB_SETITEMHEIGHT, -1, wanted);
}

HWND CreateComboBox(const Element& element, const Placement& at, DWORD style) {
  const int listRows = std::clamp(static_cast<int>(element.items.size()), 1, 12);
  HWND combo = CreateChild(element, at, 0, L"COMBOBOX", L"",
                           style | CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL,
                           element.rect.height + listRows * 18 + 4);
  if (combo == nullptr) return nullptr;
  for (std::string_view item : element.items) {
    const std::wstring text = WideFromGbk(item);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  return combo;
}

HWND CreateGroupBox(const Element& element, const Placement& at, DWORD style) {
  HWND group =
      CreateChild(element, at, WS_EX_CONTROLPARENT, kGroupBoxClass, style | WS_CLIPCHILDREN);
  MarkSkinPart(group, base::skin_parts::Part::kFrame);
  return group;
}

HWND CreateTransLabel(const Element& element, const Placement& at, DWORD style) {
  HWND label = CreateChild(element, at, 0, kTransLabelClass, style);
  if (label) AppearanceOf(label)->textColor = ColorRefFromRgb(element.textColor);
  return label;
}

HWND CreateSimpleHtml(const Element& element, const Placement& at, DWORD style) {
  return CreateChild(element, at, 0, kSimpleHtmlClass, style);
}

HWND CreatePicBox(const Element& element, const Placement& at, DWORD style) {
  HWND box = CreateChild(element, at, 0, kPicBoxClass, L"", style, element.rect.height);
  if (box) AppearanceOf(box)->picture = DecodePng(element.picture);
  return box;
}

HWND CreateRichEdit(const Element& element, const Placement& at, DWORD style) {
  // Only secondary windows hold rich edit boxes: the library, and OLE for their clipboard and
  // drag and drop, wait for the first one.
  static const bool loaded = [] {
    EnsureOle();
    return LoadLibraryW(L"Msftedit.dll") != nullptr;
  }();
  if (!loaded) return nullptr;
  HWND edit = CreateChild(element, at, WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                          style | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL,
                          element.rect.height);
  if (edit == nullptr) return nullptr;
  SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  // Set before the text, which rich edit formats as it arrives.
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  SetWindowTextW(edit, WideFromGbk(element.caption).c_str());
  return edit;
}

HWND CreatePageControl(const Element& element, const Placement& at, DWORD style,
                       CreationState& state) {
  TabState* tabState = nullptr;
  HWND tab = CreateTabControl(at.parent, element, style, tabState);
  if (tab) state.tabs[element.id] = tabState;
  return tab;
}

// A timer is not drawn: it belongs to the top-level window, under the control's identifier.
void StartTimer(const Element& element, HWND top) {
  if (element.interval > 0) SetTimer(top, element.id, static_cast<UINT>(element.interval), nullptr);
}

// The window of one element of the description; nullptr when it could not be made.
HWND CreateElement(const Element& element, const Placement& at, CreationState& state) {
  const DWORD style = DescribedStyle(element);
  switch (element.kind) {
    case Kind::kEditBox:
      return CreateEditBox(element, at, style);
    case Kind::kButton:
      return CreateButton(element, at, style);
    case Kind::kRadioBox:
      return CreateRadioBox(element, at, style, state);
    case Kind::kComboBox:
      return CreateComboBox(element, at, style);
    case Kind::kGroupBox:
      return CreateGroupBox(element, at, style);
    case Kind::kTransLabel:
      return CreateTransLabel(element, at, style);
    case Kind::kSimpleHtml:
      return CreateSimpleHtml(element, at, style);
    case Kind::kPicBox:
      return CreatePicBox(element, at, style);
    case Kind::kRichEdit:
      return CreateRichEdit(element, at, style);
    case Kind::kPageControl:
      return CreatePageControl(element, at, style, state);
    case Kind::kBalloonTip:
      return CreateBalloonTip(at.parent, element, at.offset);
    case Kind::kTimer:
    case Kind::kWindow:
      return nullptr;
  }
  return nullptr;
}

// The tab control and the rich edit box choose their own fonts.
bool TakesDescribedFont(Kind kind) {
  return kind != Kind::kPageControl && kind != Kind::kRichEdit && kind != Kind::kBalloonTip;
}

}  // namespace

bool RegisterControlClasses() {
  INITCOMMONCONTROLSEX common{
      sizeof common, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&common);

  struct ClassInfo {
    const wchar_t* name;
    WNDPROC proc;
  };
  const ClassInfo classes[] = {
      {kGroupBoxClass, &CustomKindProc<PaintGroupBox>},
      {kTabPageClass, &CustomKindProc<FillWindowBackground>},
      {kTransLabelClass, &CustomKindProc<PaintTransLabel>},
      {kSimpleHtmlClass, &CustomKindProc<PaintSimpleHtml>},
      {kPicBoxClass, &CustomKindProc<PaintPicBox>},
  };
  if (!RegisterBalloonTipClasses()) return false;
  for (const ClassInfo& info : classes) {
    if (!base::RegisterWindowClass(
            {.name = info.name, .procedure = info.proc, .style = CS_HREDRAW | CS_VREDRAW})) {
      return false;
    }
  }
  return true;
}

bool CreateControls(HWND top, const WindowDescription& window,
                    std::unordered_map<ControlId, HWND>& controls) {
  CreationState state{.top = top, .controls = controls};
  for (const Element& element : window.elements) {
    switch (element.kind) {
      case Kind::kTimer:
        StartTimer(element, top);
        continue;
      case Kind::kWindow:
        return false;
      default:
        break;
    }
    const std::optional<Placement> at = PlacementOf(element, state);
    if (!at) return false;
    HWND hwnd = CreateElement(element, *at, state);
    if (hwnd == nullptr) return false;
    if (TakesDescribedFont(element.kind)) {
      HFONT font = element.font.IsDefault() ? DefaultFont() : FontFor(element.font);
      SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (element.kind == Kind::kComboBox) FitComboHeight(hwnd, element.rect.height);
    controls[element.id] = hwnd;
  }

  // Captionless frames drawn around rows of their siblings go beneath those siblings.
  for (const Element& element : window.elements) {
    if (element.kind == Kind::kGroupBox && ChildList(window, element.id).empty()) {
      SetWindowPos(controls[element.id], HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  return true;
}

bool HandleNotify(HWND, const NMHDR& header, LRESULT& result) {
  if (header.code == TCN_SELCHANGE) {
    if (TabState* state = TabStateOf(header.hwndFrom)) {
      ShowPage(header.hwndFrom, *state,
               static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
      result = 0;
      return true;
    }
  }
  return false;
}

void OnRadioClicked(HWND radio) {
  if (SendMessageW(radio, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  HWND parent = GetParent(radio);
  for (HWND sibling = GetWindow(parent, GW_CHILD); sibling != nullptr;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling == radio) continue;
    const LONG style = GetWindowLongW(sibling, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    wchar_t className[16] = {};
    GetClassNameW(sibling, className, 16);
    if (lstrcmpiW(className, L"Button") == 0 &&
        (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON)) {
      SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
}

namespace {
bool g_oleInitialized = false;
}  // namespace

void EnsureOle() {
  if (!g_oleInitialized) g_oleInitialized = SUCCEEDED(OleInitialize(nullptr));
}

void ReleaseOle() {
  if (g_oleInitialized) OleUninitialize();
  g_oleInitialized = false;
}

void SetControlText(HWND control, std::wstring_view text) {
  const std::wstring copy(text);
  SetWindowTextW(control, copy.c_str());
}

}  // namespace ui::widgets
