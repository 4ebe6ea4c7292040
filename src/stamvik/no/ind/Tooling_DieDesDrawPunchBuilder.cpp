#include "Tooling_DieDesDrawPunchBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "InputChecks.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "Tooling_DieDesBuildSupport.hpp"
#include "Tooling_FeatureSetMembers.hpp"
#include "geom/Faces.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "geom/Sketch.hpp"
#include "math/Vector.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingGeometry.hpp"
#include "upd/Update.hpp"

namespace KTX::Tooling {

namespace {

using namespace Support;

constexpr const char* kSource = "Tooling_DieDesDrawPunchBuilder";
using Messages::kDeckThicknessNotPositive;
using Messages::kPunchOutlineNotOneLoop;
using Messages::kDrawPunchBeltSolidFailed;
using Messages::kBuiltNotMeasured;
using Messages::kDrawPunchChamferFailed;
using Messages::kDrawPunchInnerSolidFailed;
using Messages::kDrawPunchOffsetCurveFailed;
using Messages::kDrawPunchOuterSolidFailed;
using Messages::kReliefAngleOutOfRange;
using Messages::kPunchTopNotAboveBelt;
using Messages::kDieFaceNotAboveBasePlane;
using Messages::kDrawPunchProjectCurveFailed;
using Messages::kDrawPunchRoughOffsetSheetsFailed;
using Messages::kDrawPunchStressSolidFailed;
using Messages::kToolingInputCurvesFailed;
using Messages::kDrawPunchProfileNoArea;
using Messages::kDrawPunchProfileTouchesItself;
using Messages::kReliefDistanceNotAboveTolerance;
using Messages::kCoreWallTooThick;
using Messages::kCoreWallNotAboveTolerance;
using Messages::kReliefTakesProfile;
using Messages::kReliefLeavesThinPart;
constexpr const char* kFromBase = "0.000000";  // every extrusion starts at its profile

// Sets a hidden integer attribute of value 0 through a descriptor that the
// caller keeps for the library's life.
bool titleHidden(tag_t object, Attr::UserAttributeDescriptor& descriptor, Attr::UserAttributeValue& value,
                 const UString& title) {
  if (object == 0) return false;
  descriptor.title = title;
  descriptor.type = 3;
  descriptor.hidden = true;
  value.integer = 0;
  return Attr::SetUserAttribute(object, descriptor, value);
}

// The deck sheet the user selected is kept by a member of the set of its
// own: a feature whose parameters' one entity holds the sheet, a reference
// the host keeps from one session to the next (as it keeps the sections and
// collectors a record's entities hold), whatever the sheet shapes.
constexpr const char* kDeckSheetTitle = "QD$DECK_SHEET_SELECTED";

DIEDES_GENERIC_ENTITY* deckEntityOf(tag_t feature) {
  const FEATURE_RECORD* record = featureOf(feature);
  auto* parms = record != nullptr ? dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(record)) : nullptr;
  return parms != nullptr && parms->GetNumEntities() == 1 ? parms->GetEntity(0) : nullptr;
}

// The sheet the member holds, 0 when it holds none (or is no such member).
tag_t heldDeckSheet(tag_t feature) {
  const DIEDES_GENERIC_ENTITY* entity = deckEntityOf(feature);
  if (entity == nullptr || entity->AskKind() != DIEDES_GENERIC_ENTITY::kTags || entity->AskCount() != 1) return 0;
  return entity->AskTag(0);
}

int holdDeckSheet(DIEDES_GENERIC_ENTITY* entity, tag_t deck) {
  DIEDES_ENTITY_CONTEXT context{};
  context.flag = 1;
  context.owner = OM_ask_subobject_owner(OM::OM_object_of_tag(entity->AskParmsTag()));
  return entity->SetTags(&context, 1, &deck);
}

// A new member holding the deck: 0 and its tag, or the host's failure with
// nothing left of it.
int newDeckSheetMember(tag_t deck, tag_t* feature) {
  *feature = 0;
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(1);
  FEATURE_RECORD* record = nullptr;
  int rc = DIEENG_CreateFrecWithParms(parms, 0, &record);
  if (rc == 0 && record == nullptr) rc = kMissingInput;
  if (rc != 0) {
    parms->destroy();
    return rc;
  }
  *feature = record->OmTag();
  return holdDeckSheet(parms->GetEntity(0), deck);
}

}  // namespace

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDesDrawPunchBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDesDrawPunchBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieDesDrawPunchBuilderInstanceSize,
                        STAMVIK_DIE_DES_DRAW_PUNCH_BUILDER_ATTRIBUTES)

DieDesDrawPunchBuilder* DieDesDrawPunchBuilderFactory::Create(tag_t featureSet, PART_part* part) {
  return Frame::CreateAndInit<DieDesDrawPunchBuilder>(DieDesDrawPunchBuilderClassId, [&](DieDesDrawPunchBuilder* made) {
    made->InitCreate(featureSet, part);
  });
}

void DieDesDrawPunchBuilder::InitCreate(tag_t featureSet, PART_part* part) {
  init_object(part);
  PART_part* owning = ask_owning_part();
  OM::OM_set_pointer(this, m_sheetBodyAttId, SELECT_OBJECTFactory::Create(owning));
  OM::OM_set_pointer(this, m_punchCurveAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_sheetBodyDeckAttId, SELECT_OBJECTFactory::Create(owning));
  const double distance = TOLER_ask_distance_tol();
  const double angle = TOLER_ask_angular_tol();
  const tag_t owningTag = owning != nullptr ? owning->OmTag() : 0;
  OM::OM_set_pointer(this, m_mainWallCenterLineAttId,
                     SC_sectionFactory::object(owningTag, 0.95 * distance, distance, angle));
  OM::OM_set_pointer(this, m_flangeProfileAttId, SC_sectionFactory::object(owningTag, 0.95 * distance, distance, angle));
  // The set to edit makes the next commit rebuild it instead of making a new one.
  SetTfeatureSet(featureSet);
  if (m_tfeatureSet != 0 && OM::OM_object_of_tag(m_tfeatureSet) != nullptr) ConvertFrecToBuilderData(m_tfeatureSet);
}

int DieDesDrawPunchBuilder::validate_nothrow() {
  if (const int refused = Stamvik::CheckInputs(this); refused != 0) return refused;
  // The set's members are asked of the host, which may raise.
  try {
    return SelectsOwnSet(m_tfeatureSet, {m_sheetBody, m_punchCurve, m_sheetBodyDeck});
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 89);
  }
}

int DieDesDrawPunchBuilder::ConvertFrecToBuilderData(tag_t featureSet) {
  if (featureSet == 0) return 0;
  ConvertFrecToSheetTagDeckThickness(featureSet);
  ConvertFrecToMiscellaneous(featureSet);
  ConvertFrecToCurvePlane(featureSet);
  ConvertFrecToReliefDist(featureSet);
  ConvertFrecToWallThickness(featureSet);
  ConvertFrecToBaseThicknessWidth(featureSet);
  return 0;
}

bool DieDesDrawPunchBuilder::AddHideIntAttr(tag_t object, const UString& title) {
  static Attr::UserAttributeDescriptor descriptor;
  static Attr::UserAttributeValue value;
  return titleHidden(object, descriptor, value, title);
}

bool DieDesDrawPunchBuilder::AddHideIntAttrObj(OM::Object* object, const UString& title) {
  static Attr::UserAttributeDescriptor descriptor;
  static Attr::UserAttributeValue value;
  return object != nullptr && titleHidden(object->OmTag(), descriptor, value, title);
}

bool DieDesDrawPunchBuilder::AddAttributetoFace(tag_t face, int kind) {
  static const char* const kDefaults[] = {"MFM_Refined_Attribute", "MFM_Rough_Attribute", "MFM_Finishing_Attribute"};
  if (face == 0 || kind < 1 || kind > 3) return false;
  char title[kCustomerDefaultSize];
  std::memset(title, 0, sizeof title);
  if (TOOLING_get_customer_default(0, kDefaults[kind - 1], 0, 0, title) != 0) return false;
  static Attr::UserAttributeDescriptor descriptor;
  static Attr::UserAttributeValue value;
  descriptor.title = title;
  descriptor.type = 3;
  descriptor.hidden = false;
  value.integer = 0;
  return Attr::SetUserAttribute(face, descriptor, value);
}

