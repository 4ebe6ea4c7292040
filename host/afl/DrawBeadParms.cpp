#include "afl/DrawBeadParms.hpp"

#include <string>

#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"

namespace KTX {

int DIEDES_GEN_C_DRBD_SEG_PARMS::ThisClassId = 0;
int DIEDES_GEN_P_DRBD_TPR_PARMS::ThisClassId = 0;
int DIE_DRBD_PARMS::ThisClassId = 0;
int DIE_DRBD_MALE_PARMS::ThisClassId = 0;

namespace {
struct DrawBeadParmsClasses {
  DrawBeadParmsClasses() {
    Host::RegisterHostClass<DIEDES_GEN_C_DRBD_SEG_PARMS>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
    Host::RegisterHostClass<DIEDES_GEN_P_DRBD_TPR_PARMS>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
    Host::RegisterHostClass<DIE_DRBD_PARMS>(FEATURE_PARMS::OmClassName);
    Host::RegisterHostClass<DIE_DRBD_MALE_PARMS>(DIE_DRBD_PARMS::OmClassName);
  }
} drawBeadParmsClasses;

std::vector<int> plainItems(int items) {
  return std::vector<int>(static_cast<std::size_t>(items < 0 ? 0 : items), DIEDES_GENERIC_ENTITY::ThisClassId);
}
}  // namespace

DIEDES_GEN_C_DRBD_SEG_PARMS* DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create(int items) {
  Host::Log("DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create", std::to_string(items));
  return static_cast<DIEDES_GEN_C_DRBD_SEG_PARMS*>(
      DIEDES_GENERIC_BODY_PARMS::Make(DIEDES_GEN_C_DRBD_SEG_PARMS::ThisClassId, plainItems(items)));
}

DIEDES_GEN_P_DRBD_TPR_PARMS* DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create(int items) {
  Host::Log("DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create", std::to_string(items));
  return static_cast<DIEDES_GEN_P_DRBD_TPR_PARMS*>(
      DIEDES_GENERIC_BODY_PARMS::Make(DIEDES_GEN_P_DRBD_TPR_PARMS::ThisClassId, plainItems(items)));
}

void DIE_DRBD_PARMS::SetFlags(unsigned flags) {
  OM::LogForWrite(this);
  flags_ = flags;
}

DIE_DRBD_MALE_PARMS* DIE_DRBD_MALE_PARMSFactory::Create() {
  Host::Log("DIE_DRBD_MALE_PARMSFactory::Create");
  return Host::CreateInPart<DIE_DRBD_MALE_PARMS>(nullptr);
}

}  // namespace KTX
