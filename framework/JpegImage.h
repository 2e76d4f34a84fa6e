// TJPEGImage: a JPEG picture decoded with libjpeg into 32-bit BGRA pixels.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace framework {

class TJPEGImage {
public:
    // Decodes a whole JPEG stream. Anything libjpeg finds wrong, a truncated stream included,
    // raises EInvalidGraphic and leaves the image as it was.
    void LoadFromMemory(std::span<const std::uint8_t> data);
    // Decodes an RCDATA resource of the executable.
    void LoadFromResource(int id);

    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    bool Empty() const noexcept { return m_pixels.empty(); }
    // Top-down rows of blue, green, red and an unused byte, as a 32-bit DIB expects them.
    const std::vector<std::uint8_t>& Pixels() const noexcept { return m_pixels; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels;
};

}  // namespace framework
