#pragma once
// The last-chance barrier of a COM method: an exception that nothing else caught becomes the
// method's failure code, with its message left as the thread's error description.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <oleauto.h>

#include <string>
#include <utility>

#include "platform/LastChance.h"

namespace brisklow {

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
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return;
    create->SetDescription(description.data());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
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
