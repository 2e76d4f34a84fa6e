// The types of the values a stored window description gives a component's published properties.
#pragma once

#include <cstdint>
#include <string_view>

namespace framework {

// A colour: either an RGB value or, with the system flag, one of the system's COLOR_ indexes.
struct TColor {
    static constexpr std::uint32_t kSystemFlag = 0x80000000u;
    std::uint32_t value = 0;

    constexpr bool IsSystem() const { return (value & kSystemFlag) != 0; }
    constexpr bool operator==(const TColor&) const = default;
};

constexpr TColor RgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor{static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
                  (static_cast<std::uint32_t>(b) << 16)};
}
constexpr TColor SystemColor(int index) {
    return TColor{TColor::kSystemFlag | static_cast<std::uint32_t>(index)};
}

inline constexpr TColor clBlack = RgbColor(0, 0, 0);
inline constexpr TColor clRed = RgbColor(255, 0, 0);
inline constexpr TColor clBlue = RgbColor(0, 0, 255);
inline constexpr TColor clBtnFace = SystemColor(15);    // COLOR_BTNFACE
inline constexpr TColor clWindowText = SystemColor(8);  // COLOR_WINDOWTEXT

// Left, top, width and height in pixels at 96 DPI; the form scales them to the system DPI.
struct TBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A resource of the executable, by numeric id (pictures, glyphs, image strips).
struct ResourceRef {
    int id = 0;
};

// A text of the executable's string table, by id: what a caption or an item reads.
struct ResourceText {
    int id = 0;
};

// A column of a report list: its caption and its width at 96 DPI.
struct TListColumn {
    ResourceText caption;
    int width = 50;
};

// A row of a list: its caption and the image it shows, -1 for none. Its other cells start empty.
struct TListItem {
    ResourceText caption;
    int imageIndex = -1;
};

// Font styles, combined as flags.
enum TFontStyle : int { fsBold = 1, fsItalic = 2, fsUnderline = 4 };

enum class TAlign : int { alNone, alTop, alBottom };
enum class TCursor : int { crDefault, crHandPoint };

}  // namespace framework
