// Filling and sorting the real report list: a WC_LISTVIEWA of the program's styles and columns in
// a window of the bench's own, filled through Win32UiServices::AppendRow with redrawing suspended
// (as TForm1::ShowRows does) and sorted through Win32UiServices::SortRows with CompareListItems
// over the rows' cell texts reached through the item data (as TForm1::ListView1ColumnClick does).
// The rows are the cell texts of a scan of the stand-in's generated computer.
#include "bench/ListBench.h"

#include <windows.h>
// The other Windows headers build on windows.h.
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "platform/Win32UiServices.h"
#include "ui/FormLayout.h"
#include "ui/ListSorting.h"
#include "ui/ProcessRow.h"

namespace brisklow::bench {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class BenchList {
public:
    explicit BenchList(HINSTANCE instance) : ui_(instance) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "BrisklowBenchWindow";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "BrisklowBenchWindow", "Brisklow bench",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 930, 697, nullptr,
                                  nullptr, instance, nullptr);
        if (!window_) throw std::runtime_error("the bench window could not be made");
        list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT |
                                    LVS_SINGLESEL,
                                8, 80, 900, 560, window_, nullptr, instance, nullptr);
        if (!list_) throw std::runtime_error("the list could not be made");
        SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
        int index = 0;
        for (const ColumnLayout& column : kListColumns) {
            LVCOLUMNA info{};
            info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            info.fmt = column.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
            info.cx = column.width;
            info.pszText = const_cast<char*>("");
            info.iSubItem = index;
            SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&info));
            ++index;
        }
        ui_.SetMainWindow(window_);
        ui_.SetControlWindow(Control::ListView1, list_);
        Pump();
    }
    ~BenchList() { DestroyWindow(window_); }
    BenchList(const BenchList&) = delete;
    BenchList& operator=(const BenchList&) = delete;

    Win32UiServices& ui() { return ui_; }
    int Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
    intptr_t ItemData(int index) const {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.lParam;
    }

    // Lets the list paint what has been invalidated.
    static void Pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }

    // Empties the list and fills it with `rows`; the time of the filling.
    double Fill(const Rows& rows) {
        ui_.DeleteAllRows();
        Pump();
        const Stopwatch watch;
        ui_.SuspendRedraw();
        for (size_t index = 0; index < rows.size(); ++index) {
            ui_.AppendRow(rows[index], static_cast<intptr_t>(index));
        }
        ui_.ResumeRedraw();
        const double seconds = watch.Seconds();
        Pump();
        if (Count() != static_cast<int>(rows.size())) throw std::runtime_error("rows missing");
        return seconds;
    }

    // The header click's sort; the time of LVM_SORTITEMS.
    double Sort(const Rows& rows, int key) {
        const Stopwatch watch;
        ui_.SortRows([&rows, key](intptr_t item1, intptr_t item2) {
            return CompareListItems(rows[static_cast<size_t>(item1)],
                                    rows[static_cast<size_t>(item2)], key);
        });
        return watch.Seconds();
    }

    // Back to the scan's order, untimed.
    void Unsort() {
        ui_.SortRows([](intptr_t item1, intptr_t item2) {
            return item1 < item2 ? -1 : item1 > item2 ? 1 : 0;
        });
    }

private:
    Win32UiServices ui_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

// Whether the list's order is one the comparison accepts.
bool SortedBy(const BenchList& list, const Rows& rows, int key) {
    for (int index = 1; index < list.Count(); ++index) {
        if (CompareListItems(rows[static_cast<size_t>(list.ItemData(index - 1))],
                             rows[static_cast<size_t>(list.ItemData(index))], key) > 0) {
            return false;
        }
    }
    return true;
}

double FloorSort(const Rows& rows, int key) {
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const Stopwatch watch;
    std::sort(order.begin(), order.end(), [&rows, key](size_t item1, size_t item2) {
        return CompareListItems(rows[item1], rows[item2], key) < 0;
    });
    return watch.Seconds();
}

}  // namespace

int RunListBench(HINSTANCE instance, const RowSource& makeRows, int repeats) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    BenchList list(instance);
    const LongTimeFormat timeFormat = list.ui().UserLongTimeFormat();

    for (size_t count : {size_t{1000}, size_t{10000}, size_t{100000}}) {
        Rows rows;
        rows.reserve(count);
        for (const TProcesInformation& record : makeRows(count)) {
            rows.push_back(FormatProcessRow(record, timeFormat));
        }
        const int times = repeats;
        std::vector<double> fills;
        for (int i = 0; i < times; ++i) fills.push_back(list.Fill(rows));
        std::printf("fill %zu %.0f\n", count, Median(fills) * 1e9 / static_cast<double>(count));
        std::fflush(stdout);

        if (count >= 10000) {
            for (int column : {0, 2, 5}) {
                const int key = SortKey(column, 1);  // the first click: descending
                std::vector<double> sorts, floors;
                for (int i = 0; i < times; ++i) {
                    list.Unsort();
                    sorts.push_back(list.Sort(rows, key));
                    if (!SortedBy(list, rows, key)) throw std::runtime_error("not sorted");
                    floors.push_back(FloorSort(rows, key));
                }
                std::printf("sort %zu %d %.3f %.3f\n", count, column, Median(sorts) * 1e3,
                            Median(floors) * 1e3);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}

}  // namespace brisklow::bench
