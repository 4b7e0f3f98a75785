// Program entry point.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argc; (void)argv;
    std::printf("qumbra: NC program simulator and verifier\n");
    return 0;
}
