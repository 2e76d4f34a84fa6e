// The failure model: exceptions of class Exception and its descendants.
#pragma once

#include <exception>
#include <string>

namespace framework {

// Base of every failure the program reports. The message is shown to the user as it stands.
class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);

    const std::wstring& Message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_narrow.c_str(); }

private:
    std::wstring m_message;
    std::string m_narrow;
};

// A silent exception: it ends the handler that raised it and is never shown.
class EAbort : public Exception {
public:
    EAbort();
};

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// A registry value that holds data of another type than the one asked for.
class ERegistryTypeError : public ERegistryException {
public:
    ERegistryTypeError(std::wstring message, unsigned long type)
        : ERegistryException(std::move(message)), m_type(type) {}
    // The type the value's data has (REG_DWORD, REG_BINARY, ...).
    unsigned long Type() const noexcept { return m_type; }

private:
    unsigned long m_type;
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// A picture that cannot be decoded.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// An XML document that does not parse, or an edit or save the document cannot take.
class EXmlError : public Exception {
public:
    using Exception::Exception;
};

// What kind of damage keeps a text from parsing, as far as it tells a reader who wants to mend it:
// the parser's own reasons are written for those who write parsers.
enum class TXmlFault {
    Malformed,  // not XML from a place on
    CutShort,   // it ends before its elements do, as a write that was cut off leaves it
    Empty,      // no element at all
    Encoding,   // an encoding that is not known, or that its bytes are not in
};

// Text that does not parse as XML, with the parser's own reason and the line and column it
// stopped at (0 when it did not say).
class EXmlParseError : public EXmlError {
public:
    EXmlParseError(std::wstring message,
                   std::wstring reason,
                   long line,
                   long column = 0,
                   TXmlFault fault = TXmlFault::Malformed)
        : EXmlError(std::move(message)), m_reason(std::move(reason)), m_line(line), m_column(column), m_fault(fault) {}
    const std::wstring& Reason() const noexcept { return m_reason; }
    long Line() const noexcept { return m_line; }
    long Column() const noexcept { return m_column; }
    TXmlFault Fault() const noexcept { return m_fault; }

private:
    std::wstring m_reason;
    long m_line;
    long m_column;
    TXmlFault m_fault;
};

// A failed operating-system call, with the system's own text for the error code.
class EOSError : public Exception {
public:
    EOSError(unsigned long errorCode, std::wstring_view context);
    unsigned long ErrorCode() const noexcept { return m_errorCode; }

private:
    unsigned long m_errorCode;
};

// A failed COM call and its HRESULT.
class EOleError : public Exception {
public:
    EOleError(long hr, std::wstring message);
    long Result() const noexcept { return m_hr; }

private:
    long m_hr;
};

// Throws EOSError for GetLastError() when the condition is false.
void Win32Check(bool ok, std::wstring_view context);
// Throws EOleError when hr is a failure code.
void OleCheck(long hr, std::wstring_view context);

}  // namespace framework