int DieDesDrawPunchBuilder::ConvertFrecToSheetTagDeckThickness(tag_t featureSet) {
  tag_t bottom = 0, belt = 0;
  const bool hasBottom = FindFeatureInSetByAttrTitle(featureSet, "QD$ROUGH_OFFSET_BOTTOM", &bottom);
  const bool hasBelt = FindFeatureInSetByAttrTitle(featureSet, "QD$ROUGH_OFFSET_BELT", &belt);
  // The offsets go from the die face away from the top, against the
  // thicknesses' sign: read back with it, so that no value changes by being
  // read.
  if (hasBelt) SetBeltThickness(-readRoughOffset(belt).distance);
  if (hasBottom) {
    const RoughOffset read = readRoughOffset(bottom);
    if (read.sheet != 0) m_sheetBody->set_selected_tag(read.sheet);
    SetDeckThickness(-read.distance);
    if (!hasBelt) SetBeltThickness(-read.distance);
    return 0;
  }
  // A deck sheet stands for the bottom offset. The belt offset is still made
  // from the sheet body, so its thickness read above is kept.
  SetDeckThickness(0.0);
  if (!hasBelt) SetBeltThickness(0.0);
  tag_t outer = 0, top = 0, beltSolid = 0;
  const bool hasOuter = FindFeatureInSetByAttrTitle(featureSet, "QD$MAIN_OUTER_SOLID", &outer);
  if (FindFeatureInSetByAttrTitle(featureSet, "QD$ROUGH_OFFSET_TOP", &top)) {
    if (const tag_t sheet = readRoughOffset(top).sheet; sheet != 0) m_sheetBody->set_selected_tag(sheet);
  } else if (hasOuter) {
    if (const tag_t sheet = endLimitObject(outer); sheet != 0) m_sheetBody->set_selected_tag(sheet);
  }
  // The deck sheet the user selected, as the member kept for it holds it,
  // whatever the sheet shapes. A set built before there was such a member
  // has the features that run up to the deck refer to it: the inner solid's
  // end, or the belt solid's where the belt is the deck (no belt offset: the
  // belt solid's end is otherwise that offset). A deck deleted since reads
  // back as none: the commit then asks for a deck thickness or a deck again.
  tag_t deck = 0, inner = 0, held = 0;
  const bool kept = FindFeatureInSetByAttrTitle(featureSet, kDeckSheetTitle, &held);
  if (kept) deck = heldDeckSheet(held);
  if (!kept && FindFeatureInSetByAttrTitle(featureSet, "QD$MAIN_INNER_SOLID", &inner)) deck = endLimitObject(inner);
  if (!kept && deck == 0 && !hasBelt && FindFeatureInSetByAttrTitle(featureSet, "QD$MAIN_BELT_SOLID", &beltSolid))
    deck = endLimitObject(beltSolid);
  if (deck != 0 && OM::OM_object_of_tag(deck) != nullptr) m_sheetBodyDeck->set_selected_tag(deck);
  return 0;
}

int DieDesDrawPunchBuilder::ConvertFrecToMiscellaneous(tag_t featureSet) {
  tag_t chamfer = 0, top = 0, inner = 0;
  if (FindFeatureInSetByAttrTitle(featureSet, "QD$CHAMFER_BELT", &chamfer)) {
    EditingBuilder builder(false, chamfer);
    auto* offsets = Stamvik::UnjournalledInterface<JAM::ChamferBuilder_Interface>("Features.ChamferBuilder");
    char* first = nullptr;
    char* second = nullptr;
    if (builder.tag() != 0) {
      offsets->FirstOffset(builder.tag(), &first);
      offsets->SecondOffset(builder.tag(), &second);
    }
    const double a = TEXT_atof(takeText(first).c_str());
    const double b = TEXT_atof(takeText(second).c_str());
    SetReliefAngle(std::fabs(a) > 1e-10 ? std::atan(b / a) * 180.0 * 0.31830989161357204 : 90.0);
  } else {
    SetReliefAngle(0.0);
  }
  const bool hasTop = FindFeatureInSetByAttrTitle(featureSet, "QD$ROUGH_OFFSET_TOP", &top);
  SetExactSheetbodyOption(!hasTop);
  if (hasTop) SetMachiningAllowance(readRoughOffset(top).distance);
  SetCoreDrawPunchOption(FindFeatureInSetByAttrTitle(m_tfeatureSet, "QD$MAIN_INNER_SOLID", &inner));
  return 0;
}


namespace {

// The chamfer's second offset, down the relieved wall from the belt.
double chamferLeg(double relief, double angle) { return relief * std::tan(angle * 3.1415926 * 0.005555555555555556); }

// How far a chamfer's leg may pass its wall, per millimetre of wall (of 1 mm
// for a lower one), and still end on the base plane. A leg is a tangent and a
// wall two measured heights, each rounded by some 1e-15 of its size; the
// kernel resolves 1e-5 mm. A thousand-millionth of the wall is far above the
// one and, for a wall below 10 m, below the other: a leg further out leaves
// a sliver under the base or cuts the base away from the punch.
constexpr double kLegRounding = 1e-9;

}  // namespace

double DieDesDrawPunchBuilder::HeightOverBasePlane(tag_t body) {
  double normal[3];
  BasePlaneNormal(normal);
  return NearestToPlane(m_basePlane, body, normal);
}

double DieDesDrawPunchBuilder::DieFaceSide(tag_t sheet) {
  double normal[3];
  BasePlaneNormal(normal);
  return FaceSide(sheet, normal);
}

int DieDesDrawPunchBuilder::RefusedSizes() {
  // Without a deck sheet the bottom sheet is the die face offset by the deck
  // thickness away from the top: none, or the wrong way, makes no deck (and
  // without a die face nothing is offset).
  const tag_t sheet = m_sheetBody->ask_selected_tag();
  const tag_t deck = m_sheetBodyDeck->ask_selected_tag();
  if (sheet != 0 && deck == 0 && !(m_deckThickness > 0)) return kDeckThicknessNotPositive;
  const double tolerance = TOLER_ask_distance_tol();
  const bool beltIsDeck = std::fabs(m_deckThickness - m_beltThickness) <= tolerance;
  // The punch stands on its base plane, the die face on the side its normal
  // points to.
  if (sheet != 0 && m_basePlane != 0) {
    const double height = HeightOverBasePlane(sheet);
    if (height != HUGE_VAL && !(height > tolerance)) return kDieFaceNotAboveBasePlane;
  }
  // The belt is the top's band left unrelieved: a belt sheet (the die face
  // lowered by the belt thickness) not below the top (the die face, raised
  // by the allowance unless the face is exact) leaves none, the whole punch
  // relieved. A deck sheet that is the belt is judged by the build. The
  // sheets are offset along the face's normal: a face turned towards the
  // base plane raises the belt and lowers the top.
  const double side = sheet != 0 && m_basePlane != 0 ? DieFaceSide(sheet) : 1.0;
  if (sheet != 0 && !(beltIsDeck && deck != 0) &&
      !(side * ((m_exactSheetbodyOption ? 0.0 : m_machiningAllowance) + m_beltThickness) > tolerance))
    return kPunchTopNotAboveBelt;
  // The chamfer's second offset is the relief times the angle's tangent: an
  // angle below 0 would chamfer away from the belt, one past 90 the other
  // way round.
  if (!(m_reliefAngle >= -kAngleLimit && m_reliefAngle <= 90.0 + kAngleLimit)) return kReliefAngleOutOfRange;
  if (noChamfer(m_reliefAngle) || m_basePlane == 0) return 0;
  // The chamfer runs down the relieved wall from the belt; a leg longer than
  // the wall, from the belt sheet to the base plane, would reach through the
  // base, by however little. The belt sheet is the deck sheet when the belt
  // is the deck, else the die face offset by the belt thickness towards the
  // base plane.
  const tag_t measured = beltIsDeck && deck != 0 ? deck : sheet;
  if (measured == 0) return 0;
  const double from = HeightOverBasePlane(measured);
  if (from == HUGE_VAL) return 0;
  const double wall = measured == deck ? from : from - side * m_beltThickness;
  // A belt sheet on or below the base plane leaves no wall to judge by; the
  // build's own steps judge it.
  if (!(wall > tolerance)) return 0;
  if (chamferLeg(m_reliefDistanse, m_reliefAngle) > wall + kLegRounding * std::max(wall, 1.0))
    return kReliefAngleOutOfRange;
  return 0;
}

