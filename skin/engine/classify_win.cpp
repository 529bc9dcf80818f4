// What the engine makes of a window: its class's family and the kind of drawing it gets.
#include "skin/engine/handlers_win.h"

#include <commctrl.h>

namespace skin::engine {
namespace {

bool SameClass(const wchar_t* a, const wchar_t* b) {
  return lstrcmpiW(a, b) == 0;
}

Family FamilyOfName(const wchar_t* name) {
  static constexpr struct {
    const wchar_t* name;
    Family family;
  } kNames[] = {
      {L"Button", Family::kButton},        {L"Edit", Family::kEdit},
      {L"ComboBox", Family::kComboBox},    {WC_TABCONTROLW, Family::kTab},
      {L"Static", Family::kStatic},        {L"RichEdit50W", Family::kRichEdit},
      {L"RichEdit20W", Family::kRichEdit}, {L"ListBox", Family::kListBox},
      {L"ComboLBox", Family::kComboList},  {L"#32768", Family::kIgnored},
      {L"#32769", Family::kIgnored},       {L"tooltips_class32", Family::kIgnored},
      {L"IME", Family::kIgnored},          {L"MSCTFIME UI", Family::kIgnored},
      {L"Message", Family::kIgnored},
  };
  for (const auto& known : kNames) {
    if (SameClass(name, known.name)) return known.family;
  }
  return Family::kOther;
}

// Classes already seen, by atom: a class's name is compared once, not once per window.
struct KnownClass {
  ATOM atom;
  Family family;
};
constexpr int kKnownClassSlots = 64;
constinit KnownClass g_knownClasses[kKnownClassSlots]{};
constinit int g_knownClassCount = 0;

}  // namespace

Family FamilyOf(HWND hwnd) {
  const auto atom = static_cast<ATOM>(GetClassLongPtrW(hwnd, GCW_ATOM));
  for (int i = 0; i < g_knownClassCount; ++i) {
    if (g_knownClasses[i].atom == atom) return g_knownClasses[i].family;
  }
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  const Family family = FamilyOfName(name);
  if (atom != 0 && g_knownClassCount < kKnownClassSlots) {
    g_knownClasses[g_knownClassCount++] = {atom, family};
  }
  return family;
}

Kind Classify(HWND hwnd, Family family) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  switch (family) {
    case Family::kButton:
      switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
          return Kind::kPushButton;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
          return Kind::kCheck;
        case BS_GROUPBOX:
          return Kind::kGroupButton;
        default:
          return Kind::kOther;
      }
    case Family::kEdit:
      return Kind::kEdit;
    case Family::kComboBox:
      return (style & 3) == CBS_DROPDOWNLIST ? Kind::kCombo : Kind::kOther;
    case Family::kTab:
      return Kind::kTab;
    case Family::kStatic:
      return Kind::kStatic;
    case Family::kRichEdit:
      return Kind::kRichEdit;
    default:
      break;
  }
  if ((style & WS_CHILD) == 0 && (style & WS_CAPTION) == WS_CAPTION) return Kind::kFrame;
  return Kind::kOther;
}

bool IsFieldClass(HWND hwnd) {
  const Family family = FamilyOf(hwnd);
  return family == Family::kEdit || family == Family::kListBox || family == Family::kComboList;
}

}  // namespace skin::engine
