// A size file of any bytes opened by a user-defined manikin: whatever the
// file holds, nothing crashes, nothing is read past a line, and a file that
// is refused leaves the manikin's sizes as they were.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "InputFile.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "sys/CallLog.hpp"
#include "sys/TextFile.hpp"
#include "vd/ManikinServices.hpp"

using namespace KTX;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Host::SetLogging(false);
  const char* name = stamvik_fuzz::WriteInputFile("manikin_size_fuzz", ".hsd", data, size);
  if (name == nullptr) return 0;
  PART_part* part = PART_part::Create(size % 2 == 0 ? 0 : 1);
  PART_set_work_part(part);
  auto* manikin = VDJA::ManikinBuilderFactory::Create(part->ModelPart(), nullptr);
  manikin->SetStandard(VDJA::UserDefined);
  const VDJA::VD_2DManikin_user_defined_manikin_size_value_t before{1, 2, 3, 4, 5, 6, 7, 8};
  manikin->SetManikinSizeData(&before);
  const std::size_t dialogs = VD::ErrorDialogs().size();
  manikin->OpenFromFile(name);
  if (VD::ErrorDialogs().size() != dialogs) {
    VDJA::VD_2DManikin_user_defined_manikin_size_value_t after{};
    manikin->GetManikinSizeData(&after);
    if (after.thigh != 1 || after.handGrip != 8) std::abort();  // a refused file changed the sizes
  }
  manikin->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
  VD::ClearErrorDialogs();
  Error::ClearNotes();
  return 0;
}
