#include <cstdio>

int main() {
    std::puts("ZEB: the game shell is not built yet.");
    return 0;
}
