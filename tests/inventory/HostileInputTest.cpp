// The scan under input from outside that is odd, huge or of the wrong type: it shows it byte for
// byte, converts or refuses it with the usual messages, and never crashes (the sanitizers watch).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "inventory/PropertyValue.h"
#include "inventory/ScanProcesses.h"
#include "inventory/WmiError.h"
#include "tests/inventory/ScriptedWmi.h"

namespace brisklow {
namespace {

using ::testing::ElementsAre;
using testing::MakeProcess;
using testing::ScriptedWmi;

class Sink : public ScanSink {
  public:
    std::vector<std::string> statusTexts, boxes, userEntries;
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void ShowErrorBox(const std::string& text, const std::string&) override {
        boxes.push_back(text);
    }
    bool UserEntryExists(const std::string& user) override {
        for (const auto& entry : userEntries) {
            if (entry == user) return true;
        }
        return false;
    }
    void AppendUserEntry(const std::string& user) override { userEntries.push_back(user); }
};

std::string Box(const std::string& message, const std::string& code) {
    return "erro WMI\r" + message + "\rCode: " + code + "\r\rDica: Procure online por \"WMI " +
           message + "\" para corrigir este erro.";
}

// Texts that names, users, passwords and messages from outside may be.
std::vector<std::string> HostileTexts() {
    return {"",
            "x",
            std::string(255, 'A'),
            std::string(32767, 'z'),
            "\\\\SRV01\\root\\",
            "%s%n%d%x%p",
            "\"quoted\" 'name'",
            "Jo\xE3o \x80\x81\x9F\xA0\xFF"};
}

TEST(HostileScanTest, CredentialsAndMessagesPassByteForByte) {
    for (const std::string& text : HostileTexts()) {
        SCOPED_TRACE("length " + std::to_string(text.size()));
        ScriptedWmi wmi;
        wmi.processes = {MakeProcess("a.exe", 1)};
        Sink sink;
        TPIArray table;
        ScanProcesses(wmi, sink, text, text, text, table);
        EXPECT_THAT(sink.statusTexts, ElementsAre("Iniciar...", "Conectando em " + text + " ..."));
        ASSERT_GE(wmi.log.size(), 2u);
        EXPECT_EQ(wmi.log[1],
                  "ConnectServer " + text + "|root\\CIMV2|" + text + "|" + text + "|||0");
        EXPECT_THAT(sink.userEntries, ElementsAre(text));
        EXPECT_EQ(table.Length(), 1u);

        // The same text as the message of a refused connection.
        ScriptedWmi refusing;
        refusing.FailCall("ConnectServer", text);
        Sink refused;
        TPIArray none;
        ScanProcesses(refusing, refused, text, text, text, none);
        EXPECT_THAT(refused.boxes, ElementsAre(Box(text, "2")));
        EXPECT_TRUE(refused.userEntries.empty());
        EXPECT_EQ(refusing.liveObjects, 0);
    }
}

TEST(HostileScanTest, ProcessIdOfTheWrongTypeConvertsOrEndsTheScanWithItsMessage) {
    const std::string convert = "Could not convert variant of type (String) into type (Int64)";
    struct Case {
        PropertyValue value;
        std::variant<uint32_t, std::string> outcome;  // the stored id, or the box's message
    };
    const Case cases[] = {
        {PropertyValue::FromText("abc"), convert},
        {PropertyValue::FromText(""), convert},
        {PropertyValue::FromText(" \t "), convert},
        {PropertyValue::FromText("18446744073709551616"),
         "Overflow while converting variant of type (String) into type (Int64)"},
        {PropertyValue::FromText("-1"), 4294967295u},
        {PropertyValue::FromText("4294967296"), 0u},  // the low 32 bits
        {PropertyValue::FromBoolean(true), 4294967295u},
        {PropertyValue::FromReal(3.7), 4u},
        {PropertyValue::FromReal(2.5), 2u},  // ties to even
        {PropertyValue::FromReal(1e300),
         "Overflow while converting variant of type (Double) into type (Int64)"},
        {PropertyValue::OfOtherType("Date"),
         "Could not convert variant of type (Date) into type (Int64)"},
    };
    for (const auto& [value, outcome] : cases) {
        SCOPED_TRACE(TypeName(value) + " " + value.text + " " + std::to_string(value.real));
        ScriptedWmi wmi;
        auto process = MakeProcess("odd.exe", 1);
        process.properties["ProcessID"] = value;
        wmi.processes = {process, MakeProcess("next.exe", 2)};
        Sink sink;
        TPIArray table;
        ScanProcesses(wmi, sink, "pc", "u", "p", table);
        if (const auto* id = std::get_if<uint32_t>(&outcome)) {
            EXPECT_TRUE(sink.boxes.empty());
            ASSERT_EQ(table.Length(), 2u);
            EXPECT_EQ(table[0].ProcessId, *id);
        } else {
            EXPECT_THAT(sink.boxes, ElementsAre(Box(std::get<std::string>(outcome), "8 0")));
            ASSERT_EQ(table.Length(), 1u);
            EXPECT_EQ(table[0].ProcessName, "odd.exe");
        }
        EXPECT_EQ(wmi.liveObjects, 0);
    }
}

// Found by fuzzing: the real conversion took "+-5" as -5, two signs where the integer conversion
// rightly refuses them.
TEST(HostileScanTest, TextWithTwoSignsIsNoNumberOfEitherKind) {
    for (const char* text : {"+-5", " +-9223372036854775807 ", "-+5", "++5", "--5"}) {
        SCOPED_TRACE(text);
        const PropertyValue value = PropertyValue::FromText(text);
        EXPECT_THROW(ToInt64(value), WmiError);
        try {
            ToReal(value);
            ADD_FAILURE() << "read as a real";
        } catch (const WmiError& error) {
            EXPECT_STREQ(error.what(),
                         "Could not convert variant of type (String) into type (Double)");
        }
    }
    EXPECT_EQ(ToReal(PropertyValue::FromText("+5")), 5.0);
    EXPECT_EQ(ToReal(PropertyValue::FromText("-5")), -5.0);
}

TEST(HostileScanTest, ProcessNamesOfAnyLengthAndCharacterAreKeptWhole) {
    const std::vector<std::string> names = {"", std::string(300, 'n'), "a&b#c%d+e f.exe",
                                            std::string("nul\0inside", 10), "\xFF\x80.exe"};
    ScriptedWmi wmi;
    for (size_t i = 0; i < names.size(); ++i) {
        wmi.processes.push_back(MakeProcess(names[i], static_cast<int32_t>(i)));
    }
    Sink sink;
    TPIArray table;
    ScanProcesses(wmi, sink, "pc", "u", "p", table);
    ASSERT_EQ(table.Length(), names.size());
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(table[i].ProcessName, names[i]);
}

TEST(HostileScanTest, NoProcessesAndAHundredThousandProcesses) {
    for (const size_t count : {size_t{0}, size_t{100000}}) {
        ScriptedWmi wmi;
        wmi.generatedProcesses = count;
        wmi.logCalls = false;
        Sink sink;
        TPIArray table;
        ScanProcesses(wmi, sink, "pc", "u", "p", table);
        EXPECT_TRUE(sink.boxes.empty());
        ASSERT_EQ(table.Length(), count);
        if (count == 0) continue;
        EXPECT_EQ(table[0].ProcessId, 0u);
        EXPECT_EQ(table[count - 1].ProcessId, count - 1);
        EXPECT_EQ(table[count - 1].ProcessName, "p" + std::to_string(count - 1) + ".exe");
        EXPECT_EQ(table[count - 1].CpuSeconds, 3u);
        EXPECT_EQ(wmi.liveObjects, 0);
    }
}

}  // namespace
}  // namespace brisklow