double DieDesDrawPunchBuilder::CoreRing(bool mainWall) const {
  // The core is the profile the stress solid stands on offset in by the
  // relief and the wall. Without a main wall centre line the column is that
  // profile relieved, so the ring is the wall; with one the column is the
  // centre line's region itself, and the relief lies in the ring too.
  return m_wallThickness + (mainWall ? m_reliefDistanse : 0.0);
}

int DieDesDrawPunchBuilder::JudgeBuiltPunch(tag_t outer, tag_t top, tag_t belt, tag_t punch, tag_t flange,
                                            tag_t mainWall) {
  if (const Held held = ShapeHeld(outer); held != Held::kShape) return UnjudgedVerdict(held);
  double normal[3];
  BasePlaneNormal(normal);
  const double tolerance = TOLER_ask_distance_tol();
  SolidBounds bounds;
  Stamvik::Outlines::Ring ring, wall;
  if (outer == 0 || punch == 0 || !MadeUnit(normal) || !RingOfCurves({punch}, normal, tolerance, &ring))
    return kBuiltNotMeasured;
  bounds.rings.push_back(ring);
  if (mainWall != 0 && !RingOfCurves({mainWall}, normal, tolerance, &wall)) return kBuiltNotMeasured;
  // The base stands on the flange profile, or on the stress curve offset
  // out by the base width less the relief; the sharp corners of that offset
  // reach farthest, whether or not a side of it vanishes on the way.
  const bool based = m_baseThickness >= tolerance && (flange != 0 || m_baseWidth >= tolerance);
  const Stamvik::Outlines::Ring& stress = mainWall != 0 ? wall : ring;
  // A base narrower than the relief stands that much inside the relieved wall.
  const double out = m_baseWidth - m_reliefDistanse;
  Stamvik::Outlines::Ring base;
  if (based && flange != 0) {
    if (!RingOfCurves({flange}, normal, tolerance, &base)) return kBuiltNotMeasured;
    bounds.rings.push_back(base);
  } else if (based && Stamvik::Outlines::OffsetCorners(stress, -std::max(out, 0.0), &base)) {
    bounds.rings.push_back(base);
  }
  // Sheets no modeller made (the stand-in host's scripted ones) bound nothing.
  if (const Held held = ShapesHeld({top, belt}); held != Held::kShape)
    return held == Held::kNothing ? JudgeBuilt(outer, normal, bounds, tolerance) : kBuiltNotMeasured;
  bounds.low = PlaneHeight(m_basePlane, outer, normal);
  bounds.high = top != 0 ? TopHeight(top, normal) : HUGE_VAL;
  if (bounds.low == HUGE_VAL || bounds.high == HUGE_VAL) return kBuiltNotMeasured;
  // Each part is looked for a margin inside where its sides should be: the
  // modeller's curves, offsets and smoothings keep within the tolerance of
  // them. A part too thin for the margin is not looked for.
  const double margin = 2 * tolerance;
  const double baseTop = bounds.low + (based ? m_baseThickness : 0.0);
  if (based) {
    SolidPart part{flange != 0 ? PointsAlong(base, margin, tolerance, kPartPoints)
                               : PointsWithinOffset(stress, -out, margin, tolerance, kPartPoints),
                   bounds.low + m_baseThickness / 2};
    if (m_baseThickness > 2 * margin) bounds.parts.push_back(part);
  }
  double beltLow = 0, beltHigh = 0, topLow = 0, topHigh = 0;
  if (belt == 0 || !HeightsAlong(belt, normal, &beltLow, &beltHigh) || top == 0 ||
      !HeightsAlong(top, normal, &topLow, &topHigh))
    return kBuiltNotMeasured;
  // The column below the belt: the main wall's region, or the profile
  // relieved. A core's hollow lies the core's wall farther in (CoreRing);
  // under the top it lies the relief and the wall in from the profile, or
  // farther. A point placed within half the ring keeps off the hollow, where
  // a margin past it would find the hollow and take the body for short.
  const double column = m_coreDrawPunchOption ? CoreRing(mainWall != 0) : HUGE_VAL;
  const double under = m_coreDrawPunchOption ? m_reliefDistanse + m_wallThickness : HUGE_VAL;
  const double inner = std::min(margin, column / 2);
  if (beltLow - baseTop > 2 * margin)
    bounds.parts.push_back({mainWall != 0 ? PointsAlong(stress, inner, tolerance / 2, kPartPoints)
                                          : PointsWithinOffset(ring, m_reliefDistanse, inner, tolerance / 2, kPartPoints),
                            (baseTop + beltLow) / 2});
  if (topLow - beltHigh > 2 * margin)
    bounds.parts.push_back({PointsAlong(ring, std::min(margin, under / 2), tolerance / 2, kPartPoints),
                            (beltHigh + topLow) / 2});
  return JudgeBuilt(outer, normal, bounds, tolerance);
}

int DieDesDrawPunchBuilder::JudgeHollowPunch(tag_t outer, tag_t bottom, tag_t stressCurve) {
  if (!m_coreDrawPunchOption) return 0;
  if (const Held held = ShapesHeld({outer, bottom}); held != Held::kShape) return UnjudgedVerdict(held);
  double normal[3];
  BasePlaneNormal(normal);
  const double tolerance = TOLER_ask_distance_tol();
  const double margin = 2 * tolerance, in = m_reliefDistanse + m_wallThickness + margin;
  // A core that is not offset in farther than the margin leaves nothing to look for.
  if (!(in > 2 * margin)) return 0;
  Stamvik::Outlines::Ring ring;
  if (outer == 0 || stressCurve == 0 || !MadeUnit(normal) || !RingOfCurves({stressCurve}, normal, tolerance, &ring))
    return kBuiltNotMeasured;
  const double plane = PlaneHeight(m_basePlane, outer, normal);
  double low = 0, high = 0;
  if (plane == HUGE_VAL || !HeightsAlong(bottom, normal, &low, &high)) return kBuiltNotMeasured;
  // The core runs from the base plane up to the bottom sheet, through the base.
  if (!(low - plane > 2 * margin)) return 0;
  return JudgeHollow(outer, normal, {{PointsAlong(ring, in, tolerance, kPartPoints), (plane + low) / 2}});
}

