// The COM holders the settings bench needs for its MSXML reference: an interface pointer and a
// BSTR, each owning what it holds.
#pragma once

#include "framework/Win32.h"
#include <objbase.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace bench {

// An owner of one interface reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_ptr != nullptr) {
            m_ptr->Release();
        }
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const noexcept { return m_ptr; }
    // The slot for a call that returns a new reference; only for a holder that holds none.
    void** PutVoid() noexcept { return reinterpret_cast<void**>(&m_ptr); }

private:
    T* m_ptr = nullptr;
};

// An owner of one BSTR.
class Bstr {
public:
    explicit Bstr(std::wstring_view text) : m_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(m_bstr); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const noexcept { return m_bstr; }

private:
    BSTR m_bstr = nullptr;
};

}  // namespace bench
