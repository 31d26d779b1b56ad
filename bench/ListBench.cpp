// Filling and sorting the real report list: a WC_LISTVIEWA of the program's styles and columns in
// a window of the bench's own, filled through Win32UiServices::AppendRow with redrawing suspended
// (as TForm1::ShowRows does) and sorted through Win32UiServices::SortRows with CompareListItems
// over the rows' cell texts reached through the item data (as TForm1::ListView1ColumnClick does).
// The rows are the cell texts of a scan of the stand-in's generated computer. The list is filled
// twice over: bare, and as the program has it after its first paint (the balloon's tool on the
// list and the program's window procedure in front of the list's).
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
#include <utility>
#include <vector>

#include "bench/Timing.h"
#include "platform/Win32UiServices.h"
#include "texts/UiTexts.h"
#include "ui/FormLayout.h"
#include "ui/ListSorting.h"
#include "ui/ProcessRow.h"
#include "ui/ReportList.h"

namespace brisklow::bench {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// How the list is set up around it.
enum class ListSetUp {
    Bare,
    AsInTheProgram,  // the balloon's tool on the list, the program's procedure in front
};

class BenchList {
  public:
    BenchList(HINSTANCE instance, ListSetUp setUp) : ui_(instance) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "BrisklowBenchWindow";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "BrisklowBenchWindow", "Brisklow bench",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 930, 697, nullptr,
                                  nullptr, instance, nullptr);
        if (!window_) throw std::runtime_error("the bench window could not be made");
        list_ = CreateWindowExA(kReportListExStyle, WC_LISTVIEWA, "", WS_CHILD | kReportListStyle,
                                8, 80, 900, 560, window_, nullptr, instance, nullptr);
        if (!list_) throw std::runtime_error("the list could not be made");
        AddReportColumns(list_);
        ui_.SetMainWindow(window_);
        ui_.SetControlWindow(Control::ListView1, list_);
        if (setUp == ListSetUp::AsInTheProgram) {
            // TForm1::FormPaint's order: the balloon with its tool, then the list's procedure.
            ui_.CreateBalloonWindow();
            ui_.SetBalloonTitle(1, UiText(1));
            for (auto which : {UiServices::BalloonDelay::Initial, UiServices::BalloonDelay::AutoPop,
                               UiServices::BalloonDelay::Reshow}) {
                ui_.SetBalloonDelay(which, 32000);
            }
            ui_.ActivateBalloon(false);
            ui_.AddBalloonTool(UiText(2));
            ui_.HookListView();
        }
        Pump();
    }
    ~BenchList() {
        ui_.RemoveBalloonTool();
        ui_.DestroyBalloonWindow();
        DestroyWindow(window_);
    }
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

    // The header click's sort; the time of LVM_SORTITEMS. Keeps the pairs of rows the list asked
    // about, in turn, in `asked` (reserved beforehand, so that keeping them costs next to nothing).
    double Sort(const Rows& rows, int key, std::vector<std::pair<intptr_t, intptr_t>>& asked) {
        asked.clear();
        asked.reserve(rows.size() * 40);
        const Stopwatch watch;
        ui_.SortRows([&rows, key, &asked](intptr_t item1, intptr_t item2) {
            asked.emplace_back(item1, item2);
            return CompareListItems(rows[static_cast<size_t>(item1)],
                                    rows[static_cast<size_t>(item2)], key);
        });
        return watch.Seconds();
    }

    // The list's own share of a sort: the same sort with a comparison that costs next to nothing
    // and orders the rows as `rank` says (the order the real comparison gives).
    double SortByRank(const std::vector<size_t>& rank) {
        const Stopwatch watch;
        ui_.SortRows([&rank](intptr_t item1, intptr_t item2) {
            const size_t rank1 = rank[static_cast<size_t>(item1)];
            const size_t rank2 = rank[static_cast<size_t>(item2)];
            return rank1 < rank2 ? -1 : rank1 > rank2 ? 1 : 0;
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

// The program's share of a list sort: the same comparisons, of the same rows in the same order,
// made again outside the list.
double ReplayComparisons(const Rows& rows, int key,
                         const std::vector<std::pair<intptr_t, intptr_t>>& asked) {
    int sum = 0;
    const Stopwatch watch;
    for (const auto& [item1, item2] : asked) {
        sum += CompareListItems(rows[static_cast<size_t>(item1)], rows[static_cast<size_t>(item2)],
                                key) > 0;
    }
    const double seconds = watch.Seconds();
    // The result is used, so that the loop stays.
    if (sum < 0) std::printf("%d\n", sum);
    return seconds;
}

double FloorSort(const Rows& rows, int key, size_t& calls) {
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    calls = 0;
    const Stopwatch watch;
    std::sort(order.begin(), order.end(), [&rows, key, &calls](size_t item1, size_t item2) {
        ++calls;
        return CompareListItems(rows[item1], rows[item2], key) < 0;
    });
    return watch.Seconds();
}

// Each row's place in the order the list's sort gives from the scan's order: a stable sort by the
// comparison (the list's merge sort keeps rows that compare equal in their order).
std::vector<size_t> RanksOf(const Rows& rows, int key) {
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&rows, key](size_t item1, size_t item2) {
        return CompareListItems(rows[item1], rows[item2], key) < 0;
    });
    std::vector<size_t> rank(rows.size());
    for (size_t place = 0; place < order.size(); ++place) rank[order[place]] = place;
    return rank;
}

Rows RowsOf(const RowSource& makeRows, size_t count, const LongTimeFormat& timeFormat) {
    Rows rows;
    rows.reserve(count);
    for (const TProcesInformation& record : makeRows(count)) {
        rows.push_back(FormatProcessRow(record, timeFormat));
    }
    return rows;
}

}  // namespace

