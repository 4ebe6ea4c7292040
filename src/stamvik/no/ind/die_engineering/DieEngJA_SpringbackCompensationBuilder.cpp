#include "DieEngJA_SpringbackCompensationBuilder.hpp"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>

#include "CommitPath.hpp"
#include "DieEngJA_CommitMarks.hpp"
#include "HeldSelections.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(SpringbackCompensationBuilder)
STAMVIK_OM_DEFINE_CLASS(SpringbackCompensationBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000,
                        &GetSpringbackCompensationBuilderInstanceSize,
                        STAMVIK_SPRINGBACK_COMPENSATION_BUILDER_ATTRIBUTES)

namespace {

constexpr int kDoublesPerPoint = 3;
constexpr const char* kSource = "DieEngJA_SpringbackCompensationBuilder";
constexpr const char* kMarkName = "DieEngJA::SpringbackCompensation::commit_feature";
using Messages::kNoSpringbackInput;
using Messages::kNoSprungPoints;
using Messages::kNotASpringbackFeature;
using Messages::kPointCountsDiffer;
using Messages::kUnknownDefinition;
// The section's chaining tolerance, relative to its distance tolerance.
constexpr double kChainingFactor = 0.95;
constexpr double kMargin = 1e-10;

// The builder keeps the degree as its choice, the parameters as the degree.
int degreeOfChoice(int choice) {
  switch (choice) {
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Two: return 2;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Five: return 5;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven: return 7;
    default: return 3;
  }
}
JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType choiceOfDegree(int degree) {
  switch (degree) {
    case 2: return JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Two;
    case 5: return JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Five;
    case 7: return JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven;
    default: return JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Three;
  }
}

tag_t selected(const SELECT_OBJECT* selection) { return selection == nullptr ? 0 : selection->ask_selected_tag(); }
void select(SELECT_OBJECT* selection, tag_t tag) {
  if (selection != nullptr) selection->set_selected_tag(tag);
}

SC_section* newSection(PART_part* part) {
  return SC_sectionFactory::object(OM::OM_ask_object_tag(part), kChainingFactor * TOLER_ask_distance_tol(),
                                   TOLER_ask_distance_tol(), TOLER_ask_angular_tol());
}

int pointCount(const OM::Object* builder, const OM::AttributeId& points) {
  return OM::OM_vask_array_length(builder, points) / kDoublesPerPoint;
}

// The first of point n's doubles, in 64 bits so that no index wraps; a
// negative n is as far out of range as an index past the end.
std::int64_t firstDouble(int n) { return static_cast<std::int64_t>(n) * kDoublesPerPoint; }

void getNthPoint(const OM::Object* builder, const OM::AttributeId& points, int n, Math::Point3& point) {
  const int length = OM::OM_vask_array_length(builder, points);
  const std::int64_t at = firstDouble(n);
  if (at < 0 || at >= length) OM::ThrowIndexOutOfRange(n, 0, -1);
  const auto* array = static_cast<const OM::DoubleVla*>(OM::OM_ask_vla(builder, points));
  // A list whose length is no multiple of three has no whole last point.
  if (at + kDoublesPerPoint > length) array->ThrowIndexOutOfRange(static_cast<int>(at + kDoublesPerPoint - 1));
  const auto i = static_cast<std::size_t>(at);
  point.X = array->Items()[i];
  point.Y = array->Items()[i + 1];
  point.Z = array->Items()[i + 2];
}

void setNthPoint(OM::Object* builder, const OM::AttributeId& points, int n, const Math::Point3& point) {
  const int length = OM::OM_vask_array_length(builder, points);
  const std::int64_t at = firstDouble(n);
  if (at < 0 || at > length) OM::ThrowIndexOutOfRange(n, 0, -1);
  if (at == length) OM::OM_set_array_length(builder, points, length + kDoublesPerPoint);
  auto* array = static_cast<OM::DoubleVla*>(OM::OM_ask_vla(builder, points));
  if (at + kDoublesPerPoint > array->Length())
    array->ThrowIndexOutOfRange(static_cast<int>(at + kDoublesPerPoint - 1));
  if (array->OmState() != OM::Object::kStateNoLog) OM::OM__log(array);
  const auto i = static_cast<std::size_t>(at);
  array->Items()[i] = point.X;
  array->Items()[i + 1] = point.Y;
  array->Items()[i + 2] = point.Z;
}

// The array length of n points, kept within an int however large n is.
int doublesFor(int n) {
  return static_cast<int>(std::clamp<std::int64_t>(firstDouble(n), std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

const double* firstCoordinate(const OM::Object* builder, const OM::AttributeId& points) {
  const auto* array = static_cast<const OM::DoubleVla*>(OM::OM_ask_vla(builder, points));
  return array == nullptr || array->Length() == 0 ? nullptr : array->Items().data();
}

// The text may be the stored string itself, so it is copied before the old one goes.
void setFileName(OM::Object* builder, const OM::AttributeId& file, const char* fileName) {
  const std::string copy = fileName != nullptr ? fileName : "";
  OM::OM_set_string(builder, file, copy.c_str());
}

}  // namespace

SpringbackCompensationBuilder* SpringbackCompensationBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<SpringbackCompensationBuilder>(SpringbackCompensationBuilderClassId, [&](auto* made) {
    made->InitCreate(part, frec);
  });
}

void SpringbackCompensationBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  PART_part* owner = ask_owning_part();
  // The builder owns what it makes: its selections go with it, and so do its
  // sections unless a committed feature holds them.
  for (const OM::AttributeId* selection :
       {&m_oneStepAttId, &m_productSheetAttId, &m_productFacetsAttId, &m_sprungFacetsAttId})
    OM::OM_set_pointer(this, *selection, SELECT_OBJECTFactory::Create(owner));
  if (frec != nullptr) {
    ConvertFrecToBuilderData(frec);
    return;
  }
  OM::OM_set_pointer(this, m_innerCurveAttId, newSection(owner));
  OM::OM_set_pointer(this, m_outerCurveAttId, newSection(owner));
  OM::LogForWrite(this);
  m_distanceTolerance = TOLER_ask_distance_tol();
  m_angleTolerance = TOLER_ask_angular_tol();
}

int SpringbackCompensationBuilder::SetParms(DieEng::SpringbackCompensation* parms) {
  parms->SetDefinedBy(m_definedBy);
  parms->SetDrawVector(m_drawVector);
  // An edit's copies are written into the feature's own sections, which it
  // keeps.
  if (SC_section* own = parms->GetInnerCurveCollector(); own != nullptr && m_innerCurve != nullptr)
    if (const int rc = Stamvik::WriteContents(own, m_innerCurve); rc != 0) return rc;
  if (SC_section* own = parms->GetOuterCurveCollector(); own != nullptr && m_outerCurve != nullptr)
    if (const int rc = Stamvik::WriteContents(own, m_outerCurve); rc != 0) return rc;
  if (parms->GetInnerCurveCollector() == nullptr) parms->SetInnerCurveCollector(m_innerCurve);
  if (parms->GetOuterCurveCollector() == nullptr) parms->SetOuterCurveCollector(m_outerCurve);
  parms->SetShapeValue(m_shapeValue);
  parms->SetResultType(m_resultType);
  parms->SetCreateFacets(m_createFacets);
  parms->SetDeformationFactor(m_deformationFactor);
  parms->SetSmoothingFactor(m_smoothingFactor);
  parms->SetConvexityEnabled(m_convexityEnabled);
  parms->SetConvexityDirection(m_setConvexityDirection);
  parms->SetStepSize(m_stepSize);
  parms->SetDegree(degreeOfChoice(m_degree));
  parms->SetDivisions(m_divisions);
  parms->SetCalculateMaxDeviation(m_calculateMaxDeviation);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  parms->SetIsGenericDeform(m_isGenericDeform);

  // Inputs of the other modes stay in the builder but never reach the feature.
  parms->SetOneStep(nullptr);
  parms->SetProductSheet(0);
  parms->SetProductFacets(0);
  parms->SetProductPointCount(0);
  parms->SetSprungFacets(0);
  parms->SetSprungPointCount(0);
  parms->SetProductPointsFile("");
  parms->SetSprungPointsFile("");

  switch (m_definedBy) {
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_OneStepFeature:
      parms->SetOneStep(dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(selected(m_oneStep))));
      break;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies:
      parms->SetProductSheet(BREF_ask_bref_of_eidbody(selected(m_productSheet)));
      parms->SetProductFacets(selected(m_productFacets));
      parms->SetSprungFacets(selected(m_sprungFacets));
      break;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_Points: {
      // Points are measured on the part itself, not on where an assembly places it.
      tag_t sheet = selected(m_productSheet);
      if (OCC_is_occurrence(sheet)) sheet = OCC_ask_prototype_of_occ(sheet);
      parms->SetProductSheet(BREF_ask_bref_of_eidbody(sheet));
      if (m_productPointsFile != nullptr) parms->SetProductPointsFile(m_productPointsFile);
      if (m_sprungPointsFile != nullptr) parms->SetSprungPointsFile(m_sprungPointsFile);
      Math::Point3 point{};
      const int products = GetProductPointCount();
      parms->SetProductPointCount(products);
      for (int i = 0; i < products; ++i) {
        GetNthProductPoint(i, point);
        parms->SetNthProductPoint(i, point);
      }
      const int sprung = GetSprungPointCount();
      parms->SetSprungPointCount(sprung);
      for (int i = 0; i < sprung; ++i) {
        GetNthSprungPoint(i, point);
        parms->SetNthSprungPoint(i, point);
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

void SpringbackCompensationBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  FEATURE_PARMS* found = FREC_ask_parms_of_frec(frec);
  if (found == nullptr || !OM::OM_is_subclass(found->OmClassId(), DieEng::SpringbackCompensation::ThisClassId))
    ERROR_raise(kSource, 233, kNotASpringbackFeature, "Feature is not a Springback Compensation feature.");
  const auto* parms = static_cast<const DieEng::SpringbackCompensation*>(found);

  // The feature's own sections stay the feature's: the builder works on
  // copies it owns, which a commit writes into them (HeldSelections.hpp).
  const tag_t part = OM::OM_ask_object_tag(ask_owning_part());
  OM::OM_set_pointer(this, m_innerCurveAttId, Stamvik::CopyOfSection(parms->GetInnerCurveCollector(), part));
  OM::OM_set_pointer(this, m_outerCurveAttId, Stamvik::CopyOfSection(parms->GetOuterCurveCollector(), part));
  SetDrawVector(parms->GetDrawVector());
  SetConvexityDirection(parms->GetConvexityDirection());
  OM::LogForWrite(this);
  m_definedBy = parms->GetDefinedBy();
  m_shapeValue = parms->GetShapeValue();
  m_resultType = parms->GetResultType();
  m_createFacets = parms->GetCreateFacets();
  m_deformationFactor = parms->GetDeformationFactor();
  m_smoothingFactor = parms->GetSmoothingFactor();
  m_convexityEnabled = parms->GetConvexityEnabled();
  m_stepSize = parms->GetStepSize();
  m_degree = choiceOfDegree(parms->GetDegree());
  m_divisions = parms->GetDivisions();
  m_calculateMaxDeviation = parms->GetCalculateMaxDeviation();
  m_distanceTolerance = parms->GetDistanceTolerance();
  m_angleTolerance = parms->GetAngleTolerance();
  m_isGenericDeform = parms->GetIsGenericDeform();

  for (SELECT_OBJECT* selection : {m_oneStep, m_productSheet, m_productFacets, m_sprungFacets}) select(selection, 0);
  SetProductPointsFile("");
  SetSprungPointsFile("");

  switch (m_definedBy) {
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_OneStepFeature:
      select(m_oneStep, OM::OM_ask_object_tag(parms->GetOneStep()));
      break;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies:
      select(m_productSheet, BREF_ask_qdeid_of_bref(parms->GetProductSheet()));
      select(m_productFacets, parms->GetProductFacets());
      select(m_sprungFacets, parms->GetSprungFacets());
      break;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_Points:
      select(m_productSheet, BREF_ask_qdeid_of_bref(parms->GetProductSheet()));
      // A file moved away since is no longer named; its points are still read.
      if (CFI_ask_file_exist(parms->GetProductPointsFile()) == 0) SetProductPointsFile(parms->GetProductPointsFile());
      if (CFI_ask_file_exist(parms->GetSprungPointsFile()) == 0) SetSprungPointsFile(parms->GetSprungPointsFile());
      ReadPoints(parms);
      break;
    default:
      break;
  }
}

void SpringbackCompensationBuilder::ReadPoints(const DieEng::SpringbackCompensation* parms) {
  Math::Point3 point{};
  const int products = parms->GetProductPointCount();
  SetProductPointCount(products);
  for (int i = 0; i < products; ++i) {
    parms->GetNthProductPoint(i, point);
    SetNthProductPoint(i, point);
  }
  const int sprung = parms->GetSprungPointCount();
  SetSprungPointCount(sprung);
  for (int i = 0; i < sprung; ++i) {
    parms->GetNthSprungPoint(i, point);
    SetNthSprungPoint(i, point);
  }
}

int SpringbackCompensationBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  // The record takes the tolerances as they are: one of 0 or less is refused
  // here, as by every body builder.
  if (m_distanceTolerance < kMargin) return Messages::kGeneralDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return Messages::kGeneralAngleToleranceTooSmall;
  switch (m_definedBy) {
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_OneStepFeature:
      return selected(m_oneStep) == 0 ? kNoSpringbackInput : 0;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies:
      return selected(m_productSheet) == 0 || selected(m_sprungFacets) == 0 ? kNoSpringbackInput : 0;
    case JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_Points: {
      const int products = GetProductPointCount();
      const int sprung = GetSprungPointCount();
      if (products >= 1 && products != sprung) return kPointCountsDiffer;
      if (sprung < 1) return kNoSprungPoints;
      return selected(m_productSheet) == 0 ? kNoSpringbackInput : 0;
    }
    default:
      return kUnknownDefinition;
  }
}

int SpringbackCompensationBuilder::commit_feature(FEATURE_RECORD** frec) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&]() -> int {
    // Under its marks (CommitMarks) from its first step to its last.
    FEATURE_RECORD* edited = get_frec();
    if (edited == nullptr) *frec = nullptr;
    CommitMarks marks(kMarkName, kSource, 109);
    if (marks.Failure() != 0) return marks.Failure();
    FEATURE_RECORD* made = nullptr;
    int status = 0;
    try {
      if (edited != nullptr) {
        auto* parms = dynamic_cast<DieEng::SpringbackCompensation*>(FREC_ask_parms_of_frec(edited));
        if (parms == nullptr)
          ERROR_raise(kSource, 140, kNotASpringbackFeature, "Feature is not a Springback Compensation feature.");
        status = SetParms(parms);
        if (status == 0) UPDATE_log_object_to_update(edited);
      } else {
        DieEng::SpringbackCompensation* parms = DieEng::SpringbackCompensationFactory::Create();
        status = SetParms(parms);
        if (status == 0) {
          CM_create_frec_using_parms(parms, &made);
          Stamvik::HostBlock<char> name;
          FMI_invoke_ask_name(made, name.out());
          made->set_name(name.get());
          status = CM_include_frec(made, true);
          if (status == 0) status = CM_apply_frec(made, true);
          if (status == 0) UPDATE_do_update();
          // Kept open and committed again, the builder edits the feature it made.
          if (status == 0) set_frec(made);
        }
      }
    } catch (const std::exception& e) {
      status = Error::HandleAsBuilder(e, kSource, 155);
    }
    if (marks.Finish(status) == 0 && edited == nullptr) *frec = made;
    return status;
  });
}

