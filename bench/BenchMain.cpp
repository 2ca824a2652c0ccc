#include "Bench.h"

int main(int argc, char** argv) { return bench::RunAll(argc > 1 ? argv[1] : nullptr); }
