#include "ui/ProcessRow.h"

#include "ui/CpuTimeFormat.h"

namespace brisklow {

std::vector<std::string> FormatProcessRow(const TProcesInformation& record,
                                          const LongTimeFormat& timeFormat) {
    return {
        record.ProcessName,
        record.ExecutablePath,
        std::to_string(record.ProcessId),
        std::to_string(record.ParentProcessId),
        std::to_string(record.WorkingSetKB) + " K",
        FormatCpuTime(record.CpuSeconds, timeFormat),
        std::to_string(record.HandleCount),
        std::to_string(record.SessionId),
        std::to_string(record.ThreadCount),
        std::to_string(record.Priority),
    };
}

}  // namespace brisklow