int DieDesDrawPunchBuilder::RefusedProfile() {
  int count = 0;
  Stamvik::HostBlock<tag_t> entities;
  AskSCEntities(m_mainWallCenterLine != nullptr ? m_mainWallCenterLine->OmTag() : 0, &count, entities.out());
  const std::vector<tag_t> wall(entities.get(), entities.get() + count);
  entities.reset();
  const double tolerance = TOLER_ask_distance_tol();
  // The profile is judged before the relief, so that it gets one verdict at
  // every relief.
  double normal[3] = {0, 0, 0};
  if (m_basePlane != 0) BasePlaneNormal(normal);
  const bool judged = m_basePlane != 0 && m_punchCurve != nullptr && MadeUnit(normal);
  std::vector<tag_t> selected;
  for (int i = 0, n = judged ? m_punchCurve->ask_count() : 0; i < n; ++i)
    selected.push_back(m_punchCurve->ask_nth(i));
  SeenCurves punch;
  const bool punchSeen = judged && SeeCurves(selected, normal, &punch);
  if (punchSeen && Stamvik::Outlines::HasNoArea(punch.points, tolerance)) return kDrawPunchProfileNoArea;
  // Sides of the profile that are no neighbours within the tolerance of each
  // other (a notch or an arm no wider than it) are one to the modeller: the
  // loop's own chain runs the two ends of such a notch's bottom into one
  // corner, and the solid stood on the profile would have faces it cannot
  // tell apart.
  Stamvik::Outlines::Ring ring;
  const bool chained = punchSeen && Stamvik::Outlines::ChainedRing(punch.outline, tolerance, &ring);
  if (chained && Stamvik::Outlines::TouchesItself(ring, tolerance)) return kDrawPunchProfileTouchesItself;
  // Without a main wall centre line the belt is the profile relieved by the
  // relief distance, inwards and outwards: a relief the modeller cannot tell
  // from none, or less, leaves it no thickness.
  if (wall.empty() && !(m_reliefDistanse > tolerance)) return kReliefDistanceNotAboveTolerance;
  // A core's wall the modeller cannot tell from none leaves the core's side
  // and the column's one to it: as a cored die's, it is refused.
  if (m_coreDrawPunchOption && !(CoreRing(!wall.empty()) > tolerance)) return kCoreWallNotAboveTolerance;
  if (!judged) return 0;
  // The relieved wall is that profile offset inwards by the relief: one that
  // leaves nothing relieves the punch away whole.
  if (wall.empty() && punchSeen && InwardOffsetLeavesNothing(punch, m_reliefDistanse, tolerance))
    return kReliefTakesProfile;
  // One that leaves a part of it no wider than the tolerance (an arm all but
  // relieved away) leaves the belt edges round that part nearer each other
  // than the modeller tells apart: its chamfer would take them for others.
  if (wall.empty() && chained) {
    Stamvik::Outlines::Ring relieved;
    if (Stamvik::Outlines::SharpInwardOffset(ring, m_reliefDistanse, &relieved) &&
        Stamvik::Outlines::TouchesItself(relieved, tolerance))
      return kReliefLeavesThinPart;
  }
  // The core is the profile the stress solid stands on (the main wall
  // centre line, or else the punch's) offset inwards by the relief and the
  // wall.
  const double depth = m_reliefDistanse + m_wallThickness;
  if (!m_coreDrawPunchOption || !(depth > 0)) return 0;
  SeenCurves centreLine;
  const bool seen = wall.empty() ? punchSeen : SeeCurves(wall, normal, &centreLine);
  if (seen && InwardOffsetLeavesNothing(wall.empty() ? punch : centreLine, depth, tolerance)) return kCoreWallTooThick;
  return 0;
}

int DieDesDrawPunchBuilder::commit() {
  // The sizes are judged by measuring the sheets, which the host may refuse.
  try {
    if (const int refused = RefusedSizes(); refused != 0) return refused;
    // A section given two outlines is judged by neither of them.
    if (HoldsTwoOutlines(m_flangeProfile) || HoldsTwoOutlines(m_mainWallCenterLine)) return kPunchOutlineNotOneLoop;
    if (const int refused = RefusedProfile(); refused != 0) return refused;
    if (const int refused = RefusedOutlines(); refused != 0) return refused;
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 300);
  }
  return CommitBuild(*this, kSource, 300, 0, "Draw Punch", [this] { return CreateDrawDiePunch(); },
                     [this](OM::Set* retired) { DeleteFeaturesInOMSet(retired); });
}

int DieDesDrawPunchBuilder::ConvertFrecToCurvePlane(tag_t featureSet) {
  tag_t punch = 0;
  if (!FindFeatureInSetByAttrTitle(featureSet, "QD$PROJECT_CURVE_PUNCH", &punch)) return 0;
  if (ModlCurveJA::ProjectCurveBuilder* builder =
          ModlCurveJA::ProjectCurveBuilderFactory::Create(workModelPart(), featureOf(punch))) {
    GetCurveOriginalSelection(featureSet, m_punchCurve, "QD$PROJECT_CURVE_PUNCH");
    if (builder->GetPlane() != 0) SetBasePlane(builder->GetPlane());
    destroyBuilder(builder);
  }
  struct Profile {
    const char* title;
    SC_section* section;
  };
  for (const Profile& profile : {Profile{"QD$PROJECT_CURVE_FLANGE", m_flangeProfile},
                                 Profile{"QD$PROJECT_CURVE_MAINWALL_CLINE", m_mainWallCenterLine}}) {
    tag_t feature = 0;
    if (!FindFeatureInSetByAttrTitle(featureSet, profile.title, &feature)) continue;
    ModlCurveJA::ProjectCurveBuilder* builder =
        ModlCurveJA::ProjectCurveBuilderFactory::Create(workModelPart(), featureOf(feature));
    if (builder == nullptr) continue;
    int count = 0;
    Stamvik::HostBlock<tag_t> entities;
    AskSCEntities(builder->GetSection() != nullptr ? builder->GetSection()->OmTag() : 0, &count, entities.out());
    if (count > 0) {
      std::vector<tag_t> curves, edges;
      ClassifyCurvesEdges(entities.get(), count, curves, edges);
      SC_section* section = profile.section;
      ConvertVectorCurvesToSCsection(curves, edges, &section);
    }
    entities.reset();
    destroyBuilder(builder);
  }
  return 0;
}

int DieDesDrawPunchBuilder::ConvertFrecToReliefDist(tag_t featureSet) {
  tag_t offset = 0, belt = 0;
  if (FindFeatureInSetByAttrTitle(featureSet, "QD$OFFSET_CURVE_BELT", &offset)) {
    SetReliefDistanse(offsetCurveDistance(offset));
    return 0;
  }
  if (!FindFeatureInSetByAttrTitle(featureSet, "QD$MAIN_BELT_SOLID", &belt)) return 0;
  double relief = 0.0;
  {
    EditingBuilder builder(true, belt);
    relief = std::fabs(featureOffset(builder.tag(), false));
  }
  // A belt between the punch curve and a main wall centre line is made with
  // no offset: the relief is the chamfer's first offset, or else the
  // stress solid's inner one less 1.05 of the tolerance.
  tag_t chamfer = 0, stress = 0;
  if (relief == 0.0 && FindFeatureInSetByAttrTitle(featureSet, "QD$CHAMFER_BELT", &chamfer)) {
    EditingBuilder builder(false, chamfer);
    char* first = nullptr;
    if (builder.tag() != 0)
      Stamvik::UnjournalledInterface<JAM::ChamferBuilder_Interface>("Features.ChamferBuilder")
          ->FirstOffset(builder.tag(), &first);
    relief = std::fabs(TEXT_atof(takeText(first).c_str()));
  } else if (relief == 0.0 && FindFeatureInSetByAttrTitle(featureSet, "QD$MAIN_STRESS_SOLID", &stress)) {
    EditingBuilder builder(true, stress);
    if (const double inside = featureOffset(builder.tag(), false); inside != 0.0)
      relief = std::fabs(inside) - 1.05 * TOLER_ask_distance_tol();
  }
  SetReliefDistanse(relief);
  return 0;
}

int DieDesDrawPunchBuilder::ConvertFrecToWallThickness(tag_t featureSet) {
  tag_t inner = 0;
  if (m_coreDrawPunchOption && FindFeatureInSetByAttrTitle(featureSet, "QD$OFFSET_CURVE_INNER", &inner))
    SetWallThickness(std::fabs(offsetCurveDistance(inner)) - m_reliefDistanse);
  return 0;
}

