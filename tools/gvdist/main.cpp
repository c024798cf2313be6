// Seed entry point; the tool's commands replace it.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("gvdist %s\n", GV_VERSION);
        return 0;
    }
    std::fprintf(stderr, "gvdist: no command\n");
    return 1;
}
