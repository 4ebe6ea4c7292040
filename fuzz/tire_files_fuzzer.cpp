// The vehicle-design library's tire-envelope file readers on any text: the
// template point, profile point and offset files. Each reads into tables of
// exactly the sizes its callers give, so a write past them is caught, and
// whatever it hands back is freed again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "InputFile.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "vd/VehicleDesign.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace KTX;
  Host::SetLogging(false);
  const char* name = stamvik_fuzz::WriteInputFile("tire_files_fuzzer", ".txt", data, size);
  if (name == nullptr) return 0;

  static constexpr std::size_t kRecordSizes[4] = {sizeof(sMacpherson_Suspension), sizeof(sSLArm_Suspension),
                                                  sizeof(sSLArm_Suspension), sizeof(sFiveLinkAxle_Suspension)};
  const int type = size > 0 ? data[0] % 4 : 0;
  std::vector<unsigned char> record(kRecordSizes[type]);
  auto text = std::make_unique<char[]>(256);
  TIREENV_load_susp_pt_file(name, type, text.get(), record.data());

  int count = 0;
  char** names = nullptr;
  tire_profile_point_s* profiles = nullptr;
  if (read_profile_file(name, &count, &names, &profiles) == 0) {
    for (int i = 0; i < count; ++i) SM_free(names[i]);
    SM_free(names);
    SM_free(profiles);
  }

  int sections = 0, widest = 0;
  auto angles = std::make_unique<double[]>(36);
  auto counts = std::make_unique<int[]>(36);
  auto offsets = std::make_unique<double[][80]>(36);
  auto copies = std::make_unique<double[][80]>(36);
  readoffsetvalues(name, &sections, &widest, angles.get(), counts.get(), offsets.get(), copies.get());
  return 0;
}