int DieDesDrawPunchBuilder::ConvertFrecToBaseThicknessWidth(tag_t featureSet) {
  tag_t stress = 0, other = 0;
  if (!FindFeatureInSetByAttrTitle(featureSet, "QD$MAIN_STRESS_SOLID", &stress)) return 0;
  EditingBuilder builder(true, stress);
  SetBaseThickness(std::fabs(limitValue(builder.tag(), false) - limitValue(builder.tag(), true)));
  if (FindFeatureInSetByAttrTitle(featureSet, "QD$PROJECT_CURVE_FLANGE", &other))
    SetBaseWidth(0.0);
  else if (FindFeatureInSetByAttrTitle(featureSet, "QD$OFFSET_CURVE_STRESS", &other))
    SetBaseWidth(std::fabs(offsetCurveDistance(other)) + m_reliefDistanse);
  else
    SetBaseWidth(std::fabs(featureOffset(builder.tag(), false)) + std::fabs(featureOffset(builder.tag(), true)) -
                 1.05 * TOLER_ask_distance_tol());
  return 0;
}

int DieDesDrawPunchBuilder::GetCurveOriginalSelection(tag_t featureSet, SELECT_OBJECT_list* selection,
                                                      const UString& title) {
  tag_t projected = 0;
  if (selection == nullptr || !FindFeatureInSetByAttrTitle(featureSet, title, &projected)) return 0;
  ModlCurveJA::ProjectCurveBuilder* builder =
      ModlCurveJA::ProjectCurveBuilderFactory::Create(workModelPart(), featureOf(projected));
  if (builder == nullptr) return 0;
  int count = 0;
  Stamvik::HostBlock<tag_t> entities;
  if (builder->GetSection() != nullptr) AskSCEntities(builder->GetSection()->OmTag(), &count, entities.out());
  if (count > 0) {
    int type = 0, subtype = 0;
    RM_ask_entity_type_and_subtype(entities[0], &type, &subtype);
    if (type == 70 && subtype == 3) {
      selection->set_tags(1, entities.get());
    } else if (FEATURE_RECORD* maker = featureOf(FREC_find_child_frec_of_so(entities[0]))) {
      // A joined curve gives back what was joined; any other curve itself.
      if (dynamic_cast<CRV_JOIN_feature_parms*>(maker->ask_parms()) != nullptr) {
        if (ModlCurveJA::JoinCurvesBuilder* join =
                ModlCurveJA::JoinCurvesBuilderFactory::Create(workModelPart(), maker)) {
          int joinedCount = 0;
          Stamvik::HostBlock<tag_t> joined;
          if (join->GetSection() != nullptr) AskSCEntities(join->GetSection()->OmTag(), &joinedCount, joined.out());
          if (joinedCount > 0) selection->set_tags(joinedCount, joined.get());
          joined.reset();
          destroyBuilder(join);
        }
      } else {
        selection->set_tags(1, entities.get());
      }
    }
  }
  entities.reset();
  destroyBuilder(builder);
  return 0;
}


int DieDesDrawPunchBuilder::CreateDrawDiePunch() {
  // Each step's failure ends the build at once; the commit takes back what
  // the steps made.
  const tag_t moved = 0;
  return BuildOnLayer(kSource, 462, &moved, [&] {
    // A step that went past an error it met (a host call that failed) fails
    // with it, as with its own failure: the steps go past the modeller's
    // refusals alone.
    ErrorsMet met;
    auto step = [&met](int status, int line, int number, const char* failure, const char* success) {
      ReportStep(kSource, status != 0 ? status : met.First(), line, number, failure, success);
    };
    std::vector<tag_t> beltEdges;
    tag_t finalCurve = 0;
    step(ProcessInputCurves(m_punchCurve, m_tfeatureSet, "QD$ROUGH_OFFSET_BOTTOM", m_frecSetToDelete,
                            "QD$PUNCH_JOIN_CURVE", m_frecSet, &finalCurve),
         357, kToolingInputCurvesFailed, "Error occurs on processing input curves.", "Process input curves successfully.");
    SetFinalPunchCurve(finalCurve);

    tag_t top = 0, bottom = 0, belt = 0;
    int rc = CreateTopBottomRoughOffset(&top, &bottom, &belt);
    if (rc == 0 && (top == 0 || bottom == 0 || belt == 0)) rc = kMissingInput;
    step(rc, 370, kDrawPunchRoughOffsetSheetsFailed, "Error occurs on creating rough offset sheets.",
         "Create rough offset sheets successfully.");
    tag_t punch = 0, flange = 0, mainWall = 0;
    step(CreateProjectCurve(&punch, &flange, &mainWall), 380, kDrawPunchProjectCurveFailed,
         "Error occurs on creating project curve.", "Create project curve successfully.");
    tag_t outer = 0;
    step(CreateOuterSolid(top, punch, &outer), 390, kDrawPunchOuterSolidFailed,
         "Error occurs on creating outer main solid.", "Create outer main solid successfully.");
    tag_t beltCurve = 0;
    step(CreateBeltSolid(belt, punch, mainWall, outer, &beltCurve, &beltEdges), 400, kDrawPunchBeltSolidFailed,
         "Error occurs on creating belt solid body.", "Create belt solid body successfully.");
    const tag_t stressCurve = mainWall != 0 ? mainWall : punch;
    step(CreateStressSolid(stressCurve, flange, beltCurve, outer), 411, kDrawPunchStressSolidFailed,
         "Error occurs on creating stress solid body.", "Create stress solid body successfully.");
    if (m_coreDrawPunchOption) {
      tag_t inner = 0;
      step(CreateOffsetCurve(stressCurve, &inner), 424, kDrawPunchOffsetCurveFailed,
           "Error occurs on creating offset curve.", "Create offset curve successfully.");
      step(CreateInnerSolid(bottom, inner, outer), 434, kDrawPunchInnerSolidFailed,
           "Error occurs on creating inner solid body.", "Create inner solid body successfully.");
    } else if (m_tfeatureSet != 0) {
      for (const char* title : {"QD$SMOOTH_OFFSET_INNER_CURVE", "QD$OFFSET_CURVE_INNER", "QD$MAIN_INNER_SOLID"}) {
        tag_t feature = 0;
        // Found first: the tag handed on is the one the search wrote.
        const bool found = FindMember(title, &feature);
        RetireMember(found, feature);
      }
    }
    step(CreateChamfer(beltEdges), 456, kDrawPunchChamferFailed, "Error occurs on creating draw punch chamfer.",
         "Create draw punch chamfer successfully.");
    // What the steps made is reported built only once judged whole: a solid
    // the steps left broken, in pieces, outside its base (a wedge reaching
    // far out, a stray sliver) or short of a part is refused for what it is.
    if (met.First() != 0) ERROR_raise(kSource, 457, met.First(), "The draw punch could not be built.");
    int judged = JudgeBuiltPunch(outer, top, belt, punch, flange, mainWall);
    if (judged == 0) judged = JudgeHollowPunch(outer, bottom, stressCurve);
    if (judged != 0) ERROR_raise(kSource, 460, judged, "%s", JudgedWords(judged));
  });
}

char* DieDesDrawPunchBuilder::ask_journal_class_name() const {
  return SM_string_copy("Tooling.DieDesDrawPunchBuilder");
}

void DieDesDrawPunchBuilder::destroy() { cascade_destroy(); }

void DieDesDrawPunchBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DieDesDrawPunchBuilder::implement_destroy() {
  // The punch keeps nothing of its own beyond what the object manager releases.
}

void DieDesDrawPunchBuilder::SetPunchCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_punchCurveAttId, curves);
}
void DieDesDrawPunchBuilder::SetBasePlane(tag_t plane) { OM::SetReferencedObject(this, m_basePlaneAttId, plane); }
void DieDesDrawPunchBuilder::SetSheetBodyDeck(SELECT_OBJECT* deck) {
  OM::SetReferencedObject(this, m_sheetBodyDeckAttId, deck);
}
void DieDesDrawPunchBuilder::SetMainWallCenterLine(SC_section* section) {
  OM::SetReferencedObject(this, m_mainWallCenterLineAttId, section);
}
void DieDesDrawPunchBuilder::SetFlangeProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_flangeProfileAttId, section);
}
void DieDesDrawPunchBuilder::SetFinalPunchCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalPunchCurveAttId, curve);
}
void DieDesDrawPunchBuilder::SetTfeatureSet(tag_t featureSet) {
  OM::SetReferencedObject(this, m_tfeatureSetAttId, featureSet);
}
void DieDesDrawPunchBuilder::SetFrecSet(OM::Set* set) { OM::SetReferencedObject(this, m_frecSetAttId, set); }
void DieDesDrawPunchBuilder::SetFrecSetToDelete(OM::Set* set) {
  OM::SetReferencedObject(this, m_frecSetToDeleteAttId, set);
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field)   \
  void DieDesDrawPunchBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                          \
    field = value;                                  \
  }
