// Handles that close themselves: kernel objects (threads, events, files, mutexes), find
// handles, loaded libraries, and the USER objects no window owns, icons and menus. Registry keys
// are in Registry.h, GDI objects in Gdi.h.
#pragma once
#include <windows.h>
#include <type_traits>
#include <utility>

// A closer names the handle's type and how to let it go.
namespace detail {
struct TKernelClose {
  using Type = HANDLE;
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct TFindClose {
  using Type = HANDLE;
  static void Close(HANDLE h) { FindClose(h); }
};
struct TLibraryClose {
  using Type = HMODULE;
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct TIconClose {
  using Type = HICON;
  static void Close(HICON h) { DestroyIcon(h); }
};
// A menu goes without the submenus in it: DestroyMenu would take them along, and each has an
// owner of its own. A removal the system refuses ends the emptying rather than asking for ever.
struct TMenuClose {
  using Type = HMENU;
  static void Close(HMENU h) {
    while (GetMenuItemCount(h) > 0 && RemoveMenu(h, 0, MF_BYPOSITION)) {
    }
    DestroyMenu(h);
  }
};
}  // namespace detail

// Owns one handle. The creating calls report failure in two ways, CreateFile and
// FindFirstFile with INVALID_HANDLE_VALUE, CreateThread, CreateEvent and CreateMutex with NULL:
// both are taken as "no handle", so Valid() is right whichever call made it. (-1 is also the
// current process's pseudo handle, which is never ours to close.) Handles of other types have
// only null for "none".
template <class Closer>
class TScopedHandle {
public:
  using Handle = typename Closer::Type;

  TScopedHandle() = default;
  explicit TScopedHandle(Handle h) : FHandle(Normal(h)) {}
  ~TScopedHandle() { Reset(); }
  TScopedHandle(TScopedHandle&& o) noexcept : FHandle(std::exchange(o.FHandle, nullptr)) {}
  TScopedHandle& operator=(TScopedHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      FHandle = std::exchange(o.FHandle, nullptr);
    }
    return *this;
  }
  TScopedHandle(const TScopedHandle&) = delete;
  TScopedHandle& operator=(const TScopedHandle&) = delete;

  void Reset(Handle h = nullptr) {
    if (FHandle) Closer::Close(FHandle);
    FHandle = Normal(h);
  }
  // Null when there is none.
  Handle Get() const { return FHandle; }
  bool Valid() const { return FHandle != nullptr; }
  explicit operator bool() const { return Valid(); }

private:
  static Handle Normal(Handle h) {
    if constexpr (std::is_same_v<Handle, HANDLE>) return h == INVALID_HANDLE_VALUE ? nullptr : h;
    else return h;
  }
  Handle FHandle = nullptr;
};

using THandle = TScopedHandle<detail::TKernelClose>;
using TFindHandle = TScopedHandle<detail::TFindClose>;
using TModuleHandle = TScopedHandle<detail::TLibraryClose>;
using TIconHandle = TScopedHandle<detail::TIconClose>;
using TMenuHandle = TScopedHandle<detail::TMenuClose>;

// An event: manual reset stays set until reset, automatic reset wakes one waiter and clears.
// Empty when the system refuses one.
inline THandle MakeEvent(bool manualReset) { return THandle(CreateEventA(nullptr, manualReset, FALSE, nullptr)); }

// Starts entry(arg) on a thread of its own, with the C runtime set up for it; empty when the
// system refuses a thread.
THandle StartThread(unsigned(__stdcall* entry)(void*), void* arg);
// Waits until the thread has ended, delivering meanwhile the messages other threads send to
// this one, so that a thread that sends to our windows can never hold up its own end.
void JoinThread(const THandle& thread);
