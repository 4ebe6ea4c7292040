#include "DieDesJA_MachineReliefBuilder.hpp"

#include <exception>

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_SelectedTags.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(MachineReliefBuilder)
STAMVIK_OM_DEFINE_CLASS(MachineReliefBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetMachineReliefBuilderInstanceSize, STAMVIK_MACHINE_RELIEF_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "DieDesJA_MachineReliefBuilder";
constexpr double kMargin = 1e-10;
constexpr int kEntities = 10;

using Messages::kAngleToleranceTooSmall;
using Messages::kDistanceToleranceTooSmall;
using Messages::kWrongParms;

// Where an error of the reactions is reported.
constexpr int kNotifyLine = 1179;

constexpr TemporaryFeaturePreviewNames kPreview{"Machine Relief create bodies",
                                                "Machine Relief: Performing boolean operation", kSource, 618, 687};

// The target data's kind for a thickened wall on an interior main profile.
constexpr int kThickenInteriorKind = 3;

// The curve the target data find for their relief kind, which stands in
// for a main profile the builder does not hold: 0 when they find none.
tag_t targetCurve(const DieDes::MachineReliefTarget* data) {
  if (data == nullptr) return 0;
  int pair = -1;
  switch (data->GetReliefKind()) {
    case 0:
    case 1:
      pair = 0;
      break;
    case 2:
      pair = 1;
      break;
    case kThickenInteriorKind:
      pair = 2;
      break;
    default:
      return 0;
  }
  return data->GetCurveFlag(pair) ? data->GetCurve(pair) : 0;
}

void loopCounts(const SC_section* section, int* first, int* second) {
  int third = 0;
  section->ask_loop_summary(first, nullptr, second, nullptr, &third, nullptr);
}

}  // namespace

MachineReliefBuilder* MachineReliefBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<MachineReliefBuilder>(MachineReliefBuilderClassId, [&](MachineReliefBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void MachineReliefBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);

  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::MachineReliefTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  // The plane and the direction keep the scopes they are made with.
  OM::OM_set_pointer(this, m_baseOrientationAttId,
                     DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, true));
  OM::OM_set_pointer(this, m_startAttId,
                     DieLocationBuilderFactory::CreateItem(owningPart, true, true, true, false, true, true));
  OM::OM_set_pointer(this, m_endAttId,
                     DieLocationBuilderFactory::CreateItem(owningPart, true, true, true, false, true, true));
  OM::OM_set_pointer(this, m_camDirectionAttId,
                     DieDes::DieDirectionBuilderFactory::Create(owningPart, true, true, true, true, true, true));
  OM::OM_set_pointer(this, m_trimSheetAttId, SELECT_OBJECTFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_beltAttributesAttId,
                     DieDes::DieAttributesBuilderFactory::Create(owningPart, true, true, false));

  if (frec == nullptr) {
    const tag_t partTag = OM::OM_ask_object_tag(owningPart);
    OM::OM_set_pointer(this, m_baseOffsetAttId, NewZeroLength());
    OM::OM_set_pointer(this, m_topOffsetAttId, NewZeroLength());
    OM::OM_set_pointer(this, m_mainProfileAttId, NewSection());
    OM::OM_set_pointer(this, m_trimSheetFaceAttId, SC_collectorFactory::object(partTag));
    OM::OM_set_pointer(this, m_trimSheetOffsetAttId, NewZeroLength());
    OM::OM_set_pointer(this, m_insideWallProfileAttId, NewSection());
    for (const OM::AttributeId* attribute :
         {&m_offsetAttId, &m_reliefAttId, &m_beltFaceThicknessAttId, &m_profileOffsetAttId, &m_reliefOffsetAttId,
          &m_trimOffsetAttId, &m_wallOffsetAttId, &m_wallThicknessAttId})
      OM::OM_set_pointer(this, *attribute, NewZeroLength());
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  } else {
    ConvertFrecToBuilderData(frec);
  }

  m_target->SetParentHasObservers(true);
  if (m_mainProfile != nullptr) m_mainProfile->SetParentHasObservers(true);
}

char* MachineReliefBuilder::ask_journal_class_name() const { return SM_string_copy("Die.MachineReliefBuilder"); }

int MachineReliefBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  if (m_distanceTolerance < kMargin) return kDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kAngleToleranceTooSmall;
  // The inside wall's profile is optional; the main profile is the relief's
  // outline, unless the target finds a curve for the kind in its place.
  if ((m_mainProfile == nullptr || m_mainProfile->is_empty()) && targetCurve(m_targetData) == 0)
    return Messages::kMachineReliefNoMainProfile;
  return 0;
}

// ---- reactions ---------------------------------------------------------------------

void MachineReliefBuilder::Notify(OM::Object* changed) {
  if (changed == nullptr || (changed != m_target && changed != m_mainProfile)) return;
  try {
    if (changed == m_target)
      ReactToTarget();
    else
      ReactToMainProfile();
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, kNotifyLine);
  }
}

void MachineReliefBuilder::SetStartAndEndRequired(bool required) {
  if (m_start != nullptr) m_start->SetApplIsOverallRequired(required);
  if (m_end != nullptr) m_end->SetApplIsOverallRequired(required);
}

void MachineReliefBuilder::ReactToTarget() {
  if (m_targetData == nullptr) return;
  m_targetData->SetTargetBody(m_target->ask_selected_tag());
  if (m_baseOrientation != nullptr) m_baseOrientation->SetApplIsOverallRequired(!m_targetData->GetOrientationFlag());
  if (m_mainProfile == nullptr) return;
  int first = 0, second = 0;
  loopCounts(m_mainProfile, &first, &second);
  if (first != 0) return;

  // Without a closed main profile, the curve the target found for the kind
  // decides: a closed one needs the start and the end.
  const tag_t curve = targetCurve(m_targetData);
  if (curve == 0) return;
  EVC_curve* evaluator = nullptr;
  evcrvu(curve, &evaluator);
  const bool closed = DIE_ADD_curve_is_closed(evaluator, m_distanceTolerance, m_angleTolerance, 0);
  evcrvf(evaluator);
  SetStartAndEndRequired(closed);
}

void MachineReliefBuilder::ReactToMainProfile() {
  int first = 0, second = 0;
  if (m_mainProfile != nullptr) loopCounts(m_mainProfile, &first, &second);
  SetStartAndEndRequired(!(first == 1 && second == 1));
}

// ---- parameters -------------------------------------------------------------------

int MachineReliefBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  if (dynamic_cast<DieDes::MachineRelief*>(parms) == nullptr) return kWrongParms;
  if (int rc = WritePlaneEntity(parms, 2, m_baseOrientation); rc != 0) return rc;
  EXP_expression* const sizes[11] = {m_baseOffset,    m_topOffset,         m_trimSheetOffset, m_offset,
                                     m_relief,        m_beltFaceThickness, m_profileOffset,   m_reliefOffset,
                                     m_trimOffset,    m_wallOffset,        m_wallThickness};
  if (int rc = WriteExpressionsEntity(parms, 1, 1, 11, sizes); rc != 0) return rc;
  // Six places; the sixth is kept 0.
  const int ints[6] = {m_type, m_mainProfileType, m_switchTrimSide ? 1 : 0, m_trimSheetType, m_jogWall ? 1 : 0, 0};
  if (int rc = WriteIntsEntity(parms, 0, 0, 6, ints); rc != 0) return rc;
  if (int rc = WriteSectionEntity(parms, 3, 0, m_mainProfile); rc != 0) return rc;
  if (int rc = WriteLocationEntity(parms, 4, m_start); rc != 0) return rc;
  if (int rc = WriteLocationEntity(parms, 5, m_end); rc != 0) return rc;
  if (int rc = WriteDirectionEntity(parms, 6, m_camDirection); rc != 0) return rc;
  const tag_t sheet = m_trimSheet != nullptr ? m_trimSheet->ask_selected_tag() : 0;
  if (int rc = WriteTagsEntity(parms, 7, 1, sheet != 0 ? 1 : 0, sheet != 0 ? &sheet : nullptr); rc != 0) return rc;
  if (m_trimSheetFace != nullptr && m_trimSheetFace->ask_count() > 0) {
    const tag_t faces = m_trimSheetFace->ask_tag();
    if (int rc = WriteTagsEntity(parms, 8, 0, 1, &faces); rc != 0) return rc;
    if (DIEDES_EXTRACTION_TABLE_MAP* map = DIEDES_UTILS__get_extraction_table_map(); map != nullptr)
      map->MapCollector(m_trimSheetFace);
  } else if (int rc = WriteTagsEntity(parms, 8, 0, 0, nullptr); rc != 0) {
    return rc;
  }
  if (int rc = WriteSectionEntity(parms, 9, 0, m_insideWallProfile); rc != 0) return rc;
  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  return WriteDieAttributes(parms, m_beltAttributes);
}

int MachineReliefBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms =
      FeatureParmsOfClassOrRaise<DieDes::MachineRelief>(frec, kSource, 203, "Feature is not a Machine Relief.");
  OM::LogForWrite(parms);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

void MachineReliefBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms =
      FeatureParmsOfClassOrRaise<DieDes::MachineRelief>(frec, kSource, 211, "Feature is not a MachineRelief.");

  SetAlgorithmVersion(parms->GetAlgorithmVersion());
  SetDistanceTolerance(parms->GetDistanceTolerance());
  SetAngleTolerance(parms->GetAngleTolerance());

  const int entities = EntitiesToUse(parms, kEntities);
  if (entities > 2) ReadPlaneEntity(parms, 2, m_baseOrientation);
  if (entities > 1) {
    // In the entity's order.
    const OM::AttributeId* const fields[11] = {
        &m_baseOffsetAttId,    &m_topOffsetAttId,    &m_trimSheetOffsetAttId, &m_offsetAttId,
        &m_reliefAttId,        &m_beltFaceThicknessAttId, &m_profileOffsetAttId, &m_reliefOffsetAttId,
        &m_trimOffsetAttId,    &m_wallOffsetAttId,   &m_wallThicknessAttId};
    for (int i = 0; i < 11; ++i) ReadExpressionCopy(*fields[i], parms, 1, i);
  }
  if (entities > 0) {
    // The profile type first: the target data's kind follows the stored
    // profile, not the one the builder held before.
    SetMainProfileType(static_cast<JA_MACHINE_RELIEF_BUILDER_MainProfileTypes>(parms->AskEntityInt(0, 1)));
    SetType(static_cast<JA_MACHINE_RELIEF_BUILDER_Types>(parms->AskEntityInt(0, 0)));
    SetSwitchTrimSide(parms->AskEntityInt(0, 2) == 1);
    SetTrimSheetType(static_cast<JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes>(parms->AskEntityInt(0, 3)));
    SetJogWall(parms->AskEntityInt(0, 4) == 1);
  }
  PART_part* owningPart = ask_owning_part();
  if (entities > 3) ReadSectionEntity(this, m_mainProfileAttId, m_mainProfile, parms, 3, 0, owningPart);
  if (entities > 4) ReadLocationEntity(parms, 4, m_start);
  if (entities > 5) ReadLocationEntity(parms, 5, m_end);
  if (entities > 6) ReadDirectionEntity(parms, 6, m_camDirection);
  if (entities > 7) {
    int count = 0;
    tag_t* tags = nullptr;
    parms->GetEntity(7)->AskTags(&count, &tags);
    const tag_t sheet = count >= 1 && tags != nullptr ? tags[0] : 0;
    SM_free(tags);
    if (sheet != 0) m_trimSheet->set_selected_tag(sheet);
  }
  if (entities > 8) {
    DIEDES_GENERIC_ENTITY* entity = parms->GetEntity(8);
    int count = 0;
    tag_t* tags = nullptr;
    entity->AskTags(&count, &tags);
    const tag_t stored = count >= 1 && tags != nullptr ? tags[0] : 0;
    SM_free(tags);
    if (SC_collector* old = m_trimSheetFace; old != nullptr && old->ask_tag() != stored) {
      SetTrimSheetFace(nullptr);
      UPDATE_log_object_to_delete(old);
    }
    if (stored != 0) {
      SetTrimSheetFace(OM::TagToObject<SC_collector>(stored));
    } else {
      // The builder's own until a commit writes it into the feature.
      SetTrimSheetFace(SC_collectorFactory::object(OM::OM_ask_object_tag(owningPart)));
    }
  }
  if (entities > 9) ReadSectionEntity(this, m_insideWallProfileAttId, m_insideWallProfile, parms, 9, 0, owningPart);
  ReadDieAttributes(parms, m_beltAttributes);

  ReadTargetBody(parms, m_target);
}

void MachineReliefBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  AppendSelectedTag(count, tags, m_target != nullptr ? m_target->ask_selected_tag() : 0);
  if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_mainProfile, count, tags);
  if (m_start != nullptr) m_start->GetSelectedObjects(count, tags);
  if (m_end != nullptr) m_end->GetSelectedObjects(count, tags);
  if (m_camDirection != nullptr) m_camDirection->GetSelectedObjects(count, tags);
  AppendSelectedTag(count, tags, m_trimSheet != nullptr ? m_trimSheet->ask_selected_tag() : 0);
  if (m_trimSheetFace != nullptr)
    for (int i = 0, n = m_trimSheetFace->ask_count(); i < n; ++i)
      AppendSelectedTag(count, tags, m_trimSheetFace->ask_nth(i));
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_insideWallProfile, count, tags);
}

// ---- commit, preview ----------------------------------------------------------------

int MachineReliefBuilder::commit_feature(FEATURE_RECORD** frec) {
  return CommitUpdatingTarget(frec, m_targetData, m_target, []() -> DIEDES_GENERIC_BODY_PARMS* {
    return DieDes::MachineReliefFactory::Create();
  });
}

int MachineReliefBuilder::CreateBodies(int* count, int** bodies) const {
  return PreviewThroughTemporaryFeature(kPreview, MachineReliefFeatureCalls(), m_target, m_targetData,
                                        m_distanceTolerance, count, bodies);
}

// ---- fields -----------------------------------------------------------------------

void MachineReliefBuilder::SetType(JA_MACHINE_RELIEF_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
  if (m_targetData == nullptr) return;
  int kind = type;
  if (type == JA_MACHINE_RELIEF_BUILDER_Types_Thicken &&
      m_mainProfileType == JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior)
    kind = kThickenInteriorKind;
  OM::LogForWrite(m_targetData);
  m_targetData->SetReliefKind(kind);
}

void MachineReliefBuilder::SetMainProfileType(JA_MACHINE_RELIEF_BUILDER_MainProfileTypes type) {
  OM::LogForWrite(this);
  m_mainProfileType = type;
}
void MachineReliefBuilder::SetSwitchTrimSide(bool switchSide) {
  OM::LogForWrite(this);
  m_switchTrimSide = switchSide;
}
void MachineReliefBuilder::SetTrimSheetType(JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes type) {
  OM::LogForWrite(this);
  m_trimSheetType = type;
}
void MachineReliefBuilder::SetJogWall(bool jog) {
  OM::LogForWrite(this);
  m_jogWall = jog;
}
void MachineReliefBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void MachineReliefBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}

void MachineReliefBuilder::SetMainProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_mainProfileAttId, section);
}
void MachineReliefBuilder::SetInsideWallProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_insideWallProfileAttId, section);
}
void MachineReliefBuilder::SetTrimSheetFace(SC_collector* collector) {
  OM::SetReferencedObject(this, m_trimSheetFaceAttId, collector);
}

// Expressions: references, which the host logs and stores.
#define STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(Name, field)        \
  void MachineReliefBuilder::Set##Name(EXP_expression* expression) { \
    OM::SetReferencedObject(this, field##AttId, expression);         \
  }

STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(BaseOffset, m_baseOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(TopOffset, m_topOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(TrimSheetOffset, m_trimSheetOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(Offset, m_offset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(Relief, m_relief)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(BeltFaceThickness, m_beltFaceThickness)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(ProfileOffset, m_profileOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(ReliefOffset, m_reliefOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(TrimOffset, m_trimOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(WallOffset, m_wallOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(WallThickness, m_wallThickness)

#undef STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER

}  // namespace KTX::DieDesJA
