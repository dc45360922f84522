#include "ui_support/screen_capture.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace norvik::testing {
namespace {

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc) DeleteDC(dc);
    }
};

struct Bitmap {
    HBITMAP bitmap = nullptr;
    ~Bitmap() {
        if (bitmap) DeleteObject(bitmap);
    }
};

void put_le(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::optional<Capture> capture_client(HWND window) {
    RECT client{};
    POINT origin{0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return std::nullopt;
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) return std::nullopt;

    ScreenDc screen;
    MemoryDc memory(screen.dc);
    if (!screen.dc || !memory.dc) return std::nullopt;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap{CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    if (!bitmap.bitmap || !bits) return std::nullopt;
    const HGDIOBJ old = SelectObject(memory.dc, bitmap.bitmap);
    const BOOL copied =
        BitBlt(memory.dc, 0, 0, width, height, screen.dc, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    SelectObject(memory.dc, old);
    if (!copied) return std::nullopt;

    Capture capture{width, height, {}};
    const auto* source = static_cast<const uint32_t*>(bits);
    capture.pixels.assign(source, source + static_cast<size_t>(width) * height);
    for (uint32_t& pixel : capture.pixels)
        pixel &= 0xFFFFFF;  // BGRA in memory: 0x00RRGGBB
    return capture;
}

std::optional<Capture> capture_when(HWND window, const std::function<bool(const Capture&)>& ready,
                                    std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<Capture> last;
    for (;;) {
        if (auto capture = capture_client(window)) {
            if (ready(*capture)) return capture;
            last = std::move(capture);
        }
        if (std::chrono::steady_clock::now() >= deadline) return last;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool Capture::save_bmp(const std::string& path) const {
    const uint32_t row = static_cast<uint32_t>((width * 3 + 3) & ~3);
    const uint32_t image = row * static_cast<uint32_t>(height);
    std::string out = "BM";
    put_le(out, 54 + image, 4);
    put_le(out, 0, 4);
    put_le(out, 54, 4);
    put_le(out, 40, 4);
    put_le(out, static_cast<uint32_t>(width), 4);
    put_le(out, static_cast<uint32_t>(height), 4);  // bottom-up rows
    put_le(out, 1, 2);
    put_le(out, 24, 2);
    for (int i = 0; i < 6; ++i)
        put_le(out, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x)
            put_le(out, at(x, y), 3);  // B, G, R
        out.append(row - static_cast<uint32_t>(width) * 3, '\0');
    }
    std::unique_ptr<FILE, decltype(&fclose)> file(fopen(path.c_str(), "wb"), &fclose);
    return file && fwrite(out.data(), 1, out.size(), file.get()) == out.size();
}

void keep_capture(const Capture& capture, const std::string& name) {
    const char* folder = std::getenv("NORVIK_UI_CAPTURE_DIR");
    if (!folder || !*folder) return;
    if (!capture.save_bmp(std::string(folder) + "\\" + name + ".bmp")) {
        std::fprintf(stderr, "could not keep the capture %s in %s\n", name.c_str(), folder);
    }
}

}  // namespace norvik::testing
