// The clock tick where the platform has no HTTP request object (the native build, whose only
// users are the unit tests): no request object can be created, so no request ever waits and each
// tick's answer, the failure text, is written at once.
#include <time.h>

#include <memory>

#include "net/network_clock.h"

namespace net {
namespace {

class NoRequestObjects final : public RequestPlatform {
 public:
  void Initialize() override {}
  void Uninitialize() override {}
  std::shared_ptr<RequestObject> Create() override { return nullptr; }
};

}  // namespace

void ShowNetworkTime(LabelWriter writeLabel) {
  static NoRequestObjects platform;
  static ClockTicker ticker(RequestPatience(std::nullopt));
  timespec clock{};
  clock_gettime(CLOCK_MONOTONIC, &clock);
  const Milliseconds now = Milliseconds{clock.tv_sec} * 1000 + clock.tv_nsec / 1000000;
  const ClockTicker::TickOutcome outcome = ticker.Tick(now);
  if (outcome.label) writeLabel(*outcome.label);
  if (outcome.startRequest) writeLabel(ticker.Answer(NetworkTime(ClockSource{&platform})));
}

}  // namespace net
