// Stands in for the web browser in the end-to-end tests: appends the address it was asked to open
// (its one argument) as a line to the file that BRISKLOW_URL_LOG names.
#include <windows.h>

#include <fstream>

int main(int argc, char** argv) {
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("BRISKLOW_URL_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path || argc < 2) return 1;
    std::ofstream file(path, std::ios::binary | std::ios::app);
    file << argv[1] << '\n';
    file.close();
    return file ? 0 : 1;
}
