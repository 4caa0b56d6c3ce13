#include <cstdio>
int main() { std::puts("varkel-cli"); return 0; }
