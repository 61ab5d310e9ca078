// Writes the manual page nyamo(6) at build time from the program's option
// tables, so that it cannot drift from what the program takes.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "platform/linux/program_help.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: nyamo-manual-page OUTPUT.6 YYYY-MM-DD\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << nyamo::linux_program::ManualPage(argv[2]);
    out.close();
    if (!out) {
        std::cerr << "nyamo-manual-page: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
