// Placeholder main program; replaced below once the foundation exists.
#include <cstdio>
int main() { std::puts("vexdraw"); return 0; }
