#include "framework/Registry.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "framework/Exceptions.h"
#include "tests/support/TestSupport.h"

namespace framework {
namespace {

using testing_support::ClientRegistration;

constexpr wchar_t kKey[] = L"Software\\BitComet";

std::vector<std::uint8_t> Utf16Bytes(std::wstring_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return {bytes, bytes + text.size() * sizeof(wchar_t)};
}

TEST(TRegistry, ReadStringTakesTheTextAsStoredAndRefusesOtherTypes) {
    std::vector<std::uint8_t> oddLength = Utf16Bytes(L"C:\\Odd");
    oddLength.push_back('x');
    struct Case {
        const char* name;
        DWORD type;
        std::vector<std::uint8_t> data;
        std::wstring expected;
        std::wstring error;
    };
    const Case cases[] = {
        {"string", REG_SZ, Utf16Bytes({L"C:\\Client\0", 10}), L"C:\\Client", L""},
        {"expandable, not expanded", REG_EXPAND_SZ, Utf16Bytes({L"%ProgramFiles%\\Client\0", 22}),
         L"%ProgramFiles%\\Client", L""},
        {"cut at the first NUL", REG_SZ, Utf16Bytes({L"C:\\A\0rest\0", 10}), L"C:\\A", L""},
        {"without a terminating NUL", REG_SZ, Utf16Bytes(L"C:\\Bare"), L"C:\\Bare", L""},
        {"odd byte length", REG_SZ, oddLength, L"C:\\Odd", L""},
        {"outside the code page", REG_SZ, Utf16Bytes({L"C:\\Клиент\\中文\0", 13}), L"C:\\Клиент\\中文", L""},
        {"empty string", REG_SZ, {}, L"", L""},
        {"empty data of another type", REG_BINARY, {}, L"", L""},
        {"number", REG_DWORD, {1, 0, 0, 0}, L"", L"Invalid data type for ''"},
        {"text as binary", REG_BINARY, Utf16Bytes({L"C:\\Client\0", 10}), L"", L"Invalid data type for ''"},
        {"multi-string", REG_MULTI_SZ, Utf16Bytes({L"C:\\Client\0\0", 11}), L"", L"Invalid data type for ''"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClientRegistration registration;
        registration.SetRaw(c.type, c.data);
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kKey, false));
        try {
            EXPECT_EQ(registry.ReadString(L""), c.expected);
            EXPECT_EQ(c.error, L"") << "no exception";
        } catch (const ERegistryException& error) {
            EXPECT_EQ(error.Message(), c.error);
        }
    }
}

TEST(TRegistry, MissingKeysAndValuesReadEmptyAndAreNeverCreated) {
    ClientRegistration registration;
    registration.Remove();
    TRegistry registry;
    EXPECT_FALSE(registry.OpenKey(kKey, false));
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.ReadString(L""), L"");
    HKEY probe = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &probe), ERROR_FILE_NOT_FOUND);

    registration.SetKeyOnly();
    ASSERT_TRUE(registry.OpenKey(kKey, false));
    EXPECT_EQ(registry.ReadString(L""), L"");
    EXPECT_EQ(registry.ReadString(L"NoSuchValue"), L"");
}

TEST(TRegistry, OpensForReadingOnlyUnlessToldOtherwise) {
    ClientRegistration registration;
    registration.Remove();
    const std::vector<std::uint8_t> folder = Utf16Bytes({L"C:\\Client\0", 10});
    const auto setFolder = [&](HKEY key) {
        return RegSetValueExW(key, L"", 0, REG_SZ, folder.data(), static_cast<DWORD>(folder.size()));
    };

    TRegistry writer(KEY_READ | KEY_WRITE);
    ASSERT_TRUE(writer.OpenKey(kKey, true));
    EXPECT_EQ(setFolder(writer.CurrentKey()), ERROR_SUCCESS);

    TRegistry reader;
    ASSERT_TRUE(reader.OpenKey(kKey, false));
    EXPECT_EQ(reader.ReadString(L""), L"C:\\Client");
    EXPECT_EQ(setFolder(reader.CurrentKey()), ERROR_ACCESS_DENIED);
    reader.CloseKey();
    EXPECT_EQ(reader.CurrentKey(), nullptr);
}

}  // namespace
}  // namespace framework
