// Resource identifiers of QOR_SkpProgress. The driving scripts address the
// controls by these numbers, so they must not change.
#pragma once

#define IDD_QOR_SKPPROGRESS_DIALOG 102
#define IDR_MAINFRAME              128
#define IDC_BUTTON_CANCEL          1000
#define IDC_PROGRESS               1001

// Modal result of the dialog when the user pressed Cancel.
#define QOR_RESULT_CANCELLED       IDC_BUTTON_CANCEL