STAMVIK_PLAIN_SETTER(SetDeckThickness, double, m_deckThickness)
STAMVIK_PLAIN_SETTER(SetBeltThickness, double, m_beltThickness)
STAMVIK_PLAIN_SETTER(SetReliefDistanse, double, m_reliefDistanse)
STAMVIK_PLAIN_SETTER(SetReliefAngle, double, m_reliefAngle)
STAMVIK_PLAIN_SETTER(SetWallThickness, double, m_wallThickness)
STAMVIK_PLAIN_SETTER(SetBaseThickness, double, m_baseThickness)
STAMVIK_PLAIN_SETTER(SetBaseWidth, double, m_baseWidth)
STAMVIK_PLAIN_SETTER(SetExactSheetbodyOption, bool, m_exactSheetbodyOption)
STAMVIK_PLAIN_SETTER(SetMachiningAllowance, double, m_machiningAllowance)
STAMVIK_PLAIN_SETTER(SetCoreDrawPunchOption, bool, m_coreDrawPunchOption)
#undef STAMVIK_PLAIN_SETTER

// ---- the build's steps -----------------------------------------------------------------

FeatureSetMembers DieDesDrawPunchBuilder::Members() { return {this, m_tfeatureSet, m_frecSet, m_frecSetToDelete}; }

bool DieDesDrawPunchBuilder::FindMember(const char* title, tag_t* feature) { return Members().Find(title, feature); }

void DieDesDrawPunchBuilder::PlaceFeature(tag_t feature, tag_t reference, int mode) {
  Members().Place(feature, reference, mode);
}

void DieDesDrawPunchBuilder::KeepMember(bool found, tag_t feature, const char* title, tag_t reference, int mode,
                                        bool placeWhenCreating) {
  Members().Keep(found, feature, title, reference, mode, placeWhenCreating);
}

void DieDesDrawPunchBuilder::RetireMember(bool found, tag_t feature) { Members().Retire(found, feature); }

void DieDesDrawPunchBuilder::BasePlaneNormal(double normal[3]) { PlaneDirection(kSource, 404, m_basePlane, normal); }

int DieDesDrawPunchBuilder::SmoothWhenRough(tag_t* curve, const char* title, tag_t reference, const double normal[3],
                                            int status) {
  return Members().SmoothWhenRough(curve, title, reference, 2, normal, status);
}

int DieDesDrawPunchBuilder::CreateTopBottomRoughOffset(tag_t* top, tag_t* bottom, tag_t* belt) {
  *top = *bottom = *belt = 0;
  try {
    tag_t topFeature = 0, bottomFeature = 0, beltFeature = 0, outerMember = 0;
    const bool topFound = FindMember("QD$ROUGH_OFFSET_TOP", &topFeature);
    const bool bottomFound = FindMember("QD$ROUGH_OFFSET_BOTTOM", &bottomFeature);
    const bool beltFound = FindMember("QD$ROUGH_OFFSET_BELT", &beltFeature);
    FindMember("QD$MAIN_OUTER_SOLID", &outerMember);
    const tag_t csys = WCS_ask_tag();
    const tag_t sheet = m_sheetBody->ask_selected_tag();
    const tag_t bottomMember = bottomFeature;
    if (!m_exactSheetbodyOption) {
      if (int rc = FeatRoughOffset(sheet, csys, m_machiningAllowance, 1.0, 5.0, &topFeature); rc != 0) return rc;
      KeepMember(topFound, topFeature, "QD$ROUGH_OFFSET_TOP", bottomMember, 1);
    } else {
      RetireMember(topFound, topFeature);
      topFeature = 0;
    }
    const tag_t deck = m_sheetBodyDeck->ask_selected_tag();
    if (deck == 0) {
      if (int rc = FeatRoughOffset(sheet, csys, -m_deckThickness, 3.0, 25.0, &bottomFeature); rc != 0) return rc;
      KeepMember(bottomFound, bottomFeature, "QD$ROUGH_OFFSET_BOTTOM", outerMember, 1);
    } else {
      RetireMember(bottomFound, bottomFeature);
      bottomFeature = 0;
    }
    // The selected deck is kept by a member of its own, which an edit reads
    // it back from; a member of that title that holds no deck is replaced.
    tag_t deckFeature = 0;
    const bool deckFound = FindMember(kDeckSheetTitle, &deckFeature);
    DIEDES_GENERIC_ENTITY* deckEntity = deckFound ? deckEntityOf(deckFeature) : nullptr;
    if (deck != 0 && deckEntity != nullptr) {
      if (int rc = holdDeckSheet(deckEntity, deck); rc != 0) return rc;
    } else {
      RetireMember(deckFound, deckFeature);
      if (deck != 0) {
        if (int rc = newDeckSheetMember(deck, &deckFeature); rc != 0) return rc;
        KeepMember(false, deckFeature, kDeckSheetTitle, outerMember, 1);
      }
    }
    *top = topFeature != 0 ? firstBody(topFeature, 0) : sheet;
    *bottom = deck != 0 ? deck : firstBody(bottomFeature, 0);
    if (std::fabs(m_deckThickness - m_beltThickness) <= TOLER_ask_distance_tol()) {
      RetireMember(beltFound, beltFeature);
      beltFeature = 0;
      *belt = *bottom;
    } else {
      const bool offsetBottom = deck == 0;
      if (int rc = FeatRoughOffset(sheet, csys, -m_beltThickness, offsetBottom ? 3.0 : 1.0, offsetBottom ? 25.0 : 5.0,
                                   &beltFeature);
          rc != 0)
        return rc;
      KeepMember(beltFound, beltFeature, "QD$ROUGH_OFFSET_BELT", outerMember, 1);
      *belt = firstBody(beltFeature, 0);
    }
    finishFeature(topFeature);
    finishFeature(bottomFeature);
    finishFeature(beltFeature);
    return 0;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 646);
  }
}

int DieDesDrawPunchBuilder::CreateProjectCurve(tag_t* punch, tag_t* flange, tag_t* mainWall) {
  *punch = *flange = *mainWall = 0;
  if (m_finalPunchCurve == 0 || m_basePlane == 0) return kMissingInput;
  try {
    tag_t punchFeature = 0;
    const bool punchFound = FindMember("QD$PROJECT_CURVE_PUNCH", &punchFeature);
    tag_t curve = m_finalPunchCurve;
    int status = FeatProjectCurve(&curve, 1, m_basePlane, punch, &punchFeature);
    if (status != 0) return status;
    KeepMember(punchFound, punchFeature, "QD$PROJECT_CURVE_PUNCH");
    finishFeature(punchFeature);

    // The flange is placed after the punch projection in both modes; the main wall only when editing.
    struct Profile {
      SC_section* section;
      tag_t* out;
      const char* title;
      bool placeWhenCreating;
      tag_t feature;
    };
    Profile profiles[2] = {{m_flangeProfile, flange, "QD$PROJECT_CURVE_FLANGE", true, 0},
                           {m_mainWallCenterLine, mainWall, "QD$PROJECT_CURVE_MAINWALL_CLINE", false, 0}};
    for (Profile& profile : profiles) {
      tag_t& feature = profile.feature;
      const bool found = FindMember(profile.title, &feature);
      // The whole closed profile is projected, as one curve, whether it was
      // given as one curve, as several or as a section's loop: the steps
      // after take the projection's first curve.
      tag_t outline = 0;
      if (const int refused = OutlineCurve(profile.section, &outline); refused != 0) return refused;
      if (outline == 0) {
        RetireMember(found, feature);
      } else {
        status = FeatProjectCurve(&outline, 1, m_basePlane, profile.out, &feature);
        if (status == 0) {
          KeepMember(found, feature, profile.title, punchFeature, 2, profile.placeWhenCreating);
          finishFeature(feature);
        }
      }
    }

    double normal[3];
    BasePlaneNormal(normal);
    status = SmoothWhenRough(punch, "QD$SMOOTH_PROJECT_PUNCH_CURVE", punchFeature, normal, status);
    status = SmoothWhenRough(flange, "QD$SMOOTH_PROJECT_FLANGE_CURVE", profiles[0].feature, normal, status);
    return SmoothWhenRough(mainWall, "QD$SMOOTH_PROJECT_MAINWALL_CLINE", profiles[1].feature, normal, status);
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 2953);
  }
}

