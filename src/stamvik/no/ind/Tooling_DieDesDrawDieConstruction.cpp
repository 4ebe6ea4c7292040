// The draw die's build: the frame that runs its steps on the build layer,
// the member rule its steps follow, and the curve and sheet steps (working
// curves from the selections, the rough offsets of the die face, the
// projections on the base plane and the offsets of the blank projection).
#include <algorithm>
#include <cmath>
#include <exception>

#include "Messages.hpp"
#include "Tooling_DieDesBuildSupport.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "Tooling_FeatureSetMembers.hpp"
#include "geom/Geometry.hpp"
#include "math/Vector.hpp"
#include "sys/Settings.hpp"
#include "sys/Error.hpp"

namespace KTX::Tooling {

namespace {
using namespace Support;
constexpr const char* kSource = "Tooling_DieDesDrawDieBuilder";
using Messages::kDrawDieMainSolidFailed;
using Messages::kDrawDieOffsetCurvesFailed;
using Messages::kDrawDieProjectCurvesFailed;
using Messages::kDrawDieRoughOffsetSheetsFailed;
using Messages::kDrawDieStressSolidFailed;
using Messages::kDrawDieTopSolidFailed;
using Messages::kToolingInputCurvesFailed;
}  // namespace

// ---- the member rule ----------------------------------------------------------------------

FeatureSetMembers DieDesDrawDieBuilder::Members() {
  return {m_drawPunchBuilder, m_tfeatureSet, m_frecSet, m_frecSetToDelete};
}

bool DieDesDrawDieBuilder::FindMember(const char* title, tag_t* feature) { return Members().Find(title, feature); }

void DieDesDrawDieBuilder::KeepMember(bool found, tag_t feature, const char* title, tag_t reference, int mode) {
  Members().Keep(found, feature, title, reference, mode);
}

void DieDesDrawDieBuilder::PlaceFeature(tag_t feature, tag_t reference, int mode) {
  Members().Place(feature, reference, mode);
}

void DieDesDrawDieBuilder::RetireMember(bool found, tag_t feature) { Members().Retire(found, feature); }

void DieDesDrawDieBuilder::BasePlaneDirection(double direction[3]) {
  PlaneDirection(kSource, 39, m_basePlane, direction);
}

int DieDesDrawDieBuilder::JudgeBuiltBottom(tag_t mainBody, tag_t bottomSheet, tag_t punchProjection) {
  if (const Support::Held held = Support::ShapeHeld(mainBody); held != Support::Held::kShape)
    return Support::UnjudgedVerdict(held);
  double normal[3];
  BasePlaneDirection(normal);
  const double tolerance = TOLER_ask_distance_tol();
  Support::SolidBounds bounds;
  Stamvik::Outlines::Ring ring;
  if (mainBody == 0 || punchProjection == 0 || !Support::MadeUnit(normal) ||
      !Support::RingOfCurves({punchProjection}, normal, tolerance, &ring))
    return Messages::kBuiltNotMeasured;
  bounds.rings.push_back(ring);
  Stamvik::Outlines::Ring wall;
  const double half = 0.5 * std::fabs(m_wallThickness);
  if (m_coreDrawDieOption && Stamvik::Outlines::OffsetCorners(ring, -half, &wall)) bounds.rings.push_back(wall);
  // A sheet no modeller made (the stand-in host's scripted ones) bounds nothing.
  if (const Support::Held held = Support::ShapeHeld(bottomSheet); held != Support::Held::kShape)
    return held == Support::Held::kNothing ? Support::JudgeBuilt(mainBody, normal, bounds, tolerance)
                                           : Messages::kBuiltNotMeasured;
  const double plane = Support::PlaneHeight(m_basePlane, mainBody, normal);
  double low = 0, high = 0;
  if (plane == HUGE_VAL || !Support::HeightsAlong(bottomSheet, normal, &low, &high))
    return Messages::kBuiltNotMeasured;
  bounds.low = std::min(plane, low);
  bounds.high = std::max(plane, high);
  // The solid stands between the plane and the sheet's near side: there it
  // fills the profile, a margin in from its sides (the modeller's curves and
  // offsets keep within the tolerance of them), or a cored die's wall all
  // along the profile it runs round.
  const double margin = 2 * tolerance;
  const double from = plane < low ? plane : high, to = plane < low ? low : plane;
  if (to - from > 2 * margin)
    bounds.parts.push_back({m_coreDrawDieOption ? Support::PointsAlong(ring, 0.0, 0.0, Support::kPartPoints)
                                                : Support::PointsAlong(ring, margin, tolerance, Support::kPartPoints),
                            (from + to) / 2});
  return Support::JudgeBuilt(mainBody, normal, bounds, tolerance);
}

int DieDesDrawDieBuilder::JudgeHollowBottom(tag_t mainBody, tag_t bottomSheet, tag_t punchProjection) {
  if (!m_coreDrawDieOption) return 0;
  if (const Support::Held held = Support::ShapesHeld({mainBody, bottomSheet}); held != Support::Held::kShape)
    return Support::UnjudgedVerdict(held);
  double normal[3];
  BasePlaneDirection(normal);
  const double tolerance = TOLER_ask_distance_tol();
  Stamvik::Outlines::Ring ring;
  if (mainBody == 0 || punchProjection == 0 || !Support::MadeUnit(normal) ||
      !Support::RingOfCurves({punchProjection}, normal, tolerance, &ring))
    return Messages::kBuiltNotMeasured;
  const double plane = Support::PlaneHeight(m_basePlane, mainBody, normal);
  double low = 0, high = 0;
  if (plane == HUGE_VAL || !Support::HeightsAlong(bottomSheet, normal, &low, &high))
    return Messages::kBuiltNotMeasured;
  // The wall runs half its thickness in from the profile: the cavity within.
  const double margin = 2 * tolerance, in = 0.5 * std::fabs(m_wallThickness) + margin;
  const double from = plane < low ? plane : high, to = plane < low ? low : plane;
  if (!(to - from > 2 * margin)) return 0;
  return Support::JudgeHollow(mainBody, normal,
                              {{Support::PointsAlong(ring, in, tolerance, Support::kPartPoints), (from + to) / 2}});
}

int DieDesDrawDieBuilder::SmoothWhenRough(tag_t* curve, const char* title, tag_t reference, int mode, int status) {
  double direction[3];
  BasePlaneDirection(direction);
  return Members().SmoothWhenRough(curve, title, reference, mode, direction, status);
}

// ---- the frame ------------------------------------------------------------------------------

int DieDesDrawDieBuilder::CreateUpperDrawDie() {
  // Each step's failure ends the build at once; the commit takes back what
  // the steps made.
  auto step = [](int status, int line, int number, const char* failure, const char* success) {
    ReportStep(kSource, status, line, number, failure, success);
  };
  // The main body, once made, goes to the user's layer with the work layer.
  tag_t mainBody = 0;
  return BuildOnLayer(kSource, 381, &mainBody, [&] {
    // Every step runs along the base plane's direction: without one nothing is made.
    double direction[3];
    BasePlaneDirection(direction);
    step(StepStatus([&] { return ProcessAllInputCurves(); }), 318, kToolingInputCurvesFailed, "Error occurs on processing input curves.",
         "Process input curves successfully.");
    tag_t top = 0, bottom = 0, middle = 0;
    int rc = StepStatus([&] { return CreateTopBottomRoughOffset(&top, &bottom, &middle); });
    if (rc == 0 && (top == 0 || bottom == 0 || middle == 0)) rc = kMissingInput;
    step(rc, 326, kDrawDieRoughOffsetSheetsFailed, "Error occurs on creating rough offset sheets.",
         "Create rough offset sheets successfully.");
    tag_t punchProjection = 0, blankProjection = 0;
    rc = StepStatus([&] { return CreateProjectCurves(&punchProjection, &blankProjection); });
    if (rc == 0 && (punchProjection == 0 || blankProjection == 0)) rc = kMissingInput;
    step(rc, 334, kDrawDieProjectCurvesFailed, "Error occurs on creating project curves.",
         "Create project curves successfully.");
    tag_t binderCurve = 0, deckCurve = 0;
    rc = StepStatus([&] { return CreateOffsetCurves(blankProjection, &binderCurve, &deckCurve); });
    if (rc == 0 && (binderCurve == 0 || deckCurve == 0)) rc = kMissingInput;
    step(rc, 342, kDrawDieOffsetCurvesFailed, "Error occurs on creating offset curves.",
         "Create offset curve successfully.");
    tag_t mainFeature = 0;
    const int made = StepStatus([&] { return CreateMainBottomSolid(bottom, punchProjection, &mainBody, &mainFeature); });
    // A main solid broken, in pieces, outside its bounds (a stray sliver, a
    // part reaching far out) or short of a part is refused for what it is.
    int judged = made == 0 ? JudgeBuiltBottom(mainBody, bottom, punchProjection) : 0;
    if (made == 0 && judged == 0) judged = JudgeHollowBottom(mainBody, bottom, punchProjection);
    if (judged != 0) ERROR_raise(kSource, 347, judged, "%s", Support::JudgedWords(judged));
    step(made, 349, kDrawDieMainSolidFailed, "Error occurs on creating main solid body.",
         "Create main solid body successfully.");
    tag_t topFeature = 0, topTrimFeature = 0, topSolidBody = 0;
    step(StepStatus([&] {
           return CreateTopSolid(top, bottom, deckCurve, mainBody, &topFeature, &topTrimFeature, &topSolidBody);
         }),
         357,
         kDrawDieTopSolidFailed, "Error occurs on creating top solid body.", "Create top solid body successfully.");
    // The subtracted top is optional: the modeller's refusal of it is shown
    // and the build goes on. An error on the way is no refusal: the die
    // would be reported built with the band it takes left on.
    tag_t subTopFeature = 0;
    int subTop = 0;
    {
      ErrorsMet met;
      subTop = CreateSubTopSolid(top, middle, binderCurve, deckCurve, topSolidBody, &subTopFeature);
      if (met.First() != 0) ERROR_raise(kSource, 365, met.First(), "Create subtract top solid body failed.");
    }
    mtStatusAreaImmediate(subTop != 0 ? "Create subtract top solid body failed."
                                      : "Create subtract top solid body successfully.");
    tag_t stressFeature = 0;
    step(StepStatus([&] {
           return CreateStressSolid(m_finalFlangeCurve, punchProjection, blankProjection, mainBody, &stressFeature);
         }),
         372,
         kDrawDieStressSolidFailed, "Error occurs on creating the stress solid.", "Create stress solid successfully.");
    // Its status says nothing, but a face left without its kind by an error is a wrong die.
    ErrorsMet met;
    ClassifyMachiningFaces(mainFeature, topFeature, topTrimFeature, stressFeature, top);
    if (met.First() != 0) ERROR_raise(kSource, 376, met.First(), "The machining faces could not be classified.");
  });
}

// ---- the curve and sheet steps --------------------------------------------------------------

int DieDesDrawDieBuilder::ProcessAllInputCurves() {
  try {
    struct Input {
      SELECT_OBJECT_list* selection;
      const char* joinTitle;
      tag_t curve;
    };
    Input inputs[3] = {{m_punchCurve, "QD$PUNCH_JOIN_CURVE", 0},
                       {m_blankCurve, "QD$BLANK_JOIN_CURVE", 0},
                       {m_flangeCurve, "QD$FLANGE_JOIN_CURVE", 0}};
    for (Input& input : inputs) {
      if (input.selection == nullptr) return kMissingInput;
      // A blank or flange selection that is not one closed loop stops the
      // build as the punch's does, rather than being built as if not selected.
      if (int status = m_drawPunchBuilder->ProcessInputCurves(input.selection, m_tfeatureSet, "QD$ROUGH_OFFSET_BOTTOM",
                                                              m_frecSetToDelete, input.joinTitle, m_frecSet,
                                                              &input.curve);
          status != 0)
        return status;
    }
    SetFinalPunchCurve(inputs[0].curve);
    SetFinalBlankCurve(inputs[1].curve);
    // No flange curve retires its smoothing; a rough one is smoothed, before the bottom offset.
    tag_t flange = inputs[2].curve, bottomMember = 0;
    FindMember("QD$ROUGH_OFFSET_BOTTOM", &bottomMember);
    const int status = SmoothWhenRough(&flange, "QD$SMOOTH_FLANGE_CURVE", bottomMember, 1, 0);
    SetFinalFlangeCurve(flange);
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 563);
  }
}

