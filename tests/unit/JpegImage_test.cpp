#include "framework/JpegImage.h"

#include <gtest/gtest.h>

#include "framework/Exceptions.h"
#include "tests/support/TestSupport.h"

namespace framework {
namespace {

std::vector<std::uint8_t> Banner() {
    return testing_support::ReadBytes(testing_support::SourcePath(L"resources/banner.jpg"));
}

TEST(JpegImage, DecodesTheBannerToTopDownBgrPixels) {
    TJPEGImage image;
    image.LoadFromMemory(Banner());
    EXPECT_EQ(image.Width(), 329);
    EXPECT_EQ(image.Height(), 56);
    EXPECT_EQ(image.Pixels().size(), 329u * 56u * 4u);
}

// A bad picture must end in an exception, never in libjpeg's exit() or a half-decoded image.
TEST(JpegImage, DamagedDataFailsCleanlyAndKeepsThePreviousPicture) {
    const std::vector<std::uint8_t> banner = Banner();
    const std::vector<std::uint8_t> truncated(banner.begin(), banner.begin() + static_cast<long>(banner.size() / 2));
    std::vector<std::uint8_t> badMarker = banner;
    badMarker[2] = 0x00;  // the marker after SOI
    std::vector<std::uint8_t> corruptTables = banner;
    for (std::size_t at = 20; at < 200 && at < corruptTables.size(); ++at) {
        corruptTables[at] = 0xFF;
    }
    const std::vector<std::uint8_t> notJpeg = {'<', '?', 'x', 'm', 'l', '>'};
    const std::vector<std::uint8_t> empty;

    TJPEGImage image;
    image.LoadFromMemory(banner);
    const std::vector<std::uint8_t>* damaged[] = {&truncated, &badMarker, &corruptTables, &notJpeg, &empty};
    for (const std::vector<std::uint8_t>* data : damaged) {
        EXPECT_THROW(image.LoadFromMemory(*data), EInvalidGraphic) << data->size() << " bytes";
        EXPECT_EQ(image.Width(), 329);
        EXPECT_EQ(image.Height(), 56);
    }
}

}  // namespace
}  // namespace framework
