#pragma once
// Owners of Windows handles, one kind per release function. A handle that the code only borrows
// (a control of a window, a stock object, a module) stays a plain handle.
#include <windows.h>

#include <utility>

namespace brisklow {

// Owns one handle and releases it through `Traits::Close` when it goes.
template <typename Traits>
class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::IsHeld(handle_); }
    // Gives the handle up without releasing it.
    Handle release() noexcept { return std::exchange(handle_, Traits::kEmpty); }
    void reset(Handle handle = Traits::kEmpty) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (Traits::IsHeld(old)) Traits::Close(old);
    }
    // For a call that hands a new handle out through a pointer; the one held before is released.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

  private:
    Handle handle_ = Traits::kEmpty;
};

// A window: destroyed, unless the system destroyed it already along with its owner.
struct WindowTraits {
    using Handle = HWND;
    static constexpr HWND kEmpty = nullptr;
    static bool IsHeld(HWND window) { return window != nullptr; }
    static void Close(HWND window) {
        if (IsWindow(window)) DestroyWindow(window);
    }
};
using UniqueWindow = UniqueHandle<WindowTraits>;

// A font, bitmap, brush or other GDI object.
template <typename Object>
struct GdiObjectTraits {
    using Handle = Object;
    static constexpr Object kEmpty = nullptr;
    static bool IsHeld(Object object) { return object != nullptr; }
    static void Close(Object object) { DeleteObject(object); }
};
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

// A kernel object: a file, a process. Both of the kernel's "no handle" values count as empty.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static constexpr HANDLE kEmpty = nullptr;
    static bool IsHeld(HANDLE handle) {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// An open registry key.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static constexpr HKEY kEmpty = nullptr;
    static bool IsHeld(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;

// A block from the process heap.
struct ProcessHeapTraits {
    using Handle = void*;
    static constexpr void* kEmpty = nullptr;
    static bool IsHeld(void* block) { return block != nullptr; }
    static void Close(void* block) { HeapFree(GetProcessHeap(), 0, block); }
};
using UniqueHeapBlock = UniqueHandle<ProcessHeapTraits>;

// A window's device context, borrowed from the system for a while: given back to it (not
// deleted) when the owner goes.
class WindowDeviceContext {
  public:
    explicit WindowDeviceContext(HWND window) noexcept : window_(window), context_(GetDC(window)) {}
    ~WindowDeviceContext() {
        if (context_) ReleaseDC(window_, context_);
    }
    WindowDeviceContext(const WindowDeviceContext&) = delete;
    WindowDeviceContext& operator=(const WindowDeviceContext&) = delete;
    HDC get() const noexcept { return context_; }

  private:
    HWND window_;
    HDC context_;
};

}  // namespace brisklow