int DieDesDrawDieBuilder::CreateTopBottomRoughOffset(tag_t* top, tag_t* bottom, tag_t* middle) {
  *top = *bottom = *middle = 0;
  try {
    tag_t topFeature = 0, bottomFeature = 0, middleFeature = 0;
    const bool topFound = FindMember("QD$ROUGH_OFFSET_TOP", &topFeature);
    const bool bottomFound = FindMember("QD$ROUGH_OFFSET_BOTTOM", &bottomFeature);
    const bool middleFound = FindMember("QD$ROUGH_OFFSET_MIDDLE", &middleFeature);
    const tag_t bottomMember = bottomFeature;
    const tag_t csys = WCS_ask_tag();
    const tag_t sheet = m_sheetBody != nullptr ? m_sheetBody->ask_selected_tag() : 0;
    DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
    if (!m_exactSheetbodyOption) {
      if (int rc = punch->FeatRoughOffset(sheet, csys, m_machiningAllowance, 1.0, 5.0, &topFeature); rc != 0)
        return rc;
      KeepMember(topFound, topFeature, "QD$ROUGH_OFFSET_TOP", bottomMember, 1);
    } else {
      RetireMember(topFound, topFeature);
      topFeature = 0;
    }
    if (int rc = punch->FeatRoughOffset(sheet, csys, m_deckThickness, 3.0, 25.0, &bottomFeature); rc != 0) return rc;
    KeepMember(bottomFound, bottomFeature, "QD$ROUGH_OFFSET_BOTTOM");
    if (int rc = punch->FeatRoughOffset(sheet, csys, m_deckThickness - m_deckFlangeThickness, 3.0, 25.0,
                                        &middleFeature);
        rc != 0)
      return rc;
    KeepMember(middleFound, middleFeature, "QD$ROUGH_OFFSET_MIDDLE");
    *top = topFeature != 0 ? firstBody(topFeature, 0) : sheet;
    *bottom = firstBody(bottomFeature, 0);
    *middle = firstBody(middleFeature, 0);
    finishFeature(topFeature);
    finishFeature(bottomFeature);
    finishFeature(middleFeature);
    return 0;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 640);
  }
}

