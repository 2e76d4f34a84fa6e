// Linked in only where -Wl,--wrap=__cxa_demangle asks for it: every call of the runtime's
// demangler then reaches the type-name reader, and the runtime's own demangler stays out of the
// program. Its one caller there is std::terminate's default handler, naming the exception in
// flight; a name the reader does not take stays mangled, as the handler writes it when the
// demangler fails.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "framework/TypeName.h"

// The ABI's contract: the name in buffer (malloc'd, *length bytes, grown with realloc) or, without
// one, in a new malloc'd block; status 0, or -1 out of memory, -2 no name this reader takes, -3 a
// bad argument.
extern "C" char* __wrap___cxa_demangle(const char* mangled, char* buffer, std::size_t* length, int* status) {
    int result = -3;
    char* text = nullptr;
    if (mangled != nullptr && (buffer == nullptr || length != nullptr)) {
        try {
            if (const std::optional<std::string> name = framework::DemangledTypeName(mangled)) {
                const std::size_t size = name->size() + 1;
                const bool fits = buffer != nullptr && size <= *length;
                text = fits ? buffer : static_cast<char*>(std::realloc(buffer, size));
                if (text != nullptr) {
                    std::memcpy(text, name->c_str(), size);
                    if (!fits && length != nullptr) {
                        *length = size;
                    }
                }
                result = text != nullptr ? 0 : -1;
            } else {
                result = -2;
            }
        } catch (...) {
            result = -1;
        }
    }
    if (status != nullptr) {
        *status = result;
    }
    return text;
}
