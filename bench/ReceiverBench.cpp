// Receiver collection and the mailto escaping over lists of 1 k to 1 M
// addresses. Both should grow linearly with the list.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "core/receivers/MailAddresses.h"
#include "core/receivers/ReceiverList.h"
#include "core/release/MailtoRequest.h"

namespace {

std::string PlainList(int addresses)
{
    std::string text;
    for (int i = 0; i < addresses; ++i)
        text += "receiver" + std::to_string(i) + "@example.org\n";
    return text;
}

void SetBytesAndAddresses(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.SetComplexityN(state.range(0));
}

void CollectPlainList(benchmark::State& state)
{
    const std::string text = PlainList(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CollectReceivers(text, 0));
    SetBytesAndAddresses(state, text.size());
}

// The floor to compare with: one plain pass over the same text that finds
// every separator and every "@", the least any collection has to do.
void ScanPlainList(benchmark::State& state)
{
    const std::string text = PlainList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::size_t marks = 0;
        for (const char c : text)
            marks += c == ' ' || c == ',' || c == ';' || c == '\t' || c == '\n' || c == '@';
        benchmark::DoNotOptimize(marks);
    }
    SetBytesAndAddresses(state, text.size());
}

// Addresses joined by a character that separates nothing: one run with
// every "@" of the list, left out whole.
void CollectUnseparatedList(benchmark::State& state)
{
    std::string text = PlainList(static_cast<int>(state.range(0)));
    std::replace(text.begin(), text.end(), '\n', '|');
    for (auto _ : state)
        benchmark::DoNotOptimize(CollectReceivers(text, 0));
    SetBytesAndAddresses(state, text.size());
}

void EscapeBccList(benchmark::State& state)
{
    const std::string bcc = CollectReceivers(PlainList(static_cast<int>(state.range(0))), 0).joined;
    for (auto _ : state)
        benchmark::DoNotOptimize(MailtoRequest("ada@example.org", bcc, "Smith & Sons"));
    SetBytesAndAddresses(state, bcc.size());
}

// The status line's count: selecting the receivers as a send does (an
// entry kept for each), against counting them without keeping any.
void SelectPlainList(benchmark::State& state)
{
    const std::string text = PlainList(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReceiverCountText(SelectReceivers(text)));
    SetBytesAndAddresses(state, text.size());
}

void CountPlainList(benchmark::State& state)
{
    const std::string text = PlainList(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReceiverCountText(CountReceivers(text)));
    SetBytesAndAddresses(state, text.size());
}

}  // namespace

BENCHMARK(SelectPlainList)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(CountPlainList)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(CollectPlainList)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ScanPlainList)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CollectUnseparatedList)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(EscapeBccList)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
