#include "afl/DieEngParms.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>

#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int BREF_body_ref::ThisClassId = 0;
int DieEng::CompensateRoughData::ThisClassId = 0;
int DieEng::CompensateRoughCurve::ThisClassId = 0;
int DieEng::CompensateRoughSheet::ThisClassId = 0;
int DieEng::SpringbackCompensation::ThisClassId = 0;

namespace {


bool holds(const FEATURE_PARMS* parms, tag_t tag) {
  if (auto* curve = dynamic_cast<const DieEng::CompensateRoughCurve*>(parms))
    return OM::OM_ask_object_tag(curve->GetCurveCollector()) == tag ||
           OM::OM_ask_object_tag(curve->GetProjectToFaces()) == tag;
  if (auto* springback = dynamic_cast<const DieEng::SpringbackCompensation*>(parms))
    return OM::OM_ask_object_tag(springback->GetInnerCurveCollector()) == tag ||
           OM::OM_ask_object_tag(springback->GetOuterCurveCollector()) == tag;
  return false;
}

// The sections and collectors a builder made and handed to the feature's
// parameters stay with the feature when the builder goes. The parameters
// note each one they store as held by them: the check reads only the
// object's own holders.
bool heldByDieEngParms(const OM::Object* object) {
  const tag_t tag = OM::OM_ask_object_tag(object);
  const std::vector<tag_t>* holders = tag == 0 ? nullptr : OM::OM_ask_holders(tag);
  if (holders == nullptr) return false;
  for (tag_t holder : *holders) {
    // Parameters deleted under an undo mark are kept only for the undo.
    const auto* parms = dynamic_cast<const FEATURE_PARMS*>(OM::OM_object_of_tag(holder));
    if (parms != nullptr && holds(parms, tag)) return true;
  }
  return false;
}

struct DieEngClasses {
  DieEngClasses() {
    Host::RegisterHostClass<BREF_body_ref>("KTX::OM::TaggedObject");
    Host::RegisterHostClass<DieEng::CompensateRoughData>(FEATURE_PARMS::OmClassName, true);
    Host::RegisterHostClass<DieEng::CompensateRoughCurve>(DieEng::CompensateRoughData::OmClassName);
    Host::RegisterHostClass<DieEng::CompensateRoughSheet>(DieEng::CompensateRoughData::OmClassName);
    Host::RegisterHostClass<DieEng::SpringbackCompensation>(FEATURE_PARMS::OmClassName);
    OM::OM_set_keep_alive_check(&heldByDieEngParms);
  }
} dieEngClasses;

// The body each reference was made for, so that one body has one reference.
std::map<tag_t, tag_t>& brefOfBody() {
  static auto* map = new std::map<tag_t, tag_t>;
  return *map;
}

template <class Array>
Array* writable(Array* array) {
  if (array == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the object's array");
  OM::OM__log(array);
  return array;
}

template <class Array>
Array* made(OM::Object* owner) {
  return new Array(owner);  // null when memory runs out; every use checks
}

template <class T>
T* objectOf(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

}  // namespace

// ---- body references ---------------------------------------------------------------

tag_t BREF_ask_bref_of_eidbody(tag_t body) {
  Host::Log("BREF_ask_bref_of_eidbody", std::to_string(body));
  if (body == 0 || Host::Answer("BREF_ask_bref_of_eidbody.none." + std::to_string(body), 0) != 0) return 0;
  auto it = brefOfBody().find(body);
  if (it != brefOfBody().end() && objectOf<BREF_body_ref>(it->second) != nullptr) return it->second;
  auto* bref = Host::CreateInPart<BREF_body_ref>(nullptr);
  bref->body_ = body;
  brefOfBody()[body] = bref->ask_tag();
  return bref->ask_tag();
}

tag_t BREF_ask_qdeid_of_bref(tag_t bref) {
  Host::Log("BREF_ask_qdeid_of_bref", std::to_string(bref));
  auto* ref = objectOf<BREF_body_ref>(bref);
  return ref == nullptr ? 0 : ref->ask_body();
}

void BREF_set_current_target(CM_part* part, int kernelBody) {
  Host::Log("BREF_set_current_target", Host::TagArg(part) + " body=" + std::to_string(kernelBody));
  if (part != nullptr) part->set_current_target(kernelBody);
}

CM_part* CM__ask_current_part_ptr() { return PART_ask_cm_part_of_part_p(PART_ask_work_part()); }

int BREF_holder::SetBodies(const BREF_request_s* request, int count, const tag_t* bodies) {
  Host::Log("BREF_holder::SetBodies", Host::TagArg(parms_) + " mode=" + std::to_string(request ? request->mode : -1) +
                                          " frec=" + std::to_string(OM::OM_ask_object_tag(request ? request->frec : nullptr)) +
                                          " count=" + std::to_string(count));
  if (request == nullptr || brefs_ == nullptr) return DieEngMessage::kNoBodies;
  if (long long code = Host::Answer("BREF_holder::SetBodies", 0); code != 0) return static_cast<int>(code);
  auto& items = writable(brefs_)->Items();
  items.clear();
  for (int i = 0; i < count && bodies != nullptr; ++i) items.push_back(BREF_ask_bref_of_eidbody(bodies[i]));
  return 0;
}

int BREF_holder::AskBodies(const BREF_request_s* request, int* count, tag_t** bodies) const {
  Host::Log("BREF_holder::AskBodies", Host::TagArg(parms_));
  *count = 0;
  *bodies = nullptr;
  if (request == nullptr || brefs_ == nullptr) return DieEngMessage::kNoBodies;
  const auto& items = brefs_->Items();
  if (items.empty()) return 0;
  *bodies = static_cast<tag_t*>(SM_alloc(items.size() * sizeof(tag_t)));
  if (*bodies == nullptr) return Error::kNoMemory;
  for (tag_t bref : items) (*bodies)[(*count)++] = BREF_ask_qdeid_of_bref(bref);
  return 0;
}

// ---- feature modelling ------------------------------------------------------------------

void CM_create_frec_using_parms(FEATURE_PARMS* parms, FEATURE_RECORD** frec) {
  Host::Log("CM_create_frec_using_parms", Host::TagArg(parms));
  if (parms == nullptr || frec == nullptr)
    ERROR_raise(__FILE__, __LINE__, Parms::kNoParms, "no parameters for the feature");
  if (long long code = Host::Answer("CM_create_frec_using_parms", 0); code != 0)
    ERROR_raise(__FILE__, __LINE__, static_cast<int>(code), "the feature could not be made");
  FEATURE_RECORD* record = FEATURE_RECORD::Create(nullptr, parms);
  parms->SetFeatureRecord(record);
  *frec = record;
}

int CM_include_frec(FEATURE_RECORD* frec, bool apply) {
  Host::Log("CM_include_frec", Host::TagArg(frec) + (apply ? " true" : " false"));
  if (frec == nullptr) return Error::kBadObject;
  if (long long code = Host::Answer("CM_include_frec", 0); code != 0) return static_cast<int>(code);
  frec->note_included(apply);
  return 0;
}

int CM_apply_frec(FEATURE_RECORD* frec, bool apply) {
  Host::Log("CM_apply_frec", Host::TagArg(frec) + (apply ? " true" : " false"));
  if (frec == nullptr) return Error::kBadObject;
  if (long long code = Host::Answer("CM_apply_frec", 0); code != 0) return static_cast<int>(code);
  frec->note_applied(apply);
  return 0;
}

void FREC_set_frec_version(FEATURE_RECORD* frec, int version) {
  Host::Log("FREC_set_frec_version", Host::TagArg(frec) + " " + std::to_string(version));
  if (frec != nullptr) frec->set_version(version);
}

void FMI_invoke_ask_name(const FEATURE_RECORD* frec, char** name) {
  Host::Log("FMI_invoke_ask_name", Host::TagArg(frec));
  std::string kind = "Feature";
  if (FEATURE_PARMS* parms = frec != nullptr ? frec->ask_parms() : nullptr) {
    kind = OM::OM_ask_class_name(parms->OmClassId());
    if (auto colon = kind.rfind(':'); colon != std::string::npos) kind = kind.substr(colon + 1);
  }
  *name = SM_string_copy((kind + "(" + std::to_string(OM::OM_ask_object_tag(frec)) + ")").c_str());
}

void UPDATE_check_empty_list() { Host::Log("UPDATE_check_empty_list"); }

const char* ERROR_decode(int code) {
  if (const char* text = Error::MessageText(code); text != nullptr) return text;
  static auto* texts = new std::map<int, std::string>;
  auto [it, added] = texts->try_emplace(code);
  if (added) it->second = "message " + std::to_string(code);
  return it->second.c_str();
}

}  // namespace KTX

void KTX::Diagnostic::LogDiagnostic(int code, const char* text, int displayCount, const tag_t*, int ownerToken,
                                    int type) {
  Host::Log("Diagnostic::LogDiagnostic", std::to_string(code) + " \"" + (text != nullptr ? text : "") +
                                             "\" display=" + std::to_string(displayCount) +
                                             " owner=" + std::to_string(ownerToken) + " type=" + std::to_string(type));
}

namespace KTX::DieEng {

#define KTX_DIEENG_SET(Class, Setter, Type, field) \
  void Class::Setter(Type value) {                 \
    OM::LogForWrite(this);                         \
    field = value;                                 \
  }

KTX_DIEENG_SET(CompensateRoughData, SetApproximation, int, approximation_)
KTX_DIEENG_SET(CompensateRoughData, SetDistanceTolerance, double, distanceTolerance_)
KTX_DIEENG_SET(CompensateRoughData, SetAngleTolerance, double, angleTolerance_)
KTX_DIEENG_SET(CompensateRoughData, SetMaximumGap, double, maximumGap_)
KTX_DIEENG_SET(CompensateRoughCurve, SetJoinOutputCurves, bool, join_)
KTX_DIEENG_SET(CompensateRoughSheet, SetModifyInputSheet, bool, modify_)
KTX_DIEENG_SET(SpringbackCompensation, SetDefinedBy, int, definedBy_)
KTX_DIEENG_SET(SpringbackCompensation, SetDrawVector, tag_t, drawVector_)
KTX_DIEENG_SET(SpringbackCompensation, SetShapeValue, double, shapeValue_)
KTX_DIEENG_SET(SpringbackCompensation, SetResultType, int, resultType_)
KTX_DIEENG_SET(SpringbackCompensation, SetCreateFacets, bool, createFacets_)
KTX_DIEENG_SET(SpringbackCompensation, SetDeformationFactor, double, deformationFactor_)
KTX_DIEENG_SET(SpringbackCompensation, SetSmoothingFactor, double, smoothingFactor_)
KTX_DIEENG_SET(SpringbackCompensation, SetConvexityEnabled, bool, convexityEnabled_)
KTX_DIEENG_SET(SpringbackCompensation, SetConvexityDirection, tag_t, convexityDirection_)
KTX_DIEENG_SET(SpringbackCompensation, SetStepSize, double, stepSize_)
KTX_DIEENG_SET(SpringbackCompensation, SetDegree, int, degree_)
KTX_DIEENG_SET(SpringbackCompensation, SetDivisions, int, divisions_)
KTX_DIEENG_SET(SpringbackCompensation, SetCalculateMaxDeviation, bool, calculateMaxDeviation_)
KTX_DIEENG_SET(SpringbackCompensation, SetDistanceTolerance, double, distanceTolerance_)
KTX_DIEENG_SET(SpringbackCompensation, SetAngleTolerance, double, angleTolerance_)
KTX_DIEENG_SET(SpringbackCompensation, SetIsGenericDeform, bool, genericDeform_)
KTX_DIEENG_SET(SpringbackCompensation, SetProductSheet, tag_t, productSheet_)
KTX_DIEENG_SET(SpringbackCompensation, SetProductFacets, tag_t, productFacets_)
KTX_DIEENG_SET(SpringbackCompensation, SetSprungFacets, tag_t, sprungFacets_)
#undef KTX_DIEENG_SET

CompensateRoughCurve::CompensateRoughCurve(int classId, void* context) : CompensateRoughData(classId, context) {}
CompensateRoughCurve::~CompensateRoughCurve() = default;

SC_section* CompensateRoughCurve::GetCurveCollector() const { return objectOf<SC_section>(curves_); }
void CompensateRoughCurve::SetCurveCollector(SC_section* section) {
  OM::LogForWrite(this);
  curves_ = OM::OM_ask_object_tag(section);
  OM::OM_note_holder(curves_, OmTag());
}
SC_collector* CompensateRoughCurve::GetProjectToFaces() const { return objectOf<SC_collector>(faces_); }
void CompensateRoughCurve::SetProjectToFaces(SC_collector* faces) {
  OM::LogForWrite(this);
  faces_ = OM::OM_ask_object_tag(faces);
  OM::OM_note_holder(faces_, OmTag());
}

CompensateRoughSheet::CompensateRoughSheet(int classId, void* context)
    : CompensateRoughData(classId, context), brefs_(made<OM::TagVla>(this)) {}
CompensateRoughSheet::~CompensateRoughSheet() { delete brefs_; }

SpringbackCompensation::SpringbackCompensation(int classId, void* context)
    : FEATURE_PARMS(classId, context),
      files_(made<OM::StringVla>(this)),
      productPoints_(made<OM::DoubleVla>(this)),
      sprungPoints_(made<OM::DoubleVla>(this)) {
  if (files_ != nullptr) files_->Resize(2);
}
SpringbackCompensation::~SpringbackCompensation() {
  delete files_;
  delete productPoints_;
  delete sprungPoints_;
}

SC_section* SpringbackCompensation::GetInnerCurveCollector() const { return objectOf<SC_section>(innerCurve_); }
void SpringbackCompensation::SetInnerCurveCollector(SC_section* section) {
  OM::LogForWrite(this);
  innerCurve_ = OM::OM_ask_object_tag(section);
  OM::OM_note_holder(innerCurve_, OmTag());
}
SC_section* SpringbackCompensation::GetOuterCurveCollector() const { return objectOf<SC_section>(outerCurve_); }
void SpringbackCompensation::SetOuterCurveCollector(SC_section* section) {
  OM::LogForWrite(this);
  outerCurve_ = OM::OM_ask_object_tag(section);
  OM::OM_note_holder(outerCurve_, OmTag());
}

FEATURE_RECORD* SpringbackCompensation::GetOneStep() const { return objectOf<FEATURE_RECORD>(oneStep_); }
void SpringbackCompensation::SetOneStep(FEATURE_RECORD* frec) {
  OM::LogForWrite(this);
  oneStep_ = OM::OM_ask_object_tag(frec);
}

namespace {
const char* fileName(const OM::StringVla* files, int which) {
  return files == nullptr ? "" : files->Items()[static_cast<std::size_t>(which)].c_str();
}
void setFileName(OM::StringVla* files, int which, const char* name) {
  writable(files)->Items()[static_cast<std::size_t>(which)] = name != nullptr ? name : "";
}
int pointCount(const OM::DoubleVla* points) { return points == nullptr ? 0 : points->Length() / 3; }
void setPointCount(OM::DoubleVla* points, int count) { writable(points)->Resize(count < 0 ? 0 : count * 3); }
void getPoint(const OM::DoubleVla* points, int n, Math::Point3& point) {
  if (n < 0 || n >= pointCount(points)) OM::ThrowIndexOutOfRange(n, 0, pointCount(points));
  const double* at = points->Items().data() + static_cast<std::size_t>(n) * 3;
  point.X = at[0];
  point.Y = at[1];
  point.Z = at[2];
}
void setPoint(OM::DoubleVla* points, int n, const Math::Point3& point) {
  if (n < 0 || n >= pointCount(points)) OM::ThrowIndexOutOfRange(n, 0, pointCount(points));
  double* at = writable(points)->Items().data() + static_cast<std::size_t>(n) * 3;
  at[0] = point.X;
  at[1] = point.Y;
  at[2] = point.Z;
}
}  // namespace

const char* SpringbackCompensation::GetProductPointsFile() const { return fileName(files_, 0); }
void SpringbackCompensation::SetProductPointsFile(const char* name) { setFileName(files_, 0, name); }
const char* SpringbackCompensation::GetSprungPointsFile() const { return fileName(files_, 1); }
void SpringbackCompensation::SetSprungPointsFile(const char* name) { setFileName(files_, 1, name); }
int SpringbackCompensation::GetProductPointCount() const { return pointCount(productPoints_); }
void SpringbackCompensation::SetProductPointCount(int count) { setPointCount(productPoints_, count); }
void SpringbackCompensation::GetNthProductPoint(int n, Math::Point3& point) const { getPoint(productPoints_, n, point); }
void SpringbackCompensation::SetNthProductPoint(int n, const Math::Point3& point) { setPoint(productPoints_, n, point); }
int SpringbackCompensation::GetSprungPointCount() const { return pointCount(sprungPoints_); }
void SpringbackCompensation::SetSprungPointCount(int count) { setPointCount(sprungPoints_, count); }
void SpringbackCompensation::GetNthSprungPoint(int n, Math::Point3& point) const { getPoint(sprungPoints_, n, point); }
void SpringbackCompensation::SetNthSprungPoint(int n, const Math::Point3& point) { setPoint(sprungPoints_, n, point); }

CompensateRoughCurve* CompensateRoughCurveFactory::Create() {
  Host::Log("CompensateRoughCurveFactory::Create");
  return Host::CreateInPart<CompensateRoughCurve>(nullptr);
}
CompensateRoughSheet* CompensateRoughSheetFactory::Create() {
  Host::Log("CompensateRoughSheetFactory::Create");
  return Host::CreateInPart<CompensateRoughSheet>(nullptr);
}
SpringbackCompensation* SpringbackCompensationFactory::Create() {
  Host::Log("SpringbackCompensationFactory::Create");
  return Host::CreateInPart<SpringbackCompensation>(nullptr);
}

}  // namespace KTX::DieEng
