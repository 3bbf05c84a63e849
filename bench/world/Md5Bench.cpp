// Digest throughput on 64 KiB blocks, the size of a middling map file.
#include "editor/world/Md5.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void md5Blocks(benchmark::State& state)
{
    std::vector<unsigned char> block(64 * 1024);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>(i * 131 + (i >> 9));
    Md5Context context;
    for (auto _ : state) {
        md5Init(context);
        md5Update(context, block.data(), static_cast<uint32_t>(block.size()));
        md5Final(context);
        benchmark::DoNotOptimize(context.digest);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
}
BENCHMARK(md5Blocks);

}  // namespace
