// Speed of the binary-to-text conversion: a form dominated by binary data against xxd -p
// turning the same bytes into hex, and a form of many small objects in megabytes of text per
// second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/image_form.h"
#include "formstream/binary_to_text.h"
#include "runtime/little_endian.h"
#include "runtime/memory_stream.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

using bench::BinaryDominatedForm;
using bench::ImageBytes;
using bench::kBinaryValues;
using bench::kBinaryValueSize;
using bench::PutShortString;

constexpr int kObjects = 100000;

void PutInt16Value(std::string& bytes, int value) {
  bytes += '\x03';
  bytes += LittleEndianBytes(uint16_t(value), 2);
}

void PutStringValue(std::string& bytes, const std::string& text) {
  bytes += '\x06';
  PutShortString(bytes, text);
}

void PutSmallObject(std::string& form, int index) {
  PutShortString(form, "TEdit");
  PutShortString(form, "Edit" + std::to_string(index));
  PutShortString(form, "Left");
  PutInt16Value(form, 8 + index % 500);
  PutShortString(form, "Top");
  PutInt16Value(form, 16 + index % 700);
  PutShortString(form, "Width");
  PutInt16Value(form, 121);
  PutShortString(form, "Height");
  form += "\x02\x15";
  PutShortString(form, "Anchors");
  form += '\x0B';
  PutShortString(form, "akLeft");
  PutShortString(form, "akTop");
  form += '\0';
  PutShortString(form, "Font.Name");
  PutStringValue(form, "MS Sans Serif");
  PutShortString(form, "Font.Style");
  form += "\x0B";
  form += '\0';
  PutShortString(form, "ParentFont");
  form += '\x08';
  PutShortString(form, "TabOrder");
  form += "\x02\x03";
  PutShortString(form, "Text");
  PutStringValue(form, "Customer's name");
  PutShortString(form, "OnChange");
  form += '\x07';
  PutShortString(form, "EditChange");
  PutShortString(form, "Hint");
  PutStringValue(form, "Type the name\r\nas printed");
  form += std::string(2, '\0');
}

std::string ManySmallObjectsForm() {
  std::string form = "TPF0";
  PutShortString(form, "TBigForm");
  PutShortString(form, "Big");
  form += '\0';
  for (int i = 0; i < kObjects; ++i) PutSmallObject(form, i);
  form += std::string(2, '\0');
  return form;
}

void Load(TMemoryStream& stream, const std::string& bytes) {
  stream.WriteAll(bytes.data(), int32_t(bytes.size()));
}

// Converts form over and over, counting bytes of text per second.
void ConvertRepeatedly(benchmark::State& state, const std::string& form) {
  TMemoryStream input;
  Load(input, form);
  TMemoryStream output;
  for (auto _ : state) {
    input.SetOffset(0);
    output.SetOffset(0);
    BinaryFormToText(input, output);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * output.Size());
  state.counters["text_MB"] = double(output.Size()) / 1e6;
}

void BM_BinaryDominatedForm(benchmark::State& state) {
  ConvertRepeatedly(state, BinaryDominatedForm(ImageBytes()));
}
BENCHMARK(BM_BinaryDominatedForm)->Unit(benchmark::kMillisecond);

// xxd -p on the same bytes, written to a file and run as a separate process; the wall time
// of each run is the iteration time, and the bytes counted are those of its hex text.
void BM_XxdSameBytes(benchmark::State& state) {
  fs::path data_path = fs::temp_directory_path() / "quorvex-bench-image.bin";
  {
    std::string data = ImageBytes();
    std::ofstream(data_path, std::ios::binary).write(data.data(), std::streamsize(data.size()));
  }
  std::string command = "xxd -p '" + data_path.string() + "' > /dev/null";
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) state.SkipWithError("xxd failed");
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  // xxd -p writes 60 digits and a line end per 30 bytes.
  int64_t hex_bytes = int64_t(kBinaryValues) * kBinaryValueSize / 30 * 61;
  state.SetBytesProcessed(int64_t(state.iterations()) * hex_bytes);
  fs::remove(data_path);
}
BENCHMARK(BM_XxdSameBytes)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ManySmallObjects(benchmark::State& state) {
  ConvertRepeatedly(state, ManySmallObjectsForm());
}
BENCHMARK(BM_ManySmallObjects)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvex

BENCHMARK_MAIN();
