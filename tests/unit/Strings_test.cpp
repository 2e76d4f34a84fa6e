// The string table in every language the program speaks: the same texts, each with the same
// placeholders, so that no language lacks a text or fills one in wrongly.
#include "framework/Win32.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/Text.h"
#include "resources/resource.h"

namespace {

using TTable = std::map<unsigned, std::wstring>;

// The texts of the executable's string table in one language, by id.
TTable TableOf(LANGID language) {
    std::vector<std::uintptr_t> blocks;
    EnumResourceNamesW(
        nullptr, RT_STRING,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            reinterpret_cast<std::vector<std::uintptr_t>*>(found)->push_back(reinterpret_cast<std::uintptr_t>(name));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    TTable table;
    for (const std::uintptr_t block : blocks) {
        const HRSRC found = FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(block), language);
        if (found == nullptr) {
            continue;
        }
        // A block holds sixteen counted strings, those of ids (block - 1) * 16 onwards.
        const auto* text = static_cast<const wchar_t*>(LockResource(LoadResource(nullptr, found)));
        for (unsigned index = 0; index < 16; ++index) {
            const std::size_t length = *text++;
            if (length != 0) {
                table[static_cast<unsigned>((block - 1) * 16 + index)] = std::wstring(text, length);
            }
            text += length;
        }
    }
    return table;
}

std::multiset<wchar_t> PlaceholdersOf(const std::wstring& text) {
    std::multiset<wchar_t> placeholders;
    for (std::size_t at = text.find(L'%'); at != std::wstring::npos && at + 1 < text.size();
         at = text.find(L'%', at + 1)) {
        if (text[at + 1] >= L'1' && text[at + 1] <= L'9') {
            placeholders.insert(text[at + 1]);
        }
    }
    return placeholders;
}

TEST(StringTable, EveryTextIsThereInEveryLanguageWithTheSamePlaceholders) {
    const TTable english = TableOf(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_GT(english.size(), 100u);
    struct Language {
        LANGID id;
        LANGID sameAs;
    };
    const Language languages[] = {
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), 0},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), 0},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_MACAU), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
    };
    for (const Language& language : languages) {
        SCOPED_TRACE(testing::Message() << "language " << std::hex << language.id);
        const TTable table = TableOf(language.id);
        if (language.sameAs != 0) {
            EXPECT_EQ(table, TableOf(language.sameAs));
            continue;
        }
        for (const auto& [id, text] : english) {
            SCOPED_TRACE(id);
            const auto translated = table.find(id);
            ASSERT_NE(translated, table.end()) << "missing: " << framework::ToUtf8(text);
            EXPECT_EQ(PlaceholdersOf(translated->second), PlaceholdersOf(text))
                << framework::ToUtf8(translated->second);
        }
        EXPECT_EQ(table.size(), english.size()) << "texts that English lacks";
        // The caption names the program in every language, the title the single instance looks for.
        EXPECT_EQ(table.at(IDS_MAIN_CAPTION), english.at(IDS_MAIN_CAPTION));
    }
}

}  // namespace
