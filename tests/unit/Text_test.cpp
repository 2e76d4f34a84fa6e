#include "framework/Text.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace framework {
namespace {

TEST(CopyBounded, TruncatesToTheBufferAndAlwaysTerminates) {
    wchar_t buffer[4];
    EXPECT_EQ(CopyBounded(buffer, L"abcdef"), 3u);
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_EQ(CopyBounded(buffer, L"ab"), 2u);
    EXPECT_STREQ(buffer, L"ab");
    EXPECT_EQ(CopyBounded(buffer, L""), 0u);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(CopyBounded(buffer, 0, L"x"), 0u);
}

TEST(Utf8, RoundTripsTextOutsideTheCodePage) {
    const std::wstring text = L"Клиент \u4E2D\u6587 \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L""), "");
}

TEST(DecimalText, WritesEveryValueAsToWstringDoes) {
    for (const long long value : {0LL, 1000LL, -1LL, LLONG_MAX, LLONG_MIN}) {
        EXPECT_EQ(DecimalText(value), std::to_wstring(value));
    }
}

TEST(FormatText, ReplacesEachPlaceholderByItsArgumentInOnePass) {
    EXPECT_EQ(FormatText(L"%2 before %1, then %1 again", {L"a", L"b"}), L"b before a, then a again");
    EXPECT_EQ(FormatText(L"%1 and %2", {L"%2", L"100%"}), L"%2 and 100%") << "arguments are not read again";
    EXPECT_EQ(FormatText(L"%3 of 50% at %", {L"a"}), L"%3 of 50% at %") << "no argument, no placeholder";
}

TEST(LoadText, IsEmptyForAnIdTheStringTableLacks) {
    EXPECT_EQ(LoadText(65000), L"");
}

}  // namespace
}  // namespace framework
