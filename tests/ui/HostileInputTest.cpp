// The window under odd, huge or hostile input from the user and from the scanned computer: the
// status line, the error box and the search address carry it byte for byte or encoded, and nothing
// crashes (the sanitizers watch).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/inventory/ScriptedWmi.h"
#include "tests/ui/FakeUi.h"
#include "ui/BrisklowUnit.h"

namespace brisklow {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::FakeUi;
using testing::MakeProcess;
using testing::ScriptedWmi;

// One created window over fresh fakes.
struct Window {
    FakeUi ui;
    ScriptedWmi wmi;
    TForm1 form{ui, wmi,
                LocalServices{[] { return std::string("PC"); }, [] { return std::string("me"); },
                              [](const std::string&) {}}};
    Window() { form.FormCreate(); }
};

std::string Box(const std::string& message) {
    return "ErrorBox erro WMI|erro WMI\r" + message +
           "\rCode: 2\r\rDica: Procure online por \"WMI " + message + "\" para corrigir este erro.";
}

TEST(HostileWindowTest, TypedCredentialsReachStatusBoxAndListsByteForByte) {
    const std::vector<std::string> texts = {"",
                                            "x",
                                            std::string(255, 'A'),
                                            std::string(32767, 'z'),
                                            "\\\\SRV01\\c$\\",
                                            "%s%n%d%x%p",
                                            "\"quoted\" 'name'",
                                            "Jo\xE3o \x80\x81\x9F\xA0\xFF"};
    for (const std::string& text : texts) {
        SCOPED_TRACE("length " + std::to_string(text.size()));
        for (const bool refused : {false, true}) {
            Window window;
            window.ui.texts[Control::PcComboBox] = text;
            window.ui.texts[Control::UserComboBox] = text;
            window.ui.texts[Control::PasswordEdit] = text;
            window.wmi.processes = {MakeProcess("a.exe", 1)};
            if (refused) window.wmi.FailCall("ConnectServer", text);
            window.form.StartButtonClick();

            EXPECT_THAT(window.ui.Calls("Status "),
                        Contains("Status Conectando em " + text + " ..."));
            EXPECT_EQ(window.ui.statusText, refused ? "0 processos" : "1 processos");
            EXPECT_EQ(window.ui.Calls("ErrorBox"),
                      refused ? std::vector<std::string>{Box(text)} : std::vector<std::string>{});
            EXPECT_TRUE(window.ui.Calls("Message").empty());
            EXPECT_EQ(window.ui.entries[Control::PcComboBox].back(), text);
            EXPECT_EQ(window.ui.entries[Control::UserComboBox].back(), refused ? "me" : text);
            EXPECT_TRUE(window.ui.enabled[Control::StartButton]);
        }
    }
}

TEST(HostileWindowTest, SearchAddressStaysOneWellFormedQueryForAnyName) {
    const std::string page = "https://www.google.com/search?q=";
    const std::string joint = "+site%3Adownloads.velmarch.example";
    struct Case {
        std::string name, value;
    };
    const Case cases[] = {
        {"", ""},
        {std::string(300, 'n'), std::string(300, 'n')},
        {"a&b#c%d+e f.exe", "a%26b%23c%25d%2Be%20f.exe"},
        {"C:\\Program Files\\x?y=z&q=1.exe", "x%3Fy%3Dz%26q%3D1.exe"},
        {"+site:evil.example #", "evil.example%20%23"},  // only the part after the last ':'
        {"caf\xE9\x80.exe", "caf%C3%A9%E2%82%AC.exe"},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        Window window;
        window.wmi.processes = {MakeProcess(name, 1)};
        window.form.StartButtonClick();
        ASSERT_EQ(window.ui.rows.size(), 1u);
        window.ui.selectedRow = 0;
        window.form.GoogleButtonClick();
        ASSERT_EQ(window.ui.Calls("Shell").size(), 1u);
        const std::string address = window.ui.Calls("Shell")[0].substr(16);  // "Shell (default) "
        EXPECT_EQ(address, page + value + joint);
        EXPECT_EQ(address.find('?'), address.rfind('?'));
        const std::string query =
            address.substr(page.size(), address.size() - page.size() - joint.size());
        EXPECT_EQ(query.find_first_of("&#+ "), std::string::npos);
    }
}

TEST(HostileWindowTest, NoProcessesAndAHundredThousandFillTheListAndItsCount) {
    for (const size_t count : {size_t{0}, size_t{100000}}) {
        Window window;
        window.wmi.generatedProcesses = count;
        window.wmi.logCalls = false;
        window.form.StartButtonClick();
        EXPECT_EQ(window.ui.statusText, std::to_string(count) + " processos");
        ASSERT_EQ(window.ui.rows.size(), count);
        EXPECT_TRUE(window.ui.Calls("ErrorBox").empty());
        if (count == 0) {
            window.form.GoogleButtonClick();
            EXPECT_THAT(window.ui.Calls("Message"), ElementsAre("Message Selecione um processo."));
            continue;
        }
        EXPECT_EQ(window.ui.rows.back().cells[0], "p99999.exe");
        EXPECT_EQ(window.ui.rows.back().cells[2], "99999");
        EXPECT_EQ(window.ui.rows.back().itemData, 99999);
    }
}

}  // namespace
}  // namespace brisklow
