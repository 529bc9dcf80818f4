// The state of each window the engine has taken over, found by handle.
#include "skin/engine/handlers_win.h"

namespace skin::engine {
namespace {

// The state of each window taken over, by handle. Kept in the engine rather than in a window
// property: the state is looked up for every message a skinned window gets, and a property costs
// a trip to the window server each time (under Wine).
struct StateSlot {
  HWND hwnd;  // nullptr: free; Removed(): freed, keep probing
  WindowState* state;
};
// A freed slot (no static initialisers in the engine: a function, not a constant).
HWND Removed() {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));
}
constinit StateSlot* g_slots = nullptr;
constinit std::size_t g_slotCount = 0;  // a power of two
constinit std::size_t g_slotsUsed = 0;  // taken or removed

std::size_t SlotIndex(HWND hwnd, std::size_t count) {
  auto key = reinterpret_cast<std::uintptr_t>(hwnd);
  key ^= key >> 7;
  key *= 0x9E3779B1u;
  return (key ^ (key >> 15)) & (count - 1);
}

WindowState* FindState(HWND hwnd) {
  if (g_slots == nullptr || hwnd == nullptr) return nullptr;
  for (std::size_t i = SlotIndex(hwnd, g_slotCount);; i = (i + 1) & (g_slotCount - 1)) {
    if (g_slots[i].hwnd == hwnd) return g_slots[i].state;
    if (g_slots[i].hwnd == nullptr) return nullptr;
  }
}

void PutSlot(StateSlot* slots, std::size_t count, HWND hwnd, WindowState* state) {
  for (std::size_t i = SlotIndex(hwnd, count);; i = (i + 1) & (count - 1)) {
    if (slots[i].hwnd == nullptr || slots[i].hwnd == Removed()) {
      slots[i] = {hwnd, state};
      return;
    }
  }
}

}  // namespace

bool AddState(HWND hwnd, WindowState* state) {
  if ((g_slotsUsed + 1) * 2 > g_slotCount) {
    // Rebuilt at twice the live entries' room, dropping the removed ones.
    std::size_t live = 0;
    for (std::size_t i = 0; i < g_slotCount; ++i) {
      if (g_slots[i].hwnd != nullptr && g_slots[i].hwnd != Removed()) ++live;
    }
    std::size_t count = 256;
    while (count < (live + 1) * 4) count *= 2;
    auto* slots = static_cast<StateSlot*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(StateSlot)));
    if (slots == nullptr) return false;
    for (std::size_t i = 0; i < g_slotCount; ++i) {
      if (g_slots[i].hwnd != nullptr && g_slots[i].hwnd != Removed()) {
        PutSlot(slots, count, g_slots[i].hwnd, g_slots[i].state);
      }
    }
    if (g_slots != nullptr) HeapFree(GetProcessHeap(), 0, g_slots);
    g_slots = slots;
    g_slotCount = count;
    g_slotsUsed = live;
  }
  PutSlot(g_slots, g_slotCount, hwnd, state);
  ++g_slotsUsed;
  return true;
}

void RemoveState(HWND hwnd) {
  if (g_slots == nullptr) return;
  for (std::size_t i = SlotIndex(hwnd, g_slotCount);; i = (i + 1) & (g_slotCount - 1)) {
    if (g_slots[i].hwnd == hwnd) {
      g_slots[i].hwnd = Removed();
      return;
    }
    if (g_slots[i].hwnd == nullptr) return;
  }
}

WindowState* StateOf(HWND hwnd) {
  return FindState(hwnd);
}

}  // namespace skin::engine
