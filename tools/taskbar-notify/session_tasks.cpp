// What the installer asks of the signed-in user's session: close the floating
// bar and wait for its process, start a program as that user (never from the
// installer's elevated process), and restart whatever holds the band's DLL
// through the Restart Manager, which brings the taskbar's windows back.
#include "session_tasks.h"

#include <exdisp.h>
#include <objbase.h>
#include <restartmanager.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <vector>

namespace velmap::tools {

namespace {

constexpr wchar_t kBarClass[] = L"VelmapBandHostStrip";
constexpr wchar_t kBarTitle[] = L"VelmapBar";

template <typename T>
struct ComRef {
    T* p = nullptr;
    ~ComRef() {
        if (p) p->Release();
    }
    T** put() { return &p; }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

bool Elevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool ok = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    ::CloseHandle(token);
    return ok && elevation.TokenIsElevated;
}

// The desktop's own shell (the signed-in user's explorer) runs the program:
// the desktop window's view, its dispatch, and the shell application behind it.
HRESULT ShellExecuteFromDesktop(const std::wstring& file, const std::wstring& args, const std::wstring& dir) {
    ComRef<IShellWindows> windows;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(windows.put()));
    if (FAILED(hr)) return hr;
    VARIANT empty{};
    ::VariantInit(&empty);
    long hwnd = 0;
    ComRef<IDispatch> desktop;
    hr = windows->FindWindowSW(&empty, &empty, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.put());
    if (hr != S_OK || !desktop) return FAILED(hr) ? hr : E_FAIL;
    ComRef<IServiceProvider> services;
    if (FAILED(hr = desktop->QueryInterface(IID_PPV_ARGS(services.put())))) return hr;
    ComRef<IShellBrowser> browser;
    if (FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(browser.put())))) return hr;
    ComRef<IShellView> view;
    if (FAILED(hr = browser->QueryActiveShellView(view.put()))) return hr;
    ComRef<IDispatch> background;
    if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(background.put())))) return hr;
    ComRef<IShellFolderViewDual> folder_view;
    if (FAILED(hr = background->QueryInterface(IID_PPV_ARGS(folder_view.put())))) return hr;
    ComRef<IDispatch> application;
    if (FAILED(hr = folder_view->get_Application(application.put()))) return hr;
    ComRef<IShellDispatch2> shell;
    if (FAILED(hr = application->QueryInterface(IID_PPV_ARGS(shell.put())))) return hr;

    BSTR b_file = ::SysAllocString(file.c_str());
    VARIANT v_args, v_dir, v_verb, v_show;
    ::VariantInit(&v_args);
    ::VariantInit(&v_dir);
    ::VariantInit(&v_verb);
    ::VariantInit(&v_show);
    v_args.vt = v_dir.vt = v_verb.vt = VT_BSTR;
    v_args.bstrVal = ::SysAllocString(args.c_str());
    v_dir.bstrVal = ::SysAllocString(dir.c_str());
    v_verb.bstrVal = ::SysAllocString(L"open");
    v_show.vt = VT_I4;
    v_show.lVal = SW_SHOWNORMAL;
    hr = shell->ShellExecute(b_file, v_args, v_dir, v_verb, v_show);
    ::SysFreeString(b_file);
    ::VariantClear(&v_args);
    ::VariantClear(&v_dir);
    ::VariantClear(&v_verb);
    return hr;
}

}  // namespace

int CloseBars(DWORD timeout_ms) {
    std::vector<HANDLE> processes;
    for (HWND wnd = nullptr; (wnd = ::FindWindowExW(nullptr, wnd, kBarClass, kBarTitle)) != nullptr;) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(wnd, &pid);
        HANDLE process = pid ? ::OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr;
        if (process) processes.push_back(process);
        ::PostMessageW(wnd, WM_CLOSE, 0, 0);
    }
    if (processes.empty()) return 0;
    // The process, not the window: the bar closes its band after its window
    // has gone, and only then lets go of the DLL.
    const ULONGLONG until = ::GetTickCount64() + timeout_ms;
    bool all_gone = true;
    for (HANDLE process : processes) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now < until ? static_cast<DWORD>(until - now) : 0;
        if (::WaitForSingleObject(process, left) != WAIT_OBJECT_0) all_gone = false;
        ::CloseHandle(process);
    }
    std::printf("%u floating bar(s) asked to close%s\n", static_cast<unsigned>(processes.size()),
                all_gone ? "" : "; one did not end in time");
    return all_gone ? kClosedBars : 1;
}

int StartAsUser(const std::wstring& file, const std::wstring& args) {
    const size_t slash = file.find_last_of(L"\\/");
    const std::wstring dir = slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
    if (!Elevated()) {
        // Already the user's own, unelevated context.
        const HINSTANCE done = ::ShellExecuteW(nullptr, L"open", file.c_str(), args.c_str(), dir.c_str(), SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(done) > 32 ? 0 : 1;
    }
    const HRESULT hr = ShellExecuteFromDesktop(file, args, dir);
    if (SUCCEEDED(hr)) return 0;
    // Never from here: an elevated bar would run as the administrator.
    std::printf("The desktop's shell could not start %ls (0x%08lX); start it from the Start menu.\n", file.c_str(),
                static_cast<unsigned long>(hr));
    return 2;
}

int RestartHolders(const std::vector<std::wstring>& files) {
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (::RmStartSession(&session, 0, key) != ERROR_SUCCESS) return 1;
    std::vector<LPCWSTR> names;
    for (const std::wstring& f : files) names.push_back(f.c_str());
    int code = 1;
    DWORD status = ::RmRegisterResources(session, static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0, nullptr);
    UINT needed = 0, count = 0;
    DWORD reasons = 0;
    if (status == ERROR_SUCCESS) status = ::RmGetList(session, &needed, &count, nullptr, &reasons);
    if (status == ERROR_SUCCESS && needed == 0) {
        std::printf("nothing holds the files\n");
        code = 0;
    } else if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        // Asked to close as at a log-off (never forced); whatever did close
        // comes back, with the windows it had open, also when another refused.
        const DWORD shut = ::RmShutdown(session, 0, nullptr);
        const DWORD restarted = ::RmRestart(session, 0, nullptr);
        std::printf("restart of %u program(s): shutdown %lu, restart %lu\n", needed, static_cast<unsigned long>(shut),
                    static_cast<unsigned long>(restarted));
        code = shut == ERROR_SUCCESS && restarted == ERROR_SUCCESS ? 0 : 1;
    }
    ::RmEndSession(session);
    return code;
}

}  // namespace velmap::tools
