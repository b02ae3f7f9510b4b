#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "CodePage936.h"
#include "Md5Digest.h"

namespace {

// About 3 KB of the kind of text a stored record is sealed over.
std::string recordText() {
    std::string text;
    for (int row = 0; text.size() < 3072; ++row) {
        text += "|" + std::to_string(row % 2) + "|" + std::to_string(10 + row % 37) +
                "|2026-12-10 9:30:" + std::to_string(10 + row % 50) + "|" +
                std::to_string(1000 + row * 73) + "|" + std::to_string(row * 7 % 5);
    }
    return text.substr(0, 3072);
}

void BM_Md5DigestRecord3K(benchmark::State& state) {
    const std::string text = recordText();
    for (auto _ : state)
        benchmark::DoNotOptimize(qob::md5Digest(text));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Md5DigestRecord3K);

void BM_Md5DigestShortChinese(benchmark::State& state) {
    const std::string text = "|0|12|霁虹珠台|玩家小明|2026-12-10 9:30:12|3450|";
    qob::md5Digest(text);  // the code page tables are built once, outside the timing
    for (auto _ : state)
        benchmark::DoNotOptimize(qob::md5Digest(text));
}
BENCHMARK(BM_Md5DigestShortChinese);

void BM_FromCodePage936RandomBytes(benchmark::State& state) {
    std::mt19937 rng(1);
    std::string bytes(static_cast<std::size_t>(state.range(0)), '\0');
    for (auto& b : bytes)
        b = static_cast<char>(rng());
    qob::fromCodePage936("\x80");
    for (auto _ : state)
        benchmark::DoNotOptimize(qob::fromCodePage936(bytes));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FromCodePage936RandomBytes)->Arg(1 << 20);

}  // namespace
