#pragma once
// The last-chance barrier of a COM method: an exception that nothing else caught becomes the
// method's failure code, with its message left as the thread's error description.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <utility>

#include "platform/LastChance.h"

namespace brisklow {

// Leaves `description` (and `source`, when given) as the thread's error information, or clears it
// when `description` is null.
inline void SetThreadErrorInfo(const wchar_t* description, const wchar_t* source = nullptr) {
    if (!description) {
        SetErrorInfo(0, nullptr);
        return;
    }
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(&create))) return;
    create->SetDescription(const_cast<wchar_t*>(description));
    if (source) create->SetSource(const_cast<wchar_t*>(source));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

// Leaves `message` (UTF-8, or the ANSI code page's bytes when it is not UTF-8) as the thread's
// error description.
inline void SetErrorDescription(const std::string& message) {
    const auto length = static_cast<int>(message.size());
    UINT codePage = CP_UTF8;
    int wideLength =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, message.data(), length, nullptr, 0);
    if (wideLength <= 0 && length > 0) {
        codePage = CP_ACP;
        wideLength = MultiByteToWideChar(codePage, 0, message.data(), length, nullptr, 0);
    }
    std::wstring description(static_cast<size_t>(wideLength > 0 ? wideLength : 0), L'\0');
    if (wideLength > 0) {
        MultiByteToWideChar(codePage, 0, message.data(), length, description.data(), wideLength);
    }
    SetThreadErrorInfo(description.c_str());
}

// Runs a COM method's `body` and returns its result; an exception that leaves it answers
// E_OUTOFMEMORY for a failed allocation, else E_UNEXPECTED.
template <typename Body>
HRESULT ComLastChance(Body&& body) noexcept {
    return LastChance(
        std::forward<Body>(body),
        [](const CaughtError& error) {
            const HRESULT result = error.outOfMemory ? E_OUTOFMEMORY : E_UNEXPECTED;
            try {
                SetErrorDescription(error.message);
            } catch (...) {
                // No memory for the description: the code alone tells.
            }
            return result;
        },
        HRESULT{E_UNEXPECTED});
}

}  // namespace brisklow
