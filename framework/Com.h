// Small RAII holders for COM: interface pointers, BSTRs, VARIANTs and the apartment.
#pragma once

#include "framework/Win32.h"
#include <objbase.h>
#include <oleauto.h>

#include <string_view>
#include <type_traits>
#include <utility>

namespace framework {

// A move-only owner of one interface reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }

    // Takes over the reference of a holder of a derived interface, as a base interface.
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(ComPtr<U>&& other)
    noexcept : m_ptr(other.Detach()) {}

    T* Get() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }
    // Hands the reference over to the caller, who releases it.
    T* Detach() noexcept { return std::exchange(m_ptr, nullptr); }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

    // Releases what is held and hands out the slot for a call that returns a new reference.
    T** Put() noexcept {
        Reset();
        return &m_ptr;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

    void Reset() noexcept {
        if (m_ptr != nullptr) {
            std::exchange(m_ptr, nullptr)->Release();
        }
    }

private:
    T* m_ptr = nullptr;
};

// A move-only owner of one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text) : m_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(m_bstr); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(m_bstr);
            m_bstr = std::exchange(other.m_bstr, nullptr);
        }
        return *this;
    }

    BSTR Get() const noexcept { return m_bstr; }
    BSTR* Put() noexcept {
        SysFreeString(m_bstr);
        m_bstr = nullptr;
        return &m_bstr;
    }
    std::wstring_view View() const noexcept { return {m_bstr != nullptr ? m_bstr : L"", SysStringLen(m_bstr)}; }

private:
    BSTR m_bstr = nullptr;
};

// A VARIANT that is cleared when it goes.
class Variant {
public:
    Variant() noexcept { VariantInit(&m_value); }
    ~Variant() { VariantClear(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT& Get() noexcept { return m_value; }
    const VARIANT& Get() const noexcept { return m_value; }
    VARIANT* Put() noexcept {
        VariantClear(&m_value);
        return &m_value;
    }

private:
    VARIANT m_value;
};

// Joins the calling thread to a single-threaded apartment and leaves it again only when the
// join succeeded (S_OK or S_FALSE).
class ComApartment {
public:
    ComApartment() noexcept : m_result(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (Joined()) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Joined() const noexcept { return SUCCEEDED(m_result); }
    HRESULT Result() const noexcept { return m_result; }

private:
    HRESULT m_result;
};

}  // namespace framework