int DieDesDrawDieBuilder::CreateProjectCurves(tag_t* punchProjection, tag_t* blankProjection) {
  *punchProjection = *blankProjection = 0;
  if (m_finalPunchCurve == 0 || m_finalBlankCurve == 0) return kMissingInput;
  try {
    DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
    tag_t punchFeature = 0, blankFeature = 0, flangeFeature = 0;
    const bool punchFound = FindMember("QD$PROJECT_CURVE_PUNCH", &punchFeature);
    const bool blankFound = FindMember("QD$PROJECT_CURVE_BLANK", &blankFeature);
    const bool flangeFound = FindMember("QD$PROJECT_CURVE_FLANGE", &flangeFeature);
    tag_t curve = m_finalPunchCurve;
    int status = punch->FeatProjectCurve(&curve, 1, m_basePlane, punchProjection, &punchFeature);
    if (status != 0) return status;
    KeepMember(punchFound, punchFeature, "QD$PROJECT_CURVE_PUNCH");
    finishFeature(punchFeature);
    curve = m_finalBlankCurve;
    status = punch->FeatProjectCurve(&curve, 1, m_basePlane, blankProjection, &blankFeature);
    if (status != 0) return status;
    KeepMember(blankFound, blankFeature, "QD$PROJECT_CURVE_BLANK");
    finishFeature(blankFeature);
    if (m_finalFlangeCurve != 0) {
      curve = m_finalFlangeCurve;
      tag_t projected = 0;
      status = punch->FeatProjectCurve(&curve, 1, m_basePlane, &projected, &flangeFeature);
      if (status != 0) return status;
      SetFinalFlangeCurve(projected);
      KeepMember(flangeFound, flangeFeature, "QD$PROJECT_CURVE_FLANGE", blankFeature, 2);
      finishFeature(flangeFeature);
    } else {
      RetireMember(flangeFound, flangeFeature);
    }
    return SmoothWhenRough(punchProjection, "QD$SMOOTH_PROJECT_PUNCH_CURVE", blankFeature, 2, status);
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 712);
  }
}

