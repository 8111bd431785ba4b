#pragma once

// The main() the data benchmarks share: the Qt application they need, a private folder for the
// files they make, then Google Benchmark.
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace velmora::bench {

// Where a benchmark makes its files; set while the benchmarks run.
inline QTemporaryDir *workDir = nullptr;

template<class Application>
int run(int argc, char **argv)
{
    Application app(argc, argv);
    QTemporaryDir dir;
    workDir = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    workDir = nullptr;
    return 0;
}

} // namespace velmora::bench