char* SpringbackCompensationBuilder::ask_journal_class_name() const {
  return SM_string_copy("Die.SpringbackCompensationBuilder");
}

const char* SpringbackCompensationBuilder::GetProductPointsFile() const {
  return m_productPointsFile != nullptr ? m_productPointsFile : "";
}
void SpringbackCompensationBuilder::SetProductPointsFile(const char* fileName) {
  setFileName(this, m_productPointsFileAttId, fileName);
}
const char* SpringbackCompensationBuilder::GetSprungPointsFile() const {
  return m_sprungPointsFile != nullptr ? m_sprungPointsFile : "";
}
void SpringbackCompensationBuilder::SetSprungPointsFile(const char* fileName) {
  setFileName(this, m_sprungPointsFileAttId, fileName);
}

void SpringbackCompensationBuilder::SetDrawVector(tag_t vector) {
  OM::SetReferencedObject(this, m_drawVectorAttId, vector);
}
void SpringbackCompensationBuilder::SetConvexityDirection(tag_t direction) {
  OM::SetReferencedObject(this, m_setConvexityDirectionAttId, direction);
}
void SpringbackCompensationBuilder::SetInnerCurve(SC_section* section) {
  OM::SetReferencedObject(this, m_innerCurveAttId, section);
}
void SpringbackCompensationBuilder::SetOuterCurve(SC_section* section) {
  OM::SetReferencedObject(this, m_outerCurveAttId, section);
}

