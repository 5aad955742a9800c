// Drives QOR_SkpProgress.exe from outside, as the plug-in's scripts do: starts
// it, finds its window, works on it only through window messages, and checks
// its exit codes and resources. Prints one "ok - name" / "not ok - name" line
// per check and ends with "N passed, M failed".
//
// Usage: progress_driver.exe [path\to\QOR_SkpProgress.exe]
// Without an argument the program is looked up next to the driver.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "../checks.hpp"

#include <set>
#include <string>

namespace {

constexpr int kProgressId = 1001;
constexpr int kCancelId = 1000;
constexpr DWORD kExitCancelled = 9;
constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kSettleMs = 300;
const wchar_t kTitle[] = L"SketchUp rooms";

using checks::check;

std::wstring g_program;

struct WindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK match_window(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    if (pid == search->pid && wcscmp(title, kTitle) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// One started instance of the program and its dialog.
struct Session {
    PROCESS_INFORMATION pi = {};
    HWND dlg = nullptr;
    DWORD tid = 0;

    bool start() {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + g_program + L"\"";
        if (!CreateProcessW(g_program.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        WaitForInputIdle(pi.hProcess, kStartTimeoutMs);
        for (DWORD waited = 0; waited < kStartTimeoutMs; waited += 50) {
            dlg = find_window();
            if (dlg && IsWindowVisible(dlg)) {
                tid = GetWindowThreadProcessId(dlg, nullptr);
                return true;
            }
            if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0)
                return false;
        }
        return false;
    }

    HWND find_window() const {
        WindowSearch search = {pi.dwProcessId, nullptr};
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND item(int id) const { return GetDlgItem(dlg, id); }

    HWND focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(tid, &info) ? info.hwndFocus : nullptr;
    }

    bool running() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }

    // Still up and showing after whatever was just posted had time to act.
    bool still_open() const {
        Sleep(kSettleMs);
        return running() && IsWindow(dlg) && IsWindowVisible(dlg);
    }

    // Exit code, or STILL_ACTIVE if the program did not end in time.
    DWORD wait_exit() const {
        if (WaitForSingleObject(pi.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }

    // Posts a key press and release to the focus window, where a user's keys
    // would arrive, so that they pass through the dialog's message loop.
    void press(UINT vk) const {
        HWND target = focus();
        UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
        if (vk == VK_SPACE)
            PostMessageW(target, WM_CHAR, L' ', 1 | (scan << 16));
        PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
    }

    bool wait_focus(HWND want) const {
        for (int i = 0; i < 40; ++i) {
            if (focus() == want)
                return true;
            Sleep(50);
        }
        return false;
    }

    ~Session() {
        if (pi.hProcess) {
            if (running()) {
                TerminateProcess(pi.hProcess, 1);
                WaitForSingleObject(pi.hProcess, kExitTimeoutMs);
            }
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
};

std::wstring class_name(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

// WM_GETTEXT, because GetWindowText does not read other processes' controls.
std::wstring control_text(HWND hwnd) {
    wchar_t text[64] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
    return text;
}

LRESULT send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

RECT client_rect_of(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void test_window_and_controls() {
    Session s;
    if (!check(s.start(), "dialog window titled 'SketchUp rooms' appears and is visible"))
        return;
    check(class_name(s.dlg) == L"#32770", "dialog uses the standard dialog class");

    HWND bar = s.item(kProgressId);
    check(bar && class_name(bar) == L"msctls_progress32", "control 1001 is a msctls_progress32 progress bar");
    check(send(bar, PBM_GETRANGE, TRUE, 0) == 0 && send(bar, PBM_GETRANGE, FALSE, 0) == 100,
          "progress bar range is 0 to 100");
    check(send(bar, PBM_GETPOS) == 0, "progress bar starts at position 0");
    LRESULT previous = send(bar, PBM_SETPOS, 42, 0);
    check(previous == 0 && send(bar, PBM_GETPOS) == 42, "PBM_SETPOS 42 moves the bar and PBM_GETPOS reads 42");

    HWND button = s.item(kCancelId);
    check(button && class_name(button) == L"Button" && control_text(button) == L"Cancel",
          "control 1000 is a button reading 'Cancel'");
    LONG button_style = GetWindowLongW(button, GWL_STYLE);
    check((button_style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON && (button_style & WS_TABSTOP),
          "Cancel is a push button with a tab stop");

    LONG style = GetWindowLongW(s.dlg, GWL_STYLE);
    LONG exstyle = GetWindowLongW(s.dlg, GWL_EXSTYLE);
    check(!(style & WS_SYSMENU), "no system menu, so no close box");
    check(!(style & WS_THICKFRAME) && !(style & WS_MAXIMIZEBOX), "window cannot be resized");
    check((style & WS_CAPTION) == WS_CAPTION && (exstyle & WS_EX_APPWINDOW), "captioned application window");
    check(s.focus() == bar, "input focus is on the progress bar when shown");

    // Layout: both controls end 7 dialog units from the right edge, the bar
    // starts 7 units from the left, and the bar is 306 units wide to the button's 50.
    RECT client, rb = client_rect_of(bar, s.dlg), rc = client_rect_of(button, s.dlg);
    GetClientRect(s.dlg, &client);
    double ratio = double(rb.right - rb.left) / double(rc.right - rc.left);
    check(abs(rb.right - rc.right) <= 1 && abs(rb.left - (client.right - rb.right)) <= 1 &&
              rc.top > rb.bottom && ratio > 306.0 / 50 * 0.97 && ratio < 306.0 / 50 * 1.03,
          "bar and button laid out as designed");

    // The window icons are not checked from here: Wine answers WM_GETICON and
    // WM_QUERYDRAGICON from another process with 0. test_resources() checks the icon.

    s.press(VK_RETURN);
    check(s.still_open(), "Enter leaves the dialog open");
    s.press(VK_ESCAPE);
    check(s.still_open(), "Esc leaves the dialog open");
    PostMessageW(s.dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    check(s.still_open(), "WM_COMMAND IDOK leaves the dialog open");
    PostMessageW(s.dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    check(s.still_open(), "WM_COMMAND IDCANCEL leaves the dialog open");
    PostMessageW(s.dlg, WM_CLOSE, 0, 0);
    check(s.still_open(), "WM_CLOSE leaves the dialog open");
    PostMessageW(s.dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    check(s.still_open(), "SC_CLOSE leaves the dialog open");
    check(send(bar, PBM_GETPOS) == 42, "the program never moves the bar itself");

    PostMessageW(button, BM_CLICK, 0, 0);
    check(s.wait_exit() == kExitCancelled, "click on Cancel ends the program with exit code 9");
}

void test_quit_message() {
    Session s;
    if (!check(s.start(), "quit run: dialog appears"))
        return;
    // A non-zero quit code must not leak into the exit code either.
    PostThreadMessageW(s.tid, WM_QUIT, kExitCancelled, 0);
    check(s.wait_exit() == 0, "WM_QUIT posted to the thread ends the program with exit code 0");
}

// Tab to the Cancel button, then press it with the given key.
void test_keyboard_cancel(UINT vk, const std::string& key) {
    Session s;
    if (!check(s.start(), ("Tab-then-" + key + " run: dialog appears").c_str()))
        return;
    HWND button = s.item(kCancelId);
    s.press(VK_TAB);
    if (!check(s.wait_focus(button), ("Tab-then-" + key + " run: Tab moves the focus to Cancel").c_str()))
        return;
    s.press(VK_ESCAPE);
    check(s.still_open(), ("Tab-then-" + key + " run: Esc on the focused Cancel leaves the dialog open").c_str());
    s.press(vk);
    check(s.wait_exit() == kExitCancelled, ("Tab then " + key + " presses Cancel: exit code 9").c_str());
}

// Resources read from the file, as Explorer and installers see them.
void test_resources() {
    HMODULE mod = LoadLibraryExW(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!check(mod != nullptr, "program file loads as a resource module"))
        return;

    check(FindResourceExW(mod, RT_DIALOG, MAKEINTRESOURCEW(102), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) != nullptr,
          "dialog 102 is stored in English (United States)");

    // Icon group 128: six 32-bit images of 256, 128, 64, 48, 32 and 16 pixels.
    HRSRC group = FindResourceExW(mod, RT_GROUP_ICON, MAKEINTRESOURCEW(128), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
    bool icons_ok = false;
    if (group) {
#pragma pack(push, 2)
        struct Entry {
            BYTE width, height, colors, reserved;
            WORD planes, bits;
            DWORD bytes;
            WORD id;
        };
#pragma pack(pop)
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(mod, group)));
        WORD count = *reinterpret_cast<const WORD*>(data + 4);
        const Entry* entries = reinterpret_cast<const Entry*>(data + 6);
        std::set<int> sizes;
        bool all_32 = true;
        for (WORD i = 0; i < count; ++i) {
            sizes.insert(entries[i].width ? entries[i].width : 256);
            all_32 = all_32 && entries[i].bits == 32 &&
                     FindResourceW(mod, MAKEINTRESOURCEW(entries[i].id), RT_ICON) != nullptr;
        }
        icons_ok = count == 6 && all_32 && sizes == std::set<int>{16, 32, 48, 64, 128, 256};
    }
    check(icons_ok, "icon group 128 (English, UK) holds 256/128/64/48/32/16 px at 32 bpp");

    HRSRC manifest = FindResourceW(mod, MAKEINTRESOURCEW(1), RT_MANIFEST);
    std::string text;
    if (manifest) {
        const char* p = static_cast<const char*>(LockResource(LoadResource(mod, manifest)));
        text.assign(p, SizeofResource(mod, manifest));
    }
    auto has = [&](const char* s) { return text.find(s) != std::string::npos; };
    check(has("Microsoft.Windows.Common-Controls") && has("version=\"6.0.0.0\"") &&
              has("6595b64144ccf1df"),
          "manifest 1 depends on common controls 6.0.0.0");
    check(has("level=\"asInvoker\"") && has("uiAccess=\"false\"") && has(">true</dpiAware>"),
          "manifest runs as invoker, without UI access, DPI aware");
    FreeLibrary(mod);

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(g_program.c_str(), &handle);
    std::string block(size, '\0');
    bool version_ok = false, names_ok = false;
    if (size && GetFileVersionInfoW(g_program.c_str(), 0, size, &block[0])) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT len = 0;
        if (VerQueryValueW(&block[0], L"\\", reinterpret_cast<void**>(&fixed), &len) && fixed) {
            version_ok = fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0x00000001 &&
                         fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0x00000001;
        }
        const wchar_t* file_name = wcsrchr(g_program.c_str(), L'\\');
        file_name = file_name ? file_name + 1 : g_program.c_str();
        auto value = [&](const wchar_t* key) {
            std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
            wchar_t* v = nullptr;
            UINT n = 0;
            return VerQueryValueW(&block[0], path.c_str(), reinterpret_cast<void**>(&v), &n) && v
                       ? std::wstring(v) : std::wstring();
        };
        names_ok = _wcsicmp(value(L"InternalName").c_str(), file_name) == 0 &&
                   _wcsicmp(value(L"OriginalFilename").c_str(), file_name) == 0;
    }
    check(version_ok, "file and product version are 1.0.0.1");
    check(names_ok, "InternalName and OriginalFilename are the program's file name");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Plain "\n" line ends, whatever stdout is connected to.
    _setmode(_fileno(stdout), _O_BINARY);

    if (argc > 1) {
        g_program = argv[1];
    } else {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        g_program = self;
        g_program.resize(g_program.find_last_of(L"\\/") + 1);
        g_program += L"QOR_SkpProgress.exe";
    }

    test_resources();
    test_window_and_controls();
    test_quit_message();
    test_keyboard_cancel(VK_RETURN, "Enter");
    test_keyboard_cancel(VK_SPACE, "Space");

    return checks::finish();
}
