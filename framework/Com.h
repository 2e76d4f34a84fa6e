// The COM apartment of a thread, joined only by code that needs COM.
#pragma once

#include "framework/Win32.h"
#include <objbase.h>

namespace framework {

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

private:
    HRESULT m_result;
};

}  // namespace framework
