// The die-design target objects' operations and factories.
#include <string>

#include "afl/BodyUtils.hpp"
#include "afl/DieDesign.hpp"
#include "kernel/Kernel.hpp"
#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX::DieDes {

namespace {
std::string tagText(tag_t tag) { return std::to_string(tag); }
std::string partText(const PART_part* part) { return part == nullptr ? "0" : tagText(part->ask_tag()); }
}  // namespace

struct TargetFactoryAccess {
  template <class T>
  static T* Make(const char* factory, PART_part* part) {
    Host::Log(factory, "part=" + partText(part));
    // Made in the part's keeping: a target that its builder or preview does
    // not release goes with the part.
    T* target = Host::CreateInPart<T>(part);
    if (target != nullptr) target->part_ = part;
    return target;
  }

  // The copy takes the analysis and the told body, not the commit step's
  // record pointer, which belongs to the source's commit.
  static void CopyState(DieDesTarget* to, const DieDesTarget* from) {
    to->body_ = from->body_;
    to->orientation_ = from->orientation_;
    to->thicknessFlag_ = from->thicknessFlag_;
    to->noUpdate_ = from->noUpdate_;
    to->thickness_ = from->thickness_;
    for (int i = 0; i < 3; ++i) {
      to->origin_[i] = from->origin_[i];
      to->normal_[i] = from->normal_[i];
    }
  }
};

void DieDesTarget::SetTargetBody(tag_t body) {
  Host::Log("DieDesTarget::SetTargetBody", "target=" + tagText(ask_tag()) + " body=" + tagText(body));
  if (long long code = Host::Answer("DieDesTarget::SetTargetBody", 0); code != 0)
    ERROR_raise(__FILE__, __LINE__, static_cast<int>(code), "Cannot analyse the target body");
  OM::LogForWrite(this);
  body_ = body;
}

void DieDesTarget::SetFrecPointer(FEATURE_RECORD** frec) {
  Host::Log("DieDesTarget::SetFrecPointer", "target=" + tagText(ask_tag()) + (frec == nullptr ? " frec=null" : ""));
  frec_ = frec;
}

void DieDesTarget::GetBaseOrigin(double origin[3]) const {
  for (int i = 0; i < 3; ++i) origin[i] = origin_[i];
}

void DieDesTarget::GetBaseNormal(double normal[3]) const {
  for (int i = 0; i < 3; ++i) normal[i] = normal_[i];
}

void DieDesTarget::SetBase(const double origin[3], const double normal[3]) {
  for (int i = 0; i < 3; ++i) {
    origin_[i] = origin[i];
    normal_[i] = normal[i];
  }
}

#define KTX_DIEDES_TARGET_FACTORY_DEFINE(Class)                                   \
  Class* Class##Factory::Create(PART_part* part) {                                \
    return TargetFactoryAccess::Make<Class>(#Class "Factory::Create", part);      \
  }

KTX_DIEDES_TARGET_FACTORY_DEFINE(CastReliefTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(ClampingSlotTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(ClearanceTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(FillAreaTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(FingerClearanceNotchTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(HeelpostTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(KeywayTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(HandlingCoreTarget)
KTX_DIEDES_TARGET_FACTORY_DEFINE(MachineReliefTarget)

#undef KTX_DIEDES_TARGET_FACTORY_DEFINE

HandlingCoreTarget* HandlingCoreTargetFactory::CreateCopy(PART_part* part, const HandlingCoreTarget* source) {
  auto* copy = TargetFactoryAccess::Make<HandlingCoreTarget>("HandlingCoreTargetFactory::CreateCopy", part);
  if (copy != nullptr && source != nullptr) {
    TargetFactoryAccess::CopyState(copy, source);
    copy->SetMapFromBaseFlag(source->GetMapFromBaseFlag());
  }
  return copy;
}

MachineReliefTarget* MachineReliefTargetFactory::CreateCopy(PART_part* part, const MachineReliefTarget* source) {
  auto* copy = TargetFactoryAccess::Make<MachineReliefTarget>("MachineReliefTargetFactory::CreateCopy", part);
  if (copy != nullptr && source != nullptr) {
    TargetFactoryAccess::CopyState(copy, source);
    copy->SetReliefKind(source->GetReliefKind());
    for (int i = 0; i < 3; ++i) copy->SetCurve(i, source->GetCurveFlag(i), source->GetCurve(i));
  }
  return copy;
}

namespace {
void checkCurveIndex(int index) {
  if (index < 0 || index > 2) OM::ThrowIndexOutOfRange(index, 0, 3);
}
}  // namespace

bool MachineReliefTarget::GetCurveFlag(int index) const {
  checkCurveIndex(index);
  return curveFlags_[index];
}
tag_t MachineReliefTarget::GetCurve(int index) const {
  checkCurveIndex(index);
  return curves_[index];
}
void MachineReliefTarget::SetCurve(int index, bool flag, tag_t curve) {
  checkCurveIndex(index);
  curveFlags_[index] = flag;
  curves_[index] = curve;
}

void KeywayTarget::SetDieCoordinateSystem(bool flag, const double origin[3], const double matrix[9], tag_t csys) {
  csysFlag_ = flag;
  csys_ = csys;
  for (int i = 0; i < 3; ++i) csysOrigin_[i] = origin != nullptr ? origin[i] : 0.0;
  for (int i = 0; i < 9; ++i) csysMatrix_[i] = matrix != nullptr ? matrix[i] : (i % 4 == 0 ? 1.0 : 0.0);
}

void KeywayTarget::GetDieCoordinateSystemOrigin(double origin[3]) const {
  for (int i = 0; i < 3; ++i) origin[i] = csysOrigin_[i];
}

void KeywayTarget::GetDieCoordinateSystemMatrix(double matrix[9]) const {
  for (int i = 0; i < 9; ++i) matrix[i] = csysMatrix_[i];
}

int FillAreaTarget::CreateProductContactSheet(const double normal[3], const double tolerances[2]) {
  Host::Log("FillAreaTarget::CreateProductContactSheet",
            "target=" + tagText(ask_tag()) + " normal=" +
                (normal == nullptr ? std::string("null")
                                   : Kernel::RealText(normal[0]) + "," + Kernel::RealText(normal[1]) + "," +
                                         Kernel::RealText(normal[2])) +
                " tolerances=" +
                (tolerances == nullptr ? std::string("null")
                                       : Kernel::RealText(tolerances[0]) + "," + Kernel::RealText(tolerances[1])));
  if (long long code = Host::Answer("FillAreaTarget::CreateProductContactSheet", 0); code != 0)
    return static_cast<int>(code);
  DieDesUtilsDeleteBody(newProductContactSheet_);
  newProductContactSheet_ = Kernel::CreateBody(Kernel::BodyType::Sheet);
  return 0;
}

void FillAreaTarget::cascade_destroy() {
  DieDesUtilsDeleteBody(newProductContactSheet_);
  newProductContactSheet_ = 0;
  DieDesTarget::cascade_destroy();
}

}  // namespace KTX::DieDes
