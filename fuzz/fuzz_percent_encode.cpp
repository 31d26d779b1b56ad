// The search address's query value for fuzzed Windows-1252 names, read with the program's own
// code page table: only unreserved characters and %XX in it, decoding back to the name in UTF-8
// (taken from the C library's converter), and a search address that the name cannot break.
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>

#include <array>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "platform/Windows1252.h"
#include "ui/WebLookup.h"

namespace {

bool IsUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower-case digits are not what the encoder writes
}

// Each byte's UTF-8 by the system's Windows-1252 converter; the bytes it leaves undefined stand
// for the C1 control of the same number.
const std::array<std::string, 256>& Utf8Table() {
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> result;
        iconv_t converter = iconv_open("UTF-8", "WINDOWS-1252");
        FUZZ_CHECK(converter != reinterpret_cast<iconv_t>(-1));
        for (int byte = 0; byte < 256; ++byte) {
            char in[1] = {static_cast<char>(byte)};
            char out[8] = {};
            char* inPointer = in;
            char* outPointer = out;
            size_t inLeft = 1, outLeft = sizeof out;
            if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) ==
                static_cast<size_t>(-1)) {
                result[byte] = {static_cast<char>(0xC2), static_cast<char>(byte)};
                iconv(converter, nullptr, nullptr, nullptr, nullptr);
            } else {
                result[byte].assign(out, static_cast<size_t>(outPointer - out));
            }
        }
        iconv_close(converter);
        return result;
    }();
    return table;
}

std::string Decode(const std::string& encoded) {
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            FUZZ_CHECK(IsUnreserved(encoded[i]));
            decoded += encoded[i];
            continue;
        }
        FUZZ_CHECK(i + 2 < encoded.size());
        const int high = HexValue(encoded[i + 1]);
        const int low = HexValue(encoded[i + 2]);
        FUZZ_CHECK(high >= 0 && low >= 0);
        const char byte = static_cast<char>(high * 16 + low);
        FUZZ_CHECK(!IsUnreserved(byte));  // unreserved bytes stand for themselves
        decoded += byte;
        i += 2;
    }
    return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string name = input.ConsumeRemainingBytesAsString();

    std::string utf8;
    for (unsigned char byte : name) utf8 += Utf8Table()[byte];
    const std::u16string decoded = brisklow::Windows1252ToUtf16(name);
    const std::string encoded = brisklow::PercentEncodeQueryValue(decoded);
    FUZZ_CHECK(Decode(encoded) == utf8);

    // The search address: one query, its value the encoded file-name part before the site joint.
    const std::string address = brisklow::SearchAddressFor(decoded);
    const std::string joint = "+site%3A";
    FUZZ_CHECK(address.find('?') == address.rfind('?'));
    FUZZ_CHECK(address.find('#') == std::string::npos && address.find(' ') == std::string::npos);
    const size_t value = address.find("?q=") + 3;
    FUZZ_CHECK(value != 2);
    const size_t end = address.rfind(joint);
    FUZZ_CHECK(end != std::string::npos && end >= value);
    const std::string query = address.substr(value, end - value);
    FUZZ_CHECK(query.find_first_of("&#+ ?=") == std::string::npos);
    const size_t cut = name.find_last_of("\\:");
    FUZZ_CHECK(query == brisklow::PercentEncodeQueryValue(brisklow::Windows1252ToUtf16(
                            cut == std::string::npos ? name : name.substr(cut + 1))));
    return 0;
}
