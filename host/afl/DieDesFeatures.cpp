// The cast-relief and clearance features' tool bodies, the sheets their
// previews are built on, and what a temporary parameter object lets go of
// before it goes. The stand-in makes one kernel body per tool and records
// what it was given; the bodies' shapes are the real library's business.
#include <cmath>
#include <cstring>
#include <string>

#include "afl/BodyUtils.hpp"
#include "afl/DieDesign.hpp"
#include "afl/Parms.hpp"
#include "kernel/Kernel.hpp"
#include "sys/CallLog.hpp"
#include "sys/Failure.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {
namespace {

std::string real(double v) { return Kernel::RealText(v); }
std::string vec(const double* v) {
  return v == nullptr ? "null" : "[" + real(v[0]) + "," + real(v[1]) + "," + real(v[2]) + "]";
}

// Hands the bodies and their operations to the caller as SM_alloc arrays.
void handOut(const std::vector<int>& bodies, const std::vector<int>& operations, int* count, int** tools,
             int** ops) {
  *count = static_cast<int>(bodies.size());
  *tools = nullptr;
  *ops = nullptr;
  if (bodies.empty()) return;
  *tools = static_cast<int*>(SM_calloc(bodies.size(), sizeof(int)));
  *ops = static_cast<int*>(SM_calloc(bodies.size(), sizeof(int)));
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    (*tools)[i] = bodies[i];
    (*ops)[i] = operations[i];
  }
}

}  // namespace

void DIEDES_GENERIC_ENTITY::ReleaseContents(int option) {
  Host::Log("DIEDES_GENERIC_ENTITY::ReleaseContents",
            "tag=" + Host::TagNumber(this) + " index=" + std::to_string(index_) + " option=" + std::to_string(option));
  OM::LogForWrite(this);
  kind_ = kEmpty;
  if (ints_ != nullptr) {
    OM::OM__log(ints_);
    ints_->Items().clear();
  }
  if (tags_ != nullptr) {
    OM::OM__log(tags_);
    tags_->Items().clear();
  }
  if (doubles_ != nullptr) {
    OM::OM__log(doubles_);
    doubles_->Items().clear();
  }
  if (records_ != nullptr) {
    OM::OM__log(records_);
    records_->Items().clear();
  }
}

int DIEDES_GENERIC_BODY_PARMS::DieCreateRoughOffsetSheet(int option, int mode, tag_t sheet, double offset,
                                                         const double normal[3], const double tolerances[2],
                                                         int* result) {
  Host::Log("DieCreateRoughOffsetSheet",
            "option=" + std::to_string(option) + " mode=" + std::to_string(mode) + " sheet=" + std::to_string(sheet) +
                " offset=" + real(offset) + " normal=" + vec(normal) + " tolerances=[" +
                real(tolerances == nullptr ? 0.0 : tolerances[0]) + "," +
                real(tolerances == nullptr ? 0.0 : tolerances[1]) + "]");
  if (result == nullptr) return ZV_ERROR_bad_value;
  *result = 0;
  int body = ES_solid_ask_solvane_tag(sheet);
  if (body == 0) return ZV_ERROR_bad_tag;
  if (int rc = ZV_ENTITY_copy(body, result); rc != 0) return rc;
  if (Failure::Fails(Failure::kKernel, "DieCreateRoughOffsetSheet")) return Failure::kKernelError;
  // A failed offset may still leave a body behind: the caller deletes it.
  return static_cast<int>(Host::Answer("DieCreateRoughOffsetSheet", 0));
}

int DIEDES_GENERIC_BODY_PARMS::GetSheetNormal(int body, const double reference[3], double angle,
                                              const double* point, double normal[3]) {
  Host::Log("GetSheetNormal", "body=" + std::to_string(body) + " reference=" + vec(reference) +
                                  " angle=" + real(angle) + " point=" + vec(point));
  if (normal == nullptr || reference == nullptr) return ZV_ERROR_bad_value;
  // The sheet faces the reference unless a test turns it away.
  double sign = Host::Answer("GetSheetNormal.opposite", 0) != 0 ? -1.0 : 1.0;
  for (int i = 0; i < 3; ++i) normal[i] = sign * reference[i];
  return Kernel::IsBody(body) ? 0 : ZV_ERROR_bad_tag;
}

