#include "app/win/uia_provider_win.h"

#include <ole2.h>
#include <oleauto.h>
#include <uiautomationcore.h>
#include <wrl/client.h>

#include <functional>
#include <mutex>

#include "app/win/window_proc_win.h"
#include "platform/wide_text.h"

namespace norvik {

namespace {

using Microsoft::WRL::ComPtr;

// uiautomationcoreapi.h's values: that header does not compile as C++ (a parameter is named
// `new`), so the few it gives are here.
constexpr LONG UIA_ROOT_OBJECT_ID = -25;
constexpr int UIA_APPEND_RUNTIME_ID = 3;
constexpr HRESULT ELEMENT_NOT_AVAILABLE = static_cast<HRESULT>(0x80040201);
constexpr HRESULT INVALID_OPERATION = static_cast<HRESULT>(0x80131509);

// The identifiers of UI Automation used here (UIAutomationClient.h's values; MinGW's header
// lacks most of them).
enum : PROPERTYID {
    PROP_PROCESS_ID = 30002,
    PROP_CONTROL_TYPE = 30003,
    PROP_NAME = 30005,
    PROP_HAS_KEYBOARD_FOCUS = 30008,
    PROP_IS_KEYBOARD_FOCUSABLE = 30009,
    PROP_IS_ENABLED = 30010,
    PROP_AUTOMATION_ID = 30011,
    PROP_IS_CONTROL_ELEMENT = 30016,
    PROP_IS_CONTENT_ELEMENT = 30017,
    PROP_IS_OFFSCREEN = 30022,
    PROP_FRAMEWORK_ID = 30024,
    PROP_VALUE_VALUE = 30045,
    PROP_VALUE_IS_READ_ONLY = 30046,
    PROP_SELECTION_ITEM_IS_SELECTED = 30079,
    PROP_LIVE_SETTING = 30135,
};
enum : PATTERNID {
    PATTERN_INVOKE = 10000,
    PATTERN_SELECTION = 10001,
    PATTERN_VALUE = 10002,
    PATTERN_SELECTION_ITEM = 10010,
    PATTERN_SCROLL_ITEM = 10017,
};
enum : EVENTID {
    EVENT_PROPERTY_CHANGED = 20004,
    EVENT_FOCUS_CHANGED = 20005,
    EVENT_ELEMENT_SELECTED = 20012,
    EVENT_LIVE_REGION_CHANGED = 20024,
};
enum : int {
    TYPE_BUTTON = 50000,
    TYPE_EDIT = 50004,
    TYPE_LIST_ITEM = 50007,
    TYPE_LIST = 50008,
    TYPE_TAB = 50018,
    TYPE_TAB_ITEM = 50019,
    TYPE_TEXT = 50020,
    TYPE_WINDOW = 50032,
    TYPE_HEADER = 50034,
    TYPE_HEADER_ITEM = 50035,
};
constexpr int LIVE_POLITE = 1;
constexpr int STRUCTURE_CHILDREN_INVALIDATED = 2;
constexpr int NOTIFICATION_KIND_OTHER = 4;
constexpr int NOTIFICATION_MOST_RECENT = 3;

// The control patterns' interfaces, as UIAutomationCore.idl declares them (MinGW has none).
constexpr GUID IID_VALUE = {
    0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};
constexpr GUID IID_INVOKE = {
    0x54fcb24b, 0xe18e, 0x47a2, {0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2}};
constexpr GUID IID_SELECTION_ITEM = {
    0x2acad808, 0xb2d4, 0x452d, {0xa4, 0x07, 0x91, 0xff, 0x1a, 0xd1, 0x67, 0xb2}};
constexpr GUID IID_SELECTION = {
    0xfb8b03af, 0x3bdf, 0x48d4, {0xbd, 0x36, 0x1a, 0x65, 0x79, 0x3b, 0xe1, 0x68}};
constexpr GUID IID_SCROLL_ITEM = {
    0x2360c714, 0x4bf1, 0x4b26, {0xba, 0x65, 0x9b, 0x21, 0x31, 0x61, 0x27, 0xeb}};

struct ValueProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* read_only) = 0;
};
struct InvokeProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
struct SelectionItemProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Select() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** c) = 0;
};
struct SelectionProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** selection) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* multiple) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* required) = 0;
};
struct ScrollItemProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ScrollIntoView() = 0;
};

