#include "DieDesJA_FingerClearanceNotchBuilder.hpp"

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_SelectedTags.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(FingerClearanceNotchBuilder)
STAMVIK_OM_DEFINE_CLASS(FingerClearanceNotchBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetFingerClearanceNotchBuilderInstanceSize,
                        STAMVIK_FINGER_CLEARANCE_NOTCH_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "DieDesJA_FingerClearanceNotchBuilder";
constexpr double kMargin = 1e-10;
constexpr int kEntities = 7;

using Messages::kAngleToleranceTooSmall;
using Messages::kClosedSectionLoops;
using Messages::kDistanceToleranceTooSmall;
using Messages::kWrongParms;

// Where an error of the reaction to the target is reported.
constexpr int kNotifyLine = 843;

constexpr TemporaryFeaturePreviewNames kPreview{"Finger clearance notch create bodies",
                                                "Finger Clearance Notch: Performing boolean operation", kSource, 432,
                                                501};

DIEDES_GENERIC_BODY_PARMS* notchParmsOfRecord(FEATURE_RECORD* frec) {
  return dynamic_cast<DieDes::FingerClearanceNotch*>(FREC_ask_parms_of_frec(frec));
}

DIEDES_GENERIC_BODY_PARMS* newNotchParms() { return DieDes::FingerClearanceNotchFactory::Create(); }

// Whether the entity holds a first tag that is not 0.
bool holdsObjects(const DIEDES_GENERIC_BODY_PARMS* parms, int index) {
  DIEDES_GENERIC_ENTITY* entity = EntityToRead(parms, index);
  if (entity == nullptr) return false;
  int count = 0;
  tag_t* tags = nullptr;
  entity->AskTags(&count, &tags);
  const bool holds = count >= 1 && tags != nullptr && tags[0] != 0;
  SM_free(tags);
  return holds;
}

}  // namespace

FingerClearanceNotchBuilder* FingerClearanceNotchBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<FingerClearanceNotchBuilder>(FingerClearanceNotchBuilderClassId, [&](auto* made) {
    made->InitCreate(part, frec);
  });
}

void FingerClearanceNotchBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);

  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::FingerClearanceNotchTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_geometryAttId, SELECT_OBJECT_listFactory::Create(owningPart, false));

  DieDes::DiePlaneBuilder* base = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, false, true, true);
  base->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_baseOrientationAttId, base);
  DieDes::DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(owningPart, true, false, true, true, false, true);
  direction->SetApplScopeDirection(3);
  OM::OM_set_pointer(this, m_clearanceDirectionAttId, direction);
  OM::OM_set_pointer(this, m_attributesAttId, DieDes::DieAttributesBuilderFactory::Create(owningPart, true, true, false));

  if (frec == nullptr) {
    // The builder owns what it makes; once committed, the feature's
    // parameters hold them and they outlive the builder.
    OM::OM_set_pointer(this, m_sectionAttId, NewSection());
    for (const OM::AttributeId* attribute : {&m_extrudeWidthAttId, &m_widthAttId, &m_depthAttId})
      OM::OM_set_pointer(this, *attribute, NewZeroLength());
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  } else {
    ConvertFrecToBuilderData(frec);
  }

  m_target->SetParentHasObservers(true);
}

char* FingerClearanceNotchBuilder::ask_journal_class_name() const {
  return SM_string_copy("Die.FingerClearanceNotchBuilder");
}

int FingerClearanceNotchBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  int first = 0, second = 0, third = 0;
  if (m_section != nullptr) m_section->ask_loop_summary(&first, nullptr, &second, nullptr, &third, nullptr);
  if (third > 0) return kClosedSectionLoops;
  if (m_distanceTolerance < kMargin) return kDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kAngleToleranceTooSmall;
  // A notch of nothing would commit as a feature that cuts nothing.
  const bool selected = m_geometry != nullptr && m_geometry->ask_count() > 0;
  switch (m_type) {
    case JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face:
      return selected ? 0 : Messages::kNotchNoFaces;
    case JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_SheetBody:
      return selected ? 0 : Messages::kNotchNoSheetBodies;
    default:
      return m_section != nullptr && !m_section->is_empty() ? 0 : Messages::kNotchNoSection;
  }
}

// ---- parameters -------------------------------------------------------------------

int FingerClearanceNotchBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  if (dynamic_cast<DieDes::FingerClearanceNotch*>(parms) == nullptr) return kWrongParms;
  if (int rc = WriteSectionEntity(parms, 1, 0, m_section); rc != 0) return rc;
  const int ints[2] = {m_type, m_reverseDirection ? 1 : 0};
  if (int rc = WriteIntsEntity(parms, 0, 0, 2, ints); rc != 0) return rc;
  EXP_expression* const lengths[3] = {m_extrudeWidth, m_width, m_depth};
  if (int rc = WriteExpressionsEntity(parms, 2, 1, 3, lengths); rc != 0) return rc;

  // The geometry goes to the entity of its kind, the other one emptied first;
  // a section's notch keeps neither, so that no geometry of an earlier type
  // stays behind in the feature.
  constexpr int kSheets = 3, kFaces = 4;
  if (m_geometry == nullptr || m_geometry->ask_count() == 0 ||
      (m_type != JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face &&
       m_type != JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_SheetBody)) {
    if (int rc = WriteTagsEntity(parms, kSheets, 0, 0, nullptr); rc != 0) return rc;
    if (int rc = WriteTagsEntity(parms, kFaces, 0, 0, nullptr); rc != 0) return rc;
  } else if (m_type == JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face) {
    if (int rc = WriteTagsEntity(parms, kSheets, 0, 0, nullptr); rc != 0) return rc;
    if (int rc = WriteSelectionListEntity(parms, kFaces, m_geometry); rc != 0) return rc;
  } else if (m_type == JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_SheetBody) {
    if (int rc = WriteTagsEntity(parms, kFaces, 0, 0, nullptr); rc != 0) return rc;
    if (int rc = WriteSelectionListEntity(parms, kSheets, m_geometry); rc != 0) return rc;
  }

  if (int rc = WritePlaneEntity(parms, 5, m_baseOrientation); rc != 0) return rc;
  if (int rc = WriteDirectionEntity(parms, 6, m_clearanceDirection); rc != 0) return rc;
  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  return WriteDieAttributes(parms, m_attributes);
}

int FingerClearanceNotchBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOrRaise<DieDes::FingerClearanceNotch>(frec, kSource, 143);
  OM::LogForWrite(parms);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

void FingerClearanceNotchBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOrRaise<DieDes::FingerClearanceNotch>(frec, kSource, 150);

  SetAlgorithmVersion(parms->GetAlgorithmVersion());
  SetDistanceTolerance(parms->GetDistanceTolerance());
  SetAngleTolerance(parms->GetAngleTolerance());

  const int entities = EntitiesToUse(parms, kEntities);
  if (entities > 0) {
    SetType(static_cast<JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types>(parms->AskEntityInt(0, 0)));
    SetReverseDirection(parms->AskEntityInt(0, 1) == 1);
  }
  if (entities > 1) ReadSectionEntity(this, m_sectionAttId, m_section, parms, 1, 0, ask_owning_part());
  if (entities > 2) {
    ReadExpressionCopy(m_extrudeWidthAttId, parms, 2, 0);
    ReadExpressionCopy(m_widthAttId, parms, 2, 1);
    ReadExpressionCopy(m_depthAttId, parms, 2, 2);
  }
  // Every sheet body of entity 3 comes back, not only its first: a commit
  // after this edit writes the list back whole.
  if (entities > 3 && holdsObjects(parms, 3))
    ReadSelectionListEntity(parms, 3, m_geometry);
  else if (entities > 4)
    ReadSelectionListEntity(parms, 4, m_geometry);
  if (entities > 5) ReadPlaneEntity(parms, 5, m_baseOrientation);
  if (entities > 6) ReadDirectionEntity(parms, 6, m_clearanceDirection);
  ReadDieAttributes(parms, m_attributes);

  ReadTargetBody(parms, m_target);
}

void FingerClearanceNotchBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  AppendSelectedTag(count, tags, m_target != nullptr ? m_target->ask_selected_tag() : 0);
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_section, count, tags);
  if (m_geometry != nullptr)
    for (int i = 0, n = m_geometry->ask_count(); i < n; ++i) AppendSelectedTag(count, tags, m_geometry->ask_nth(i));
  if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
  if (m_clearanceDirection != nullptr) m_clearanceDirection->GetSelectedObjects(count, tags);
}

// ---- reaction, commit, preview --------------------------------------------------------

void FingerClearanceNotchBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_baseOrientation, nullptr, kSource, kNotifyLine);
}

int FingerClearanceNotchBuilder::commit_feature(FEATURE_RECORD** frec) {
  if (m_targetData != nullptr) m_targetData->SetFrecPointer(frec);
  return CommitWithProtocol(frec, &notchParmsOfRecord, &newNotchParms, m_target, true);
}

int FingerClearanceNotchBuilder::CreateBodies(int* count, int** bodies) const {
  return PreviewThroughTemporaryFeature(kPreview, FingerClearanceNotchFeatureCalls(), m_target, m_targetData,
                                        m_distanceTolerance, count, bodies);
}

// ---- fields -----------------------------------------------------------------------

void FingerClearanceNotchBuilder::SetReverseDirection(bool reverse) {
  OM::LogForWrite(this);
  m_reverseDirection = reverse;
}
void FingerClearanceNotchBuilder::SetType(JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void FingerClearanceNotchBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void FingerClearanceNotchBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void FingerClearanceNotchBuilder::SetSection(SC_section* section) {
  OM::SetReferencedObject(this, m_sectionAttId, section);
}
void FingerClearanceNotchBuilder::SetExtrudeWidth(EXP_expression* width) {
  OM::SetReferencedObject(this, m_extrudeWidthAttId, width);
}
void FingerClearanceNotchBuilder::SetWidth(EXP_expression* width) {
  OM::SetReferencedObject(this, m_widthAttId, width);
}
void FingerClearanceNotchBuilder::SetDepth(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_depthAttId, depth);
}

}  // namespace KTX::DieDesJA
