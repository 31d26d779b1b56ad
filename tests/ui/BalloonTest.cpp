#include <gmock/gmock.h>

#include "tests/ui/FormFixture.h"
#include "texts/UiTexts.h"

namespace brisklow {
namespace {

using ::testing::ElementsAre;
using testing::FormFixture;

constexpr const char* kClick = "               CLICK";

class BalloonTest : public FormFixture {
  protected:
    void SetUp() override {
        Create();
        form.Paint();
        traces.clear();
        ui.log.clear();
    }
    // A click on the list: the mouse press makes an open balloon pop before the click arrives.
    void ClickList() {
        if (form.BalloonState() == kBalloonShown) form.BalloonNotification(kTtnPop);
        const size_t popupsBefore = ui.Calls("BalloonPopup").size();
        form.ListView1Click();
        if (ui.Calls("BalloonPopup").size() > popupsBefore) form.BalloonNotification(kTtnShow);
    }
};

TEST(BalloonCreationTest, BalloonIsCreatedDeactivatedWithItsTitleDelaysAndTool) {
    testing::FakeUi ui;
    testing::ScriptedWmi wmi;
    std::vector<std::string> traces;
    TForm1 form(ui, wmi,
                {[] { return std::string("pc"); }, [] { return std::string("u"); },
                 [&](const std::string& text) { traces.push_back(text); }});
    form.FormCreate();
    form.Paint();
    EXPECT_THAT(std::vector<std::string>(ui.log.begin(), ui.log.begin() + 8),
                ElementsAre("CreateBalloonWindow", "BalloonTitle 1 Mais detalhes...",
                            "BalloonDelay initial 32000", "BalloonDelay auto-pop 32000",
                            "BalloonDelay reshow 32000", "BalloonDeactivate",
                            "BalloonAddTool " + UiText(2), "HookListView"));
    EXPECT_EQ(traces.front(), "--- created ---");
    EXPECT_EQ(form.BalloonState(), 0u);

    // Those three are the only delays set, however the balloon is used afterwards.
    form.Paint();
    form.ListView1Click();
    form.BalloonNotification(kTtnShow);
    form.BalloonNotification(kTtnPop);
    form.FormDeactivate();
    form.BalloonNotification(kTtnLinkClick);
    form.FormClose();
    EXPECT_THAT(ui.Calls("BalloonDelay"),
                ElementsAre("BalloonDelay initial 32000", "BalloonDelay auto-pop 32000",
                            "BalloonDelay reshow 32000"));
}

TEST_F(BalloonTest, QuickDoubleClickOpensThenClosesAndItStaysClosed) {
    ClickList();
    EXPECT_EQ(form.BalloonState(), kBalloonShown);
    ui.tickCount += 100;
    ClickList();
    EXPECT_EQ(form.BalloonState(), ui.tickCount);
    EXPECT_THAT(traces,
                ElementsAre(kClick, "just popup", "-- show", "-- hide", kClick, "just hidden"));
    EXPECT_EQ(ui.Calls("BalloonPopup").size(), 1u);
}

TEST_F(BalloonTest, ClickThreeHundredMillisecondsAfterClosingDoesNothing) {
    ClickList();
    form.BalloonNotification(kTtnPop);  // closed by itself
    traces.clear();
    ui.tickCount += 300;
    form.ListView1Click();
    EXPECT_THAT(traces, ElementsAre(kClick, "just hidden"));
    ui.tickCount += 200;
    form.ListView1Click();
    EXPECT_EQ(traces.back(), "just popup");
}

TEST_F(BalloonTest, DeactivationHidesTheBalloonAndTheNextClickOpensItAtOnce) {
    ClickList();
    form.FormDeactivate();
    EXPECT_EQ(ui.log.back(), "BalloonHide");
    form.BalloonNotification(kTtnPop);  // state was 0, not 5: stays free to open
    EXPECT_EQ(form.BalloonState(), 0u);
    traces.clear();
    form.ListView1Click();
    EXPECT_THAT(traces, ElementsAre(kClick, "just popup"));
}

TEST_F(BalloonTest, LinkClickOpensTheProductPageHidesBeepsAndAllowsReopening) {
    ClickList();
    form.BalloonNotification(kTtnLinkClick);
    EXPECT_THAT(std::vector<std::string>(ui.log.end() - 3, ui.log.end()),
                ElementsAre("Shell open https://www.velmarch.example/produto/?ref=brisklow",
                            "BalloonHide", "Beep"));
    EXPECT_EQ(traces.back(), "-- TTN_LINKCLICK");
    form.BalloonNotification(kTtnPop);
    traces.clear();
    form.ListView1Click();
    EXPECT_THAT(traces, ElementsAre(kClick, "just popup"));
}

TEST_F(BalloonTest, ReopenGuardHoldsAcrossTheTickCounterWrap) {
    ui.tickCount = 0xFFFFFF00u;
    ClickList();
    form.BalloonNotification(kTtnPop);
    ui.tickCount = 0x000000F0u;  // 496 ms later, past the wrap
    traces.clear();
    form.ListView1Click();
    EXPECT_THAT(traces, ElementsAre(kClick, "just hidden"));
    ui.tickCount = 0x000000F4u;  // 500 ms
    form.ListView1Click();
    EXPECT_EQ(traces.back(), "just popup");
}

TEST_F(BalloonTest, ClickWhileShownOnlySaysSo) {
    ClickList();
    traces.clear();
    form.ListView1Click();  // no pop came first
    EXPECT_THAT(traces, ElementsAre(kClick, "just showing"));
}

TEST_F(BalloonTest, ClosingRemovesTheToolAndDestroysTheBalloon) {
    form.FormClose();
    EXPECT_THAT(ui.log, ElementsAre("BalloonRemoveTool", "DestroyBalloonWindow"));
    EXPECT_FALSE(ui.balloonWindow);
}

}  // namespace
}  // namespace brisklow
