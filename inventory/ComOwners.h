#pragma once
// Owners of the COM resources the WMI access hands around, and the translation of a failed call
// into the WmiError the user sees. Interfaces are owned by Microsoft::WRL::ComPtr.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <oleauto.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "inventory/WmiError.h"

namespace brisklow {

// Owns one BSTR. A wiping owner overwrites the characters before it frees them, for texts such as
// the password that must not linger in freed memory.
class UniqueBstr {
  public:
    enum class Wipe { No, Yes };

    UniqueBstr() = default;
    explicit UniqueBstr(BSTR owned, Wipe wipe = Wipe::No) noexcept : bstr_(owned), wipe_(wipe) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept
        : bstr_(std::exchange(other.bstr_, nullptr)), wipe_(other.wipe_) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        if (this != &other) {
            Reset();
            bstr_ = std::exchange(other.bstr_, nullptr);
            wipe_ = other.wipe_;
        }
        return *this;
    }
    ~UniqueBstr() { Reset(); }

    BSTR Get() const noexcept { return bstr_; }
    // Frees the current text and hands out the slot for a call that returns a new one.
    BSTR* Out() noexcept {
        Reset();
        return &bstr_;
    }
    UINT Length() const noexcept { return SysStringLen(bstr_); }
    std::wstring_view View() const noexcept { return {bstr_ ? bstr_ : L"", Length()}; }

    void Reset() noexcept {
        if (!bstr_) return;
        if (wipe_ == Wipe::Yes) SecureZeroMemory(bstr_, SysStringByteLen(bstr_));
        SysFreeString(bstr_);
        bstr_ = nullptr;
    }

  private:
    BSTR bstr_ = nullptr;
    Wipe wipe_ = Wipe::No;
};

// Owns one VARIANT; whatever it holds is released by VariantClear.
class UniqueVariant {
  public:
    UniqueVariant() noexcept { VariantInit(&variant_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&variant_); }

    const VARIANT& Get() const noexcept { return variant_; }
    // Clears the current value and hands out the slot for a call that fills a new one.
    VARIANT* Out() noexcept {
        VariantClear(&variant_);
        return &variant_;
    }

  private:
    VARIANT variant_;
};

namespace com_detail {

struct LocalFreeDeleter {
    void operator()(char* text) const noexcept { LocalFree(text); }
};

}  // namespace com_detail

// UTF-16 to the program's 8-bit texts, in the system's ANSI code page.
inline std::string NarrowFromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int wideLength = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

// The result code's text from the system's message table, empty when it has none.
inline std::string SystemMessageText(HRESULT result) {
    char* raw = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<LPSTR>(&raw), 0, nullptr);
    const std::unique_ptr<char, com_detail::LocalFreeDeleter> owned(raw);
    if (length == 0 || !owned) return {};
    return std::string(owned.get(), length);
}

// Takes the error object the failing call left on this thread, so that it cannot be mistaken for
// the description of a later failure; empty when there is none or it has no description.
inline std::string TakeErrorDescription() {
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info) return {};
    UniqueBstr description;
    if (FAILED(info->GetDescription(description.Out()))) return {};
    return NarrowFromWide(description.View());
}

// Drops any error object left on this thread by a call whose failure is not reported.
inline void DiscardErrorInfo() noexcept { SetErrorInfo(0, nullptr); }

[[noreturn]] inline void ThrowWmiError(HRESULT result) {
    const std::string description = TakeErrorDescription();
    throw WmiError(ComposeWmiErrorMessage(description, SystemMessageText(result),
                                          static_cast<int32_t>(result)));
}

// Raises the WmiError of a failed call; success passes.
inline void CheckResult(HRESULT result) {
    if (FAILED(result)) ThrowWmiError(result);
}

}  // namespace brisklow