int DieDesDrawPunchBuilder::CreateOuterSolid(tag_t topSheet, tag_t punchCurve, tag_t* outer) {
  *outer = 0;
  if (topSheet == 0 || punchCurve == 0) return kMissingInput;
  try {
    tag_t feature = 0;
    const bool found = FindMember("QD$MAIN_OUTER_SOLID", &feature);
    double normal[3];
    BasePlaneNormal(normal);
    const int status = FeatExtrude(workPartTag(), 1, &punchCurve, 0, normal, kFromBase, nullptr, false, nullptr,
                                   nullptr, false, nullptr, false, 0, 0, false, 0, true, topSheet, &feature);
    if (status != 0) {
      if (m_exactSheetbodyOption)
        TOOLING_warning_message("Problem with the sheet quality, please attempt to use rough method.");
      return status;
    }
    KeepMember(found, feature, "QD$MAIN_OUTER_SOLID");
    *outer = GetFeatFirstBody(feature);
    ClassifyMachiningFaces(feature);
    return 0;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 3117);
  }
}

namespace {

// Drops the edges that run along the curve, seen along the normal: every
// point of them within the tolerance of it.
void dropEdgesAlong(tag_t curve, const double normal[3], std::vector<tag_t>* edges) {
  const double length = std::sqrt(Math::Dot(normal, normal));
  if (!(length > 0) || edges->empty()) return;
  const double unit[3] = {normal[0] / length, normal[1] / length, normal[2] / length};
  SeenCurves along;
  if (!SeeCurves({curve}, unit, &along)) return;
  const double tolerance = TOLER_ask_distance_tol();
  std::erase_if(*edges, [&](tag_t edge) {
    SeenCurves seen;
    if (!SeeCurves({edge}, unit, &seen)) return false;
    return std::all_of(seen.points.begin(), seen.points.end(), [&](const Stamvik::Outlines::Point& p) {
      return Stamvik::Outlines::DistanceToEdges(along.outline, p.x, p.y) <= tolerance;
    });
  });
}

// Whether the two closed curves, seen along the normal, lie on each other:
// every corner of each, and the middle of every side, within the tolerance
// of the other.
bool curvesLieOnEachOther(tag_t first, tag_t second, const double normal[3]) {
  double unit[3] = {normal[0], normal[1], normal[2]};
  const double tolerance = TOLER_ask_distance_tol();
  Stamvik::Outlines::Ring rings[2];
  if (!MadeUnit(unit) || !RingOfCurves({first}, unit, tolerance, &rings[0]) ||
      !RingOfCurves({second}, unit, tolerance, &rings[1]))
    return false;
  for (int k = 0; k < 2; ++k) {
    const Stamvik::Outlines::Ring& ring = rings[k];
    const Stamvik::Outlines::Outline other = Stamvik::Outlines::OutlineOf(rings[1 - k]);
    for (std::size_t i = 0; i < ring.size(); ++i) {
      const Stamvik::Outlines::Point& a = ring[i];
      const Stamvik::Outlines::Point& b = ring[(i + 1) % ring.size()];
      if (!(Stamvik::Outlines::DistanceToEdges(other, a.x, a.y) <= tolerance) ||
          !(Stamvik::Outlines::DistanceToEdges(other, (a.x + b.x) / 2, (a.y + b.y) / 2) <= tolerance))
        return false;
    }
  }
  return true;
}

}  // namespace

int DieDesDrawPunchBuilder::CreateBeltSolid(tag_t beltSheet, tag_t punchCurve, tag_t mainWallCurve, tag_t outer,
                                            tag_t* beltCurve, std::vector<tag_t>* edges) {
  *beltCurve = 0;
  if (punchCurve == 0) return kMissingInput;
  try {
    tag_t beltFeature = 0, offsetFeature = 0;
    const bool beltFound = FindMember("QD$MAIN_BELT_SOLID", &beltFeature);
    const bool offsetFound = FindMember("QD$OFFSET_CURVE_BELT", &offsetFeature);
    const tag_t beltMember = beltFeature;
    double normal[3];
    BasePlaneNormal(normal);
    auto extrudeBetween = [&](tag_t second) {
      const tag_t curves[2] = {punchCurve, second};
      return FeatExtrude(workPartTag(), 2, curves, 0, normal, kFromBase, nullptr, false, nullptr, nullptr, false,
                         nullptr, true, 2, outer, false, 0, true, beltSheet, &beltFeature);
    };
    int status = 0;
    bool betweenCurves = true;
    if (mainWallCurve != 0) {
      status = extrudeBetween(mainWallCurve);
      // A main wall on the punch profile all round leaves the belt a band
      // the tolerance cannot tell from none, which the modeller may fail to
      // make: there is no belt step then, and no belt solid (nor chamfer).
      if (status != 0 && curvesLieOnEachOther(punchCurve, mainWallCurve, normal)) {
        TOOLING_warning_message("The main wall centre line lies on the punch profile: no belt step is made.");
        RetireMember(beltFound, beltMember);
        return 0;
      }
    } else {
      const std::string relief = lengthText(m_reliefDistanse);
      const std::string back = lengthText(-m_reliefDistanse);
      status = FeatExtrude(workPartTag(), 1, &punchCurve, 0, normal, kFromBase, nullptr, true, relief.c_str(),
                           back.c_str(), false, nullptr, true, 2, outer, false, 0, true, beltSheet, &beltFeature);
      betweenCurves = status != 0;
      // A host call that failed fails the commit, whose mark takes back
      // what it made: another way round would build from a half-done step.
      if (status != 0 && LastExtrudeRaised()) return status;
      if (status != 0) {
        // The belt is made from an offset curve of the punch when the offset extrusion fails.
        status = FeatOffsetCurve(punchCurve, m_reliefDistanse, beltCurve, &offsetFeature);
        if (status != 0) {
          RetireMember(offsetFound, offsetFeature);
        } else {
          KeepMember(offsetFound, offsetFeature, "QD$OFFSET_CURVE_BELT", beltMember, 1);
          finishFeature(offsetFeature);
          status = extrudeBetween(*beltCurve);
        }
      }
    }
    if (status == 0) KeepMember(beltFound, beltFeature, "QD$MAIN_BELT_SOLID");
    GetBeltChamferEdges(beltFeature, m_basePlane, edges);
    // A belt made between the punch curve and a second curve (its offset, or
    // the main wall centre line) has the punch's own outline round its top as
    // well. The chamfer runs down the relieved wall alone: round the outline
    // it would cut the belt's rim off the punch instead of filling the
    // relief's corner.
    if (betweenCurves && edges != nullptr) dropEdgesAlong(punchCurve, normal, edges);
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 3241);
  }
}

