// Speed of the text-to-binary conversion on a form whose text is mostly hexadecimal blocks,
// against xxd -r -p turning the same hex digits back into bytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/image_form.h"
#include "formstream/binary_to_text.h"
#include "formstream/text_to_binary.h"
#include "runtime/memory_stream.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

using bench::BinaryDominatedForm;
using bench::ImageBytes;
constexpr int kHexDigitsPerLine = 64;

// The text form of a form holding the data in binary values of 1 MiB each, made by the
// binary-to-text conversion.
std::string HexDominatedText(const std::string& data) {
  std::string form = BinaryDominatedForm(data);
  TMemoryStream binary;
  binary.WriteAll(form.data(), int32_t(form.size()));
  binary.SetOffset(0);
  TMemoryStream text;
  BinaryFormToText(binary, text);
  return std::string(reinterpret_cast<const char*>(text.Memory()), size_t(text.Size()));
}

// The same data as plain hex lines of the same width, the input of xxd -r -p.
std::string PlainHex(const std::string& data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(data.size() * 2 + data.size() / 32 + 1);
  for (size_t i = 0; i < data.size(); ++i) {
    hex += kDigits[uint8_t(data[i]) >> 4];
    hex += kDigits[uint8_t(data[i]) & 15];
    if ((i + 1) % (kHexDigitsPerLine / 2) == 0) hex += '\n';
  }
  return hex;
}

void BM_HexDominatedText(benchmark::State& state) {
  std::string text = HexDominatedText(ImageBytes());
  TMemoryStream input;
  input.WriteAll(text.data(), int32_t(text.size()));
  TMemoryStream output;
  for (auto _ : state) {
    input.SetOffset(0);
    output.Clear();
    TextFormToBinary(input, output);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["text_MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_HexDominatedText)->Unit(benchmark::kMillisecond);

// xxd -r -p on the same data's hex, written to a file and run as a separate process; the wall
// time of each run is the iteration time.
void BM_XxdReverseSameHex(benchmark::State& state) {
  fs::path hex_path = fs::temp_directory_path() / "quorvex-bench-image.hex";
  std::string hex = PlainHex(ImageBytes());
  std::ofstream(hex_path, std::ios::binary).write(hex.data(), std::streamsize(hex.size()));
  std::string command = "xxd -r -p '" + hex_path.string() + "' > /dev/null";
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) state.SkipWithError("xxd failed");
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(hex.size()));
  fs::remove(hex_path);
}
BENCHMARK(BM_XxdReverseSameHex)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvex

BENCHMARK_MAIN();
