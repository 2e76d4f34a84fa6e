// The readable name of a type, for the error box that names the class of an exception the program
// does not know. A program linked with -Wl,--wrap=__cxa_demangle also has the C++ runtime's own
// demangler served by it (TypeNameWrapper.cpp): std::terminate's default handler names the
// exception in flight through that demangler, which would otherwise bring 46 KB of code and the
// C runtime's printf engine into the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace framework {

// The name std::type_info::name() gives a type, written as the runtime's demangler writes it
// ("std::runtime_error", "char const*", "std::vector<int, std::allocator<int> >"), or nothing for
// a name beyond this reader. It reads the names of classes, class templates with type and integer
// arguments, and the fundamental, qualified, pointer and reference types built from them; not
// function or array types, lambdas or classes local to a function.
std::optional<std::string> DemangledTypeName(std::string_view name);

// The demangled name, or the name as given where there is none.
std::string ReadableTypeName(const char* name);

}  // namespace framework
