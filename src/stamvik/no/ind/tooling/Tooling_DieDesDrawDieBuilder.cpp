#include "Tooling_DieDesDrawDieBuilder.hpp"

#include <cmath>
#include <exception>
#include <vector>

#include "InputChecks.hpp"
#include "Messages.hpp"
#include "Outlines.hpp"
#include "Support.hpp"
#include "Tooling_DieDesBuildSupport.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "math/Vector.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"

namespace KTX::Tooling {

namespace {
using namespace Support;
constexpr const char* kSource = "Tooling_DieDesDrawDieBuilder";
using Messages::kDeckFlangeWiderThanDeck;
using Messages::kDeckThicknessNotPositive;
using Messages::kPunchOutsideBlank;
using Messages::kBasePlaneWithinDeck;
using Messages::kDieFaceTurnedFromBasePlane;
using Messages::kDeckEdgeInsideBinderEdge;
using Messages::kDeckFlangeBelowZero;
using Messages::kFlangeOffsetBelowZero;
using Messages::kDrawDiePunchNoArea;
using Messages::kCoreWallNotAboveTolerance;
using Messages::kCoreWallTooThick;
}  // namespace

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDesDrawDieBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDesDrawDieBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieDesDrawDieBuilderInstanceSize,
                        STAMVIK_DIE_DES_DRAW_DIE_BUILDER_ATTRIBUTES)

DieDesDrawDieBuilder* DieDesDrawDieBuilderFactory::Create(tag_t featureSet, PART_part* part) {
  return Frame::CreateAndInit<DieDesDrawDieBuilder>(DieDesDrawDieBuilderClassId, [&](DieDesDrawDieBuilder* made) {
    made->InitCreate(featureSet, part);
  });
}

void DieDesDrawDieBuilder::InitCreate(tag_t featureSet, PART_part* part) {
  init_object(part);
  PART_part* owning = ask_owning_part();
  OM::OM_set_pointer(this, m_sheetBodyAttId, SELECT_OBJECTFactory::Create(owning));
  OM::OM_set_pointer(this, m_punchCurveAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_blankCurveAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_flangeCurveAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  if (m_drawPunchBuilder == nullptr) {
    // A punch that cannot be made leaves a die that commits nothing; the
    // failure is reported, and the die is still there to be let go.
    DieDesDrawPunchBuilder* punch = nullptr;
    try {
      punch = DieDesDrawPunchBuilderFactory::Create(0, part);
    } catch (const std::exception& e) {
      Error::HandleAsBuilder(e, kSource, 129);
    }
    if (punch == nullptr) return;
    SetDrawPunchBuilder(punch);
  }
  // The set to edit makes the next commit rebuild it instead of making a new one.
  SetTfeatureSet(featureSet);
  if (m_tfeatureSet != 0 && OM::OM_object_of_tag(m_tfeatureSet) != nullptr) ConvertFrecToBuilderData(featureSet);
}

char* DieDesDrawDieBuilder::ask_journal_class_name() const { return SM_string_copy("Tooling.DieDesDrawDieBuilder"); }

void DieDesDrawDieBuilder::destroy() { cascade_destroy(); }

void DieDesDrawDieBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DieDesDrawDieBuilder::implement_destroy() {
  if (m_drawPunchBuilder == nullptr) return;
  const tag_t punch = m_drawPunchBuilder->OmTag();
  SetDrawPunchBuilder(nullptr);
  Stamvik::UnjournalledInterface<JAM::Builder_Interface>("Builder")->Destroy(punch);
}

int DieDesDrawDieBuilder::validate_nothrow() {
  if (const int refused = Stamvik::CheckInputs(this); refused != 0) return refused;
  // The set's members are asked of the host, which may raise.
  try {
    return SelectsOwnSet(m_tfeatureSet, {m_sheetBody, m_punchCurve, m_blankCurve, m_flangeCurve});
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 83);
  }
}

namespace {
std::vector<tag_t> tagsOf(const SELECT_OBJECT_list* list) {
  std::vector<tag_t> tags;
  for (int i = 0, n = list->ask_count(); i < n; ++i) tags.push_back(list->ask_nth(i));
  return tags;
}
}  // namespace