namespace DieDes {

int CastRelief::CreateToolBody(int algorithmVersion, SC_section* profile, tag_t sheet, tag_t reliefSheet,
                               int reliefSheetTemp, int supportSheetTemp, const double origin[3],
                               const double normal[3], double depth, bool supportCasting, double thickness,
                               double distanceTolerance, double angleTolerance, FEATURE_RECORD* frec,
                               int* faceLabel, int* edgeLabel, int* count, int** tools, int** operations) {
  Host::Log("CastRelief::CreateToolBody",
            "version=" + std::to_string(algorithmVersion) + " profile=" + Host::TagNumber(profile) +
                " sheet=" + std::to_string(sheet) + " reliefSheet=" + std::to_string(reliefSheet) +
                " reliefSheetTemp=" + std::to_string(reliefSheetTemp) +
                " supportSheetTemp=" + std::to_string(supportSheetTemp) + " origin=" + vec(origin) +
                " normal=" + vec(normal) + " depth=" + real(depth) + " support=" + (supportCasting ? "1" : "0") +
                " thickness=" + real(thickness) + " tolerances=[" + real(distanceTolerance) + "," +
                real(angleTolerance) + "] frec=" + Host::TagNumber(frec) +
                " faceLabel=" + std::to_string(faceLabel == nullptr ? -1 : *faceLabel) +
                " edgeLabel=" + std::to_string(edgeLabel == nullptr ? -1 : *edgeLabel));
  if (count == nullptr || tools == nullptr || operations == nullptr) return ZV_ERROR_bad_value;
  *count = 0;
  *tools = nullptr;
  *operations = nullptr;
  if (Failure::Fails(Failure::kKernel, "CastRelief::CreateToolBody")) return Failure::kKernelError;
  if (long long code = Host::Answer("CastRelief::CreateToolBody", 0); code != 0) return static_cast<int>(code);
  if (long long code = Host::Answer("CastRelief::CreateToolBody.raise", 0); code != 0)
    ERROR_raise(__FILE__, __LINE__, static_cast<int>(code), "Cannot create the relief's tool bodies");
  if (profile == nullptr || profile->is_empty()) return 0;
  // The relief is cut from the casting; the support casting is added to it.
  std::vector<int> bodies{Kernel::CreateBody(Kernel::BodyType::Solid)};
  std::vector<int> ops{ZV_boolean_subtract_c};
  if (supportCasting && supportSheetTemp != 0) {
    bodies.push_back(Kernel::CreateBody(Kernel::BodyType::Solid));
    ops.push_back(ZV_boolean_unite_c);
  }
  int made = static_cast<int>(bodies.size());
  if (faceLabel != nullptr) *faceLabel += made;
  if (edgeLabel != nullptr) *edgeLabel += made;
  handOut(bodies, ops, count, tools, operations);
  return 0;
}

const char* ToolBodyFeature::FeatureName() const {
  static constexpr const char kPrefix[] = "KTX::DieDes::";
  const char* name = OM::OM_ask_class_name(OmClassId());
  if (name == nullptr) return "";
  return std::strncmp(name, kPrefix, sizeof kPrefix - 1) == 0 ? name + sizeof kPrefix - 1 : name;
}

void ToolBodyFeature::SetTargetData(DieDesTarget* target) {
  Host::Log(std::string(FeatureName()) + "::SetTargetData", "tag=" + Host::TagNumber(this) + " target=" + Host::TagNumber(target));
  OM::LogForWrite(this);
  targetData_ = OM::OM_ask_object_tag(target);
}

DieDesTarget* ToolBodyFeature::GetTargetData() const {
  return dynamic_cast<DieDesTarget*>(OM::OM_object_of_tag(targetData_));
}

void ToolBodyFeature::SetGenericAttrPtr(OM::TaggedObject* attributes) {
  Host::Log(std::string(FeatureName()) + "::SetGenericAttrPtr",
            "tag=" + Host::TagNumber(this) + " attributes=" + Host::TagNumber(attributes));
  OM::LogForWrite(this);
  genericAttr_ = OM::OM_ask_object_tag(attributes);
}

OM::TaggedObject* ToolBodyFeature::GetGenericAttrPtr() const {
  return dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(genericAttr_));
}

void ToolBodyFeature::CreateBasicBodies(FEATURE_RECORD* frec, int mode, int kernelTarget, int* count,
                                        int** operations, int** tools) {
  const std::string call = std::string(FeatureName()) + "::CreateBasicBodies";
  DieDesTarget* target = GetTargetData();
  Host::Log(call, "tag=" + Host::TagNumber(this) + " frec=" + Host::TagNumber(frec) + " mode=" + std::to_string(mode) +
                      " target=" + std::to_string(kernelTarget) + " targetData=" + Host::TagNumber(target) +
                      " targetBody=" + std::to_string(target == nullptr ? 0 : target->GetTargetBody()));
  if (count == nullptr || operations == nullptr || tools == nullptr)
    ERROR_raise(__FILE__, __LINE__, ZV_ERROR_bad_value, "%s without outputs", call.c_str());
  *count = 0;
  *operations = nullptr;
  *tools = nullptr;
  if (Failure::Fails(Failure::kKernel, call.c_str()))
    ERROR_raise(__FILE__, __LINE__, Failure::kKernelError, "Cannot create the %s bodies", FeatureName());
  if (long long code = Host::Answer(call, 0); code != 0)
    ERROR_raise(__FILE__, __LINE__, static_cast<int>(code), "Cannot create the %s bodies", FeatureName());
  // One body to cut from the target unless a test asks for another number.
  int n = static_cast<int>(Host::Answer(call + ".count", 1));
  std::vector<int> bodies, ops;
  for (int i = 0; i < n; ++i) {
    bodies.push_back(Kernel::CreateBody(Kernel::BodyType::Solid));
    ops.push_back(ZV_boolean_subtract_c);
  }
  handOut(bodies, ops, count, tools, operations);
}

}  // namespace DieDes
}  // namespace KTX
