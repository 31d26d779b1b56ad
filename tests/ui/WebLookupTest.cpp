#include <gtest/gtest.h>

#include "ui/WebLookup.h"

namespace brisklow {
namespace {

TEST(WebLookupTest, FileNamePartFollowsTheLastBackslashOrColon) {
    EXPECT_EQ(FileNamePart("svchost.exe"), "svchost.exe");
    EXPECT_EQ(FileNamePart("C:\\Windows\\System32\\svchost.exe"), "svchost.exe");
    EXPECT_EQ(FileNamePart("C:svchost.exe"), "svchost.exe");
    EXPECT_EQ(FileNamePart("dir\\"), "");
}

TEST(WebLookupTest, SearchAddressRestrictsToTheInformationSite) {
    EXPECT_EQ(SearchAddressFor("svchost.exe"),
              "https://www.google.com/search?q=svchost.exe+site%3Adownloads.velmarch.example");
    EXPECT_EQ(SearchAddressFor("D:\\tools\\x.exe"),
              "https://www.google.com/search?q=x.exe+site%3Adownloads.velmarch.example");
}

TEST(WebLookupTest, HostileNamesCannotChangeTheQuery) {
    EXPECT_EQ(PercentEncodeQueryValue("a&b=c#d+e%f g"), "a%26b%3Dc%23d%2Be%25f%20g");
    EXPECT_EQ(PercentEncodeQueryValue("caf\xE9.exe"), "caf%C3%A9.exe");
    EXPECT_EQ(PercentEncodeQueryValue("\x80\x81"), "%E2%82%AC%C2%81");
    EXPECT_EQ(PercentEncodeQueryValue("-._~"), "-._~");
    EXPECT_EQ(PercentEncodeQueryValue(""), "");
}

}  // namespace
}  // namespace brisklow
