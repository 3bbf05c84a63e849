// Items per second written to and read from a bit stream.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "vornet/vornet_bitstream.h"

namespace {

constexpr int itemsPerPass = 1000;

// A writer and a reader of one kind of item; the offset bits in front make
// every item start off a byte boundary.
struct ItemKind {
    unsigned offsetBits;
    void (*write)(VNet_BitStream&, int);
    void (*read)(VNet_BitStream&);
};

void writeInt32(VNet_BitStream& s, int i)
{
    s.addInt(static_cast<unsigned>(i) * 2654435761u, 32);
}

void readInt32(VNet_BitStream& s)
{
    benchmark::DoNotOptimize(s.getInt(32));
}

void writeInt13(VNet_BitStream& s, int i)
{
    s.addInt(static_cast<unsigned>(i), 13);
}

void readInt13(VNet_BitStream& s)
{
    benchmark::DoNotOptimize(s.getInt(13));
}

void writeBool(VNet_BitStream& s, int i)
{
    s.addBool(i & 1);
}

void readBool(VNet_BitStream& s)
{
    benchmark::DoNotOptimize(s.getBool());
}

void writeFloat(VNet_BitStream& s, int i)
{
    s.addFloat(static_cast<float>(i) * 0.37f, 23);
}

void readFloat(VNet_BitStream& s)
{
    benchmark::DoNotOptimize(s.getFloat(23));
}

void writeString(VNet_BitStream& s, int)
{
    s.addString("player_name_0042");
}

void readString(VNet_BitStream& s)
{
    char out[32];
    s.getString(out, sizeof(out));
    benchmark::DoNotOptimize(out);
}

const ItemKind alignedInts{0, writeInt32, readInt32};
const ItemKind unalignedInts{3, writeInt13, readInt13};
const ItemKind bools{0, writeBool, readBool};
const ItemKind alignedFloats{0, writeFloat, readFloat};
const ItemKind unalignedFloats{5, writeFloat, readFloat};
const ItemKind alignedStrings{0, writeString, readString};
const ItemKind unalignedStrings{1, writeString, readString};

void startAt(VNet_BitStream& stream, unsigned offsetBits)
{
    stream.restoreWriteState({0, 0});
    stream.resetReadState();
    for (unsigned i = 0; i < offsetBits; ++i) stream.addBool(false);
}

void fill(VNet_BitStream& stream, const ItemKind& kind)
{
    startAt(stream, kind.offsetBits);
    for (int i = 0; i < itemsPerPass; ++i) kind.write(stream, i);
}

void Write(benchmark::State& state, const ItemKind& kind)
{
    VNet_BitStream stream(8192);
    for (auto _ : state) {
        fill(stream, kind);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * itemsPerPass);
}

void Read(benchmark::State& state, const ItemKind& kind)
{
    VNet_BitStream stream(8192);
    fill(stream, kind);
    for (auto _ : state) {
        stream.resetReadState();
        for (unsigned i = 0; i < kind.offsetBits; ++i) stream.getBool();
        for (int i = 0; i < itemsPerPass; ++i) kind.read(stream);
    }
    state.SetItemsProcessed(state.iterations() * itemsPerPass);
}

// A typical replication record, repeated: a flag, two small counts, a full
// word and a state of a few bits. The stream is written and serialised as a
// datagram payload, or taken from one and read; the counter is the time per
// item.
constexpr int recordsPerStream = 40;
constexpr int itemsPerRecord = 5;
constexpr int mixedItems = recordsPerStream * itemsPerRecord;
constexpr unsigned short payloadBytes = 1024;

void writeRecords(VNet_BitStream& stream)
{
    for (int i = 0; i < recordsPerStream; ++i) {
        const auto value = static_cast<unsigned>(i) * 2654435761u;
        stream.addBool(i & 1);
        stream.addInt(value, 10);
        stream.addInt(value >> 7, 16);
        stream.addInt(value, 32);
        stream.addInt(value >> 3, 3);
    }
}

unsigned readRecords(VNet_BitStream& stream)
{
    unsigned sum = 0;
    for (int i = 0; i < recordsPerStream; ++i) {
        sum += stream.getBool();
        sum += stream.getInt(10);
        sum += stream.getInt(16);
        sum += stream.getInt(32);
        sum += stream.getInt(3);
    }
    return sum;
}

void setTimePerItem(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * mixedItems);
    state.counters["time_per_item"] =
        benchmark::Counter(mixedItems, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void WriteMixed(benchmark::State& state)
{
    VNet_BitStream stream(payloadBytes);
    char payload[payloadBytes];
    for (auto _ : state) {
        stream.restoreWriteState({0, 0});
        writeRecords(stream);
        unsigned short size = payloadBytes;
        stream.Serialize(payload, &size, payloadBytes);
        benchmark::DoNotOptimize(payload);
        benchmark::ClobberMemory();
    }
    setTimePerItem(state);
}

void ReadMixed(benchmark::State& state)
{
    VNet_BitStream written(payloadBytes);
    writeRecords(written);
    char payload[payloadBytes];
    unsigned short size = payloadBytes;
    written.Serialize(payload, &size, payloadBytes);
    VNet_BitStream stream(0);
    for (auto _ : state) {
        stream.Deserialize(payload, size);
        stream.resetReadState();
        benchmark::DoNotOptimize(readRecords(stream));
    }
    setTimePerItem(state);
}

BENCHMARK(WriteMixed);
BENCHMARK(ReadMixed);
BENCHMARK_CAPTURE(Write, aligned_int32, alignedInts);
BENCHMARK_CAPTURE(Read, aligned_int32, alignedInts);
BENCHMARK_CAPTURE(Write, unaligned_int13, unalignedInts);
BENCHMARK_CAPTURE(Read, unaligned_int13, unalignedInts);
BENCHMARK_CAPTURE(Write, bool, bools);
BENCHMARK_CAPTURE(Read, bool, bools);
BENCHMARK_CAPTURE(Write, aligned_float23, alignedFloats);
BENCHMARK_CAPTURE(Read, aligned_float23, alignedFloats);
BENCHMARK_CAPTURE(Write, unaligned_float23, unalignedFloats);
BENCHMARK_CAPTURE(Read, unaligned_float23, unalignedFloats);
BENCHMARK_CAPTURE(Write, aligned_string16, alignedStrings);
BENCHMARK_CAPTURE(Read, aligned_string16, alignedStrings);
BENCHMARK_CAPTURE(Write, unaligned_string16, unalignedStrings);
BENCHMARK_CAPTURE(Read, unaligned_string16, unalignedStrings);

}  // namespace
