#include "Bench.h"

int main() { return bench::RunAll(); }
