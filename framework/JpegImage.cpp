#include "framework/JpegImage.h"

#include "framework/Win32.h"

#include <cstdio>

#include <jpeglib.h>

#include "framework/Exceptions.h"
#include "framework/Text.h"

namespace framework {

namespace {

[[noreturn]] void ThrowJpegError(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    throw EInvalidGraphic(L"JPEG error: " + FromUtf8(text));
}

// libjpeg's default would print and exit the process; ours turns the error into an exception.
// libjpeg is built with -fexceptions, so the exception unwinds through its frames cleanly.
void ErrorExit(j_common_ptr info) {
    ThrowJpegError(info);
}

// Warnings are corrupt data too (a truncated stream arrives as one): a half-grey banner is
// no better than none, so they fail the decode as well.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0) {
        ThrowJpegError(info);
    }
}

class Decompressor {
public:
    Decompressor() {
        m_info.err = jpeg_std_error(&m_errors);
        m_errors.error_exit = &ErrorExit;
        m_errors.emit_message = &EmitMessage;
        jpeg_create_decompress(&m_info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&m_info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct* operator->() noexcept { return &m_info; }
    jpeg_decompress_struct* Get() noexcept { return &m_info; }

private:
    jpeg_error_mgr m_errors{};
    jpeg_decompress_struct m_info{};
};

}  // namespace

void TJPEGImage::LoadFromMemory(std::span<const std::uint8_t> data) {
    if (data.empty()) {
        throw EInvalidGraphic(L"JPEG error: empty picture");
    }
    Decompressor decompressor;
    jpeg_mem_src(decompressor.Get(), data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(decompressor.Get(), TRUE);
    decompressor->out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(decompressor.Get());

    const int width = static_cast<int>(decompressor->output_width);
    const int height = static_cast<int>(decompressor->output_height);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::vector<std::uint8_t> pixels(stride * static_cast<std::size_t>(height));
    while (decompressor->output_scanline < decompressor->output_height) {
        JSAMPROW row = pixels.data() + stride * decompressor->output_scanline;
        jpeg_read_scanlines(decompressor.Get(), &row, 1);
    }
    jpeg_finish_decompress(decompressor.Get());

    m_width = width;
    m_height = height;
    m_pixels = std::move(pixels);
}

void TJPEGImage::LoadFromResource(int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (resource == nullptr) {
        throw EInvalidGraphic(L"JPEG error: picture resource not found");
    }
    const HGLOBAL loaded = LoadResource(module, resource);
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
    LoadFromMemory({bytes, SizeofResource(module, resource)});
}

}  // namespace framework