// uiautomationcore.dll's functions, looked up once; any may be missing (Wine 8 lacks the
// notification).
struct UiaFunctions {
    LRESULT(WINAPI* return_provider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*) = nullptr;
    HRESULT(WINAPI* host_provider)(HWND, IRawElementProviderSimple**) = nullptr;
    HRESULT(WINAPI* raise_event)(IRawElementProviderSimple*, EVENTID) = nullptr;
    HRESULT(WINAPI* raise_property_changed)
    (IRawElementProviderSimple*, PROPERTYID, VARIANT, VARIANT) = nullptr;
    HRESULT(WINAPI* raise_structure_changed)
    (IRawElementProviderSimple*, int, int*, int) = nullptr;
    HRESULT(WINAPI* raise_notification)
    (IRawElementProviderSimple*, int, int, BSTR, BSTR) = nullptr;
    HRESULT(WINAPI* disconnect_all)() = nullptr;
};

template <class F>
void find(HMODULE dll, F& slot, const char* name) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

const UiaFunctions& uia() {
    static const UiaFunctions functions = [] {
        UiaFunctions f;
        HMODULE dll =
            LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll) return f;
        find(dll, f.return_provider, "UiaReturnRawElementProvider");
        find(dll, f.host_provider, "UiaHostProviderFromHwnd");
        find(dll, f.raise_event, "UiaRaiseAutomationEvent");
        find(dll, f.raise_property_changed, "UiaRaiseAutomationPropertyChangedEvent");
        find(dll, f.raise_structure_changed, "UiaRaiseStructureChangedEvent");
        find(dll, f.raise_notification, "UiaRaiseNotificationEvent");
        find(dll, f.disconnect_all, "UiaDisconnectAllProviders");
        return f;
    }();
    return functions;
}

// Work a provider called on another thread hands to the window's thread: one at a time, so a
// message from elsewhere that happens to carry WM_APP_ACCESSIBILITY finds nothing to run.
std::mutex cross_thread_mutex;
const std::function<void()>* cross_thread_work = nullptr;

// Runs work with App on the window's thread; false when App cannot be had (the window is gone,
// or App is lent to a handler that is running).
bool with_window_app(HWND window, const std::function<void(App&, WinShell&)>& work) {
    if (!IsWindow(window)) return false;
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
        bool done = false;
        const std::function<void()> call = [&] { done = with_window_app(window, work); };
        std::lock_guard lock(cross_thread_mutex);
        cross_thread_work = &call;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_APP_ACCESSIBILITY, 0, 0, SMTO_BLOCK, 5000, &ignored);
        cross_thread_work = nullptr;
        return done;
    }
    bool ran = false;
    with_app([&](App& app) {
        if (!window_host().shell) return;
        ran = true;
        work(app, *window_host().shell);
    });
    return ran;
}

std::optional<ElementNode> describe(HWND window, ElementId id) {
    std::optional<ElementNode> node;
    with_window_app(
        window, [&](App& app, WinShell&) { node = describe_element(app, id, current_language()); });
    return node;
}