int RunListBench(HINSTANCE instance, const RowSource& makeRows, int repeats) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const LongTimeFormat timeFormat = Win32UiServices(instance).UserLongTimeFormat();

    {
        // Every message to the list passes the balloon's subclassing and the program's procedure:
        // at most 10,000 rows, that fill costs far more per row.
        BenchList list(instance, ListSetUp::AsInTheProgram);
        for (size_t count : {size_t{1000}, size_t{10000}}) {
            const Rows rows = RowsOf(makeRows, count, timeFormat);
            std::vector<double> fills;
            for (int i = 0; i < repeats; ++i) fills.push_back(list.Fill(rows));
            std::printf("fill-program %zu %.0f\n", count,
                        Median(fills) * 1e9 / static_cast<double>(count));
            std::fflush(stdout);
        }
    }

    BenchList list(instance, ListSetUp::Bare);
    for (size_t count : {size_t{1000}, size_t{10000}, size_t{100000}}) {
        const Rows rows = RowsOf(makeRows, count, timeFormat);
        std::vector<double> fills;
        for (int i = 0; i < repeats; ++i) fills.push_back(list.Fill(rows));
        std::printf("fill %zu %.0f\n", count, Median(fills) * 1e9 / static_cast<double>(count));
        std::fflush(stdout);
        if (count < 10000) continue;

        for (int column : {0, 2, 5}) {
            const int key = SortKey(column, 1);  // the first click: descending
            const std::vector<size_t> rank = RanksOf(rows, key);
            std::vector<double> sorts, floors, listShares, replays;
            std::vector<std::pair<intptr_t, intptr_t>> asked;
            size_t floorCalls = 0;
            for (int i = 0; i < repeats; ++i) {
                list.Unsort();
                sorts.push_back(list.Sort(rows, key, asked));
                if (!SortedBy(list, rows, key)) throw std::runtime_error("not sorted");
                replays.push_back(ReplayComparisons(rows, key, asked));
                list.Unsort();
                listShares.push_back(list.SortByRank(rank));
                if (!SortedBy(list, rows, key)) throw std::runtime_error("not sorted by rank");
                floors.push_back(FloorSort(rows, key, floorCalls));
            }
            std::printf("sort %zu %d %.3f %.3f %.3f %zu %zu %.3f\n", count, column,
                        Median(sorts) * 1e3, Median(floors) * 1e3, Median(listShares) * 1e3,
                        asked.size(), floorCalls, Median(replays) * 1e3);
            std::fflush(stdout);
        }
    }
    return 0;
}

}  // namespace brisklow::bench
