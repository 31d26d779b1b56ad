#include <gmock/gmock.h>

#include "tests/ui/FormFixture.h"
#include "ui/ListSorting.h"

namespace brisklow {
namespace {

using ::testing::ElementsAre;
using testing::FormFixture;
using testing::MakeProcess;
using testing::ScriptedProcess;

std::vector<std::string> Row(std::string caption, std::string second = "") {
    return {std::move(caption), std::move(second)};
}

TEST(CompareListItemsTest, ShorterTextsComeFirstAndNumbersCompareByValue) {
    EXPECT_LT(CompareListItems(Row("996"), Row("1000"), 1), 0);
    EXPECT_GT(CompareListItems(Row("996"), Row("1000"), -1), 0);
    EXPECT_LT(CompareListItems(Row("smss.exe"), Row("lsass.exe"), 1), 0);
    EXPECT_LT(CompareListItems(Row("lsass.exe"), Row("explorer.exe"), 1), 0);
}

TEST(CompareListItemsTest, OnlyAsciiLettersFoldAndOtherBytesKeepTheirCodes) {
    EXPECT_EQ(CompareListItems(Row("SvcHost.EXE"), Row("svchost.exe"), 1), 0);
    EXPECT_GT(CompareListItems(Row("a_"), Row("az"), 1), 0);   // the underscore after every letter
    EXPECT_GT(CompareListItems(Row("\xE9"), Row("z"), 1), 0);  // accented letters by their code
    EXPECT_EQ(CompareListItems(Row("ab"), Row("ac"), 1), 'B' - 'C');
}

TEST(CompareListItemsTest, MissingSubItemsCompareAsEmptyText) {
    EXPECT_LT(CompareListItems({"only caption"}, Row("x", "1"), 2), 0);
    EXPECT_EQ(CompareListItems({"a"}, {"b"}, 5), 0);
    EXPECT_LT(CompareListItems(Row("x", ""), Row("x", "59 s"), 2), 0);
}

TEST(CompareListItemsTest, SecondsCompareWithTimesOfDayByLengthFirst) {
    EXPECT_LT(CompareListItems(Row("x", "59 s"), Row("x", "0:01:00"), 2), 0);
}

class ColumnClickTest : public FormFixture {
  protected:
    void SetUp() override {
        Create();
        const std::pair<const char*, int> processes[] = {
            {"explorer.exe", 4}, {"smss.exe", 1000}, {"lsass.exe", 996}};
        std::vector<ScriptedProcess> list;
        for (const auto& [name, pid] : processes) list.push_back(MakeProcess(name, pid));
        list[1].properties["UserModeTime"] = PropertyValue::FromText("0");
        list[1].properties["KernelModeTime"] = PropertyValue::FromText("0");
        ScanShowing(list);
    }
};

TEST_F(ColumnClickTest, FirstClickSortsDescendingAndTheSecondReverses) {
    form.ListView1ColumnClick(2);
    EXPECT_THAT(ui.Column(2), ElementsAre("1000", "996", "4"));
    form.ListView1ColumnClick(2);
    EXPECT_THAT(ui.Column(2), ElementsAre("4", "996", "1000"));
    form.ListView1ColumnClick(0);
    form.ListView1ColumnClick(0);
    EXPECT_THAT(ui.Column(0), ElementsAre("smss.exe", "lsass.exe", "explorer.exe"));
}

TEST_F(ColumnClickTest, EmptyCpuCellsComeFirstAscending) {
    form.ListView1ColumnClick(5);
    form.ListView1ColumnClick(5);
    EXPECT_THAT(ui.Column(5), ElementsAre("", "3 s", "3 s"));
}

TEST_F(ColumnClickTest, EachColumnKeepsItsOwnFlagAcrossClicksAndScans) {
    form.ListView1ColumnClick(0);
    form.ListView1ColumnClick(5);
    form.ListView1ColumnClick(3);  // first click on column 3: descending, whatever the others did
    EXPECT_EQ(ui.columnMinWidths[3], 1);
    form.StartButtonClick();
    EXPECT_THAT(ui.Column(2), ElementsAre("4", "1000", "996")) << "no sorting after a scan";
    form.ListView1ColumnClick(0);  // second click on column 0, after a scan: ascending
    EXPECT_THAT(ui.Column(0), ElementsAre("smss.exe", "lsass.exe", "explorer.exe"));
    EXPECT_THAT(ui.columnMinWidths, ElementsAre(0, 0, 0, 1, 0, 1, 0, 0, 0, 0));
}

}  // namespace
}  // namespace brisklow
