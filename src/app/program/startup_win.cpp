#include "app/program/startup_win.h"

#include <windows.h>

#include <ole2.h>

#include <mutex>
#include <utility>
#include <vector>

#include "app/core/columns.h"
#include "app/core/settings.h"
#include "app/core/window_events.h"
#include "app/program/dispatch_win.h"
#include "app/program/gfx_renderers_win.h"
#include "app/program/window_canvas_win.h"
#include "app/text/text.h"
#include "app/updater/update_handlers.h"
#include "app/updater/win/private_folder_win.h"
#include "app/updater/win/update_threads.h"
#include "app/win/placement_win.h"
#include "app/win/registry_settings_win.h"
#include "app/win/single_instance_win.h"
#include "app/win/trace_win.h"
#include "app/win/window_proc_win.h"
#include "platform/detached_thread.h"
#include "store/index_file.h"

namespace norvik {
namespace {

// The main window the workers post to. The index service starts loading before the window's
// state is ready (the drawing device takes longest to create), so posts made before the window
// is published wait here and are sent, in order, when it is.
class MainWindowMailbox {
  public:
    void post(UINT message, WPARAM wparam) {
        std::lock_guard lock(mutex_);
        if (window_)
            PostMessageW(window_, message, wparam, 0);
        else
            waiting_.emplace_back(message, wparam);
    }

    void publish(HWND window) {
        std::lock_guard lock(mutex_);
        window_ = window;
        for (auto [message, wparam] : waiting_)
            PostMessageW(window_, message, wparam, 0);
        waiting_.clear();
    }

  private:
    std::mutex mutex_;
    HWND window_ = nullptr;
    std::vector<std::pair<UINT, WPARAM>> waiting_;
};

MainWindowMailbox main_window;

void post_to_main_window(UINT message, WPARAM wparam) {
    main_window.post(message, wparam);
}

// The updater's threads, each posting its message when its outcome waits in its slot.
UpdateStarters update_starters() {
    UpdateStarters starters;
    starters.check = [](bool manual) {
        start_update_check_thread(manual, [] { post_to_main_window(WM_APP_UPDATE_INFO, 0); });
    };
    starters.download = [](const UpdateInfo& info) {
        start_update_download_thread(info, [] { post_to_main_window(WM_APP_UPDATE_READY, 0); });
    };
    return starters;
}

bool register_window_class(HINSTANCE instance) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassExW(&window_class) != 0;
}

void install_language(SettingsStore& settings) {
    const std::string setting = language_setting(settings);
    const uint16_t ui_language = GetUserDefaultUILanguage();
    install_language_chooser(
        [setting, ui_language] { return choose_language(setting, ui_language); });
}

// The message loop, until WM_QUIT.
int run_message_loop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

StartOptions read_start_options(const std::vector<std::wstring>& arguments) {
    StartOptions options;
    for (const std::wstring& argument : arguments) {
        if (argument == L"--unregister") options.unregister = true;
        if (argument == L"--tray") options.tray = true;
    }
    return options;
}

void unregister_norvik() {
    RegistrySettings().remove_all();
    const std::wstring index = to_wide(index_path());
    DeleteFileW(index.c_str());
    remove_updates_folder();
    RemoveDirectoryW(index.substr(0, index.find_last_of(L'\\')).c_str());
}

int run_norvik(const StartOptions& options) {
    if (!claim_first_instance() &&
        settle_second_start(system_second_start_ports(), options.tray) != SecondStart::RunAsFirst)
        return 0;
    // A single-threaded apartment with OLE: the clipboard's data objects and drag and drop
    // (the files copied or dragged out of the list) need OLE itself, not COM alone.
    OleInitialize(nullptr);

    // Everything below lives until the process ends: the workers hold on to it.
    auto* settings = new RegistrySettings();
    install_language(*settings);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!register_window_class(instance)) return 1;
    WindowHost& host = window_host();
    host.taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
    const HWND window =
        CreateWindowExW(0, MAIN_WINDOW_CLASS, L"Norvik", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 960, 640, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    trace_event("window");

    // The index starts loading now, while the drawing device is made: its posts wait in the
    // mailbox until the window's state is in place.
    auto* index = new Index();
    // The workers' side of the trace: when a result or an index change was ready, before the
    // window gets round to it.
    auto* worker = new SearchWorker(*index, [] {
        trace_event("search-done");
        post_to_main_window(WM_APP_SEARCH_DONE, 0);
    });
    // The stored exclusions hold from the service's first load and scan on.
    ServiceOptions service_options;
    service_options.excluded_folders = excluded_folders_setting(*settings);
    ServicePlatform platform = system_service_platform([](IndexChange change) {
        trace_event("index-posted", static_cast<uint64_t>(change));
        post_to_main_window(WM_APP_INDEX_CHANGED, static_cast<WPARAM>(change));
    });
    auto* service = new IndexService(*index, std::move(platform), std::move(service_options));
    if (!worker->start()) return 1;
    const bool tray_start = options.tray;
    if (!start_detached_thread([service, tray_start] { service->run_index_service(tray_start); }))
        return 1;
    trace_event("workers");

    auto app = std::make_unique<App>();
    app->dark = windows_dark_mode(*settings);
    app->column_widths = saved_column_widths(*settings);
    set_window_background(app->dark);
    apply_dark_title_bar(window, app->dark);
    app->dpi = window_dpi(window);
    app->scale = static_cast<float>(app->dpi) / 96.0f;
    app->hot_key_ok = register_hot_key(window);
    host.renderers = gfx_renderers();
    host.handlers = program_handlers();
    if (host.renderers.create) app->renderer = host.renderers.create(window, app->dpi);
    RECT client{};
    GetClientRect(window, &client);
    app->client_width = static_cast<float>(client.right);
    app->client_height = static_cast<float>(client.bottom);

    app->engine = Engine{index, worker, service};
    Launcher* launcher = program_launcher().release();
    auto* tray = new TrayIcon(window);
    auto* shell = new WinShell(window, *settings, *launcher, *tray, update_starters());
    host.shell = shell;
    host.app = std::move(app);
    trace_event("app");

    tray->add();
    main_window.publish(window);
    keep_autostart_entry(*shell);
    SetTimer(window, static_cast<UINT_PTR>(Timer::Tick), TICK_MS, nullptr);
    SetTimer(window, static_cast<UINT_PTR>(Timer::Update), UPDATE_MS, nullptr);
    if (!options.tray) with_app([&](App& shown) { show_main_window(shown, *shell); });
    trace_event("shown");
    remove_started_installers();
    check_for_update_if_due(*shell);
    trace_event("loop");

    const int code = run_message_loop();
    // WM_DESTROY saved the index; a loop that ended another way must not lose it either.
    (void)save_index(*index, index_dirty, service->index_file());
    return code;
}

}  // namespace norvik
