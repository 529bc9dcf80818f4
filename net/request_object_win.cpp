// WinHttp.WinHttpRequest.5.1 through IDispatch: every member is looked up by name and invoked
// with variants. Any failure is reported as a refused call; nothing is shown.
#include "net/request_object_win.h"

#include <oleauto.h>

#include <cstring>
#include <vector>

#include "base/late_bound_win.h"

namespace net {

namespace {

// The automation functions, from oleaut32 as the first request is made.
struct Automation {
  template <typename Function>
  static Function Bound(const char* name) {
    return base::LateBound<Function>(L"oleaut32.dll", name);
  }
  decltype(&::VariantInit) variantInit = Bound<decltype(&::VariantInit)>("VariantInit");
  decltype(&::VariantClear) variantClear = Bound<decltype(&::VariantClear)>("VariantClear");
  decltype(&::VariantChangeType) variantChangeType =
      Bound<decltype(&::VariantChangeType)>("VariantChangeType");
  decltype(&::SysAllocStringLen) sysAllocStringLen =
      Bound<decltype(&::SysAllocStringLen)>("SysAllocStringLen");
  decltype(&::SysFreeString) sysFreeString = Bound<decltype(&::SysFreeString)>("SysFreeString");
  decltype(&::SysStringLen) sysStringLen = Bound<decltype(&::SysStringLen)>("SysStringLen");
  decltype(&::SafeArrayCreateVector) safeArrayCreateVector =
      Bound<decltype(&::SafeArrayCreateVector)>("SafeArrayCreateVector");
  decltype(&::SafeArrayAccessData) safeArrayAccessData =
      Bound<decltype(&::SafeArrayAccessData)>("SafeArrayAccessData");
  decltype(&::SafeArrayUnaccessData) safeArrayUnaccessData =
      Bound<decltype(&::SafeArrayUnaccessData)>("SafeArrayUnaccessData");
  decltype(&::SafeArrayGetDim) safeArrayGetDim =
      Bound<decltype(&::SafeArrayGetDim)>("SafeArrayGetDim");
  decltype(&::SafeArrayGetLBound) safeArrayGetLBound =
      Bound<decltype(&::SafeArrayGetLBound)>("SafeArrayGetLBound");
  decltype(&::SafeArrayGetUBound) safeArrayGetUBound =
      Bound<decltype(&::SafeArrayGetUBound)>("SafeArrayGetUBound");

  bool Complete() const {
    return variantInit && variantClear && variantChangeType && sysAllocStringLen && sysFreeString &&
           sysStringLen && safeArrayCreateVector && safeArrayAccessData && safeArrayUnaccessData &&
           safeArrayGetDim && safeArrayGetLBound && safeArrayGetUBound;
  }
};

const Automation& Oleaut() {
  static const Automation automation;
  return automation;
}

// A VARIANT that clears itself.
struct Variant {
  Variant() { Oleaut().variantInit(&value); }
  ~Variant() { Oleaut().variantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  static Variant Int(int number) {
    Variant v;
    v.value.vt = VT_I4;
    v.value.lVal = number;
    return v;
  }
  static Variant Bool(bool flag) {
    Variant v;
    v.value.vt = VT_BOOL;
    v.value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }
  static Variant Text(std::string_view gbk) {
    Variant v;
    const std::wstring wide = WideFromGbk(gbk);
    v.value.vt = VT_BSTR;
    v.value.bstrVal = Oleaut().sysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return v;
  }
  static Variant ByteArray(std::span<const std::uint8_t> bytes) {
    Variant v;
    SAFEARRAY* array = Oleaut().safeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (array == nullptr) return v;
    void* data = nullptr;
    if (SUCCEEDED(Oleaut().safeArrayAccessData(array, &data))) {
      std::memcpy(data, bytes.data(), bytes.size());
      Oleaut().safeArrayUnaccessData(array);
    }
    v.value.vt = VT_ARRAY | VT_UI1;
    v.value.parray = array;
    return v;
  }

  Variant(Variant&& other) noexcept : value(other.value) { Oleaut().variantInit(&other.value); }

  VARIANT value;
};

class DispatchRequestObject final : public RequestObject {
 public:
  explicit DispatchRequestObject(IDispatch* object) : object_(object) { object_->AddRef(); }
  ~DispatchRequestObject() override { object_->Release(); }
  DispatchRequestObject(const DispatchRequestObject&) = delete;
  DispatchRequestObject& operator=(const DispatchRequestObject&) = delete;

  bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) override {
    return Method(L"SetTimeouts", Args(Variant::Int(resolveMs), Variant::Int(connectMs),
                                       Variant::Int(sendMs), Variant::Int(receiveMs)));
  }
  bool SetProxy(int setting, std::string_view server) override {
    return Method(L"SetProxy", Args(Variant::Int(setting), Variant::Text(server)));
  }
  bool Open(std::string_view verb, std::string_view url, bool async) override {
    return Method(L"Open", Args(Variant::Text(verb), Variant::Text(url), Variant::Bool(async)));
  }
  bool SetOption(int option, int value) override {
    // An indexed property put: the value is the named argument, the index follows it.
    std::vector<Variant> args = Args(Variant::Int(option), Variant::Int(value));
    return Invoke(L"Option", DISPATCH_PROPERTYPUT, args, nullptr);
  }
  bool SetCredentials(std::string_view user, std::string_view password, int flags) override {
    return Method(L"SetCredentials",
                  Args(Variant::Text(user), Variant::Text(password), Variant::Int(flags)));
  }
  bool SetRequestHeader(std::string_view name, std::string_view value) override {
    return Method(L"SetRequestHeader", Args(Variant::Text(name), Variant::Text(value)));
  }
  bool Send(std::string_view body) override { return Method(L"Send", Args(Variant::Text(body))); }
  bool SendBytes(std::span<const std::uint8_t> body) override {
    return Method(L"Send", Args(Variant::ByteArray(body)));
  }
  bool WaitForResponse(int timeoutSeconds) override {
    Variant result;
    std::vector<Variant> args = Args(Variant::Int(timeoutSeconds));
    // A refused call counts as answered: nothing is left to wait for.
    if (!Invoke(L"WaitForResponse", DISPATCH_METHOD, args, &result.value)) return true;
    return result.value.vt != VT_BOOL || result.value.boolVal != VARIANT_FALSE;
  }
  bool Abort() override { return Method(L"Abort", {}); }

  Bytes ResponseBody() override {
    Variant result;
    std::vector<Variant> none;
    if (!Invoke(L"ResponseBody", DISPATCH_PROPERTYGET, none, &result.value)) return {};
    if (result.value.vt != (VT_ARRAY | VT_UI1) || result.value.parray == nullptr) return {};
    SAFEARRAY* array = result.value.parray;
    LONG lower = 0;
    LONG upper = -1;
    if (Oleaut().safeArrayGetDim(array) != 1 ||
        FAILED(Oleaut().safeArrayGetLBound(array, 1, &lower)) ||
        FAILED(Oleaut().safeArrayGetUBound(array, 1, &upper)) || upper < lower) {
      return {};
    }
    void* data = nullptr;
    if (FAILED(Oleaut().safeArrayAccessData(array, &data))) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    Bytes body(bytes, bytes + (static_cast<std::size_t>(upper) - lower + 1));
    Oleaut().safeArrayUnaccessData(array);
    return body;
  }
  std::string GetAllResponseHeaders() override {
    return TextResult(L"GetAllResponseHeaders", DISPATCH_METHOD);
  }
  double Status() override {
    Variant result;
    std::vector<Variant> none;
    if (!Invoke(L"Status", DISPATCH_PROPERTYGET, none, &result.value)) return 0;
    if (FAILED(Oleaut().variantChangeType(&result.value, &result.value, 0, VT_R8))) return 0;
    return result.value.dblVal;
  }

 private:
  // Arguments in call order.
  template <typename... T>
  static std::vector<Variant> Args(T&&... values) {
    std::vector<Variant> args;
    args.reserve(sizeof...(values));
    (args.push_back(std::move(values)), ...);
    return args;
  }

  bool Method(const wchar_t* name, std::vector<Variant> args) {
    return Invoke(name, DISPATCH_METHOD, args, nullptr);
  }

  std::string TextResult(const wchar_t* name, WORD kind) {
    Variant result;
    std::vector<Variant> none;
    if (!Invoke(name, kind, none, &result.value)) return {};
    if (FAILED(Oleaut().variantChangeType(&result.value, &result.value, 0, VT_BSTR))) return {};
    if (result.value.bstrVal == nullptr) return {};
    return GbkFromWide({result.value.bstrVal, Oleaut().sysStringLen(result.value.bstrVal)});
  }

  bool Invoke(const wchar_t* name, WORD kind, std::vector<Variant>& args, VARIANT* result) {
    DISPID id = 0;
    LPOLESTR member = const_cast<LPOLESTR>(name);
    if (FAILED(object_->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id))) {
      return false;
    }
    // Automation takes the arguments last first.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->value);
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (kind == DISPATCH_PROPERTYPUT) {
      params.rgdispidNamedArgs = &namedPut;
      params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT badArgument = 0;
    const HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result,
                                       &exception, &badArgument);
    Oleaut().sysFreeString(exception.bstrSource);
    Oleaut().sysFreeString(exception.bstrDescription);
    Oleaut().sysFreeString(exception.bstrHelpFile);
    return SUCCEEDED(hr);
  }

  IDispatch* object_;
};

class ComPlatform final : public RequestPlatform {
 public:
  void Initialize() override { CoInitialize(nullptr); }
  void Uninitialize() override { CoUninitialize(); }
  std::shared_ptr<RequestObject> Create() override {
    if (!Oleaut().Complete()) return nullptr;
    CLSID classId{};
    if (FAILED(CLSIDFromProgID(L"WinHttp.WinHttpRequest.5.1", &classId))) return nullptr;
    IDispatch* object = nullptr;
    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(&object))) ||
        object == nullptr) {
      return nullptr;
    }
    std::shared_ptr<RequestObject> wrapped = WrapRequestObject(object);
    object->Release();
    return wrapped;
  }
};

}  // namespace

RequestPlatform& ComRequests() {
  static ComPlatform platform;
  return platform;
}

std::shared_ptr<RequestObject> WrapRequestObject(IDispatch* object) {
  if (object == nullptr) return nullptr;
  return std::make_shared<DispatchRequestObject>(object);
}

}  // namespace net
