#include <gmock/gmock.h>

#include <stdexcept>

#include "tests/ui/FormFixture.h"
#include "texts/UiTexts.h"
#include "ui/BrisklowUnit.h"

namespace brisklow {
namespace {

using ::testing::ElementsAre;
using testing::FormFixture;
using ::testing::HasSubstr;
using testing::MakeProcess;
using testing::ScriptedProcess;

class WindowCreationTest : public FormFixture {};

TEST_F(WindowCreationTest, CaptionsAndHeadersComeFromTheTextTable) {
    Create();
    EXPECT_EQ(ui.windowCaption, "Brisklow");
    EXPECT_EQ(ui.applicationTitle, "Brisklow");
    EXPECT_EQ(ui.captions[Control::PcLabel], "Computador");
    EXPECT_EQ(ui.captions[Control::UserLabel], "&Usu\xE1rio");
    EXPECT_EQ(ui.captions[Control::PassLabel], "&Senha");
    EXPECT_EQ(ui.captions[Control::InfoButton], "Sobre");
    EXPECT_EQ(ui.captions[Control::GoogleButton], "Google");
    EXPECT_EQ(ui.captions[Control::StartButton], "&Verifique agora");
    EXPECT_THAT(
        ui.columnHeaders,
        ElementsAre("Processo", "Pasta", "ID do Processs", "PID do processo pai", "Mem\xF3ria",
                    "Tempo de CPU", "Identificadores", "Sess\xE3o", "Threads", "Prioridade"));
}

TEST_F(WindowCreationTest, ComputerBoxShowsTheLocalNameAndUserListGainsTheLocalUser) {
    Create();
    EXPECT_EQ(ui.texts[Control::PcComboBox], "WORKSTATION7");
    EXPECT_THAT(ui.entries[Control::UserComboBox], ElementsAre("Administrator", "maria"));
    EXPECT_EQ(ui.texts[Control::UserComboBox], "");
    EXPECT_EQ(ui.texts[Control::PasswordEdit], "");
}

TEST_F(WindowCreationTest, AdministratorStandsTwiceAndAnUnknownUserAddsAnEmptyEntry) {
    localUser = "Administrator";
    Create();
    EXPECT_THAT(ui.entries[Control::UserComboBox], ElementsAre("Administrator", "Administrator"));

    testing::FakeUi otherUi;
    testing::ScriptedWmi otherWmi;
    TForm1 other(
        otherUi, otherWmi,
        {[] { return std::string(); }, [] { return std::string(); }, [](const std::string&) {}});
    other.FormCreate();
    EXPECT_THAT(otherUi.entries[Control::UserComboBox], ElementsAre("Administrator", ""));
    EXPECT_EQ(otherUi.texts[Control::PcComboBox], "");
}

TEST_F(WindowCreationTest, BusyAnimationIsTheProgramsOwnFromWindowsSixOn) {
    ui.windowsMajorVersion = 5;
    Create();
    EXPECT_FALSE(ui.animationResource.has_value());
    ui.windowsMajorVersion = 6;
    Create();
    EXPECT_EQ(ui.animationResource, 152);
}

class FirstPaintTest : public FormFixture {};

TEST_F(FirstPaintTest, FirstPaintCreatesTheBalloonHooksTheListAndScansOnce) {
    Create();
    wmi.processes = {MakeProcess("smss.exe", 400)};
    form.Paint();
    EXPECT_TRUE(ui.balloonWindow);
    EXPECT_TRUE(ui.listViewHooked);
    EXPECT_EQ(ui.rows.size(), 1u);
    form.Paint();
    form.Paint();
    EXPECT_EQ(ui.Calls("CreateBalloonWindow").size(), 1u);
    EXPECT_EQ(ui.Calls("DeleteAllRows").size(), 1u);
    EXPECT_EQ(ui.Calls("HookListView").size(), 1u);
    // The first scan reads the local computer with the caller's own credentials.
    EXPECT_THAT(wmi.log, ::testing::Contains("ConnectServer WORKSTATION7|root\\CIMV2|||||0"));
}

TEST_F(FirstPaintTest, SuccessfulFirstScanRemembersTheEmptyUserNameOnce) {
    Create();
    form.Paint();
    form.StartButtonClick();
    EXPECT_THAT(ui.entries[Control::UserComboBox], ElementsAre("Administrator", "maria", ""));
}

class ScanCommandTest : public FormFixture {};

TEST_F(ScanCommandTest, EnterInAnyBoxAndTheButtonRunTheSameScan) {
    Create();
    ui.texts[Control::PcComboBox] = "SRV1";
    ui.texts[Control::UserComboBox] = "admin";
    ui.texts[Control::PasswordEdit] = "pw";
    form.StartButtonClick();
    form.PcEditKeyDown(13);
    form.PcEditKeyDown(65);  // other keys are not commands
    form.PcEditKeyDown(9);
    const auto connects =
        std::count(wmi.log.begin(), wmi.log.end(), "ConnectServer SRV1|root\\CIMV2|admin|pw|||0");
    EXPECT_EQ(connects, 2);
}

TEST_F(ScanCommandTest, RowsAreFormattedFromTheRecordsInEnumerationOrder) {
    Create();
    ScriptedProcess idle = MakeProcess("zz.exe", 0);
    idle.properties["WorkingSetSize"] = PropertyValue::FromText("0");
    idle.properties["UserModeTime"] = PropertyValue::FromText("0");
    idle.properties["KernelModeTime"] = PropertyValue::FromText("0");
    ScriptedProcess busy = MakeProcess("aa.exe", -1);  // 4294967295 as WMI hands it over
    busy.properties["UserModeTime"] = PropertyValue::FromText("590000000");
    busy.properties["KernelModeTime"] = PropertyValue::FromText("0");
    busy.properties["ExecutablePath"] = PropertyValue::Null();
    ScriptedProcess minute = MakeProcess("mm.exe", 7);
    minute.properties["UserModeTime"] = PropertyValue::FromText("600000000");
    minute.properties["KernelModeTime"] = PropertyValue::FromText("0");
    minute.properties["HandleCount"] = PropertyValue::FromText("3000000000");
    ScanShowing({idle, busy, minute});

    ASSERT_EQ(ui.rows.size(), 3u);
    EXPECT_THAT(ui.rows[0].cells, ElementsAre("zz.exe", "C:\\Windows\\System32\\zz.exe", "0", "4",
                                              "0 K", "", "345", "1", "12", "8"));
    EXPECT_EQ(ui.rows[1].cells[1], "");
    EXPECT_EQ(ui.rows[1].cells[2], "4294967295");
    EXPECT_EQ(ui.rows[1].cells[5], "59 s");
    EXPECT_EQ(ui.rows[2].cells[5], "0:01:00");
    EXPECT_EQ(ui.rows[2].cells[6], "3000000000");
    EXPECT_EQ(ui.redrawSuspensions, 0);
    EXPECT_THAT(ui.Calls("Status"),
                ElementsAre("Status Iniciar...", "Status Conectando em WORKSTATION7 ...",
                            "Status 3 Processos", "Status 3 processos"));
    EXPECT_EQ(ui.statusText, "3 processos");
}

TEST_F(ScanCommandTest, AnimationStandsInForTheHiddenButtonWhileScanning) {
    Create();
    bool checked = false;
    ui.whileBoxOpen = [&] {
        EXPECT_FALSE(ui.visible[Control::StartButton]);
        EXPECT_FALSE(ui.enabled[Control::StartButton]);
        EXPECT_TRUE(ui.visible[Control::Animate1]);
        EXPECT_TRUE(ui.animationPlaying);
        checked = true;
    };
    wmi.FailCall("Get", "Invalid class");
    form.StartButtonClick();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(ui.visible[Control::StartButton]);
    EXPECT_TRUE(ui.enabled[Control::StartButton]);
    EXPECT_FALSE(ui.visible[Control::Animate1]);
    EXPECT_FALSE(ui.animationPlaying);
}

TEST_F(ScanCommandTest, FailedConnectionLeavesAnEmptyListAndZeroProcesses) {
    Create();
    ui.rows.push_back({{"old.exe"}, 0});
    wmi.FailCall("ConnectServer", "The RPC server is unavailable");
    form.StartButtonClick();
    EXPECT_TRUE(ui.rows.empty());
    EXPECT_EQ(ui.statusText, "0 processos");
    ASSERT_EQ(ui.Calls("ErrorBox").size(), 1u);
    EXPECT_THAT(ui.Calls("ErrorBox")[0], HasSubstr("erro WMI|erro WMI\r"));
    EXPECT_THAT(ui.Calls("ErrorBox")[0], HasSubstr("\rCode: 2\r"));
    // The computer name is remembered even so.
    EXPECT_THAT(ui.entries[Control::PcComboBox], ElementsAre("WORKSTATION7"));
}

TEST_F(ScanCommandTest, LocatorFailureShowsTheListViewBoxBeforeTheButtonReturns) {
    Create();
    wmi.FailCall("CreateLocator", "Class not registered");
    bool buttonHiddenDuringBox = false;
    ui.whileBoxOpen = [&] { buttonHiddenDuringBox = !ui.visible[Control::StartButton]; };
    form.StartButtonClick();
    EXPECT_THAT(ui.Calls("Message"), ElementsAre("Message ListView Class not registered"));
    EXPECT_TRUE(buttonHiddenDuringBox);
    EXPECT_TRUE(ui.visible[Control::StartButton]);
    EXPECT_EQ(ui.statusText, "Iniciar...");
    EXPECT_TRUE(ui.entries[Control::PcComboBox].empty());
}

TEST_F(ScanCommandTest, ListRefusingARowResumesRedrawingAndShowsTheListViewBox) {
    Create();
    ui.failAppendRowAt = 1;
    ScanShowing({MakeProcess("a.exe", 1), MakeProcess("b.exe", 2), MakeProcess("c.exe", 3)});
    EXPECT_EQ(ui.rows.size(), 1u);
    EXPECT_EQ(ui.redrawSuspensions, 0);
    EXPECT_THAT(ui.Calls("Message"), ElementsAre("Message ListView out of rows"));
    EXPECT_TRUE(ui.enabled[Control::StartButton]);
}

TEST_F(ScanCommandTest, ButtonThatWillNotShowFailsTheCommandWithoutEndingTheProgram) {
    Create();
    ui.failShowing = Control::StartButton;
    // On the command's own way out the failure leaves the command, for the window to report.
    EXPECT_THROW(form.StartButtonClick(), std::runtime_error);
    EXPECT_EQ(ui.statusText, "0 processos");
    EXPECT_FALSE(ui.visible[Control::Animate1]);
    EXPECT_FALSE(ui.animationPlaying);
    EXPECT_TRUE(ui.enabled[Control::StartButton]);
    // Left by another failure, the command lets that one out.
    wmi.FailCallRaising("CreateLocator", [] { throw 7; });
    EXPECT_THROW(form.StartButtonClick(), int);
    EXPECT_FALSE(ui.animationPlaying);
    EXPECT_TRUE(ui.enabled[Control::StartButton]);
}

class RememberComputerTest : public FormFixture {};

TEST_F(RememberComputerTest, AKnownNameClimbsToTheTopInItsStoredCase) {
    Create();
    ui.entries[Control::PcComboBox] = {"pc2", "Server1"};
    ui.texts[Control::PcComboBox] = "server1";
    form.StartButtonClick();
    EXPECT_THAT(ui.entries[Control::PcComboBox], ElementsAre("Server1", "pc2"));
    EXPECT_EQ(ui.texts[Control::PcComboBox], "Server1");

    // With more than two entries the others keep their order below it.
    ui.entries[Control::PcComboBox] = {"pc1", "pc2", "Server1", "pc4"};
    ui.texts[Control::PcComboBox] = "SERVER1";
    form.StartButtonClick();
    EXPECT_THAT(ui.entries[Control::PcComboBox], ElementsAre("Server1", "pc1", "pc2", "pc4"));
    EXPECT_EQ(ui.texts[Control::PcComboBox], "Server1");
}

TEST_F(RememberComputerTest, ANewNameGoesToTheBottomAndStaysShown) {
    Create();
    ui.entries[Control::PcComboBox] = {"pc1"};
    ui.texts[Control::PcComboBox] = "pc3";
    form.StartButtonClick();
    EXPECT_THAT(ui.entries[Control::PcComboBox], ElementsAre("pc1", "pc3"));
    EXPECT_EQ(ui.texts[Control::PcComboBox], "pc3");
}

class SmallCommandsTest : public FormFixture {};

TEST_F(SmallCommandsTest, StatusBarClickShowsTheOuterSizeWithAMultiplicationSign) {
    Create();
    form.StatusBarClick();
    EXPECT_EQ(ui.statusText, "930 \xD7 697");
    ui.outerSize = {1200, 800};
    form.StatusBarClick();
    EXPECT_EQ(ui.statusText, "1200 \xD7 800");
}

TEST_F(SmallCommandsTest, PickerChoiceFillsTheComputerBoxWithoutScanning) {
    Create();
    ui.browseResult = "SRV-FILES";
    form.DirButtonClick();
    EXPECT_THAT(ui.Calls("Browse"), ElementsAre("Browse Escolha um computador|xxxx777"));
    EXPECT_EQ(ui.texts[Control::PcComboBox], "SRV-FILES");
    EXPECT_TRUE(wmi.log.empty());
}

TEST_F(SmallCommandsTest, CancelledPickerLeavesTheComputerBoxAsItWas) {
    Create();
    ui.browseResult = "";
    form.DirButtonClick();
    EXPECT_EQ(ui.texts[Control::PcComboBox], "WORKSTATION7");
}

TEST_F(SmallCommandsTest, InfoButtonOpensTheInformationPage) {
    Create();
    form.InfoButtonClick();
    EXPECT_THAT(ui.Calls("Shell"),
                ElementsAre("Shell open https://downloads.velmarch.example/brisklow/"));
}

TEST_F(SmallCommandsTest, GoogleButtonWithoutSelectionAsksForAProcessAndOpensNothing) {
    Create();
    ScanShowing({MakeProcess("svchost.exe", 1)});
    form.GoogleButtonClick();
    EXPECT_THAT(ui.Calls("Message"), ElementsAre("Message Selecione um processo."));
    EXPECT_TRUE(ui.Calls("Shell").empty());
}

TEST_F(SmallCommandsTest, GoogleButtonSearchesTheSelectedProcessOnTheInformationSite) {
    Create();
    ScanShowing({MakeProcess("svchost.exe", 1), MakeProcess("a b&c.exe", 2)});
    ui.selectedRow = 0;
    form.GoogleButtonClick();
    ui.selectedRow = 1;
    form.GoogleButtonClick();
    EXPECT_THAT(ui.Calls("Shell"),
                ElementsAre("Shell (default) https://www.google.com/search?q=svchost.exe"
                            "+site%3Adownloads.velmarch.example",
                            "Shell (default) https://www.google.com/search?q=a%20b%26c.exe"
                            "+site%3Adownloads.velmarch.example"));
}

}  // namespace
}  // namespace brisklow
