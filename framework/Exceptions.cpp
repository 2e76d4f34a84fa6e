#include "framework/Exceptions.h"

#include "framework/Win32.h"

#include "framework/Text.h"

namespace framework {

Exception::Exception(std::wstring message) : m_message(std::move(message)), m_narrow(ToUtf8(m_message)) {}

EAbort::EAbort() : Exception(L"Operation aborted") {}

EOSError::EOSError(unsigned long errorCode, std::wstring_view context)
    : Exception(std::wstring(context) + L": " + SystemErrorText(errorCode)), m_errorCode(errorCode) {}

EOleError::EOleError(long hr, std::wstring message) : Exception(std::move(message)), m_hr(hr) {}

void Win32Check(bool ok, std::wstring_view context) {
    if (!ok) {
        throw EOSError(GetLastError(), context);
    }
}

void OleCheck(long hr, std::wstring_view context) {
    if (FAILED(hr)) {
        throw EOleError(hr, std::wstring(context) + L": " + SystemErrorText(static_cast<unsigned long>(hr)));
    }
}

}  // namespace framework