int DieDesDrawDieBuilder::RefusedSizes() {
  const double tolerance = TOLER_ask_distance_tol();
  // The thicknesses offset the die face; without one nothing is offset.
  if (m_sheetBody != nullptr && m_sheetBody->ask_selected_tag() != 0) {
    if (!(m_deckThickness > 0)) return kDeckThicknessNotPositive;
    // The middle sheet, the deck thickness less the deck flange's from the
    // die face, would lie on the far side of the face from the deck.
    if (m_deckFlangeThickness > m_deckThickness) return kDeckFlangeWiderThanDeck;
    // A flange thinner than none: the band would be cut through the deck.
    if (m_deckFlangeThickness < -tolerance) return kDeckFlangeBelowZero;
    // The die runs from the deck to its base plane, its back: the die face
    // lies on the side the plane's normal points away from, further than
    // the deck's far side. A plane nearer cuts through the deck; one on the
    // face's other side, or turned towards it, leaves the die nothing to
    // run to.
    if (m_basePlane != 0) {
      double normal[3];
      BasePlaneDirection(normal);
      const double back[3] = {-normal[0], -normal[1], -normal[2]};
      const tag_t sheet = m_sheetBody->ask_selected_tag();
      const double away = NearestToPlane(m_basePlane, sheet, back);
      if (away != HUGE_VAL && !(away > m_deckThickness + tolerance)) return kBasePlaneWithinDeck;
      // The deck is the die face offset along its own normal: a face turned
      // away from the base plane would put the deck behind it.
      if (FaceSide(sheet, normal) < 0) return kDieFaceTurnedFromBasePlane;
    }
  }
  // The flange band runs from the binder edge out to the deck edge.
  if (m_deckEdgeOffset < m_binderEdgeOffset - tolerance) return kDeckEdgeInsideBinderEdge;
  // Without flange curves the stress solid reaches out to the blank offset
  // by the flange offset: inwards it would lie under the blank, which the
  // build does not make (an offset within the tolerance of 0 makes none).
  if (m_flangeCurve != nullptr && m_flangeCurve->ask_count() == 0 && !(m_baseThickness < tolerance) &&
      m_flangeOffset < -tolerance)
    return kFlangeOffsetBelowZero;
  // A core's wall is the punch projection offset out and in by half of it:
  // sides the tolerance cannot tell apart are one to the modeller, which
  // makes the region between them whole, cavity and all.
  if (m_coreDrawDieOption && !(std::fabs(m_wallThickness) > tolerance)) return kCoreWallNotAboveTolerance;
  if (m_basePlane == 0 || m_punchCurve == nullptr || m_blankCurve == nullptr) return 0;
  double normal[3];
  BasePlaneDirection(normal);
  const double length = std::sqrt(Math::Dot(normal, normal));
  if (length == 0) return 0;
  for (double& v : normal) v /= length;
  SeenCurves punch, blank;
  if (!SeeCurves(tagsOf(m_punchCurve), normal, &punch)) return 0;
  // The punch profile bounds the main solid; a core die's is a ring round
  // it, half the wall on each side.
  if (Stamvik::Outlines::HasNoArea(punch.points, tolerance)) return kDrawDiePunchNoArea;
  if (m_coreDrawDieOption && InwardOffsetLeavesNothing(punch, 0.5 * std::fabs(m_wallThickness), tolerance))
    return kCoreWallTooThick;
  if (!SeeCurves(tagsOf(m_blankCurve), normal, &blank) || !Closes(blank, tolerance)) return 0;
  return Stamvik::Outlines::LiesWithin(punch.outline, blank.outline, tolerance) ? 0 : kPunchOutsideBlank;
}

int DieDesDrawDieBuilder::commit() {
  DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
  if (punch == nullptr) return 0;
  try {
    if (const int refused = RefusedSizes(); refused != 0) return refused;
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 238);
  }
  return CommitBuild(*this, kSource, 238, 1, "DrawDie", [this] { return CreateUpperDrawDie(); },
                     [punch](OM::Set* retired) { punch->DeleteFeaturesInOMSet(retired); });
}

// ---- reading the inputs back --------------------------------------------------------------

int DieDesDrawDieBuilder::ConvertFrecToBuilderData(tag_t featureSet) {
  ConvertFrecToSheetTagDeckThickness(featureSet);
  ConvertFrecToEdgeOffsets(featureSet);
  ConvertFrecToWallBaseThickness(featureSet);
  ConvertFrecToMiscellaneous(featureSet);
  ConvertFrecToCurvePlane(featureSet);
  return 0;
}

