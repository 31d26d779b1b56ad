#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "wmi_standin/simulation/NetworkFile.h"

namespace brisklow::wmi_standin {
namespace {

using ::testing::HasSubstr;

std::string ErrorOf(const std::string& json) {
    try {
        ParseNetwork(json);
    } catch (const NetworkFileError& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error for " << json;
    return {};
}

// One computer whose only process carries `properties` (a JSON object's inner text).
Process OnlyProcess(const std::string& properties) {
    const Network network =
        ParseNetwork(R"({"computers":[{"name":"A","processes":[{)" + properties + "}]}]}");
    EXPECT_EQ(network.computers.size(), 1u);
    EXPECT_EQ(network.computers.at(0).processes.size(), 1u);
    return network.computers.at(0).processes.at(0);
}

TEST(NetworkFileTest, ReadsAComputerWithAccountsFailuresAndProcesses) {
    const Network network = ParseNetwork(R"({ "computers": [ {
        "name": "SRV-FILES",
        "accounts": [ { "user": "admin", "password": "s3cret" } ],
        "failures": [ { "call": "Get", "hresult": "0x80041003", "description": "Access denied " },
                      { "call": "Item:ThreadCount", "hresult": "80041001", "atProcess": 7 } ],
        "enumFailAfter": 5,
        "holdConnectUntil": "brisklow-hold",
        "generate": 10,
        "processes": [ { "Name": "smss.exe", "ExecutablePath": null, "ProcessID": 4,
                         "WorkingSetSize": "3221225472",
                         "failures": [ { "property": "HandleCount", "hresult": "0x80041002" } ] } ]
    } ] })");
    ASSERT_EQ(network.computers.size(), 1u);
    const Computer& computer = network.computers[0];
    EXPECT_EQ(computer.name, u"SRV-FILES");
    ASSERT_TRUE(computer.accounts.has_value());
    ASSERT_EQ(computer.accounts->size(), 1u);
    EXPECT_EQ(computer.accounts->at(0).user, u"admin");
    EXPECT_EQ(computer.accounts->at(0).password, u"s3cret");
    ASSERT_EQ(computer.failures.size(), 2u);
    EXPECT_EQ(computer.failures[0].call, "Get");
    EXPECT_EQ(computer.failures[0].result, 0x80041003u);
    EXPECT_EQ(computer.failures[0].description, u"Access denied ");
    EXPECT_EQ(computer.failures[0].atProcess, std::nullopt);
    EXPECT_EQ(computer.failures[1].call, "Item:ThreadCount");
    EXPECT_EQ(computer.failures[1].result, 0x80041001u);
    EXPECT_EQ(computer.failures[1].description, std::nullopt);
    EXPECT_EQ(computer.failures[1].atProcess, 7u);
    EXPECT_EQ(computer.enumFailAfter, 5u);
    EXPECT_EQ(computer.generate, 10u);
    EXPECT_EQ(computer.holdConnectUntil, u"brisklow-hold");
    ASSERT_EQ(computer.processes.size(), 1u);
    const Process& smss = computer.processes[0];
    EXPECT_EQ(smss.properties.size(), 4u);
    EXPECT_EQ(smss.properties.at("Name"), Value::Text(u"smss.exe"));
    EXPECT_EQ(smss.properties.at("ExecutablePath"), Value::Null());
    EXPECT_EQ(smss.properties.at("ProcessID"), Value::Int32(4));
    EXPECT_EQ(smss.properties.at("WorkingSetSize"), Value::Text(u"3221225472"));
    ASSERT_EQ(smss.failures.size(), 1u);
    EXPECT_EQ(smss.failures[0].call, "Item:HandleCount");
    EXPECT_EQ(smss.failures[0].result, 0x80041002u);
}

TEST(NetworkFileTest, OptionalPartsMayBeLeftOut) {
    const Network network = ParseNetwork(R"({"computers":[{"name":"bare"}]})");
    ASSERT_EQ(network.computers.size(), 1u);
    const Computer& computer = network.computers[0];
    EXPECT_FALSE(computer.accounts.has_value());
    EXPECT_TRUE(computer.failures.empty());
    EXPECT_FALSE(computer.enumFailAfter.has_value());
    EXPECT_EQ(computer.generate, 0u);
    EXPECT_TRUE(computer.processes.empty());
}

TEST(NetworkFileTest, IntegersBecome32BitValuesAndLargeUnsignedOnesKeepTheirBits) {
    const Process process = OnlyProcess(
        R"("ProcessID": -2147483648, "ParentProcessId": 2147483648, "SessionID": 4294967295,
           "ThreadCount": 0, "Priority": 2147483647)");
    EXPECT_EQ(process.properties.at("ProcessID"), Value::Int32(INT32_MIN));
    EXPECT_EQ(process.properties.at("ParentProcessId"), Value::Int32(INT32_MIN));
    EXPECT_EQ(process.properties.at("SessionID"), Value::Int32(-1));
    EXPECT_EQ(process.properties.at("ThreadCount"), Value::Int32(0));
    EXPECT_EQ(process.properties.at("Priority"), Value::Int32(INT32_MAX));
}

