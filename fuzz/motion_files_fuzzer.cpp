// The host's motion-file readers on any bytes: the spindle trace file, the
// joint-displacement file and the plain data file whose lines a tire-envelope
// feature keeps. Each reads into exactly the room its caller gives, so a
// write past it is caught; a refused file hands out nothing, and whatever a
// read hands out is freed again, leaving no host block alive.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "InputFile.hpp"
#include "afl/TireEnvelope.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "vd/TireClearance.hpp"

namespace {
void Require(bool holds) {
  if (!holds) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace KTX;
  Host::SetLogging(false);
  const char* name = stamvik_fuzz::WriteInputFile("motion_files_fuzzer", ".txt", data, size);
  if (name == nullptr) return 0;
  const std::int64_t blocks = Memory::LiveCounters().blocks;

  int steps = -1;
  double** pointsA = nullptr;
  double** pointsB = nullptr;
  if (TIREENV_read_spindle_file(name, 0, &steps, &pointsA, &pointsB) == 0) {
    for (int i = 0; i < steps; ++i) {
      SM_free(pointsA[i]);
      SM_free(pointsB[i]);
    }
    SM_free(pointsA);
    SM_free(pointsB);
  } else {
    Require(steps == 0 && pointsA == nullptr && pointsB == nullptr);
  }

  // Room for a few lines only: the reader must stop at it.
  const int room = size > 0 ? data[0] % 8 : 0;
  auto first = std::make_unique<double[]>(static_cast<std::size_t>(room));
  auto second = std::make_unique<double[]>(static_cast<std::size_t>(room));
  int count = room;
  const int joints = TIREENV_read_joints_displacement_fla_file(name, first.get(), second.get(), &count);
  Require(count >= 0 && count <= room && (joints == 0 || count == 0));

  int lines = -1;
  char** texts = nullptr;
  if (TIREENV_read_data_file_into_strings(name, &lines, &texts) == 0) {
    for (int i = 0; i < lines; ++i) SM_free(texts[i]);
    SM_free(texts);
  } else {
    Require(lines == -1 && texts == nullptr);
  }

  Require(Memory::LiveCounters().blocks == blocks);
  return 0;
}
