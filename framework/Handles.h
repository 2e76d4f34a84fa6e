// Owners for the handles the system hands out: each gives its handle back exactly once, when it
// goes, and none can be copied, so no handle is closed twice or left open on an early return.
#pragma once

#include "framework/Win32.h"

#include <utility>

namespace framework {

// Owns one handle of a kind that Traits names: its type, the value that stands for none, and how
// it is given back.
template <class Traits>
class TUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }

    Handle Get() const noexcept { return m_handle; }
    bool Valid() const noexcept { return m_handle != Traits::kNone; }
    explicit operator bool() const noexcept { return Valid(); }

    // Hands the handle over to a new owner.
    Handle Release() noexcept { return std::exchange(m_handle, Traits::kNone); }
    void Reset(Handle handle = Traits::kNone) noexcept {
        if (Valid()) {
            Traits::Close(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::kNone;
};

namespace handle_traits {

// Processes, threads, mutexes and the other kernel objects whose creators answer null on failure.
struct Kernel {
    using Handle = HANDLE;
    static inline const Handle kNone = nullptr;
    static void Close(Handle handle) noexcept { CloseHandle(handle); }
};

// Files and snapshots, whose creators answer INVALID_HANDLE_VALUE on failure.
struct File : Kernel {
    static inline const Handle kNone = INVALID_HANDLE_VALUE;
};

struct Find {
    using Handle = HANDLE;
    static inline const Handle kNone = INVALID_HANDLE_VALUE;
    static void Close(Handle handle) noexcept { FindClose(handle); }
};

struct GdiObject {
    using Handle = HGDIOBJ;
    static constexpr Handle kNone = nullptr;
    static void Close(Handle handle) noexcept { DeleteObject(handle); }
};

struct MemoryDC {
    using Handle = HDC;
    static constexpr Handle kNone = nullptr;
    static void Close(Handle handle) noexcept { DeleteDC(handle); }
};

}  // namespace handle_traits

using TKernelHandle = TUniqueHandle<handle_traits::Kernel>;
using TFileHandle = TUniqueHandle<handle_traits::File>;
using TFindHandle = TUniqueHandle<handle_traits::Find>;
using TGdiObject = TUniqueHandle<handle_traits::GdiObject>;
// A device context of its own, made compatible with the screen, for drawing off screen or
// measuring text as the screen would show it.
using TMemoryDC = TUniqueHandle<handle_traits::MemoryDC>;

// A window's device context (the screen's, for no window), released to the window when it goes.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) noexcept : m_window(window), m_dc(GetDC(window)) {}
    ~TWindowDC() {
        if (m_dc != nullptr) {
            ReleaseDC(m_window, m_dc);
        }
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;

    HDC Get() const noexcept { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// An object selected into a device context, with the one it replaced put back when it goes: a DC
// must not be released or deleted with one of ours still selected.
class TSelectedObject {
public:
    TSelectedObject(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~TSelectedObject() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR) {
            SelectObject(m_dc, m_previous);
        }
    }
    TSelectedObject(const TSelectedObject&) = delete;
    TSelectedObject& operator=(const TSelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

}  // namespace framework
