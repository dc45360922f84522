// Building the renderer: the devices, the swap chain bound to the window, the device context,
// the brushes and the fonts; and the target bitmap over the back buffer, made again on resize.
#include <d3d11.h>

#include <algorithm>

#include "gfx/renderer.h"

namespace norvik {
namespace {

// A call's HRESULT, with a success that gave no object counted as a failure. The object is
// read only after the call has run, so a reference is taken rather than its pointer.
template <class T>
HRESULT made(HRESULT hr, const ComPtr<T>& object) {
    if (FAILED(hr)) return hr;
    return object ? S_OK : E_POINTER;
}

RendererOrError failed(HRESULT hr) {
    return RendererOrError{nullptr, hr};
}

HRESULT create_device(D3D_DRIVER_TYPE type, ComPtr<ID3D11Device>& device) {
    return made(D3D11CreateDevice(nullptr, type, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, nullptr,
                                  0, D3D11_SDK_VERSION, &device, nullptr, nullptr),
                device);
}

}  // namespace

RendererOrError create_renderer(HWND window, uint32_t dpi) {
    // make_unique cannot reach the private constructor.
    std::unique_ptr<Renderer> r(new Renderer());

    ComPtr<ID2D1Factory1> d2d_factory;
    if (const HRESULT hr =
            made(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1),
                                   nullptr, reinterpret_cast<void**>(d2d_factory.GetAddressOf())),
                 d2d_factory);
        FAILED(hr))
        return failed(hr);
    if (const HRESULT hr = made(
            DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                reinterpret_cast<IUnknown**>(r->dwrite_factory_.GetAddressOf())),
            r->dwrite_factory_);
        FAILED(hr))
        return failed(hr);

    // Machines without a usable GPU (remote sessions, virtual machines) still draw, in software.
    ComPtr<ID3D11Device> device;
    if (FAILED(create_device(D3D_DRIVER_TYPE_HARDWARE, device))) {
        if (const HRESULT hr = create_device(D3D_DRIVER_TYPE_WARP, device); FAILED(hr)) {
            return failed(hr);
        }
    }

    ComPtr<IDXGIDevice1> dxgi_device;
    if (const HRESULT hr = made(device.As(&dxgi_device), dxgi_device); FAILED(hr))
        return failed(hr);
    // One frame queued at most keeps a keystroke's frame from waiting behind older ones.
    dxgi_device->SetMaximumFrameLatency(1);

    ComPtr<ID2D1Device> d2d_device;
    if (const HRESULT hr =
            made(d2d_factory->CreateDevice(dxgi_device.Get(), &d2d_device), d2d_device);
        FAILED(hr))
        return failed(hr);
    if (const HRESULT hr = made(
            d2d_device->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &r->device_context_),
            r->device_context_);
        FAILED(hr))
        return failed(hr);
    // Pinned at 96 so that Direct2D's units are the swap chain's pixels; the window scale is
    // applied to every length by the callers and to the fonts here.
    r->device_context_->SetDpi(96.0f, 96.0f);
    r->device_context_->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);

    ComPtr<IDXGIAdapter> adapter;
    if (const HRESULT hr = made(dxgi_device->GetAdapter(&adapter), adapter); FAILED(hr))
        return failed(hr);
    ComPtr<IDXGIFactory2> dxgi_factory;
    if (const HRESULT hr =
            made(adapter->GetParent(__uuidof(IDXGIFactory2),
                                    reinterpret_cast<void**>(dxgi_factory.GetAddressOf())),
                 dxgi_factory);
        FAILED(hr))
        return failed(hr);

    RECT client{};
    GetClientRect(window, &client);
    DXGI_SWAP_CHAIN_DESC1 desc{};
    desc.Width = static_cast<UINT>(std::max<LONG>(client.right - client.left, 1));
    desc.Height = static_cast<UINT>(std::max<LONG>(client.bottom - client.top, 1));
    desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    desc.Stereo = FALSE;
    desc.SampleDesc = {1, 0};
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 2;
    desc.Scaling = DXGI_SCALING_NONE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL;
    desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
    desc.Flags = 0;
    if (const HRESULT hr = made(dxgi_factory->CreateSwapChainForHwnd(
                                    device.Get(), window, &desc, nullptr, nullptr, &r->swap_chain_),
                                r->swap_chain_);
        FAILED(hr))
        return failed(hr);
    dxgi_factory->MakeWindowAssociation(window, DXGI_MWA_NO_ALT_ENTER);

    if (const HRESULT hr = made(r->device_context_.As(&r->render_target_), r->render_target_);
        FAILED(hr))
        return failed(hr);
    const D2D1_COLOR_F black{0, 0, 0, 1};
    if (const HRESULT hr =
            made(r->device_context_->CreateSolidColorBrush(black, &r->fill_brush_), r->fill_brush_);
        FAILED(hr))
        return failed(hr);
    if (const HRESULT hr =
            made(r->device_context_->CreateSolidColorBrush(black, &r->highlight_brush_),
                 r->highlight_brush_);
        FAILED(hr))
        return failed(hr);

    r->scale_ = static_cast<float>(std::max<uint32_t>(dpi, 96)) / 96.0f;
    if (const HRESULT hr = r->make_fonts(r->scale_, r->fonts_); FAILED(hr)) return failed(hr);
    r->make_ellipses();
    // Wine's DrawTextLayout draws nothing for a layout it has drawn before (a relayout forced
    // through SetMaxWidth hangs it), so there only what is measured is kept.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    r->keep_drawn_layouts_ = !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
    if (const HRESULT hr = r->create_target(); FAILED(hr)) return failed(hr);
    return RendererOrError{std::move(r), S_OK};
}

// Members go in reverse order: the target bitmap first, the swap chain and factory last.
Renderer::~Renderer() = default;

HRESULT Renderer::create_target() {
    target_.Reset();
    ComPtr<IDXGISurface> surface;
    HRESULT hr = swap_chain_->GetBuffer(0, __uuidof(IDXGISurface),
                                        reinterpret_cast<void**>(surface.GetAddressOf()));
    if (FAILED(hr)) return hr;
    if (!surface) return E_POINTER;
    D2D1_BITMAP_PROPERTIES1 properties{};
    properties.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE};
    properties.dpiX = 96.0f;
    properties.dpiY = 96.0f;
    properties.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET | D2D1_BITMAP_OPTIONS_CANNOT_DRAW;
    properties.colorContext = nullptr;
    hr = device_context_->CreateBitmapFromDxgiSurface(surface.Get(), &properties, &target_);
    if (FAILED(hr)) return hr;
    return target_ ? S_OK : E_POINTER;
}

void Renderer::resize(uint32_t width, uint32_t height) {
    // The swap chain resizes only once nothing holds a back buffer.
    device_context_->SetTarget(nullptr);
    target_.Reset();
    swap_chain_->ResizeBuffers(0, std::max<uint32_t>(width, 1), std::max<uint32_t>(height, 1),
                               DXGI_FORMAT_UNKNOWN, 0);
    create_target();
}

}  // namespace norvik
