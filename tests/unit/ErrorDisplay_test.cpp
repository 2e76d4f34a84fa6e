#include "framework/ErrorDisplay.h"

#include <cxxabi.h>

#include <array>
#include <bitset>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <ios>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <typeinfo>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/TypeName.h"

extern "C" char* __wrap___cxa_demangle(const char* mangled, char* buffer, std::size_t* length, int* status);

namespace framework {
namespace {

TEST(ErrorDisplay, AddsAPeriodOnlyAfterCharactersAbovePeriod) {
    struct Case {
        const wchar_t* message;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"Failed to get data for ''", L"Failed to get data for ''"},  // quote is below '.'
        {L"Cannot open file", L"Cannot open file."},                   // letter
        {L"Error 5", L"Error 5."},                                     // digit
        {L"Is it there?", L"Is it there?."},                           // question mark
        {L"Reason:", L"Reason:."},                                     // colon
        {L"Caf\u00e9", L"Caf\u00e9."},                                 // above 0x80
        {L"\u041e\u0448\u0438\u0431\u043a\u0430", L"\u041e\u0448\u0438\u0431\u043a\u0430."},
        {L"Done.", L"Done."},
        {L"Stop!", L"Stop!"},
        {L"(see log)", L"(see log)"},
        {L"a - ", L"a - "},
        {L"x-", L"x-"},
        {L"one,", L"one,"},
        {L"", L""},
    };
    for (const Case& entry : cases) {
        EXPECT_EQ(WithClosingPeriod(entry.message), entry.shown)
            << "message: " << testing::PrintToString(entry.message);
    }
}

template <typename T, int N, bool B>
struct Local {};

// The application-error box names a class the way the runtime's demangler would have: the same
// text for every type the reader takes on, and the name as given for the rest.
TEST(ErrorDisplay, NamesTypesAsTheRuntimesDemanglerDoes) {
    const std::type_info* types[] = {
        &typeid(std::runtime_error),
        &typeid(std::bad_alloc),
        &typeid(std::ios_base::failure),
        &typeid(std::system_error),
        &typeid(EAbort),
        &typeid(int),
        &typeid(const char*),
        &typeid(const volatile wchar_t* const*),
        &typeid(std::nullptr_t),
        &typeid(std::string),
        &typeid(std::map<std::wstring, std::vector<std::shared_ptr<const std::wstring>>>),
        &typeid(std::array<unsigned long long, 3>),
        &typeid(std::bitset<8>),
        &typeid(Local<std::pair<std::string, int&&>, -5, true>),
    };
    for (const std::type_info* type : types) {
        int status = 0;
        char* demangled = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(ReadableTypeName(type->name()), demangled) << type->name();
        std::free(demangled);
    }
    for (const std::type_info* type : {&typeid(void (*)(int)), &typeid(int[4]), &typeid(std::function<void()>)}) {
        EXPECT_EQ(ReadableTypeName(type->name()), type->name());
    }
}

// What the program's terminate handler gets in place of the runtime's demangler: the runtime's
// contract for buffers and status, since the handler frees what it is given.
TEST(ErrorDisplay, TheDemanglerInTheProgramKeepsTheRuntimesContract) {
    int status = 1;
    char* text = __wrap___cxa_demangle(typeid(std::bad_alloc).name(), nullptr, nullptr, &status);
    ASSERT_EQ(status, 0);
    EXPECT_STREQ(text, "std::bad_alloc");
    std::size_t length = 4;
    text = __wrap___cxa_demangle(typeid(std::runtime_error).name(), text, &length, &status);
    ASSERT_EQ(status, 0);
    EXPECT_STREQ(text, "std::runtime_error");
    EXPECT_EQ(length, sizeof "std::runtime_error");
    text = __wrap___cxa_demangle("i", text, &length, &status);
    EXPECT_EQ(status, 0);
    EXPECT_STREQ(text, "int");
    EXPECT_EQ(length, sizeof "std::runtime_error") << "a buffer large enough is used as it is";
    std::free(text);
    EXPECT_EQ(__wrap___cxa_demangle(typeid(void (*)()).name(), nullptr, nullptr, &status), nullptr);
    EXPECT_EQ(status, -2);
    EXPECT_EQ(__wrap___cxa_demangle(nullptr, nullptr, nullptr, &status), nullptr);
    EXPECT_EQ(status, -3);
}

}  // namespace
}  // namespace framework