namespace {
// The member of the set with that title, through the punch (none without one).
bool findIn(DieDesDrawPunchBuilder* punch, tag_t featureSet, const char* title, tag_t* feature) {
  *feature = 0;
  return punch != nullptr && featureSet != 0 && punch->FindFeatureInSetByAttrTitle(featureSet, title, feature);
}

// The entities of a curve builder's section: a new array the caller frees.
template <class CurveBuilder>
void sectionEntities(DieDesDrawPunchBuilder* punch, CurveBuilder* builder, int* count, tag_t** entities) {
  *count = 0;
  *entities = nullptr;
  if (builder->GetSection() != nullptr) punch->AskSCEntities(builder->GetSection()->OmTag(), count, entities);
}
}  // namespace

int DieDesDrawDieBuilder::ConvertFrecToSheetTagDeckThickness(tag_t featureSet) {
  tag_t bottom = 0, middle = 0;
  if (findIn(m_drawPunchBuilder, featureSet, "QD$ROUGH_OFFSET_BOTTOM", &bottom)) {
    const RoughOffset read = readRoughOffset(bottom);
    if (read.sheet != 0) m_sheetBody->set_selected_tag(read.sheet);
    // Read with the sign they were made with: a value is never changed by
    // being read back.
    SetDeckThickness(read.distance);
  }
  if (findIn(m_drawPunchBuilder, featureSet, "QD$ROUGH_OFFSET_MIDDLE", &middle))
    SetDeckFlangeThickness(m_deckThickness - readRoughOffset(middle).distance);
  return 0;
}

int DieDesDrawDieBuilder::ConvertFrecToEdgeOffsets(tag_t featureSet) {
  // Both offsets are read from the set given; a set read while another is
  // being edited must not mix the two.
  tag_t binder = 0, deck = 0;
  if (findIn(m_drawPunchBuilder, featureSet, "QD$OFFSET_CURVE_BINDER", &binder))
    SetBinderEdgeOffset(std::fabs(offsetCurveDistance(binder)));
  if (findIn(m_drawPunchBuilder, featureSet, "QD$OFFSET_CURVE_DECK", &deck))
    SetDeckEdgeOffset(std::fabs(offsetCurveDistance(deck)));
  return 0;
}

int DieDesDrawDieBuilder::ConvertFrecToWallBaseThickness(tag_t featureSet) {
  if (featureSet == 0) return 0;
  tag_t stress = 0, inner = 0, main = 0;
  if (findIn(m_drawPunchBuilder, featureSet, "QD$STRESS_SOLID", &stress)) {
    EditingBuilder builder(true, stress);
    SetBaseThickness(std::fabs(limitValue(builder.tag(), false) - limitValue(builder.tag(), true)));
  } else {
    SetBaseThickness(0.0);
  }
  if (findIn(m_drawPunchBuilder, featureSet, "QD$MAIN_SOLID_OFFSET_IN", &inner)) {
    SetWallThickness(2.0 * offsetCurveDistance(inner));
    SetCoreDrawDieOption(true);
  } else if (findIn(m_drawPunchBuilder, featureSet, "QD$MAIN_BOTTOM_SOLID", &main)) {
    EditingBuilder builder(true, main);
    const double offset = std::fabs(featureOffset(builder.tag(), false));
    SetWallThickness(2.0 * offset);
    SetCoreDrawDieOption(offset > 1e-10);
  }
  return 0;
}

int DieDesDrawDieBuilder::ConvertFrecToMiscellaneous(tag_t featureSet) {
  if (featureSet == 0) return 0;
  tag_t top = 0;
  const bool hasTop = findIn(m_drawPunchBuilder, featureSet, "QD$ROUGH_OFFSET_TOP", &top);
  SetExactSheetbodyOption(!hasTop);
  if (hasTop) SetMachiningAllowance(readRoughOffset(top).distance);
  return 0;
}

