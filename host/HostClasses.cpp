// The host registers its own classes when it loads, before any plug-in.
#include "afl/DieDesign.hpp"
#include "assy/Assembly.hpp"
#include "feat/Builder.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "om/HostClass.hpp"
#include "sel/Selection.hpp"

namespace KTX::Host {

void RegisterHostClass(const char* name, const char* superclassName, int* classIdVariable,
                       OM::CreateCallback create, OM::InstanceSizeCallback size) {
  // The host's classes carry no attribute rows; their registrants live as long as the host.
  new OM::ClassRegistrant(name, 0, nullptr, classIdVariable, 0x80000000u, 0x1000, 0, nullptr, superclassName, name, 0,
                          nullptr, 0, create, size, nullptr, nullptr);
}

namespace {
struct HostClasses {
  HostClasses() {
    const char* tagged = OM::TaggedObject::OmClassName;
    RegisterHostClass<JAX_BASE_BUILDER>(tagged, true);
    RegisterHostClass<JAX_BUILDER>(JAX_BASE_BUILDER::OmClassName, true);
    RegisterHostClass<JAX_FEAT_BUILDER>(JAX_BUILDER::OmClassName, true);
    RegisterHostClass<PART_part>(tagged);
    RegisterHostClass<CM_part>(tagged);
    RegisterHostClass<FEATURE_RECORD>(tagged);
    RegisterHostClass<OCC_occurrence>(tagged);
    RegisterHostClass<ASSY_instance>(tagged);
    RegisterHostClass<SELECT_OBJECT>(tagged);
    RegisterHostClass<SELECT_OBJECT_list>(tagged);
    RegisterHostClass<SC_section>(tagged);
    RegisterHostClass<SC_loop>(tagged);
    RegisterHostClass<SC_collector>(tagged);
    RegisterHostClass<SC_FACE>(tagged);
    RegisterHostClass<SC_rule>(tagged);
    RegisterHostClass<UICOMPJA_list>(tagged);
    RegisterHostClass<EXP_expression>(tagged);
    RegisterHostClass<OnPathDimBuilder>(JAX_BUILDER::OmClassName);
    RegisterHostClass<DieDes::DieAttributesBuilder>(JAX_BUILDER::OmClassName);
    RegisterHostClass<ModelingFeatureBuilder>(JAX_BUILDER::OmClassName);
    RegisterHostClass<GeometricLimits>(tagged);
    RegisterHostClass<GeometricExtend>(tagged);
    RegisterHostClass<GeometricFeatureOffset>(tagged);
    RegisterHostClass<DieDes::CastReliefTarget>(tagged);
    RegisterHostClass<DieDes::ClampingSlotTarget>(tagged);
    RegisterHostClass<DieDes::ClearanceTarget>(tagged);
    RegisterHostClass<DieDes::FillAreaTarget>(tagged);
    RegisterHostClass<DieDes::FingerClearanceNotchTarget>(tagged);
    RegisterHostClass<DieDes::HandlingCoreTarget>(tagged);
    RegisterHostClass<DieDes::HeelpostTarget>(tagged);
    RegisterHostClass<DieDes::KeywayTarget>(tagged);
    RegisterHostClass<DieDes::MachineReliefTarget>(tagged);
  }
} hostClasses;
}  // namespace

}  // namespace KTX::Host

namespace KTX {
int SELECT_OBJECT::ThisClassId = 0;
int SELECT_OBJECT_list::ThisClassId = 0;
int SC_section::ThisClassId = 0;
int SC_loop::ThisClassId = 0;
int SC_collector::ThisClassId = 0;
int SC_FACE::ThisClassId = 0;
int SC_rule::ThisClassId = 0;
int UICOMPJA_list::ThisClassId = 0;
int EXP_expression::ThisClassId = 0;
int OCC_occurrence::ThisClassId = 0;
int OnPathDimBuilder::ThisClassId = 0;
namespace DieDes {
int DieAttributesBuilder::ThisClassId = 0;
int CastReliefTarget::ThisClassId = 0;
int ClampingSlotTarget::ThisClassId = 0;
int ClearanceTarget::ThisClassId = 0;
int FillAreaTarget::ThisClassId = 0;
int FingerClearanceNotchTarget::ThisClassId = 0;
int HandlingCoreTarget::ThisClassId = 0;
int HeelpostTarget::ThisClassId = 0;
int KeywayTarget::ThisClassId = 0;
int MachineReliefTarget::ThisClassId = 0;
}  // namespace DieDes
}  // namespace KTX
