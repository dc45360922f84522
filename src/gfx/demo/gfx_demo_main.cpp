// norvik-gfx-demo: a window titled "Norvik" that draws a sample of the results view through the
// renderer, for looking at the renderer under Wine (fonts, icons, Korean, both palettes, 100 %
// and 150 %) before the program itself draws. Typed characters go into its search box and
// highlight the sample names that contain them.
//   norvik-gfx-demo.exe [--dark] [--dpi N]
// With NORVIK_TRACE naming a file, "index-ready" is written there once the first frame is shown,
// as the program does once its index can be searched.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <fstream>
#include <string>
#include <vector>

#include "gfx/renderer.h"
#include "hangul/utf8.h"

namespace norvik {
namespace {

struct Palette {
    Color background, status, box, text, secondary, separator, accent;
};
constexpr Palette LIGHT{rgb(0xF6F7F9), rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0x16181D),
                        rgb(0x6B7280), rgb(0xE3E6EA), rgb(0x7C3AED)};
constexpr Palette DARK{rgb(0x17181B), rgb(0x222327), rgb(0x1F2125), rgb(0xECEDEF),
                       rgb(0x9CA0A8), rgb(0x33353B), rgb(0xA78BFA)};

struct SampleRow {
    const char* name;
    char32_t glyph;
    uint32_t colour;
    const char* folder;
    const char* size;
    const char* date;
};
const SampleRow ROWS[] = {
    {"보고서", 0xE8B7, 0xE0A100, "D:\\문서\\2026", "", "2026-03-05 09:07"},
    {"2026 연간 보고서 최종본.hwp", 0xE8A5, 0x10B981, "D:\\문서\\2026\\보고서", "1.24 MB",
     "2026-03-04 18:22"},
    {"Report.docx", 0xE8A5, 0x10B981, "D:\\Work\\Quarterly", "88.0 KB", "2026-02-27 11:40"},
    {"회의록_3월_영업팀_지역별_매출_분석_및_다음_분기_계획_최종_수정본.pdf", 0xE8A5, 0x10B981,
     "D:\\문서\\회의록\\영업팀\\2026\\3월", "412 KB", "2026-03-02 10:15"},
    {"제주도 여행 사진.jpg", 0xEB9F, 0x3B82F6, "D:\\사진\\2025 여름", "4.81 MB",
     "2025-08-14 16:03"},
    {"봄날.mp3", 0xE8D6, 0xEC4899, "D:\\음악", "7.02 MB", "2024-04-01 08:30"},
    {"강의 녹화 1주차.mp4", 0xE714, 0x8B5CF6, "D:\\동영상\\강의", "512 MB", "2026-01-09 14:00"},
    {"프로젝트 백업.zip", 0xE7B8, 0xF59E0B, "D:\\백업", "2.10 GB", "2026-02-01 23:59"},
    {"setup.exe", 0xECAA, 0xEF4444, "D:\\Downloads", "35.6 MB", "2026-03-01 12:12"},
    {"~$보고서.docx", 0xE81C, 0x94A3B8, "D:\\문서\\2026", "162 B", "2026-03-05 09:08"},
    {"notes.txt", 0xE7C3, 0x14B8A6, "D:\\", "1023 B", "2025-12-31 23:00"},
};

struct Demo {
    HWND window = nullptr;
    uint32_t dpi = 96;
    bool dark = false;
    std::u32string query;
    std::unique_ptr<Renderer> renderer;
    bool traced = false;
};

Demo demo;

// The first occurrence of the query in the name, in UTF-16 units, compared as typed.
std::vector<TextRange> highlight(const std::string& name) {
    if (demo.query.empty()) return {};
    std::string query;
    for (char32_t c : demo.query)
        append_utf8(query, c);
    const size_t at = name.find(query);
    if (at == std::string::npos) return {};
    const auto start = utf8_to_utf16(name.substr(0, at)).size();
    const auto length = utf8_to_utf16(query).size();
    return {TextRange{static_cast<uint32_t>(start), static_cast<uint32_t>(length)}};
}

void paint(Canvas& c, float width, float height) {
    const Palette& p = demo.dark ? DARK : LIGHT;
    const float s = static_cast<float>(demo.dpi) / 96.0f;
    const float box_width = width - 78 * s;
    c.begin_frame(p.background);

    c.fill_rounded_rect(edges(16 * s, 14 * s, 16 * s + box_width, 58 * s), 10 * s, p.box);
    c.fill_rounded_rect(edges(16 * s, 56 * s, 16 * s + box_width, 58 * s), 1 * s, p.accent);
    c.draw_glyph(0xE721, {24 * s, 14 * s, 30 * s, 44 * s}, p.secondary, 1.15f);
    std::string text;
    for (char32_t ch : demo.query)
        append_utf8(text, ch);
    if (text.empty()) {
        c.draw_text("파일·폴더 이름 검색 (초성·영타도 됩니다)",
                    {60 * s, 14 * s, width - 136 * s, 44 * s}, with_alpha(p.secondary, 0.8f),
                    Font::Input, Align::Leading);
    } else {
        c.draw_text(text, {60 * s, 14 * s, width - 136 * s, 44 * s}, p.text, Font::Input,
                    Align::Leading);
    }
    const float caret = 60 * s + c.measure(text, Font::Input);
    c.fill_rect(edges(caret, 25 * s, caret + std::max(1.5f * s, 1.0f), 47 * s), p.accent);
    c.draw_glyph(0xE700, {width - 56 * s, 16 * s, 40 * s, 40 * s}, p.text, 1.0f);

    float x = 16 * s;
    const char* tabs[] = {"전체", "폴더", "문서", "사진", "음악", "동영상", "압축"};
    for (int i = 0; i < 7; ++i) {
        const float w = c.measure(tabs[i], Font::Body) + 26 * s;
        const RectF tab{x, 68 * s, w, 30 * s};
        c.fill_rounded_rect(tab, tab.height / 2, i == 0 ? p.accent : with_alpha(p.secondary, 0.1f));
        c.draw_text(tabs[i], tab, i == 0 ? rgb(0xFFFFFF) : p.text, Font::Body, Align::Center);
        x += w + 6 * s;
    }

    const float rest = std::max(100 * s, width - 294 * s);
    const float name_w = std::round(rest / 2), folder_w = rest - name_w;
    const float folder_x = 46 * s + name_w, size_x = folder_x + folder_w, date_x = size_x + 86 * s;
    c.fill_rect(edges(0, 140 * s - 1, width, 140 * s), p.separator);
    c.draw_text("이름", {52 * s, 110 * s, name_w - 12 * s, 30 * s}, p.text, Font::BodyBold,
                Align::Leading);
    const float mark = 52 * s + c.measure("이름", Font::BodyBold) + 4 * s;
    c.draw_glyph(0xE70D, {mark, 110 * s, 14 * s, 30 * s}, p.secondary, 0.6f);
    c.draw_text("폴더", {folder_x + 6 * s, 110 * s, folder_w - 12 * s, 30 * s}, p.secondary,
                Font::Small, Align::Leading);
    c.draw_text("크기", {size_x + 6 * s, 110 * s, 74 * s, 30 * s}, p.secondary, Font::Small,
                Align::Trailing);
    c.draw_text("수정한 날짜", {date_x + 6 * s, 110 * s, 124 * s, 30 * s}, p.secondary, Font::Small,
                Align::Leading);

    const float row_h = std::round(32 * s), status_h = std::round(30 * s);
    c.push_clip(edges(0, 140 * s, width, height - status_h));
    float y = 140 * s;
    for (size_t i = 0; i < std::size(ROWS); ++i, y += row_h) {
        const SampleRow& row = ROWS[i];
        if (i == 1) {
            c.fill_rounded_rect(edges(6 * s, y, width - 16 * s, y + row_h), 6 * s,
                                with_alpha(p.accent, demo.dark ? 0.30f : 0.16f));
        }
        c.draw_glyph(row.glyph, {16 * s, y, 30 * s, row_h}, rgb(row.colour), 1.0f);
        const std::vector<TextRange> runs = highlight(row.name);
        c.draw_text(row.name, {50 * s, y, name_w - 10 * s, row_h}, p.text, Font::Body,
                    Align::Leading, runs, p.accent);
        c.draw_text(row.folder, {folder_x + 6 * s, y, folder_w - 12 * s, row_h}, p.secondary,
                    Font::Small, Align::Leading);
        c.draw_text(row.size, {size_x, y, 80 * s, row_h}, p.secondary, Font::Small,
                    Align::Trailing);
        c.draw_text(row.date, {date_x + 6 * s, y, 130 * s, row_h}, p.secondary, Font::Small,
                    Align::Leading);
    }
    c.pop_clip();

    const float status_top = height - status_h;
    c.fill_rect(edges(0, status_top, width, height), p.status);
    c.fill_rect(edges(0, status_top, width, status_top + 1), p.separator);
    c.draw_text("11개 (3 ms)  ·  목록 523,901개", {16 * s, status_top, 0.6f * width, status_h},
                p.secondary, Font::Small, Align::Leading);
    c.draw_text("Ctrl+Alt+F 로 언제든 열기  ·  Enter 열기  ·  Ctrl+Enter 폴더",
                {0.4f * width, status_top, 0.6f * width - 16 * s, status_h}, p.secondary,
                Font::Small, Align::Trailing);
    if (c.end_frame()) {
        demo.renderer.reset();  // the swap chain holds the window: the old one goes first
        demo.renderer = create_renderer(demo.window, demo.dpi).renderer;
        InvalidateRect(demo.window, nullptr, FALSE);
    }
}

void trace_ready() {
    if (demo.traced) return;
    demo.traced = true;
    const wchar_t* path = _wgetenv(L"NORVIK_TRACE");
    if (path && *path) std::ofstream(path, std::ios::app) << "0 index-ready 0\n";
}

LRESULT CALLBACK demo_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT: {
            ValidateRect(window, nullptr);
            RECT client{};
            GetClientRect(window, &client);
            if (demo.renderer) {
                paint(*demo.renderer, static_cast<float>(client.right),
                      static_cast<float>(client.bottom));
                trace_ready();
            }
            return 0;
        }
        case WM_SIZE:
            if (demo.renderer) demo.renderer->resize(LOWORD(lparam), HIWORD(lparam));
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_CHAR:
            if (wparam == 0x08) {
                if (!demo.query.empty()) demo.query.pop_back();
            } else if (wparam == 0x1B) {
                demo.query.clear();
            } else if (wparam >= 0x20 && (wparam < 0xD800 || wparam > 0xDFFF)) {
                demo.query.push_back(static_cast<char32_t>(wparam));
            }
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace
}  // namespace norvik

int wmain(int argc, wchar_t** argv) {
    using namespace norvik;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--dark") == 0) demo.dark = true;
        if (std::wcscmp(argv[i], L"--dpi") == 0 && i + 1 < argc) {
            demo.dpi = std::max(96u, static_cast<uint32_t>(std::wcstoul(argv[++i], nullptr, 10)));
        }
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = demo_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"Norvik.GfxDemo";
    RegisterClassExW(&wc);
    const float s = static_cast<float>(demo.dpi) / 96.0f;
    RECT frame{0, 0, static_cast<LONG>(960 * s), static_cast<LONG>(640 * s)};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    demo.window = CreateWindowExW(0, wc.lpszClassName, L"Norvik", WS_OVERLAPPEDWINDOW, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (!demo.window) return 1;
    demo.renderer = create_renderer(demo.window, demo.dpi).renderer;
    ShowWindow(demo.window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
