// The entry point of every test program: GoogleTest takes its own flags, the rest are kept for
// the tests (paths of the programs under test).
#include "framework/Win32.h"
#include <shellapi.h>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace testing_support {
std::vector<std::wstring>& MutableTestArguments();
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    auto& arguments = testing_support::MutableTestArguments();
    for (int index = 1; index < wideCount; ++index) {
        const std::wstring argument = wide[index];
        if (argument.rfind(L"--gtest", 0) != 0 && argument.rfind(L"-gtest", 0) != 0) {
            arguments.push_back(testing_support::WindowsPath(argument));
        }
    }
    LocalFree(wide);
    return RUN_ALL_TESTS();
}