TEST(NetworkFileTest, IntegersOutsideThe32BitRangesAreRefused) {
    EXPECT_THAT(ErrorOf(R"({"computers":[{"name":"A","processes":[{"ProcessID":4294967296}]}]})"),
                HasSubstr("computers[0].processes[0].ProcessID"));
    EXPECT_THAT(ErrorOf(R"({"computers":[{"name":"A","processes":[{"ProcessID":-2147483649}]}]})"),
                HasSubstr("decimal text"));
}

TEST(NetworkFileTest, RealsBooleansAndTextsKeepTheirKinds) {
    const Process process =
        OnlyProcess(R"("UserModeTime": 2.5e7, "Priority": true, "SessionID": false,
                       "Name": "caf\u00e9 \ud83d\ude00.exe", "ExecutablePath": "C:\\x\u00e9")");
    EXPECT_EQ(process.properties.at("UserModeTime"), Value::Real(25000000.0));
    EXPECT_EQ(process.properties.at("Priority"), Value::Boolean(true));
    EXPECT_EQ(process.properties.at("SessionID"), Value::Boolean(false));
    EXPECT_EQ(process.properties.at("Name"), Value::Text(u"caf\u00e9 \U0001F600.exe"));
    EXPECT_EQ(process.properties.at("ExecutablePath"), Value::Text(u"C:\\x\u00e9"));
}

TEST(NetworkFileTest, ObjectsAndArraysAreNoValues) {
    EXPECT_THAT(ErrorOf(R"({"computers":[{"name":"A","processes":[{"Name":[1]}]}]})"),
                HasSubstr("processes[0].Name: must be null, a number, a string or true/false"));
}

TEST(NetworkFileTest, UnknownKeysAndPropertiesAreReportedWithTheirPlace) {
    EXPECT_THAT(ErrorOf(R"({"computers":[{"name":"A","acounts":[]}]})"),
                HasSubstr("computers[0]: unknown key \"acounts\""));
    EXPECT_THAT(ErrorOf(R"({"computers":[{"name":"A","processes":[{"Threads":3}]}]})"),
                HasSubstr("computers[0].processes[0]: unknown key \"Threads\""));
    EXPECT_THAT(ErrorOf(R"({"computers":[],"extra":1})"), HasSubstr("unknown key \"extra\""));
}

TEST(NetworkFileTest, FailuresNeedAKnownCallAndAHexadecimalCode) {
    EXPECT_THAT(
        ErrorOf(R"({"computers":[{"name":"A","failures":[{"call":"Fetch","hresult":"1"}]}]})"),
        HasSubstr("computers[0].failures[0].call: \"Fetch\" is no call"));
    EXPECT_THAT(
        ErrorOf(R"({"computers":[{"name":"A","failures":[{"call":"Item:Size","hresult":"1"}]}]})"),
        HasSubstr("\"Item:Size\" is no call"));
    EXPECT_THAT(
        ErrorOf(R"({"computers":[{"name":"A","failures":[{"call":"Get","hresult":"0xZZ"}]}]})"),
        HasSubstr("hresult: \"0xZZ\" is no result code"));
    EXPECT_THAT(ErrorOf(R"({"computers":[{"name":"A","failures":[{"call":"Get"}]}]})"),
                HasSubstr("\"hresult\" is missing"));
    EXPECT_THAT(
        ErrorOf(
            R"({"computers":[{"name":"A","failures":[{"call":"Get","hresult":"1","atProcess":2}]}]})"),
        HasSubstr("\"Get\" is not made once per process"));
    EXPECT_THAT(
        ErrorOf(
            R"({"computers":[{"name":"A","processes":[{"failures":[{"property":"Size","hresult":"1"}]}]}]})"),
        HasSubstr("\"Size\" is no process property"));
}

TEST(NetworkFileTest, EveryScriptedCallOfTheScanIsAccepted) {
    for (const char* call : {"ConnectServer", "get_Security_", "put_ImpersonationLevel",
                             "get_Privileges", "Add", "Get", "Instances_", "get__NewEnum",
                             "QueryInterface:IEnumVARIANT", "QueryInterface:ISWbemObject",
                             "get_Properties_", "Next", "Item:KernelModeTime", "get_Value:Name"}) {
        SCOPED_TRACE(call);
        const Network network = ParseNetwork(R"({"computers":[{"name":"A","failures":[{"call":")" +
                                             std::string(call) + R"(","hresult":"0x1"}]}]})");
        EXPECT_EQ(network.computers.at(0).failures.at(0).call, call);
    }
}

TEST(NetworkFileTest, TextThatIsNoJsonGivesTheParsersPlaceWithoutItsPrefix) {
    const std::string error = ErrorOf("{\n  \"computers\": [ x ]\n}");
    EXPECT_THAT(error, HasSubstr("line 2"));
    EXPECT_EQ(error.find("[json.exception"), std::string::npos) << error;
}

