// Holds a file open the way a word processor does, so that end-to-end tests can search a folder
// while another process has one of its documents: opens FILE with no sharing, says "held" on
// standard output, and keeps it until standard input ends.
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::cerr << "usage: kalvor_hold_file FILE\n";
        return 2;
    }
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::cerr << "kalvor_hold_file: cannot open, error " << GetLastError() << '\n';
        return 1;
    }
    std::cout << "held" << std::endl;
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    CloseHandle(file);
    return 0;
}
