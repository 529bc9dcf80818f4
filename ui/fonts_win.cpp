// Fonts of the control kinds: the faces the description names, resolved to installed faces that
// can show Chinese text, created once per face, size and weight and kept for the process.
#include "ui/fonts_win.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"

namespace ui::widgets {
namespace {

using base::WideFromGbk;

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
    base::ScopedGetDc screen(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteSameFace, reinterpret_cast<LPARAM>(&query), 0);
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
  base::ScopedGetDc screen(nullptr);
  EnumFontFamiliesExW(screen, &query, NoteFirstFace, reinterpret_cast<LPARAM>(&face), 0);
  return face;
}

// Chinese and English names of the same faces; a system may list either.
const std::pair<std::wstring_view, std::wstring_view> kFaceAliases[] = {
    {L"宋体", L"SimSun"}, {L"新宋体", L"NSimSun"},
    {L"楷体", L"KaiTi"},  {L"楷体_GB2312", L"KaiTi_GB2312"},
    {L"黑体", L"SimHei"}, {L"微软雅黑", L"Microsoft YaHei"},
};

// A Kai face asked for is replaced by another Kai face first: the text was meant to look written
// with a brush.
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
  for (std::wstring_view candidate : base::kChineseFallbackFaces) {
    if (installed(candidate)) return std::wstring(candidate);
  }
  if (std::wstring chinese = FirstChineseFace(); !chinese.empty()) return chinese;
  return std::wstring(face);  // let GDI pick by character set
}

HFONT FontFor(const FontSpec& wanted, int dpi) {
  // Keyed on a copy of the face name: callers may pass names that do not outlive the call.
  static std::map<std::tuple<std::string, int, bool>, HFONT> cache;
  const int height = base::ScaleForDpi(wanted.height != 0 ? wanted.height : 12, dpi);
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
