// Stands in for the web browser in the end-to-end tests: appends the address it was asked to open
// (its one argument) as a line to the file that BRISKLOW_URL_LOG names.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* path = std::getenv("BRISKLOW_URL_LOG");
    if (!path || argc < 2) return 1;
    std::FILE* file = std::fopen(path, "ab");
    if (!file) return 1;
    std::fprintf(file, "%s\n", argv[1]);
    return std::fclose(file) == 0 ? 0 : 1;
}
