// QOR_SkpProgress: a dialog with a progress bar and a Cancel button.
//
// The plug-in's scripts start this program while a long computation runs and
// drive the bar (control IDC_PROGRESS) with the standard progress-bar messages.
// The exit code tells them whether the user pressed Cancel: 9 if so, 0 in
// every other case. No command line is read and no file is touched.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

namespace {

constexpr int kExitCancelled = 9;
constexpr int kExitNormal = 0;

// All standard common-control classes; the progress bar is one of them.
constexpr DWORD kAllCommonControls = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                     ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS |
                                     ICC_HOTKEY_CLASS | ICC_ANIMATE_CLASS;
static_assert(kAllCommonControls == 0xFF, "standard class mask");

class ProgressDlg {
public:
    explicit ProgressDlg(HINSTANCE instance)
        : instance_(instance), icon_(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

    // Returns the value passed to EndDialog, or -1/0 when the dialog could not be shown.
    INT_PTR DoModal(HWND parent) {
        return DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_QOR_SKPPROGRESS_DIALOG), parent,
                               &ProgressDlg::DialogProc, reinterpret_cast<LPARAM>(this));
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        ProgressDlg* self;
        if (msg == WM_INITDIALOG) {
            self = reinterpret_cast<ProgressDlg*>(lParam);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        } else {
            self = reinterpret_cast<ProgressDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
        }
        return self ? self->HandleMessage(msg, wParam, lParam) : FALSE;
    }

    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
        switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_PAINT:
            return OnPaint();
        case WM_QUERYDRAGICON:
            // One of the messages whose result a dialog procedure returns directly.
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDOK:
                OnOK();
                return TRUE;
            case IDCANCEL:
                OnCancel();
                return TRUE;
            case IDC_BUTTON_CANCEL:
                if (HIWORD(wParam) == BN_CLICKED) {
                    OnCancelButton();
                    return TRUE;
                }
                break;
            }
            break;
        }
        return FALSE;
    }

    BOOL OnInitDialog() {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
        // Focus on the bar, not on Cancel, so a stray Enter or Space cannot cancel.
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd_, IDC_PROGRESS)), TRUE);
        return FALSE;  // the focus is set already
    }

    // Draws the icon when minimised; otherwise the default painting applies.
    BOOL OnPaint() {
        if (!IsIconic(hwnd_))
            return FALSE;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT rect;
        GetClientRect(hwnd_, &rect);
        int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon_);
        EndPaint(hwnd_, &ps);
        return TRUE;
    }

    // Enter, Esc and the close request arrive here; they must not end the dialog.
    void OnOK() {}
    void OnCancel() {}

    void OnCancelButton() { EndDialog(hwnd_, QOR_RESULT_CANCELLED); }

    HINSTANCE instance_;
    HICON icon_;
    HWND hwnd_ = nullptr;
};

class ProgressApp {
public:
    explicit ProgressApp(HINSTANCE instance) : instance_(instance) {}

    // Shows the dialog modally. Returns false: there is no message loop to run after it.
    bool InitInstance() {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), kAllCommonControls};
        InitCommonControlsEx(&icc);

        ProgressDlg dlg(instance_);
        // A quit message or a failure to create the dialog gives some other
        // result; only the Cancel button counts as cancelling.
        if (dlg.DoModal(nullptr) == QOR_RESULT_CANCELLED)
            cancelled_ = true;
        return false;
    }

    int ExitInstance() const { return cancelled_ ? kExitCancelled : kExitNormal; }

private:
    HINSTANCE instance_;
    bool cancelled_ = false;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ProgressApp app(instance);
    app.InitInstance();
    return app.ExitInstance();
}
