#pragma once
// The process list as a Win32 report list: its window styles and its columns, as the window makes
// it (and the bench, which measures the same list).
#include <windows.h>
// The other Windows headers build on windows.h.
#include <commctrl.h>

namespace brisklow {

inline constexpr DWORD kReportListExStyle = WS_EX_CLIENTEDGE;
// Clipping its children keeps the list's own painting off its column headers.
inline constexpr DWORD kReportListStyle =
    WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT | LVS_SINGLESEL;

// Full-row selection and the ten columns of the layout table, their headers still empty.
void AddReportColumns(HWND list);

}  // namespace brisklow
