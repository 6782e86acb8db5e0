// Owners for Win32 handles, COM interfaces and GDI objects, so that no logic closes a handle by
// hand. Each owner is move-only and releases its resource exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace stow::win32 {

// A move-only owner parameterised by how a resource is told invalid and how it is released.
template <typename Traits>
class Unique {
public:
    using Value = typename Traits::Value;

    Unique() = default;
    explicit Unique(Value value) : value_(value) {}
    ~Unique() { reset(); }
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Value get() const { return value_; }
    explicit operator bool() const { return Traits::valid(value_); }
    Value release() {
        Value value = value_;
        value_ = Traits::invalid();
        return value;
    }
    void reset(Value value = Traits::invalid()) {
        if (Traits::valid(value_)) Traits::close(value_);
        value_ = value;
    }
    // For APIs that hand the resource back through an out-parameter.
    Value* receive() {
        reset();
        return &value_;
    }

private:
    Value value_ = Traits::invalid();
};

// Kernel handles: CreateFile answers INVALID_HANDLE_VALUE, most others NULL; both mean none.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value invalid() { return nullptr; }
    static bool valid(Value h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Value h) { CloseHandle(h); }
};
using UniqueHandle = Unique<KernelHandleTraits>;

struct FindHandleTraits {
    using Value = HANDLE;
    static Value invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(Value h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Value h) { FindClose(h); }
};
using FindHandle = Unique<FindHandleTraits>;

struct RegistryKeyTraits {
    using Value = HKEY;
    static Value invalid() { return nullptr; }
    static bool valid(Value k) { return k != nullptr; }
    static void close(Value k) { RegCloseKey(k); }
};
using UniqueKey = Unique<RegistryKeyTraits>;

// Memory the system allocated for us with LocalAlloc (FormatMessage's ALLOCATE_BUFFER).
struct LocalMemoryTraits {
    using Value = HLOCAL;
    static Value invalid() { return nullptr; }
    static bool valid(Value m) { return m != nullptr; }
    static void close(Value m) { LocalFree(m); }
};
using LocalMemory = Unique<LocalMemoryTraits>;

// Pens, brushes, fonts, bitmaps: anything DeleteObject releases.
template <typename T>
struct GdiObjectTraits {
    using Value = T;
    static Value invalid() { return nullptr; }
    static bool valid(Value o) { return o != nullptr; }
    static void close(Value o) { DeleteObject(o); }
};
using Pen = Unique<GdiObjectTraits<HPEN>>;
using Brush = Unique<GdiObjectTraits<HBRUSH>>;
using Font = Unique<GdiObjectTraits<HFONT>>;
using Bitmap = Unique<GdiObjectTraits<HBITMAP>>;

// A device context of our own (CreateCompatibleDC), deleted with DeleteDC.
struct MemoryDcTraits {
    using Value = HDC;
    static Value invalid() { return nullptr; }
    static bool valid(Value dc) { return dc != nullptr; }
    static void close(Value dc) { DeleteDC(dc); }
};
using MemoryDc = Unique<MemoryDcTraits>;

// A window, destroyed with its children. A window that may be destroyed by other means (its
// close box) gives up its owner when it receives WM_NCDESTROY.
struct WindowTraits {
    using Value = HWND;
    static Value invalid() { return nullptr; }
    static bool valid(Value w) { return w != nullptr; }
    static void close(Value w) { DestroyWindow(w); }
};
using OwnedWindow = Unique<WindowTraits>;

// A loaded library that stays loaded until the process ends: the routines found in it are kept
// for the whole run (possibly by other threads), so unloading it could never be safe.
class PinnedModule {
public:
    PinnedModule() = default;
    explicit PinnedModule(const char* name) : module_(LoadLibraryA(name)) {}

    explicit operator bool() const { return module_ != nullptr; }
    HMODULE get() const { return module_; }

    // The exported routine as a typed function pointer, nullptr when it is missing.
    template <typename Fn>
    Fn find(const char* name) const {
        if (!module_) return nullptr;
        FARPROC proc = GetProcAddress(module_, name);
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
    }

private:
    HMODULE module_ = nullptr;
};

// A COM interface pointer that calls Release once.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    // For CoCreateInstance and QueryInterface.
    void** receive() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

private:
    T* p_ = nullptr;
};

// Selects a GDI object into a DC and puts the previous one back when the scope ends.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window's DC from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace stow::win32
