#pragma once
/// main() of the benchmark programs that draw widgets: an offscreen QApplication around the
/// registered benchmarks.

#include <benchmark/benchmark.h>

#include <QApplication>

#define QUILLON_QT_BENCHMARK_MAIN()              \
    int main(int argc, char** argv) {            \
        qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);            \
        benchmark::Initialize(&argc, argv);      \
        benchmark::RunSpecifiedBenchmarks();     \
        benchmark::Shutdown();                   \
        return 0;                                \
    }