BSTR bstr(std::string_view utf8) {
    const std::wstring wide = to_wide(utf8);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

int control_type(ElementRole role) {
    switch (role) {
        case ElementRole::Edit:
            return TYPE_EDIT;
        case ElementRole::Button:
            return TYPE_BUTTON;
        case ElementRole::TabList:
            return TYPE_TAB;
        case ElementRole::TabItem:
            return TYPE_TAB_ITEM;
        case ElementRole::Header:
            return TYPE_HEADER;
        case ElementRole::HeaderItem:
            return TYPE_HEADER_ITEM;
        case ElementRole::List:
            return TYPE_LIST;
        case ElementRole::ListItem:
            return TYPE_LIST_ITEM;
        case ElementRole::Text:
            return TYPE_TEXT;
        case ElementRole::Window:
            break;
    }
    return TYPE_WINDOW;
}

void set_bool(VARIANT* out, bool value) {
    out->vt = VT_BOOL;
    out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void set_int(VARIANT* out, int value) {
    out->vt = VT_I4;
    out->lVal = value;
}

void set_text(VARIANT* out, std::string_view value) {
    out->vt = VT_BSTR;
    out->bstrVal = bstr(value);
}

// One element of the window: the window itself (the fragment root) or one of its parts. It
// keeps only which element it is; every answer is read from App when asked.
class Element final : public IRawElementProviderSimple,
                      public IRawElementProviderFragment,
                      public IRawElementProviderFragmentRoot,
                      public ValueProvider,
                      public InvokeProvider,
                      public SelectionItemProvider,
                      public SelectionProvider,
                      public ScrollItemProvider {
  public:
    Element(HWND window, ElementId id) : window_(window), id_(id) {}

    static ComPtr<Element> make(HWND window, ElementId id) {
        ComPtr<Element> element;
        element.Attach(new Element(window, id));
        return element;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IRawElementProviderSimple)) {
            *out = static_cast<IRawElementProviderSimple*>(this);
        } else if (riid == __uuidof(IRawElementProviderFragment)) {
            *out = static_cast<IRawElementProviderFragment*>(this);
        } else if (riid == __uuidof(IRawElementProviderFragmentRoot) &&
                   id_.kind == UiPart::Window) {
            *out = static_cast<IRawElementProviderFragmentRoot*>(this);
        } else if (riid == IID_VALUE && has_pattern(PATTERN_VALUE)) {
            *out = static_cast<ValueProvider*>(this);
        } else if (riid == IID_INVOKE && has_pattern(PATTERN_INVOKE)) {
            *out = static_cast<InvokeProvider*>(this);
        } else if (riid == IID_SELECTION_ITEM && has_pattern(PATTERN_SELECTION_ITEM)) {
            *out = static_cast<SelectionItemProvider*>(this);
        } else if (riid == IID_SELECTION && has_pattern(PATTERN_SELECTION)) {
            *out = static_cast<SelectionProvider*>(this);
        } else if (riid == IID_SCROLL_ITEM && has_pattern(PATTERN_SCROLL_ITEM)) {
            *out = static_cast<ScrollItemProvider*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(enum ProviderOptions* options) override {
        if (!options) return E_POINTER;
        *options = ProviderOptions_ServerSideProvider;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!has_pattern(pattern)) return S_OK;
        *out = static_cast<IRawElementProviderSimple*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        const std::optional<ElementNode> node = describe(window_, id_);
        if (!node) return ELEMENT_NOT_AVAILABLE;
        switch (property) {
            case PROP_PROCESS_ID:
                set_int(out, static_cast<int>(GetCurrentProcessId()));
                break;
            case PROP_CONTROL_TYPE:
                set_int(out, control_type(node->role));
                break;
            case PROP_NAME:
                // The window's own name is its caption, which the host provider gives.
                if (id_.kind != UiPart::Window) set_text(out, node->name);
                break;
            case PROP_AUTOMATION_ID:
                set_text(out, node->automation_id);
                break;
            case PROP_FRAMEWORK_ID:
                set_text(out, "Norvik");
                break;
            case PROP_HAS_KEYBOARD_FOCUS:
                set_bool(out, node->has(STATE_FOCUSED) && ::GetFocus() == window_);
                break;
            case PROP_IS_KEYBOARD_FOCUSABLE:
                set_bool(out, node->has(STATE_FOCUSABLE));
                break;
            case PROP_IS_ENABLED:
            case PROP_IS_CONTROL_ELEMENT:
            case PROP_IS_CONTENT_ELEMENT:
                set_bool(out, true);
                break;
            case PROP_IS_OFFSCREEN:
                set_bool(out, node->has(STATE_OFFSCREEN));
                break;
            case PROP_VALUE_VALUE:
                if (id_.kind == UiPart::SearchBox) set_text(out, node->value);
                break;
            case PROP_VALUE_IS_READ_ONLY:
                if (id_.kind == UiPart::SearchBox) set_bool(out, false);
                break;
            case PROP_SELECTION_ITEM_IS_SELECTED:
                if (node->has(STATE_SELECTABLE)) set_bool(out, node->has(STATE_SELECTED));
                break;
            case PROP_LIVE_SETTING:
                if (node->has(STATE_LIVE)) set_int(out, LIVE_POLITE);
                break;
            default:
                break;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (id_.kind == UiPart::Window && uia().host_provider)
            return uia().host_provider(window_, out);
        return S_OK;
    }

    // IRawElementProviderFragment
    HRESULT STDMETHODCALLTYPE Navigate(enum NavigateDirection direction,
                                       IRawElementProviderFragment** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::optional<ElementId> target;
        with_window_app(window_, [&](App& app, WinShell&) {
            const ElementId parent = parent_element(id_);
            const size_t at = index_in_parent(id_);
            switch (direction) {
                case NavigateDirection_Parent:
                    if (id_.kind != UiPart::Window) target = parent;
                    break;
                case NavigateDirection_NextSibling:
                    if (id_.kind != UiPart::Window && at + 1 < child_count(app, parent))
                        target = child_element(parent, at + 1);
                    break;
                case NavigateDirection_PreviousSibling:
                    if (id_.kind != UiPart::Window && at > 0)
                        target = child_element(parent, at - 1);
                    break;
                case NavigateDirection_FirstChild:
                    if (child_count(app, id_) > 0) target = child_element(id_, 0);
                    break;
                case NavigateDirection_LastChild:
                    if (const size_t n = child_count(app, id_); n > 0)
                        target = child_element(id_, n - 1);
                    break;
            }
        });
        if (target) *out = Element::make(window_, *target).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (id_.kind == UiPart::Window) return S_OK;  // the host's id stands for the window
        const int parts[] = {UIA_APPEND_RUNTIME_ID, static_cast<int>(id_.kind),
                             static_cast<int>(id_.index)};
        SAFEARRAY* ids = SafeArrayCreateVector(VT_I4, 0, 3);
        if (!ids) return E_OUTOFMEMORY;
        for (LONG i = 0; i < 3; ++i)
            SafeArrayPutElement(ids, &i, const_cast<int*>(&parts[i]));
        *out = ids;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(struct UiaRect* out) override {
        if (!out) return E_POINTER;
        *out = UiaRect{};
        if (id_.kind == UiPart::Window) return S_OK;  // the host gives the window's rectangle
        const std::optional<ElementNode> node = describe(window_, id_);
        if (!node) return ELEMENT_NOT_AVAILABLE;
        POINT origin{0, 0};
        ClientToScreen(window_, &origin);
        *out = UiaRect{origin.x + node->bounds.x, origin.y + node->bounds.y, node->bounds.width,
                       node->bounds.height};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFocus() override { return act(ElementAction::Focus); }
    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override {
        if (!out) return E_POINTER;
        *out = Element::make(window_, ElementId{}).Detach();
        return S_OK;
    }

    // IRawElementProviderFragmentRoot
    HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                       IRawElementProviderFragment** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        POINT at{static_cast<LONG>(x), static_cast<LONG>(y)};
        ScreenToClient(window_, &at);
        std::optional<ElementId> found;
        with_window_app(window_, [&](App& app, WinShell&) {
            found = element_at(app, static_cast<float>(at.x), static_cast<float>(at.y));
        });
        if (found) *out = Element::make(window_, *found).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::optional<ElementId> found;
        with_window_app(window_, [&](App& app, WinShell&) { found = focused_element(app); });
        if (found) *out = Element::make(window_, *found).Detach();
        return S_OK;
    }

    // Value
    HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) override {
        if (!value) return E_POINTER;
        const std::string text = from_wide(value);
        const bool done = with_window_app(window_, [&](App& app, WinShell& shell) {
            if (window_host().handlers.set_search_text)
                window_host().handlers.set_search_text(app, shell, text);
        });
        return done ? S_OK : ELEMENT_NOT_AVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* out) override {
        if (!out) return E_POINTER;
        const std::optional<ElementNode> node = describe(window_, id_);
        if (!node) return ELEMENT_NOT_AVAILABLE;
        *out = bstr(node->value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* out) override {
        if (!out) return E_POINTER;
        *out = FALSE;
        return S_OK;
    }

    // Invoke
    HRESULT STDMETHODCALLTYPE Invoke() override { return act(ElementAction::Invoke); }

    // SelectionItem
    HRESULT STDMETHODCALLTYPE Select() override { return act(ElementAction::Select); }
    HRESULT STDMETHODCALLTYPE AddToSelection() override { return act(ElementAction::Select); }
    HRESULT STDMETHODCALLTYPE RemoveFromSelection() override { return INVALID_OPERATION; }
    HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* out) override {
        if (!out) return E_POINTER;
        const std::optional<ElementNode> node = describe(window_, id_);
        if (!node) return ELEMENT_NOT_AVAILABLE;
        *out = node->has(STATE_SELECTED);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** out) override {
        if (!out) return E_POINTER;
        *out = Element::make(window_, parent_element(id_)).Detach();
        return S_OK;
    }

    // Selection (the tabs and the list)
    HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::optional<ElementId> chosen;
        const bool read = with_window_app(window_, [&](App& app, WinShell&) {
            if (id_.kind == UiPart::Tabs) chosen = ElementId{UiPart::Tab, app.filter};
            if (id_.kind == UiPart::Results && app.selected && *app.selected < app.results.size())
                chosen = ElementId{UiPart::Row, *app.selected};
        });
        if (!read) return ELEMENT_NOT_AVAILABLE;
        SAFEARRAY* items = SafeArrayCreateVector(VT_UNKNOWN, 0, chosen ? 1 : 0);
        if (!items) return E_OUTOFMEMORY;
        if (chosen) {
            ComPtr<Element> item = Element::make(window_, *chosen);
            LONG at = 0;
            SafeArrayPutElement(items, &at, static_cast<IRawElementProviderSimple*>(item.Get()));
        }
        *out = items;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* out) override {
        if (!out) return E_POINTER;
        *out = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* out) override {
        if (!out) return E_POINTER;
        *out = id_.kind == UiPart::Tabs;
        return S_OK;
    }

    // ScrollItem
    HRESULT STDMETHODCALLTYPE ScrollIntoView() override {
        return act(ElementAction::ScrollIntoView);
    }

  private:
    bool has_pattern(PATTERNID pattern) const {
        switch (pattern) {
            case PATTERN_VALUE:
                return id_.kind == UiPart::SearchBox;
            case PATTERN_INVOKE:
                return id_.kind == UiPart::MenuButton || id_.kind == UiPart::HeaderItem;
            case PATTERN_SELECTION:
                return id_.kind == UiPart::Tabs || id_.kind == UiPart::Results;
            case PATTERN_SELECTION_ITEM:
                return id_.kind == UiPart::Tab || id_.kind == UiPart::Row;
            case PATTERN_SCROLL_ITEM:
                return id_.kind == UiPart::Row;
            default:
                return false;
        }
    }

    HRESULT act(ElementAction action) {
        bool acted = false;
        const bool ran = with_window_app(window_, [&](App& app, WinShell& shell) {
            if (window_host().handlers.element_action)
                acted = window_host().handlers.element_action(app, shell, id_, action);
        });
        if (!ran) return ELEMENT_NOT_AVAILABLE;
        return acted ? S_OK : INVALID_OPERATION;
    }

    LONG refs_ = 1;
    HWND window_;
    ElementId id_;
};

// Once a client asked for the tree: the window's root element and what its last events told.
struct Accessibility {
    ComPtr<Element> root;
    std::optional<AccessibleSnapshot> told;
    Announcer announcer;
};

Accessibility& accessibility() {
    thread_local Accessibility state;
    return state;
}

void raise(HWND window, ElementId id, EVENTID event) {
    if (!uia().raise_event) return;
    ComPtr<Element> element = Element::make(window, id);
    uia().raise_event(element.Get(), event);
}

}  // namespace