int SpringbackCompensationBuilder::GetProductPointCount() const { return pointCount(this, m_productPointsAttId); }
int SpringbackCompensationBuilder::GetSprungPointCount() const { return pointCount(this, m_sprungPointsAttId); }
const double* SpringbackCompensationBuilder::GetProductPointRef() const {
  return firstCoordinate(this, m_productPointsAttId);
}
const double* SpringbackCompensationBuilder::GetSprungPointRef() const {
  return firstCoordinate(this, m_sprungPointsAttId);
}
void SpringbackCompensationBuilder::SetProductPointCount(int n) {
  OM::OM_set_array_length(this, m_productPointsAttId, doublesFor(n));
}
void SpringbackCompensationBuilder::SetSprungPointCount(int n) {
  OM::OM_set_array_length(this, m_sprungPointsAttId, doublesFor(n));
}
void SpringbackCompensationBuilder::GetNthProductPoint(int n, Math::Point3& point) const {
  getNthPoint(this, m_productPointsAttId, n, point);
}
void SpringbackCompensationBuilder::GetNthSprungPoint(int n, Math::Point3& point) const {
  getNthPoint(this, m_sprungPointsAttId, n, point);
}
void SpringbackCompensationBuilder::SetNthProductPoint(int n, Math::Point3 point) {
  setNthPoint(this, m_productPointsAttId, n, point);
}
void SpringbackCompensationBuilder::SetNthSprungPoint(int n, Math::Point3 point) {
  setNthPoint(this, m_sprungPointsAttId, n, point);
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field)          \
  void SpringbackCompensationBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                                 \
    field = value;                                         \
  }
