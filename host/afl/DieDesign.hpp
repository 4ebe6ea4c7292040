// The automotive-feature library's die-design objects that builders own:
// the face-attribute sub-builder and the per-feature target objects.
#pragma once
#include "feat/Builder.hpp"

namespace KTX {
class DIEDES_GENERIC_BODY_PARMS;
}

namespace KTX::DieDes {

class KTX_HOST_API DieAttributesBuilder : public JAX_BUILDER {
  KTX_HOST_OBJECT(DieAttributesBuilder, "KTX::DieDes::DieAttributesBuilder")
 protected:
  DieAttributesBuilder(int classId, void* context) : JAX_BUILDER(classId, context) {}
};

// What every die-design target object knows of the selected target body.
class KTX_HOST_API DieDesTarget : public OM::TaggedObject {
 protected:
  DieDesTarget(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

#define KTX_DIEDES_TARGET(Class)                                              \
  class KTX_HOST_API Class : public DieDesTarget {                            \
    KTX_HOST_OBJECT(Class, "KTX::DieDes::" #Class)                            \
   protected:                                                                 \
    Class(int classId, void* context) : DieDesTarget(classId, context) {}     \
  };

KTX_DIEDES_TARGET(CastReliefTarget)
KTX_DIEDES_TARGET(ClampingSlotTarget)
KTX_DIEDES_TARGET(ClearanceTarget)
KTX_DIEDES_TARGET(FillAreaTarget)
KTX_DIEDES_TARGET(FingerClearanceNotchTarget)
KTX_DIEDES_TARGET(HandlingCoreTarget)
KTX_DIEDES_TARGET(HeelpostTarget)
KTX_DIEDES_TARGET(KeywayTarget)

#undef KTX_DIEDES_TARGET

// The machine relief's target also keeps which kind of relief is wanted,
// for its analysis of the selected body: 0 cam, 1 relief, 2 thicken with an
// exterior main profile, 3 thicken with an interior one.
class KTX_HOST_API MachineReliefTarget : public DieDesTarget {
  KTX_HOST_OBJECT(MachineReliefTarget, "KTX::DieDes::MachineReliefTarget")

 public:
  int GetReliefKind() const { return reliefKind_; }
  // A plain store: the caller logs the target for undo first.
  void SetReliefKind(int kind) { reliefKind_ = kind; }

 protected:
  MachineReliefTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  int reliefKind_;  // zeroed by the host with the object
};

}  // namespace KTX::DieDes
