#include "ui/ReportList.h"

#include "ui/FormLayout.h"

namespace brisklow {

void AddReportColumns(HWND list) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const ColumnLayout& column : kListColumns) {
        LVCOLUMNA info{};
        info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        info.fmt = column.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        info.cx = column.width;
        info.pszText = const_cast<char*>("");
        info.iSubItem = index;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&info));
        ++index;
    }
}

}  // namespace brisklow
