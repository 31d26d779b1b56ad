#include <gtest/gtest.h>

#include "platform/Windows1252.h"
#include "ui/WebLookup.h"

namespace brisklow {
namespace {

TEST(WebLookupTest, FileNamePartFollowsTheLastBackslashOrColon) {
    EXPECT_EQ(FileNamePart(u"svchost.exe"), u"svchost.exe");
    EXPECT_EQ(FileNamePart(u"C:\\Windows\\System32\\svchost.exe"), u"svchost.exe");
    EXPECT_EQ(FileNamePart(u"C:svchost.exe"), u"svchost.exe");
    EXPECT_EQ(FileNamePart(u"dir\\"), u"");
}

TEST(WebLookupTest, SearchAddressRestrictsToTheInformationSite) {
    EXPECT_EQ(SearchAddressFor(u"svchost.exe"),
              "https://www.google.com/search?q=svchost.exe+site%3Adownloads.velmarch.example");
    EXPECT_EQ(SearchAddressFor(u"D:\\tools\\x.exe"),
              "https://www.google.com/search?q=x.exe+site%3Adownloads.velmarch.example");
}

TEST(WebLookupTest, HostileNamesCannotChangeTheQuery) {
    EXPECT_EQ(PercentEncodeQueryValue(u"a&b=c#d+e%f g"), "a%26b%3Dc%23d%2Be%25f%20g");
    EXPECT_EQ(PercentEncodeQueryValue(Windows1252ToUtf16("caf\xE9.exe")), "caf%C3%A9.exe");
    EXPECT_EQ(PercentEncodeQueryValue(Windows1252ToUtf16("\x80\x81")), "%E2%82%AC%C2%81");
    EXPECT_EQ(PercentEncodeQueryValue(u"-._~"), "-._~");
    EXPECT_EQ(PercentEncodeQueryValue(u""), "");
    // Names from other code pages: three-byte characters, a pair of surrogates, a lone one.
    EXPECT_EQ(PercentEncodeQueryValue(u"\uBA54\uBAA8\uC7A5.exe"),
              "%EB%A9%94%EB%AA%A8%EC%9E%A5.exe");
    EXPECT_EQ(PercentEncodeQueryValue(u"\U0001F600"), "%F0%9F%98%80");
    EXPECT_EQ(PercentEncodeQueryValue(std::u16string{u'a', char16_t{0xDC00}, char16_t{0xD800}}),
              "a%EF%BF%BD%EF%BF%BD");
}

}  // namespace
}  // namespace brisklow