int DieDesDrawPunchBuilder::CreateStressSolid(tag_t curve, tag_t flangeCurve, tag_t beltCurve, tag_t outer) {
  if (curve == 0) return kMissingInput;
  try {
    tag_t offsetFeature = 0, stressFeature = 0;
    const bool offsetFound = FindMember("QD$OFFSET_CURVE_STRESS", &offsetFeature);
    const bool stressFound = FindMember("QD$MAIN_STRESS_SOLID", &stressFeature);
    const tag_t stressMember = stressFeature;
    const double tolerance = TOLER_ask_distance_tol();
    if (m_baseThickness < tolerance || (flangeCurve == 0 && m_baseWidth < tolerance)) {
      RetireMember(offsetFound, offsetFeature);
      RetireMember(stressFound, stressFeature);
      return 0;
    }
    double normal[3];
    BasePlaneNormal(normal);
    const std::string end = lengthText(m_baseThickness);
    auto extrude = [&](int count, const tag_t* curves) {
      return FeatExtrude(workPartTag(), count, curves, 0, normal, kFromBase, end.c_str(), false, nullptr, nullptr,
                         false, nullptr, true, 1, outer, false, 0, false, 0, &stressFeature);
    };
    int status = 0;
    if (flangeCurve != 0) {
      status = extrude(1, &flangeCurve);
    } else {
      const std::string inside = lengthText(-m_reliefDistanse - 1.05 * tolerance);
      const std::string outside = lengthText(m_baseWidth - m_reliefDistanse);
      status = FeatExtrude(workPartTag(), 1, &curve, 0, normal, kFromBase, end.c_str(), true, inside.c_str(),
                           outside.c_str(), false, nullptr, true, 1, outer, false, 0, false, 0, &stressFeature);
      if (status == 0) {
        RetireMember(offsetFound, offsetFeature);
      } else {
        tag_t offsetCurve = 0;
        status = FeatOffsetCurve(curve, -(m_baseWidth - m_reliefDistanse), &offsetCurve, &offsetFeature);
        if (status != 0) return status;
        KeepMember(offsetFound, offsetFeature, "QD$OFFSET_CURVE_STRESS", stressMember, 1);
        finishFeature(offsetFeature);
        const tag_t curves[2] = {beltCurve, offsetCurve};
        status = beltCurve != 0 ? extrude(2, curves) : extrude(1, &offsetCurve);
      }
    }
    if (status == 0) {
      tag_t beltMember = 0;
      FindMember("QD$MAIN_BELT_SOLID", &beltMember);
      KeepMember(stressFound, stressFeature, "QD$MAIN_STRESS_SOLID", beltMember, 2);
    }
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 3460);
  }
}

int DieDesDrawPunchBuilder::CreateOffsetCurve(tag_t curve, tag_t* inner) {
  *inner = 0;
  if (curve == 0) return kMissingInput;
  try {
    tag_t feature = 0, stressMember = 0;
    const bool found = FindMember("QD$OFFSET_CURVE_INNER", &feature);
    const int status = FeatOffsetCurve(curve, m_reliefDistanse + m_wallThickness, inner, &feature);
    if (status != 0) return status;
    FindMember("QD$MAIN_STRESS_SOLID", &stressMember);
    KeepMember(found, feature, "QD$OFFSET_CURVE_INNER", stressMember, 2);
    finishFeature(feature);
    double normal[3];
    BasePlaneNormal(normal);
    return SmoothWhenRough(inner, "QD$SMOOTH_OFFSET_INNER_CURVE", feature, normal, status);
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 3039);
  }
}

int DieDesDrawPunchBuilder::CreateInnerSolid(tag_t bottomSheet, tag_t innerCurve, tag_t outer) {
  if (innerCurve == 0) return kMissingInput;
  try {
    tag_t feature = 0;
    const bool found = FindMember("QD$MAIN_INNER_SOLID", &feature);
    double normal[3];
    BasePlaneNormal(normal);
    const int status = FeatExtrude(workPartTag(), 1, &innerCurve, 0, normal, kFromBase, nullptr, false, nullptr,
                                   nullptr, false, nullptr, true, 2, outer, false, 0, true, bottomSheet, &feature);
    if (status == 0 && feature != 0) {
      // The inner solid goes first in the set's order, found or made.
      if (!found) OM_insert_into_set(m_frecSet, feature);
      if (m_tfeatureSet != 0) PlaceFeature(feature, m_tfeatureSet, 1);
      if (!found) AddHideIntAttr(feature, "QD$MAIN_INNER_SOLID");
    }
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 3314);
  }
}

int DieDesDrawPunchBuilder::CreateChamfer(const std::vector<tag_t>& edges) {
  tag_t feature = 0;
  if (noChamfer(m_reliefAngle)) {
    // An edit to no chamfer lets the old one go.
    const bool found = FindMember("QD$CHAMFER_BELT", &feature);
    RetireMember(found, feature);
    return 0;
  }
  if (edges.empty()) return 0;
  const bool found = FindMember("QD$CHAMFER_BELT", &feature);
  const double second = chamferLeg(m_reliefDistanse, m_reliefAngle);
  const int status = FeatChamfer(static_cast<int>(edges.size()), edges.data(), 1, m_reliefDistanse, second, 0.0, 0,
                                 false, false, &feature);
  if (status == 0) KeepMember(found, feature, "QD$CHAMFER_BELT");
  return status;
}

namespace {

std::vector<tag_t> edgesOf(tag_t face) {
  int count = 0;
  Stamvik::HostBlock<tag_t> edges;
  ES_face_ask_edges(face, &count, edges.out());
  return std::vector<tag_t>(edges.get(), edges.get() + count);
}

}  // namespace

double DieDesDrawPunchBuilder::GetBaseThicknessFromStressFeature(tag_t featureSet) {
  tag_t stress = 0;
  if (featureSet == 0 || !FindFeatureInSetByAttrTitle(featureSet, "QD$MAIN_STRESS_SOLID", &stress)) return 0.0;
  EditingBuilder builder(true, stress);
  return std::fabs(limitValue(builder.tag(), false) - limitValue(builder.tag(), true));
}

int DieDesDrawPunchBuilder::ClassifyMachiningFaces(tag_t feature) {
  if (feature == 0) return 0;
  const double touching = 1.05 * TOLER_ask_distance_tol();
  std::vector<tag_t> away;
  for (tag_t face : topFacesOf(feature)) {
    MIN_result_t nearest{};
    MIN_object_object(m_basePlane, face, touching, &nearest);
    if (nearest.n_results == 0 || nearest.distance[0] <= 1e-10) {
      // A face that touches the base plane lies in it only when no point of it is off the plane.
      AddAttributetoFace(face, AskMaximumDist(m_basePlane, face) <= 1e-10 ? 1 : 2);
    } else {
      AddAttributetoFace(face, 3);
      away.push_back(face);
    }
  }
  if (!away.empty()) AddPMILabelToOneTopFace(away[away.size() / 2], m_exactSheetbodyOption ? "Exact face" : "Rough face");
  return 0;
}

int DieDesDrawPunchBuilder::GetBeltChamferEdges(tag_t beltFeature, tag_t plane, std::vector<tag_t>* edges) {
  if (beltFeature == 0 || edges == nullptr) return 0;
  const double tolerance = TOLER_ask_distance_tol();
  const bool editing = m_tfeatureSet != 0;
  const double baseThickness = editing ? GetBaseThicknessFromStressFeature(m_tfeatureSet) : 0.0;
  std::vector<tag_t> lowerEdges;
  std::unordered_set<tag_t> upperEdges;
  for (tag_t face : topFacesOf(beltFeature)) {
    MIN_result_t nearest{};
    MIN_object_object(plane, face, tolerance, &nearest);
    // The belt's lower faces lie on the base plane, or (editing) on the top of the stress solid.
    const bool lower = nearest.n_results > 0 &&
                       (nearest.distance[0] < tolerance ||
                        (editing && std::fabs(nearest.distance[0] - baseThickness) <= tolerance));
    const std::vector<tag_t> bounding = edgesOf(face);
    if (lower)
      lowerEdges.insert(lowerEdges.end(), bounding.begin(), bounding.end());
    else
      upperEdges.insert(bounding.begin(), bounding.end());
  }
  // An edge the two groups share runs round the belt where the chamfer goes.
  for (tag_t edge : lowerEdges)
    if (upperEdges.count(edge) != 0) edges->push_back(edge);
  return 0;
}

}  // namespace KTX::Tooling
