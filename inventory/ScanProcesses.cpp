#include "inventory/ScanProcesses.h"

#include <exception>
#include <new>

#include "texts/TextFormat.h"
#include "texts/UiTexts.h"

namespace brisklow {
namespace {

constexpr const char* kNamespace = "root\\CIMV2";
constexpr const char* kProcessClass = "Win32_Process";
constexpr int32_t kImpersonate = 3;
constexpr int32_t kDebugPrivilege = 19;
constexpr int32_t kUseAmendedQualifiers = 0x20000;

uint32_t Low32(int64_t value) { return static_cast<uint32_t>(static_cast<uint64_t>(value)); }

// The properties that every process has; any failure here ends the scan.
void ReadIdentity(WmiPropertySet& properties, TProcesInformation& record) {
    auto readNumber = [&](const char* name, uint32_t& field) {
        const PropertyValue value = properties.Item(name, 0);
        if (!value.IsNull()) field = Low32(ToInt64(value));
    };
    auto readText = [&](const char* name, std::string& field) {
        const PropertyValue value = properties.Item(name, 0);
        if (!value.IsNull()) field = ToText(value);
    };
    readText("Name", record.ProcessName);
    readText("ExecutablePath", record.ExecutablePath);
    readNumber("ProcessID", record.ProcessId);
    readNumber("ParentProcessId", record.ParentProcessId);
    readNumber("SessionID", record.SessionId);
    readNumber("ThreadCount", record.ThreadCount);
    readNumber("Priority", record.Priority);
}

// Sizes and times, which a computer may refuse to hand out for some processes: a failure keeps
// what was stored before it and leaves the rest at zero.
void ReadUsage(WmiPropertySet& properties, TProcesInformation& record) {
    try {
        PropertyValue value = properties.Item("WorkingSetSize", 0);
        if (!value.IsNull()) {
            record.WorkingSetKB = WorkingSetKBFromBytes(static_cast<uint64_t>(ToInt64(value)));
        }
        value = properties.Item("HandleCount", 0);
        if (!value.IsNull()) record.HandleCount = Low32(ToInt64(value));
        value = properties.Item("UserModeTime", 0);
        if (!value.IsNull()) record.CpuSeconds = SecondsFromHundredNanoseconds(ToReal(value));
        value = properties.Item("KernelModeTime", 0);
        if (!value.IsNull()) record.CpuSeconds += SecondsFromHundredNanoseconds(ToReal(value));
    } catch (const std::exception&) {
        // Deliberately silent: the record keeps the values read so far.
    }
}

// The enumerator's next item, or none at the end of the list. A step that fails ends the list
// the same way, without a box, whatever the enumerator raised: the rows read before it stay and
// the user is still remembered. Running out of memory is no end of the list but a failure of the
// scan, shown like any other: a list cut short must not read as complete.
std::unique_ptr<WmiEnumItem> NextOrEnd(WmiEnumerator& processes) {
    try {
        return processes.Next();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void ScanProcesses(WmiAccess& wmi, ScanSink& sink, const std::string& computer,
                   const std::string& user, const std::string& password, TPIArray& table) {
    std::string stepMarker;
    int processCounter = 0;
    sink.SetStatusText(UiText(24));

    stepMarker = "1";
    std::unique_ptr<WmiLocator> locator = wmi.CreateLocator();

    stepMarker = "2";
    sink.SetStatusText(UiText(25) + computer + " ...");
    try {
        std::unique_ptr<WmiServices> services =
            locator->ConnectServer(computer, kNamespace, user, password, "", "", 0);
        stepMarker = "3";
        if (services) {
            stepMarker = "4";
            services->Security()->SetImpersonationLevel(kImpersonate);
            services->Security()->Privileges()->Add(kDebugPrivilege, true);

            stepMarker = "5";
            std::unique_ptr<WmiObject> processClass =
                services->Get(kProcessClass, kUseAmendedQualifiers);
            stepMarker = "6";
            std::unique_ptr<WmiEnumerator> processes = processClass->Instances(0)->NewEnum();
            stepMarker = "7";

            while (std::unique_ptr<WmiEnumItem> item = NextOrEnd(*processes)) {
                std::unique_ptr<WmiObject> process = item->QueryObject();
                std::unique_ptr<WmiPropertySet> properties = process->Properties();
                TProcesInformation& record = table.Append();
                stepMarker = "8 " + std::to_string(processCounter);
                ReadIdentity(*properties, record);
                ReadUsage(*properties, record);
                stepMarker = "9";
                ++processCounter;
            }
        }
        if (!sink.UserEntryExists(user)) sink.AppendUserEntry(user);
    } catch (const std::exception& error) {
        // The scan's WMI objects are released before the box is shown; the records read so far
        // stay.
        locator.reset();
        const std::string message = error.what();
        sink.ShowErrorBox(UiText(21) + "\r" + message + "\r" + "Code: " + stepMarker + "\r\r" +
                              FormatText(UiText(23), message),
                          UiText(22));
    }
}

}  // namespace brisklow