TEST(NetworkFileTest, ANetworkNeedsItsComputersAndEachComputerItsName) {
    EXPECT_THAT(ErrorOf("{}"), HasSubstr("\"computers\" is missing"));
    EXPECT_THAT(ErrorOf("[]"), HasSubstr("must be an object"));
    EXPECT_THAT(ErrorOf(R"({"computers":[{}]})"), HasSubstr("computers[0]: \"name\" is missing"));
}

TEST(NetworkFileTest, ComputerNamesMatchWithoutRegardToCase) {
    const Network network =
        ParseNetwork(R"({"computers":[{"name":"SRV-FILES"},{"name":"Jo\u00e3o-PC"}]})");
    EXPECT_EQ(FindComputer(network, u"srv-files"), &network.computers[0]);
    EXPECT_EQ(FindComputer(network, u"JO\u00c3O-pc"), &network.computers[1]);
    EXPECT_EQ(FindComputer(network, u"NOWHERE"), nullptr);
    EXPECT_EQ(FindComputer(network, u"SRV-FILE"), nullptr);
}

TEST(NetworkFileTest, LocalNamesAreEmptyDotLocalhostAndTheComputersOwn) {
    EXPECT_TRUE(IsLocalName(u"", u"BOX"));
    EXPECT_TRUE(IsLocalName(u".", u"BOX"));
    EXPECT_TRUE(IsLocalName(u"LocalHost", u"BOX"));
    EXPECT_TRUE(IsLocalName(u"box", u"BOX"));
    EXPECT_FALSE(IsLocalName(u"..", u"BOX"));
    EXPECT_FALSE(IsLocalName(u"BOX2", u"BOX"));
    EXPECT_FALSE(IsLocalName(u"SRV", u""));
}

TEST(NetworkFileTest, AccountsLetInTheirUsersAndTheCallersOwnLogon) {
    Computer computer;
    EXPECT_TRUE(AccountAccepted(computer, u"anyone", u"anything"));
    computer.accounts = std::vector<Account>{{u"admin", u"s3cret"}};
    EXPECT_TRUE(AccountAccepted(computer, u"admin", u"s3cret"));
    EXPECT_TRUE(AccountAccepted(computer, u"ADMIN", u"s3cret"));
    EXPECT_TRUE(AccountAccepted(computer, u"", u""));
    EXPECT_FALSE(AccountAccepted(computer, u"admin", u"S3CRET"));
    EXPECT_FALSE(AccountAccepted(computer, u"admin", u""));
    EXPECT_FALSE(AccountAccepted(computer, u"", u"s3cret"));
    EXPECT_FALSE(AccountAccepted(computer, u"guest", u"s3cret"));
    computer.accounts->clear();
    EXPECT_FALSE(AccountAccepted(computer, u"admin", u"s3cret"));
    EXPECT_TRUE(AccountAccepted(computer, u"", u""));
}

TEST(NetworkFileTest, GeneratedProcessesAreTheSameForTheSameIndex) {
    const Process first = GeneratedProcess(0);
    EXPECT_EQ(first.properties.size(), std::size(kProcessProperties));
    for (const char* name : kProcessProperties) EXPECT_EQ(first.properties.count(name), 1u) << name;
    EXPECT_EQ(first.properties.at("Name"), Value::Text(u"proc00001.exe"));
    EXPECT_EQ(first.properties.at("ExecutablePath"),
              Value::Text(u"C:\\Program Files\\Generated\\proc00001.exe"));
    EXPECT_EQ(first.properties.at("ProcessID"), Value::Int32(1000));
    EXPECT_EQ(first.properties.at("ParentProcessId"), Value::Int32(4));
    const Process last = GeneratedProcess(99999);
    EXPECT_EQ(last.properties.at("Name"), Value::Text(u"proc100000.exe"));
    EXPECT_EQ(last.properties.at("ProcessID"), Value::Int32(1000 + 4 * 99999));
    EXPECT_EQ(last.properties.at("WorkingSetSize").kind, Value::Kind::Text);
    EXPECT_EQ(GeneratedProcess(1234).properties, GeneratedProcess(1234).properties);
    EXPECT_NE(GeneratedProcess(1234).properties.at("ProcessID"),
              GeneratedProcess(1235).properties.at("ProcessID"));
}

TEST(NetworkFileTest, Utf8BecomesUtf16AndBrokenBytesTheReplacementCharacter) {
    EXPECT_EQ(Utf16FromUtf8("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), u"a\u00e9\u20ac\U0001F600");
    EXPECT_EQ(Utf16FromUtf8("\xc3"), u"\uFFFD");
    EXPECT_EQ(Utf16FromUtf8("\xc0\xaf"), u"\uFFFD\uFFFD");              // overlong
    EXPECT_EQ(Utf16FromUtf8("\xed\xa0\x80x"), u"\uFFFD\uFFFD\uFFFDx");  // a surrogate
    EXPECT_EQ(Utf16FromUtf8(""), u"");
}

}  // namespace
}  // namespace brisklow::wmi_standin
