// A document with a 10 MB receivers field written and read back, against
// the floor of plain stdio writing the same bytes and reading them into
// memory. Both write through to the disk (fsync), as a save must.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "core/documents/DocumentFormat.h"
#include "core/files/SafeFileWriter.h"

namespace {

FormValues LargeForm()
{
    FormValues form;
    form.productName = "Notely";
    form.featuresText = "Takes notes fast.\nSyncs them everywhere.";
    while (form.receivers.size() < 10'000'000)
        form.receivers += "receiver" + std::to_string(form.receivers.size()) + "@example.org\n";
    return form;
}

std::string ScratchPath() { return (std::filesystem::temp_directory_path() / "vantrel-bench.pre").string(); }

void DocumentWriteAndRead(benchmark::State& state)
{
    const FormValues form = LargeForm();
    const std::string path = ScratchPath();
    std::size_t bytesWritten = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteFileAtomically(
            path, [&](const PutPiece& put) { return WriteDocumentPieces(form, 3, put); }));
        Result<std::string> read = ReadWholeFile(path, kMaxDocumentBytes);
        bytesWritten = read->size();
        benchmark::DoNotOptimize(ReadDocumentTakingBytes(*std::move(read)));
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytesWritten));
}

void StdioWriteAndRead(benchmark::State& state)
{
    const std::string bytes = WriteDocumentBytes(LargeForm(), 3);
    const std::string path = ScratchPath();
    for (auto _ : state) {
        std::string read(bytes.size(), '\0');  // a file read into memory needs its room
        FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fflush(out);
        fsync(fileno(out));
        std::fclose(out);
        FILE* in = std::fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(read.data(), 1, read.size(), in));
        std::fclose(in);
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// The conversions alone, without the disk.
void DocumentBytesBothWays(benchmark::State& state)
{
    const FormValues form = LargeForm();
    for (auto _ : state) {
        const std::string bytes = WriteDocumentBytes(form, 3);
        benchmark::DoNotOptimize(ReadDocumentBytes(bytes));
    }
}

}  // namespace

BENCHMARK(DocumentWriteAndRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StdioWriteAndRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DocumentBytesBothWays)->Unit(benchmark::kMillisecond);
