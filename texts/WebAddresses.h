#pragma once
// Every web address the program knows, in one place. They are macros so that the text table can
// splice the maker's home page into the balloon text at compile time.

// The maker's home page, written into the first link of the balloon text (the link itself opens
// the product page below).
#define BRISKLOW_MAKER_HOME_PAGE "https://www.velmarch.example/"

namespace brisklow::web {

// The page of the product that the details balloon advertises; `ref` tells the maker where the
// visitor came from.
inline constexpr const char* kProductPage = "https://www.velmarch.example/produto/?ref=brisklow";

// The program's information page on the download site, and that site's domain, which restricts
// the web search for a process.
inline constexpr const char* kInfoPage = "https://downloads.velmarch.example/brisklow/";
inline constexpr const char* kInfoPageDomain = "downloads.velmarch.example";

// The public web search; the query value follows `q=`.
inline constexpr const char* kSearchPage = "https://www.google.com/search?q=";

}  // namespace brisklow::web
