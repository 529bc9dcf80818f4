// The platform's HTTP request object, WinHttp.WinHttpRequest.5.1, created by its ProgID and
// driven by member name through its automation interface. Texts cross as GBK and are converted
// with code page 936 whatever the system locale.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "base/text_win.h"
#include "net/web_request.h"

namespace net {

// COM set-up per calling thread and request objects by ProgID. Stateless; one serves every
// thread.
RequestPlatform& ComRequests();

// Wraps an automation object that offers the request object's members; takes its own reference
// and releases it when the wrapper goes.
std::shared_ptr<RequestObject> WrapRequestObject(IDispatch* object);

using base::GbkFromWide;
using base::WideFromGbk;

}  // namespace net
