#include "DieDesJA_HandlingCoreBuilder.hpp"

#include <vector>

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_SelectedTags.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(HandlingCoreBuilder)
STAMVIK_OM_DEFINE_CLASS(HandlingCoreBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetHandlingCoreBuilderInstanceSize, STAMVIK_HANDLING_CORE_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "DieDesJA_HandlingCoreBuilder";
constexpr double kMargin = 1e-10;
constexpr int kEntities = 4;

using Messages::kAngleToleranceTooSmall;
using Messages::kCannotMapFromBase;
using Messages::kCoreDepthNegative;
using Messages::kCoreHeightTooSmall;
using Messages::kCoreWidthTooSmall;
using Messages::kDistanceToleranceTooSmall;
using Messages::kWrongParms;

// Where an error of the reaction to the target is reported.
constexpr int kNotifyLine = 633;

constexpr TemporaryFeaturePreviewNames kPreview{"Handling Core create bodies",
                                                " Handling Core: Performing boolean operation", kSource, 364, 433};

DIEDES_GENERIC_BODY_PARMS* newCoreParms() { return DieDes::HandlingCoreFactory::Create(); }

using Stamvik::ExpressionValue;

// The module that carries the locations: the first item of the module list
// (the index error when the list is empty).
DIEDES_GENERIC_MODULE_PARMS* locationModule(const DieDes::HandlingCore* parms) {
  return dynamic_cast<DIEDES_GENERIC_MODULE_PARMS*>(parms->GetNthModuleItem(0));
}

}  // namespace

HandlingCoreBuilder* HandlingCoreBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<HandlingCoreBuilder>(HandlingCoreBuilderClassId, [&](HandlingCoreBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void HandlingCoreBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);

  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::HandlingCoreTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieLocationsBuilder* locations =
      DieLocationsBuilderFactory::Create(owningPart, true, true, true, false, false, true, true);
  locations->SetApplScopeLocation(3);
  OM::OM_set_pointer(this, m_locationAttId, locations);
  for (const OM::AttributeId* attribute : {&m_coreOrientationAttId, &m_baseOrientationAttId}) {
    DieDes::DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, false, true, true);
    plane->SetApplScopePlane(3);
    OM::OM_set_pointer(this, *attribute, plane);
  }

  if (frec == nullptr) {
    for (const OM::AttributeId* attribute : {&m_heightAttId, &m_widthAttId, &m_clearanceAttId, &m_depthAttId})
      OM::OM_set_pointer(this, *attribute, NewZeroLength());
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  } else {
    ConvertFrecToBuilderData(frec);
  }

  m_target->SetParentHasObservers(true);
}

char* HandlingCoreBuilder::ask_journal_class_name() const { return SM_string_copy("Die.HandlingCoreBuilder"); }

int HandlingCoreBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  if (m_type == JA_HANDLING_CORE_BUILDER_Types_MapFromBase && m_targetData != nullptr &&
      !m_targetData->GetMapFromBaseFlag())
    return kCannotMapFromBase;
  if (ExpressionValue(m_height) < m_distanceTolerance + kMargin) return kCoreHeightTooSmall;
  if (ExpressionValue(m_width) < m_distanceTolerance + kMargin) return kCoreWidthTooSmall;
  if (m_type == JA_HANDLING_CORE_BUILDER_Types_AtLocation && ExpressionValue(m_depth) < -kMargin) return kCoreDepthNegative;
  if (m_distanceTolerance < kMargin) return kDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kAngleToleranceTooSmall;
  return 0;
}

// ---- parameters -------------------------------------------------------------------

int HandlingCoreBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  auto* core = dynamic_cast<DieDes::HandlingCore*>(parms);
  if (core == nullptr) return kWrongParms;
  const int type = m_type;
  if (int rc = WriteIntsEntity(parms, 0, 0, 1, &type); rc != 0) return rc;
  if (int rc = WritePlaneEntity(parms, 1, m_coreOrientation); rc != 0) return rc;
  if (int rc = WritePlaneEntity(parms, 2, m_baseOrientation); rc != 0) return rc;
  EXP_expression* const sizes[4] = {m_height, m_width, m_clearance, m_depth};
  if (int rc = WriteExpressionsEntity(parms, 3, 1, 4, sizes); rc != 0) return rc;
  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  return m_location->ToParmsParentModule(locationModule(core), get_frec());
}

int HandlingCoreBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOrRaise<DieDes::HandlingCore>(frec, kSource, 121);
  OM::LogForWrite(parms);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

void HandlingCoreBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOrRaise<DieDes::HandlingCore>(frec, kSource, 128);

  SetAlgorithmVersion(parms->GetAlgorithmVersion());
  SetDistanceTolerance(parms->GetDistanceTolerance());
  SetAngleTolerance(parms->GetAngleTolerance());

  const int entities = EntitiesToUse(parms, kEntities);
  if (entities > 0) SetType(static_cast<JA_HANDLING_CORE_BUILDER_Types>(parms->AskEntityInt(0, 0)));
  if (entities > 1) ReadPlaneEntity(parms, 1, m_coreOrientation);
  if (entities > 2) ReadPlaneEntity(parms, 2, m_baseOrientation);
  if (entities > 3) {
    ReadExpressionCopy(m_heightAttId, parms, 3, 0);
    ReadExpressionCopy(m_widthAttId, parms, 3, 1);
    ReadExpressionCopy(m_clearanceAttId, parms, 3, 2);
    ReadExpressionCopy(m_depthAttId, parms, 3, 3);
  }

  // Only the module's locations, side by side: an empty entry or an item of
  // another kind is neither read as a location nor lets a later one be lost.
  DIEDES_GENERIC_MODULE_PARMS* module = locationModule(parms);
  const int items = module != nullptr ? module->GetNumDiedesItems() : 0;
  std::vector<DieDes::DieDesGenericLocation*> locations;
  for (int i = 0; i < items; ++i)
    if (auto* location = dynamic_cast<DieDes::DieDesGenericLocation*>(module->GetNthDiedesItems(i)))
      locations.push_back(location);
  if (!locations.empty()) m_location->FromParms(locations.data(), static_cast<int>(locations.size()));

  ReadTargetBody(parms, m_target);
}

void HandlingCoreBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  AppendSelectedTag(count, tags, m_target != nullptr ? m_target->ask_selected_tag() : 0);
  if (m_location != nullptr) m_location->GetSelectedObjects(count, tags);
  if (m_coreOrientation != nullptr) m_coreOrientation->GetSelectedObjects(count, tags);
  if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
}

// ---- reaction, commit, preview --------------------------------------------------------

void HandlingCoreBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_baseOrientation, nullptr, kSource, kNotifyLine);
}

int HandlingCoreBuilder::commit_feature(FEATURE_RECORD** frec) {
  if (m_targetData != nullptr) m_targetData->SetFrecPointer(frec);
  // An edited record's parameters are taken as they are; writing them checks their class.
  return CommitWithProtocol(frec, nullptr, &newCoreParms, m_target, true);
}

int HandlingCoreBuilder::CreateBodies(int* count, int** bodies) const {
  return PreviewThroughTemporaryFeature(kPreview, HandlingCoreFeatureCalls(), m_target, m_targetData,
                                        m_distanceTolerance, count, bodies);
}

// ---- fields -----------------------------------------------------------------------

void HandlingCoreBuilder::SetType(JA_HANDLING_CORE_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void HandlingCoreBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void HandlingCoreBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void HandlingCoreBuilder::SetHeight(EXP_expression* height) { OM::SetReferencedObject(this, m_heightAttId, height); }
void HandlingCoreBuilder::SetWidth(EXP_expression* width) { OM::SetReferencedObject(this, m_widthAttId, width); }
void HandlingCoreBuilder::SetClearance(EXP_expression* clearance) {
  OM::SetReferencedObject(this, m_clearanceAttId, clearance);
}
void HandlingCoreBuilder::SetDepth(EXP_expression* depth) { OM::SetReferencedObject(this, m_depthAttId, depth); }

}  // namespace KTX::DieDesJA
