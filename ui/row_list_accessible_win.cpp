// The row list's IAccessible. Children are numbered from 1 (CHILDID_SELF is 0): child n is row
// n - 1. Each question reads the list's state afresh, so the object never holds stale rows.
#include "ui/row_list_accessible_win.h"

#include <oleacc.h>

#include "base/late_bound_win.h"
#include "base/text_win.h"
#include "ui/navigation.h"

namespace ui::widgets {
namespace {

constexpr IID kIAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr IID kIDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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

void SetChild(VARIANT* out, LONG child) {
  out->vt = VT_I4;
  out->lVal = child;
}

class RowListAccessible final : public IAccessible {
 public:
  RowListAccessible(HWND list, RowListAccessOf accessOf) : list_(list), accessOf_(accessOf) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, kIUnknown) || IsEqualIID(iid, kIDispatch) ||
        IsEqualIID(iid, kIAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: no type information; clients call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_INVALIDARG;
    using CreateStd = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    static const auto createStd =
        base::LateBound<CreateStd>(L"oleacc.dll", "CreateStdAccessibleObject");
    *parent = nullptr;
    if (createStd == nullptr) return S_FALSE;
    return createStd(list_, OBJID_WINDOW, kIDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_INVALIDARG;
    *count = static_cast<LONG>(Count());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    return Row(child) ? S_FALSE : E_INVALIDARG;  // rows are simple elements
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (IsSelf(child)) return Answer(OwnName(), name);
    const std::optional<std::size_t> row = Row(child);
    return row ? Answer(Access()->Name(*row), name) : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
    if (value != nullptr) *value = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* description) override {
    if (description != nullptr) *description = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_INVALIDARG;
    if (!IsSelf(child) && !Row(child)) return E_INVALIDARG;
    SetChild(role, IsSelf(child) ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    if (help != nullptr) *help = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    const char key = ui::AccessKey(base::GbkFromWide(base::WindowText(list_)));
    if (!IsSelf(child) || key == 0) {
      if (shortcut != nullptr) *shortcut = nullptr;
      return S_FALSE;
    }
    return Answer(std::wstring(L"Alt+") + static_cast<wchar_t>(key), shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    if (child == nullptr) return E_INVALIDARG;
    child->vt = VT_EMPTY;
    if (GetFocus() != list_) return S_FALSE;
    const std::optional<std::size_t> selected = Selected();
    SetChild(child, selected ? static_cast<LONG>(*selected) + 1 : CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    if (children == nullptr) return E_INVALIDARG;
    children->vt = VT_EMPTY;
    const std::optional<std::size_t> selected = Selected();
    if (!selected) return S_FALSE;
    SetChild(children, static_cast<LONG>(*selected) + 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* action) override {
    if (action != nullptr) *action = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    const std::optional<std::size_t> row = Row(child);
    if (!row) return E_INVALIDARG;
    if (flags & SELFLAG_TAKEFOCUS) SetFocus(list_);
    if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) Access()->Select(row, true);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~RowListAccessible() = default;

  // The list's window text is its caption in the description, its access key marked.
  std::wstring OwnName() const {
    return base::WideFromGbk(ui::WithoutAccessMarks(base::GbkFromWide(base::WindowText(list_))));
  }
  static bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  // The row a child id names, or nothing for the list itself or an id out of range.
  std::optional<std::size_t> Row(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal <= 0) return std::nullopt;
    const auto row = static_cast<std::size_t>(child.lVal) - 1;
    return row < Count() ? std::optional<std::size_t>(row) : std::nullopt;
  }

  // The list's answers; Row, and so every question about a row, fails once the list is gone.
  RowListAccess* Access() const { return accessOf_(list_); }
  std::size_t Count() const {
    const RowListAccess* access = Access();
    return access != nullptr ? access->Count() : 0;
  }
  std::optional<std::size_t> Selected() const {
    const RowListAccess* access = Access();
    return access != nullptr ? access->Selected() : std::nullopt;
  }

  ULONG references_ = 1;
  HWND list_;
  RowListAccessOf accessOf_;
};

HRESULT RowListAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (state == nullptr) return E_INVALIDARG;
  const bool focused = GetFocus() == list_;
  LONG flags = STATE_SYSTEM_FOCUSABLE;
  if (IsSelf(child)) {
    if (focused) flags |= STATE_SYSTEM_FOCUSED;
  } else if (const std::optional<std::size_t> row = Row(child)) {
    const bool selected = Selected() == row;
    flags |= STATE_SYSTEM_SELECTABLE;
    if (selected) flags |= STATE_SYSTEM_SELECTED;
    if (selected && focused) flags |= STATE_SYSTEM_FOCUSED;
    const RECT rect = Access()->RectOf(*row);
    if (rect.bottom <= rect.top) flags |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  } else {
    return E_INVALIDARG;
  }
  SetChild(state, flags);
  return S_OK;
}

HRESULT RowListAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                       VARIANT child) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
    return E_INVALIDARG;
  }
  RECT rect{};
  if (IsSelf(child)) {
    GetWindowRect(list_, &rect);
  } else if (const std::optional<std::size_t> row = Row(child)) {
    rect = Access()->RectOf(*row);
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  } else {
    return E_INVALIDARG;
  }
  *left = rect.left;
  *top = rect.top;
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
  return S_OK;
}

HRESULT RowListAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_INVALIDARG;
  end->vt = VT_EMPTY;
  const auto count = static_cast<LONG>(Count());
  LONG next = 0;
  if (IsSelf(start)) {
    if (direction == NAVDIR_FIRSTCHILD) next = 1;
    if (direction == NAVDIR_LASTCHILD) next = count;
  } else if (Row(start)) {
    if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) next = start.lVal + 1;
    if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) next = start.lVal - 1;
  } else {
    return E_INVALIDARG;
  }
  if (next < 1 || next > count) return S_FALSE;
  SetChild(end, next);
  return S_OK;
}

HRESULT RowListAccessible::accHitTest(LONG left, LONG top, VARIANT* child) {
  if (child == nullptr) return E_INVALIDARG;
  child->vt = VT_EMPTY;
  POINT at{left, top};
  ScreenToClient(list_, &at);
  RECT client{};
  GetClientRect(list_, &client);
  if (!PtInRect(&client, at)) return S_FALSE;
  const RowListAccess* access = Access();
  const std::optional<std::size_t> row = access != nullptr ? access->RowAtPoint(at) : std::nullopt;
  SetChild(child, row ? static_cast<LONG>(*row) + 1 : CHILDID_SELF);
  return S_OK;
}

}  // namespace

LRESULT AnswerRowListObject(HWND list, WPARAM wParam, RowListAccessOf accessOf) {
  using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  static const auto fromObject = base::LateBound<FromObject>(L"oleacc.dll", "LresultFromObject");
  if (fromObject == nullptr) return 0;
  auto* object = new RowListAccessible(list, accessOf);
  const LRESULT result = fromObject(kIAccessible, wParam, object);
  object->Release();  // the result holds its own reference
  return result;
}

}  // namespace ui::widgets
