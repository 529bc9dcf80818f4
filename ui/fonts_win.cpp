// Fonts of the control kinds: the faces the description names, resolved to installed faces that
// can show Chinese text, created once per face, size and weight and kept for the process.
#include "ui/fonts_win.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/text_win.h"
#include "ui/navigation.h"

namespace ui::widgets {
namespace {

using base::WideFromGbk;

struct FaceCatalogue {
  std::set<std::wstring> all;
  std::vector<std::wstring> chinese;  // faces that offer the GB2312 character set
};

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* catalogue = reinterpret_cast<FaceCatalogue*>(param);
  std::wstring face = font->lfFaceName;
  if (face.empty() || face[0] == L'@') return 1;  // vertical variants
  catalogue->all.insert(face);
  if (font->lfCharSet == GB2312_CHARSET &&
      std::find(catalogue->chinese.begin(), catalogue->chinese.end(), face) ==
          catalogue->chinese.end()) {
    catalogue->chinese.push_back(face);
  }
  return 1;
}

const FaceCatalogue& Faces() {
  static const FaceCatalogue catalogue = [] {
    FaceCatalogue result;
    HDC dc = GetDC(nullptr);
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &query, CollectFace, reinterpret_cast<LPARAM>(&result), 0);
    ReleaseDC(nullptr, dc);
    return result;
  }();
  return catalogue;
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
  const FaceCatalogue& faces = Faces();
  auto installed = [&](std::wstring_view name) { return faces.all.count(std::wstring(name)) > 0; };
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
  if (!faces.chinese.empty()) return faces.chinese.front();
  return std::wstring(face);  // let GDI pick by character set
}

HFONT FontFor(const FontSpec& wanted, int dpi) {
  // Keyed on a copy of the face name: callers may pass names that do not outlive the call.
  static std::map<std::tuple<std::string, int, bool>, HFONT> cache;
  const int height = ScaleForDpi(wanted.height != 0 ? wanted.height : 12, dpi);
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

HFONT DefaultFont(int dpi) {
  return FontFor({}, dpi);
}

}  // namespace ui::widgets
