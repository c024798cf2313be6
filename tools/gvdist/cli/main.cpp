#include <iostream>

#include "base/interrupt.h"
#include "cli/cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    CatchInterrupts();
    const int status = RunGvdist(args, std::cout, std::cerr);
    EndIfInterrupted();
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "gvdist: cannot write the output\n";
        return 2;
    }
    return status;
}
