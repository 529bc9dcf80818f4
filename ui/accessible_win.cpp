// An IAccessible that forwards to the system's standard object for a window and answers only
// accName and accDescription for the window itself. oleacc is loaded on the first question, so
// a program that is never asked never loads it.
#include "ui/accessible_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <utility>

#include "base/late_bound_win.h"

namespace ui::widgets {
namespace {

constexpr UINT_PTR kSubclassId = 0x41CC;
constexpr wchar_t kNamingProperty[] = L"ComposerAccessibleName";
constexpr IID kIAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr IID kIDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr IID kIEnumVARIANT = {
    0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIOleWindow = {
    0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Naming {
  std::wstring name;
  DescriptionSource describe;
};

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT Answer(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  static const auto allocate =
      base::LateBound<decltype(&::SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
  if (allocate == nullptr) return E_OUTOFMEMORY;
  *out = allocate(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

class NamedAccessible final : public IAccessible {
 public:
  NamedAccessible(IAccessible* inner, HWND hwnd, const Naming& naming)
      : inner_(inner), hwnd_(hwnd), naming_(naming) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, kIUnknown) || IsEqualIID(iid, kIDispatch) ||
        IsEqualIID(iid, kIAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // What the standard object offers beside (its children, its window) stays its own; any
    // other interface, marshalling included, is asked of this object and so is not offered.
    if (IsEqualIID(iid, kIEnumVARIANT) || IsEqualIID(iid, kIOleWindow)) {
      return inner_->QueryInterface(iid, out);
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      inner_->Release();
      delete this;
    }
    return left;
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return inner_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return inner_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument) override {
    return inner_->Invoke(id, iid, locale, flags, params, result, exception, argument);
  }

  // IAccessible: name and description of the control itself; the rest is the system's.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return inner_->get_accName(child, name);
    return Answer(naming_.name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (!IsSelf(child) || naming_.describe == nullptr) {
      return inner_->get_accDescription(child, description);
    }
    return Answer(naming_.describe(hwnd_), description);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return inner_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return inner_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return inner_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return inner_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return inner_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return inner_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return inner_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return inner_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return inner_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return inner_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return inner_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return inner_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return inner_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return inner_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return inner_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
    return inner_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return inner_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return inner_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return inner_->put_accValue(child, value);
  }

 private:
  ~NamedAccessible() = default;

  ULONG references_ = 1;
  IAccessible* inner_;
  HWND hwnd_;
  Naming naming_;
};

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, const Naming& naming) {
  using CreateStd = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  static const auto createStd =
      base::LateBound<CreateStd>(L"oleacc.dll", "CreateStdAccessibleObject");
  static const auto fromObject = base::LateBound<FromObject>(L"oleacc.dll", "LresultFromObject");
  if (createStd == nullptr || fromObject == nullptr) return 0;
  IAccessible* inner = nullptr;
  if (FAILED(createStd(hwnd, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&inner))) ||
      inner == nullptr) {
    return 0;
  }
  auto* named = new NamedAccessible(inner, hwnd, naming);
  const LRESULT result = fromObject(kIAccessible, wParam, named);
  named->Release();  // the result holds its own reference
  return result;
}

LRESULT CALLBACK NamingSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
  auto* naming = reinterpret_cast<Naming*>(data);
  switch (message) {
    case WM_GETOBJECT:
      if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (const LRESULT answer = AnswerGetObject(hwnd, wParam, *naming)) return answer;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, NamingSubclass, kSubclassId);
      RemovePropW(hwnd, kNamingProperty);
      delete naming;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void SetAccessibleName(HWND control, std::wstring name, DescriptionSource describe) {
  if (control == nullptr) return;
  if (auto* naming = static_cast<Naming*>(GetPropW(control, kNamingProperty))) {
    *naming = Naming{std::move(name), describe};
    return;
  }
  auto* naming = new Naming{std::move(name), describe};
  if (!SetPropW(control, kNamingProperty, naming) ||
      !SetWindowSubclass(control, NamingSubclass, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(naming))) {
    RemovePropW(control, kNamingProperty);
    delete naming;
  }
}

}  // namespace ui::widgets
