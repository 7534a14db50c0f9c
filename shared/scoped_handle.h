// Owning wrappers for Windows handles: each type knows its invalid value and
// how to close it, so a handle is closed on every path by construction.
// Closing keeps the thread's last-error value, so a caller can still report
// the error of the call that failed after the handle went out of scope.
#pragma once

#include <windows.h>

namespace hx {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() : handle_(Traits::Invalid()) {}
  explicit ScopedHandle(Handle h) : handle_(h) {}
  ~ScopedHandle() { Close(); }

  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  bool IsValid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return IsValid(); }
  Handle Get() const { return handle_; }

  // For APIs that return the handle through an out parameter.
  Handle* Receive() {
    Close();
    return &handle_;
  }

  Handle Release() {
    Handle h = handle_;
    handle_ = Traits::Invalid();
    return h;
  }

  void Reset(Handle h = Traits::Invalid()) {
    Close();
    handle_ = h;
  }

  // Returns false when the close call itself failed.
  bool Close() {
    bool ok = true;
    if (Traits::IsValid(handle_)) {
      DWORD saved = GetLastError();
      ok = Traits::Close(handle_);
      SetLastError(saved);
    }
    handle_ = Traits::Invalid();
    return ok;
  }

 private:
  Handle handle_;
};

// Kernel objects whose failure value is INVALID_HANDLE_VALUE (files) or NULL
// (processes, threads, events, mutexes): both count as invalid.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return CloseHandle(h) != 0; }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return FindClose(h) != 0; }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return CloseServiceHandle(h) != 0; }
};

struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return FreeLibrary(h) != 0; }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedServiceHandle = ScopedHandle<ServiceHandleTraits>;
using ScopedLibrary = ScopedHandle<LibraryTraits>;

}  // namespace hx