int DieDesDrawDieBuilder::ConvertFrecToCurvePlane(tag_t featureSet) {
  DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
  tag_t projected = 0, join = 0, blankFlange = 0, flangeProjection = 0;
  if (!findIn(punch, featureSet, "QD$PROJECT_CURVE_PUNCH", &projected)) return 0;
  if (ModlCurveJA::ProjectCurveBuilder* builder =
          ModlCurveJA::ProjectCurveBuilderFactory::Create(workModelPart(), featureOf(projected))) {
    if (builder->GetPlane() != 0) SetBasePlane(builder->GetPlane());
    destroyBuilder(builder);
  }
  punch->GetCurveOriginalSelection(featureSet, m_punchCurve, "QD$PROJECT_CURVE_PUNCH");
  punch->GetCurveOriginalSelection(featureSet, m_blankCurve, "QD$PROJECT_CURVE_BLANK");
  const bool hasJoin = findIn(punch, featureSet, "QD$FLANGE_JOIN_CURVE", &join);
  if (findIn(punch, featureSet, "QD$OFFSET_CURVE_BLANK_FLANGE", &blankFlange)) {
    // The flange was made from the blank: no flange curve was selected.
    m_flangeCurve->clear();
    SetFlangeOffset(std::fabs(offsetCurveDistance(blankFlange)));
    return 0;
  }
  int count = 0;
  Stamvik::HostBlock<tag_t> entities;
  if (hasJoin) {
    FEATURE_RECORD* frec = featureOf(join);
    if (frec == nullptr || dynamic_cast<CRV_JOIN_feature_parms*>(frec->ask_parms()) == nullptr) return 0;
    ModlCurveJA::JoinCurvesBuilder* builder = ModlCurveJA::JoinCurvesBuilderFactory::Create(workModelPart(), frec);
    if (builder == nullptr) return 0;
    sectionEntities(punch, builder, &count, entities.out());
    if (count != 0) m_flangeCurve->set_tags(count, entities.get());
    entities.reset();
    destroyBuilder(builder);
    return 0;
  }
  if (!findIn(punch, featureSet, "QD$PROJECT_CURVE_FLANGE", &flangeProjection)) return 0;
  ModlCurveJA::ProjectCurveBuilder* builder =
      ModlCurveJA::ProjectCurveBuilderFactory::Create(workModelPart(), featureOf(flangeProjection));
  if (builder == nullptr) return 0;
  sectionEntities(punch, builder, &count, entities.out());
  if (count != 0) m_flangeCurve->set_tags(1, entities.get());
  entities.reset();
  destroyBuilder(builder);
  return 0;
}

// ---- accessors -----------------------------------------------------------------------------

void DieDesDrawDieBuilder::SetPunchCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_punchCurveAttId, curves);
}
void DieDesDrawDieBuilder::SetBlankCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_blankCurveAttId, curves);
}
void DieDesDrawDieBuilder::SetFlangeCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_flangeCurveAttId, curves);
}
void DieDesDrawDieBuilder::SetBasePlane(tag_t plane) { OM::SetReferencedObject(this, m_basePlaneAttId, plane); }
void DieDesDrawDieBuilder::SetFinalPunchCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalPunchCurveAttId, curve);
}
void DieDesDrawDieBuilder::SetFinalBlankCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalBlankCurveAttId, curve);
}
void DieDesDrawDieBuilder::SetFinalFlangeCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalFlangeCurveAttId, curve);
}
void DieDesDrawDieBuilder::SetTfeatureSet(tag_t featureSet) {
  OM::SetReferencedObject(this, m_tfeatureSetAttId, featureSet);
}
void DieDesDrawDieBuilder::SetFrecSet(OM::Set* set) { OM::SetReferencedObject(this, m_frecSetAttId, set); }
void DieDesDrawDieBuilder::SetFrecSetToDelete(OM::Set* set) {
  OM::SetReferencedObject(this, m_frecSetToDeleteAttId, set);
}
void DieDesDrawDieBuilder::SetDrawPunchBuilder(DieDesDrawPunchBuilder* punch) {
  OM::SetReferencedObject(this, m_drawPunchBuilderAttId, punch);
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field) \
  void DieDesDrawDieBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                        \
    field = value;                                \
  }
STAMVIK_PLAIN_SETTER(SetDeckThickness, double, m_deckThickness)
STAMVIK_PLAIN_SETTER(SetBinderEdgeOffset, double, m_binderEdgeOffset)
STAMVIK_PLAIN_SETTER(SetDeckEdgeOffset, double, m_deckEdgeOffset)
STAMVIK_PLAIN_SETTER(SetDeckFlangeThickness, double, m_deckFlangeThickness)
STAMVIK_PLAIN_SETTER(SetWallThickness, double, m_wallThickness)
STAMVIK_PLAIN_SETTER(SetBaseThickness, double, m_baseThickness)
STAMVIK_PLAIN_SETTER(SetFlangeOffset, double, m_flangeOffset)
STAMVIK_PLAIN_SETTER(SetExactSheetbodyOption, bool, m_exactSheetbodyOption)
STAMVIK_PLAIN_SETTER(SetMachiningAllowance, double, m_machiningAllowance)
STAMVIK_PLAIN_SETTER(SetCoreDrawDieOption, bool, m_coreDrawDieOption)
#undef STAMVIK_PLAIN_SETTER

}  // namespace KTX::Tooling
