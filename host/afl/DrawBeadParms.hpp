// The automotive-feature library's parameter objects of draw beads: the
// segment and taper records (numbered items on the generic die-design
// parameters, one item per entity) and the bead records.
#pragma once
#include "afl/Parms.hpp"

namespace KTX {

// One draw-bead segment: items of integers, expressions and tags.
class KTX_HOST_API DIEDES_GEN_C_DRBD_SEG_PARMS : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(DIEDES_GEN_C_DRBD_SEG_PARMS, "KTX::DIEDES_GEN_C_DRBD_SEG_PARMS")
 protected:
  DIEDES_GEN_C_DRBD_SEG_PARMS(int classId, void* context) : DIEDES_GENERIC_BODY_PARMS(classId, context) {}
};

class KTX_HOST_API DIEDES_GEN_C_DRBD_SEG_PARMSFactory {
 public:
  // A record of `items` empty items (5, the stored format, unless told).
  static DIEDES_GEN_C_DRBD_SEG_PARMS* Create(int items = 5);
};

// One draw-bead end taper.
class KTX_HOST_API DIEDES_GEN_P_DRBD_TPR_PARMS : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(DIEDES_GEN_P_DRBD_TPR_PARMS, "KTX::DIEDES_GEN_P_DRBD_TPR_PARMS")
 protected:
  DIEDES_GEN_P_DRBD_TPR_PARMS(int classId, void* context) : DIEDES_GENERIC_BODY_PARMS(classId, context) {}
};

class KTX_HOST_API DIEDES_GEN_P_DRBD_TPR_PARMSFactory {
 public:
  // A record of `items` empty items (3, the stored format, unless told).
  static DIEDES_GEN_P_DRBD_TPR_PARMS* Create(int items = 3);
};

// The parameters of a draw-bead feature: a flags word.
class KTX_HOST_API DIE_DRBD_PARMS : public FEATURE_PARMS {
  KTX_HOST_OBJECT(DIE_DRBD_PARMS, "KTX::DIE_DRBD_PARMS")
 public:
  unsigned GetFlags() const { return flags_; }
  void SetFlags(unsigned flags);

 protected:
  DIE_DRBD_PARMS(int classId, void* context) : FEATURE_PARMS(classId, context) {}

 private:
  unsigned flags_;
};

// The male bead's parameters.
class KTX_HOST_API DIE_DRBD_MALE_PARMS : public DIE_DRBD_PARMS {
  KTX_HOST_OBJECT(DIE_DRBD_MALE_PARMS, "KTX::DIE_DRBD_MALE_PARMS")
 protected:
  DIE_DRBD_MALE_PARMS(int classId, void* context) : DIE_DRBD_PARMS(classId, context) {}
};

class KTX_HOST_API DIE_DRBD_MALE_PARMSFactory {
 public:
  // New male parameters in the work part, flags word 0.
  static DIE_DRBD_MALE_PARMS* Create();
};

}  // namespace KTX
