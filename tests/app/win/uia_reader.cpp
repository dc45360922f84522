// The peer's `read-uia FILE [CLASS]`: reads the window of class CLASS's (Norvik.Main's) UI
// Automation tree as a screen reader would, from another process, through the client side of
// uiautomationcore.dll, and writes one line per element to FILE in UTF-8: its depth, control type,
// name and (for the search box) value, tab-separated. Rows beyond the first three are not read.
// Exit codes: 0 read, 1 no window, 2 no uiautomationcore client functions, 3 no node for the
// window.
#include <windows.h>
// After windows.h, which they build on.
#include <oleauto.h>
#include <uiautomationcore.h>

#include <cstdio>
#include <string>

namespace {

DECLARE_HANDLE(HUIANODE);

struct UiaCondition {
    int condition_type;  // 0: ConditionType_True
};

struct UiaCacheRequest {
    UiaCondition* view_condition;
    int scope;  // 1: TreeScope_Element
    PROPERTYID* properties;
    int property_count;
    PATTERNID* patterns;
    int pattern_count;
    int element_mode;  // 1: AutomationElementMode_Full
};

struct Client {
    HRESULT(WINAPI* node_from_handle)(HWND, HUIANODE*) = nullptr;
    HRESULT(WINAPI* get_property)(HUIANODE, PROPERTYID, VARIANT*) = nullptr;
    HRESULT(WINAPI* navigate)
    (HUIANODE, int, UiaCondition*, UiaCacheRequest*, SAFEARRAY**, BSTR*) = nullptr;
    BOOL(WINAPI* node_release)(HUIANODE) = nullptr;
    HRESULT(WINAPI* node_from_variant)(VARIANT*, HUIANODE*) = nullptr;
};

template <class F>
void find(HMODULE dll, F& slot, const char* name) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

constexpr PROPERTYID CONTROL_TYPE = 30003, NAME = 30005, AUTOMATION_ID = 30011;
constexpr int FIRST_CHILD = 3, NEXT_SIBLING = 1;
constexpr int LIST_ITEM = 50007;

std::string utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

std::string property(const Client& c, HUIANODE node, PROPERTYID id) {
    VARIANT v;
    VariantInit(&v);
    if (const HRESULT failed = c.get_property(node, id, &v); FAILED(failed)) {
        char code[16];
        std::snprintf(code, sizeof code, "!%08lx", static_cast<unsigned long>(failed));
        return code;
    }
    if (v.vt == VT_UNKNOWN) {  // UiaGetReservedNotSupportedValue: the element has no such value
        VariantClear(&v);
        return "";
    }
    std::string text;
    if (v.vt == VT_BSTR && v.bstrVal)
        text = utf8(v.bstrVal, static_cast<int>(SysStringLen(v.bstrVal)));
    if (v.vt == VT_I4) text = std::to_string(v.lVal);
    if (v.vt == VT_BOOL) text = v.boolVal ? "true" : "false";
    if (v.vt == (VT_ARRAY | VT_R8)) text = "rect";
    VariantClear(&v);
    return text;
}

// The node in direction from node, or null.
HUIANODE step(const Client& c, HUIANODE node, int direction) {
    UiaCondition all{0};
    UiaCacheRequest request{&all, 1, nullptr, 0, nullptr, 0, 1};
    SAFEARRAY* found = nullptr;
    BSTR tree = nullptr;
    if (FAILED(c.navigate(node, direction, &all, &request, &found, &tree)) || !found) {
        SysFreeString(tree);
        return nullptr;
    }
    LONG at[2] = {0, 0};
    VARIANT v;
    VariantInit(&v);
    HUIANODE next = nullptr;
    if (SUCCEEDED(SafeArrayGetElement(found, at, &v))) c.node_from_variant(&v, &next);
    SafeArrayDestroy(found);
    SysFreeString(tree);
    return next;
}

void walk(const Client& c, HUIANODE node, int depth, FILE* out) {
    for (HUIANODE child = step(c, node, FIRST_CHILD); child;) {
        const std::string type = property(c, child, CONTROL_TYPE);
        std::fprintf(out, "%d\t%s\t%s\t%s\n", depth, type.c_str(), property(c, child, NAME).c_str(),
                     property(c, child, AUTOMATION_ID).c_str());
        static int rows = 0;
        if (type == std::to_string(LIST_ITEM) && ++rows >= 3) {
            c.node_release(child);
            return;
        }
        walk(c, child, depth + 1, out);
        HUIANODE next = step(c, child, NEXT_SIBLING);
        c.node_release(child);
        child = next;
    }
}

}  // namespace

int read_uia(const wchar_t* out_path, const wchar_t* class_name) {
    HWND window = FindWindowW(class_name, nullptr);
    if (!window) return 1;
    HMODULE dll = LoadLibraryW(L"uiautomationcore.dll");
    Client c;
    if (dll) {
        find(dll, c.node_from_handle, "UiaNodeFromHandle");
        find(dll, c.get_property, "UiaGetPropertyValue");
        find(dll, c.navigate, "UiaNavigate");
        find(dll, c.node_release, "UiaNodeRelease");
        find(dll, c.node_from_variant, "UiaHUiaNodeFromVariant");
    }
    if (!c.node_from_handle || !c.get_property || !c.navigate || !c.node_release ||
        !c.node_from_variant)
        return 2;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    HUIANODE root = nullptr;
    if (FAILED(c.node_from_handle(window, &root)) || !root) return 3;
    FILE* out = _wfopen(out_path, L"wb");
    if (!out) return 4;
    std::fprintf(out, "0\t%s\t%s\t\n", property(c, root, CONTROL_TYPE).c_str(),
                 property(c, root, NAME).c_str());
    walk(c, root, 1, out);
    // What Wine's client answers for the other properties the provider gives (wine-notes).
    if (HUIANODE box = step(c, root, FIRST_CHILD)) {
        for (PROPERTYID id : {30001, 30002, 30008, 30009, 30010, 30011, 30022, 30079, 30135})
            std::fprintf(out, "probe\t%ld\t%s\n", static_cast<long>(id),
                         property(c, box, id).c_str());
        c.node_release(box);
    }
    std::fclose(out);
    c.node_release(root);
    return 0;
}