STAMVIK_PLAIN_SETTER(SetDefinedBy, JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType, m_definedBy)
STAMVIK_PLAIN_SETTER(SetResultType, JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType, m_resultType)
STAMVIK_PLAIN_SETTER(SetDegree, JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType, m_degree)
STAMVIK_PLAIN_SETTER(SetDivisions, int, m_divisions)
STAMVIK_PLAIN_SETTER(SetShapeValue, double, m_shapeValue)
STAMVIK_PLAIN_SETTER(SetDeformationFactor, double, m_deformationFactor)
STAMVIK_PLAIN_SETTER(SetSmoothingFactor, double, m_smoothingFactor)
STAMVIK_PLAIN_SETTER(SetStepSize, double, m_stepSize)
STAMVIK_PLAIN_SETTER(SetDistanceTolerance, double, m_distanceTolerance)
STAMVIK_PLAIN_SETTER(SetAngleTolerance, double, m_angleTolerance)
STAMVIK_PLAIN_SETTER(SetCreateFacets, bool, m_createFacets)
STAMVIK_PLAIN_SETTER(SetCalculateMaxDeviation, bool, m_calculateMaxDeviation)
STAMVIK_PLAIN_SETTER(SetConvexityEnabled, bool, m_convexityEnabled)
STAMVIK_PLAIN_SETTER(SetIsGenericDeform, bool, m_isGenericDeform)
#undef STAMVIK_PLAIN_SETTER

}  // namespace KTX::DieEngJA
