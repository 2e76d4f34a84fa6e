#include "framework/ErrorDisplay.h"

#include <gtest/gtest.h>
#include <string>

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

}  // namespace
}  // namespace framework
