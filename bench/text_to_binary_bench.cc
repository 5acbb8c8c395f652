// Speed of the text-to-binary conversion on a form whose text is mostly hexadecimal blocks,
// against xxd -r -p turning the same hex digits back into bytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "formstream/binary_to_text.h"
#include "formstream/text_to_binary.h"
#include "runtime/little_endian.h"
#include "runtime/memory_stream.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

constexpr int kBinaryValues = 20;
constexpr int32_t kBinaryValueSize = 1 << 20;
constexpr int kHexDigitsPerLine = 64;

// Pseudo-random bytes, as image data would be.
std::string ImageBytes() {
  std::string data(size_t(kBinaryValues) * kBinaryValueSize, '\0');
  uint32_t state = 12345;
  for (char& byte : data) {
    state = state * 1103515245u + 12345u;
    byte = char(state >> 24);
  }
  return data;
}

void PutShortString(std::string& bytes, const std::string& text) {
  bytes += char(text.size());
  bytes += text;
}

// The text form of a form holding the data in binary values of 1 MiB each, made by the
// binary-to-text conversion.
std::string HexDominatedText(const std::string& data) {
  std::string form = "TPF0";
  PutShortString(form, "TImageForm");
  PutShortString(form, "Images");
  for (int i = 0; i < kBinaryValues; ++i) {
    PutShortString(form, "Picture" + std::to_string(i) + ".Data");
    form += '\x0A';
    form += LittleEndianBytes(uint32_t(kBinaryValueSize), 4);
    form.append(data, size_t(i) * kBinaryValueSize, kBinaryValueSize);
  }
  form += std::string(2, '\0');
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