int DieDesDrawDieBuilder::CreateOffsetCurves(tag_t blankProjection, tag_t* binderCurve, tag_t* deckCurve) {
  *binderCurve = *deckCurve = 0;
  if (blankProjection == 0) return kMissingInput;
  try {
    struct Offset {
      const char* title;
      const char* smoothingTitle;
      double distance;
      tag_t* curve;
    };
    const Offset offsets[2] = {
        {"QD$OFFSET_CURVE_BINDER", "QD$SMOOTH_OFFSET_BINDER_CURVE", m_binderEdgeOffset, binderCurve},
        {"QD$OFFSET_CURVE_DECK", "QD$SMOOTH_OFFSET_DECK_CURVE", m_deckEdgeOffset, deckCurve}};
    for (const Offset& offset : offsets) {
      tag_t feature = 0;
      const bool found = FindMember(offset.title, &feature);
      // Both offsets go inwards of the blank.
      if (int status = m_drawPunchBuilder->FeatOffsetCurve(blankProjection, -offset.distance, offset.curve, &feature);
          status != 0)
        return status;
      KeepMember(found, feature, offset.title);
      finishFeature(feature);
      SmoothWhenRough(offset.curve, offset.smoothingTitle, feature, 2, 0);
    }
    return 0;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 771);
  }
}

}  // namespace KTX::Tooling
