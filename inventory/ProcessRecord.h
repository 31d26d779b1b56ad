#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brisklow {

// What the program knows of one process, as raw numbers with units already converted.
struct TProcesInformation {
    std::string ProcessName;
    std::string ExecutablePath;
    uint32_t ProcessId = 0;
    uint32_t ParentProcessId = 0;
    uint32_t SessionId = 0;
    uint32_t ThreadCount = 0;
    uint32_t Priority = 0;
    uint32_t WorkingSetKB = 0;
    uint32_t HandleCount = 0;
    uint32_t CpuSeconds = 0;

    friend bool operator==(const TProcesInformation&, const TProcesInformation&) = default;
};

// The records of one scan, in the order WMI enumerated the processes.
class TPIArray {
  public:
    // Appends one all-default record and returns it for filling.
    TProcesInformation& Append() { return records_.emplace_back(); }
    size_t Length() const { return records_.size(); }
    TProcesInformation& operator[](size_t index) { return records_.at(index); }
    const TProcesInformation& operator[](size_t index) const { return records_.at(index); }
    void Clear() { records_.clear(); }

    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

  private:
    std::vector<TProcesInformation> records_;
};

// Working set in KiB from a byte count over the full unsigned 64-bit range, kept as its low 32
// bits.
uint32_t WorkingSetKBFromBytes(uint64_t bytes);

// Whole seconds from a time in 100-nanosecond units: divided as a real number and rounded to the
// nearest integer, ties to even; kept as the low 32 bits of the 64-bit result. A result outside
// the 64-bit range raises the overflow error.
uint32_t SecondsFromHundredNanoseconds(double hundredNanoseconds);

}  // namespace brisklow
