// The DPI each window is drawn at and the title-bar and menu fonts for it. Systems without
// per-window DPI (before Windows 10) give every window the screen's DPI. The fonts are the
// system's caption and menu fonts, in another face when theirs lacks the Chinese glyphs the
// program's texts use.
#include <utility>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "skin/engine/engine_win.h"

namespace skin::engine {
namespace {

using SystemParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

void* User32Export(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 != nullptr ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}

// "岚式脚本方块编辑器": characters of the main window's title.
constexpr wchar_t kSampleTitle[] = L"\u5c9a\u5f0f\u811a\u672c\u65b9\u5757\u7f16\u8f91\u5668";

bool ShowsChinese(const LOGFONTW& font) {
  const base::ScopedFont handle(CreateFontIndirectW(&font));
  if (!handle) return false;
  const base::ScopedGetDc screen(nullptr);
  const base::ScopedSelect selected(screen, handle.Get());
  WORD glyphs[9] = {};
  const DWORD got = GetGlyphIndicesW(screen, kSampleTitle, 9, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  if (got != 9) return false;
  for (WORD glyph : glyphs) {
    if (glyph == 0xFFFF) return false;
  }
  return true;
}

struct FaceSearch {
  int best = base::kChineseFallbackFaceCount;  // index into the fallback faces of the best found
  wchar_t any[LF_FACESIZE] = {};
};

int CALLBACK NoteFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* search = reinterpret_cast<FaceSearch*>(param);
  if (font->lfFaceName[0] == L'@') return 1;  // vertical variants
  for (int i = 0; i < search->best; ++i) {
    if (lstrcmpiW(font->lfFaceName, base::kChineseFallbackFaces[i]) == 0) search->best = i;
  }
  if (search->any[0] == 0) lstrcpynW(search->any, font->lfFaceName, LF_FACESIZE);
  return 1;
}

// Puts a face with Chinese glyphs into font; false when the system has none.
bool UseChineseFace(LOGFONTW& font) {
  FaceSearch search;
  LOGFONTW query{};
  query.lfCharSet = GB2312_CHARSET;
  {
    const base::ScopedGetDc screen(nullptr);
    EnumFontFamiliesExW(screen, &query, &NoteFace, reinterpret_cast<LPARAM>(&search), 0);
  }
  const wchar_t* face = search.best < base::kChineseFallbackFaceCount
                            ? base::kChineseFallbackFaces[search.best]
                            : search.any;
  if (face[0] == 0) return false;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  font.lfCharSet = GB2312_CHARSET;
  return true;
}

}  // namespace

int DpiOf(HWND hwnd) {
  const int told = base::ToldLayoutDpi(hwnd);
  if (told != 0) return told;
  HWND root = hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  return base::WindowDpi(root != nullptr ? root : hwnd);
}

float ScaleOf(HWND hwnd) {
  return static_cast<float>(DpiOf(hwnd)) / base::kBaseDpi;
}

namespace {

// The system's caption or menu font at dpi, kept in cache.
HFONT SystemFontFor(int dpi, bool menu, FontCache& cache) {
  for (int i = 0; i < cache.count; ++i) {
    if (cache.entries[i].dpi == dpi) return cache.entries[i].font;
  }
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  const auto forDpi =
      reinterpret_cast<SystemParametersForDpiFunction>(User32Export("SystemParametersInfoForDpi"));
  LOGFONTW* wanted = menu ? &metrics.lfMenuFont : &metrics.lfCaptionFont;
  if (forDpi == nullptr ||
      !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    // The system's metrics are at the screen's DPI.
    wanted->lfHeight = MulDiv(wanted->lfHeight, dpi, base::ScreenDpi());
  }
  LOGFONTW font = *wanted;
  font.lfQuality = CLEARTYPE_QUALITY;
  if (!ShowsChinese(font)) UseChineseFace(font);
  base::ScopedFont made(CreateFontIndirectW(&font));
  if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  FontCache::Entry& slot =
      cache.entries[cache.count < FontCache::kSlots ? cache.count++ : FontCache::kSlots - 1];
  slot.dpi = dpi;
  slot.font = std::move(made);
  return slot.font;
}

}  // namespace

HFONT CaptionFontFor(int dpi) {
  return SystemFontFor(dpi, false, g_engine.objects->captionFonts);
}

HFONT MenuFontFor(int dpi) {
  return SystemFontFor(dpi, true, g_engine.objects->menuFonts);
}

}  // namespace skin::engine