std::optional<LRESULT> answer_accessibility_message(HWND window, UINT message, WPARAM wparam,
                                                    LPARAM lparam) {
    if (message == WM_APP_ACCESSIBILITY) {
        if (cross_thread_work) (*cross_thread_work)();
        return 0;
    }
    if (message != WM_GETOBJECT || static_cast<LONG>(lparam) != UIA_ROOT_OBJECT_ID ||
        !uia().return_provider)
        return std::nullopt;
    ComPtr<IRawElementProviderSimple> root;
    root.Attach(accessibility_root(window));
    return uia().return_provider(window, wparam, lparam, root.Get());
}

void raise_accessibility_events(const App& app, HWND window) {
    Accessibility& state = accessibility();
    if (!state.root) return;  // nobody has asked: nothing to tell
    const AccessibleSnapshot now = accessible_snapshot(app);
    const AccessibleSnapshot before = state.told.value_or(now);
    const AccessibleEvents events =
        accessible_events(app, before, now, state.announcer, Clock::now(), current_language());
    state.told = now;
    const bool focused = GetFocus() == window;
    if (events.focus_changed && focused) raise(window, now.focus, EVENT_FOCUS_CHANGED);
    if (events.selection_changed) {
        if (before.filter != now.filter)
            raise(window, {UiPart::Tab, now.filter}, EVENT_ELEMENT_SELECTED);
        if (now.selected && before.selected != now.selected)
            raise(window, {UiPart::Row, *now.selected}, EVENT_ELEMENT_SELECTED);
    }
    if (events.structure_changed && uia().raise_structure_changed) {
        ComPtr<Element> results = Element::make(window, {UiPart::Results});
        uia().raise_structure_changed(results.Get(), STRUCTURE_CHILDREN_INVALIDATED, nullptr, 0);
    }
    if (events.value_changed && uia().raise_property_changed) {
        ComPtr<Element> box = Element::make(window, {UiPart::SearchBox});
        VARIANT old_value, new_value;
        old_value.vt = new_value.vt = VT_BSTR;
        old_value.bstrVal = bstr(before.value);
        new_value.bstrVal = bstr(now.value);
        uia().raise_property_changed(box.Get(), PROP_VALUE_VALUE, old_value, new_value);
        VariantClear(&old_value);
        VariantClear(&new_value);
    }
    if (events.status_changed) raise(window, {UiPart::Status}, EVENT_LIVE_REGION_CHANGED);
    if (events.announcement && uia().raise_notification) {
        BSTR text = bstr(*events.announcement);
        BSTR activity = SysAllocString(L"Norvik.ResultCount");
        uia().raise_notification(state.root.Get(), NOTIFICATION_KIND_OTHER,
                                 NOTIFICATION_MOST_RECENT, text, activity);
        SysFreeString(text);
        SysFreeString(activity);
    }
}

IRawElementProviderSimple* accessibility_root(HWND window) {
    Accessibility& state = accessibility();
    if (!state.root) state.root = Element::make(window, ElementId{});
    ComPtr<IRawElementProviderSimple> root = state.root;
    return root.Detach();
}

void release_accessibility(HWND window) {
    Accessibility& state = accessibility();
    if (!state.root) return;
    if (uia().return_provider) uia().return_provider(window, 0, 0, nullptr);
    if (uia().disconnect_all) uia().disconnect_all();
    state.root.Reset();
    state.told.reset();
}

}  // namespace norvik
