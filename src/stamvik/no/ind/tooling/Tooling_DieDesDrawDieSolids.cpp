// The draw die's solid steps: the main solid extruded from the punch
// projection, the top solid from the deck offset curve united with it, the
// subtracted top solid between the binder and deck offsets, the stress solid
// between the flange and punch curves, and the machining kinds of the die's
// top and bottom faces.
#include <exception>
#include <string>
#include <vector>

#include "Support.hpp"
#include "Tooling_DieDesBuildSupport.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "math/Point3.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Settings.hpp"
#include "tool/ToolingBoolean.hpp"

namespace KTX::Tooling {

namespace {
using namespace Support;
constexpr const char* kSource = "Tooling_DieDesDrawDieBuilder";

Math::Vector3 vectorOf(const double direction[3], double sense) {
  return {sense * direction[0], sense * direction[1], sense * direction[2]};
}

// The end limit of a second try: 10 beyond the farthest point of the sheet
// from the base plane, against the direction. A failed measurement gives no
// limit: extruding to the sentinel would build a wrong solid.
bool beyondSheet(DieDesDrawPunchBuilder* punch, tag_t plane, tag_t sheet, std::string* end) {
  const double distance = punch->AskMaximumDist(plane, sheet);
  if (distance == kMissingInput) return false;
  *end = lengthText(-(distance + 10.0));
  return true;
}
}  // namespace

int DieDesDrawDieBuilder::BooleanWithRetry(bool unite, tag_t target, tag_t tool, tag_t* feature) {
  // Bodies that meet only within a little more than the modelling tolerance
  // still combine: each failure widens the tolerance, five attempts at most.
  static constexpr double kFactors[5] = {1.0, 5.0, 10.0, 15.0, 20.0};
  const double tolerance = TOLER_ask_distance_tol();
  int status = 0;
  for (double factor : kFactors) {
    *feature = 0;
    status = unite ? TOOLING_GEOM_create_boolean_unite(1, &target, 1, &tool, false, false, factor * tolerance, feature)
                   : TOOLING_GEOM_create_boolean_subtract(1, &target, 1, &tool, false, false, factor * tolerance,
                                                          feature);
    if (status == 0) break;
  }
  return status;
}

int DieDesDrawDieBuilder::CreateMainBottomSolid(tag_t bottomBody, tag_t punchProjection, tag_t* mainBody,
                                                tag_t* mainFeature) {
  *mainBody = *mainFeature = 0;
  if (bottomBody == 0 || punchProjection == 0) return kMissingInput;
  try {
    DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
    const std::string zero = lengthText(0.0);
    const std::string plus = lengthText(0.5 * m_wallThickness);
    const std::string minus = lengthText(-0.5 * m_wallThickness);
    tag_t trim = 0, outerOffset = 0, innerOffset = 0;
    const bool mainFound = FindMember("QD$MAIN_BOTTOM_SOLID", mainFeature);
    const bool trimFound = FindMember("QD$MAIN_SOLID_TRIM", &trim);
    const bool outerFound = FindMember("QD$MAIN_SOLID_OFFSET_OUT", &outerOffset);
    const bool innerFound = FindMember("QD$MAIN_SOLID_OFFSET_IN", &innerOffset);
    double direction[3];
    BasePlaneDirection(direction);
    const tag_t work = workPartTag();
    const bool core = m_coreDrawDieOption;
    auto build = [&]() -> int {
      // Up to the bottom sheet first.
      int status = punch->FeatExtrude(work, 1, &punchProjection, 0, direction, nullptr, zero.c_str(), core,
                                      plus.c_str(), minus.c_str(), false, nullptr, false, 0, 0, true, bottomBody,
                                      false, 0, mainFeature);
      if (status == 0) {
        *mainBody = punch->GetFeatFirstBody(*mainFeature);
        RetireMember(trimFound, trim);
        RetireMember(outerFound, outerOffset);
        RetireMember(innerFound, innerOffset);
        return 0;
      }
      // Then past it, to be trimmed by it.
      std::string end;
      if (!beyondSheet(punch, m_basePlane, bottomBody, &end)) return kMissingInput;
      status = punch->FeatExtrude(work, 1, &punchProjection, 0, direction, "0", end.c_str(), core, plus.c_str(),
                                  minus.c_str(), false, nullptr, false, 0, 0, false, 0, false, 0, mainFeature);
      if (status != 0 && core) {
        // A core die's wall from its two offset curves instead, after the deck offset's last feature.
        tag_t deckSmoothing = 0, deckOffset = 0;
        FindMember("QD$SMOOTH_OFFSET_DECK_CURVE", &deckSmoothing);
        FindMember("QD$OFFSET_CURVE_DECK", &deckOffset);
        const tag_t reference = deckSmoothing != 0 ? deckSmoothing : deckOffset;
        tag_t curves[2] = {0, 0};
        if (punch->FeatOffsetCurve(punchProjection, 0.5 * m_wallThickness, &curves[0], &innerOffset) == 0) {
          KeepMember(innerFound, innerOffset, "QD$MAIN_SOLID_OFFSET_IN", reference, 2);
          finishFeature(innerOffset);
        }
        if (punch->FeatOffsetCurve(punchProjection, -0.5 * m_wallThickness, &curves[1], &outerOffset) == 0) {
          KeepMember(outerFound, outerOffset, "QD$MAIN_SOLID_OFFSET_OUT", reference, 2);
          finishFeature(outerOffset);
        }
        if (curves[0] != 0 && curves[1] != 0)
          status = punch->FeatExtrude(work, 2, curves, 0, direction, "0", end.c_str(), false, nullptr, nullptr, false,
                                      nullptr, false, 0, 0, false, 0, false, 0, mainFeature);
      } else {
        RetireMember(innerFound, innerOffset);
        RetireMember(outerFound, outerOffset);
      }
      if (status != 0) return status;
      *mainBody = punch->GetFeatFirstBody(*mainFeature);
      const bool side = punch->GetSheetTrimDirectionWithVector(bottomBody, vectorOf(direction, 1.0));
      status = punch->FeatTrimSolid(1, mainBody, bottomBody, side, &trim);
      KeepMember(trimFound, trim, "QD$MAIN_SOLID_TRIM", *mainFeature, 2);
      return status;
    };
    const int status = build();
    // A main feature that was made is a member whatever failed after it.
    KeepMember(mainFound, *mainFeature, "QD$MAIN_BOTTOM_SOLID");
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 1024);
  }
}

int DieDesDrawDieBuilder::CreateTopSolid(tag_t topBody, tag_t bottomBody, tag_t deckCurve, tag_t mainBody,
                                         tag_t* topFeature, tag_t* topTrimFeature, tag_t* topSolidBody) {
  *topFeature = *topTrimFeature = *topSolidBody = 0;
  if (topBody == 0 || bottomBody == 0 || deckCurve == 0 || mainBody == 0) return kMissingInput;
  try {
    DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
    tag_t bottomTrim = 0, unite = 0;
    const bool topFound = FindMember("QD$MAIN_TOP_SOLID", topFeature);
    const bool topTrimFound = FindMember("QD$TOP_SOLID_TRIM_TOP", topTrimFeature);
    const bool bottomTrimFound = FindMember("QD$TOP_SOLID_TRIM_BOTTOM", &bottomTrim);
    const bool uniteFound = FindMember("QD$TOP_SOLID_BOOL_MAIN", &unite);
    double direction[3];
    BasePlaneDirection(direction);
    const tag_t work = workPartTag();
    auto build = [&]() -> int {
      // Between the two sheets, united with the main solid, first.
      int status = punch->FeatExtrude(work, 1, &deckCurve, 0, direction, nullptr, nullptr, false, nullptr, nullptr,
                                      false, nullptr, true, 1, mainBody, true, topBody, true, bottomBody, topFeature);
      if (status == 0) {
        RetireMember(topTrimFound, *topTrimFeature);
        *topTrimFeature = 0;
        RetireMember(bottomTrimFound, bottomTrim);
        RetireMember(uniteFound, unite);
        return 0;
      }
      // Then past the top sheet, trimmed by both sheets and united.
      std::string end;
      if (!beyondSheet(punch, m_basePlane, topBody, &end)) return kMissingInput;
      status = punch->FeatExtrude(work, 1, &deckCurve, 0, direction, "0", end.c_str(), false, nullptr, nullptr, false,
                                  nullptr, false, 0, 0, false, 0, false, 0, topFeature);
      if (status != 0) return status;
      tag_t body = punch->GetFeatFirstBody(*topFeature);
      status = punch->FeatTrimSolid(1, &body, topBody,
                                    punch->GetSheetTrimDirectionWithVector(topBody, vectorOf(direction, 1.0)),
                                    topTrimFeature);
      if (status != 0) {
        if (m_exactSheetbodyOption)
          TOOLING_warning_message("Problem with the sheet quality, please attempt to use rough method.");
        return status;
      }
      KeepMember(topTrimFound, *topTrimFeature, "QD$TOP_SOLID_TRIM_TOP", *topFeature, 2);
      status = punch->FeatTrimSolid(1, &body, bottomBody,
                                    punch->GetSheetTrimDirectionWithVector(bottomBody, vectorOf(direction, -1.0)),
                                    &bottomTrim);
      if (status != 0) return status;
      KeepMember(bottomTrimFound, bottomTrim, "QD$TOP_SOLID_TRIM_BOTTOM", *topTrimFeature, 2);
      tag_t united = 0;
      status = BooleanWithRetry(true, mainBody, body, &united);
      if (status != 0) {
        *topSolidBody = body;
        return status;
      }
      // A boolean is made afresh each build: the one an earlier build made goes.
      RetireMember(uniteFound, unite);
      KeepMember(false, united, "QD$TOP_SOLID_BOOL_MAIN", bottomTrim, 2);
      return 0;
    };
    const int status = build();
    if (*topSolidBody == 0) *topSolidBody = mainBody;
    // A top feature that was made is a member whatever failed after it.
    KeepMember(topFound, *topFeature, "QD$MAIN_TOP_SOLID");
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 1203);
  }
}

int DieDesDrawDieBuilder::CreateSubTopSolid(tag_t topBody, tag_t middleBody, tag_t binderCurve, tag_t deckCurve,
                                            tag_t topSolidBody, tag_t* subTopFeature) {
  *subTopFeature = 0;
  if (topBody == 0 || middleBody == 0 || binderCurve == 0 || deckCurve == 0 || topSolidBody == 0)
    return kMissingInput;
  try {
    // The step is the one the build goes past when it fails: what a try
    // made before its solid was subtracted from the top (the solid extruded
    // past the sheets, its trim) goes again when it fails, or the solid
    // would stand in the part beside the die. A mark the host cannot set is
    // its error, no refusal: the die would be built with the band this step
    // takes left on.
    int error = 0;
    const int set = UNDO_QD_set_mark(1, "Draw Die Subtract Top", &error);
    if (error != 0) ERROR_raise(kSource, 1306, error, "%s", "The undo mark of the subtracted top could not be set.");
    Stamvik::UndoMarkScope mark(set, &Stamvik::UndoMarkScope::QuickUndoTo, &Stamvik::UndoMarkScope::QuickDelete);
    bool subtracted = false;
    DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
    tag_t middleTrim = 0, subtract = 0, topTrim = 0;
    const bool subTopFound = FindMember("QD$MAIN_SUBTOP_SOLID", subTopFeature);
    const bool middleTrimFound = FindMember("QD$SUBTOP_SOLID_TRIM_MIDDLE", &middleTrim);
    const bool subtractFound = FindMember("QD$SUBTOP_SOLID_BOOL_TOP", &subtract);
    const bool topTrimFound = FindMember("QD$SUBTOP_SOLID_TRIM_TOP", &topTrim);
    double direction[3];
    BasePlaneDirection(direction);
    const tag_t work = workPartTag();
    const tag_t curves[2] = {binderCurve, deckCurve};
    auto build = [&]() -> int {
      // Between the top and middle sheets, subtracted from the top solid, first.
      int status = punch->FeatExtrude(work, 2, curves, 0, direction, nullptr, nullptr, false, nullptr, nullptr, false,
                                      nullptr, true, 2, topSolidBody, true, topBody, true, middleBody, subTopFeature);
      if (status == 0) {
        subtracted = true;
        RetireMember(middleTrimFound, middleTrim);
        RetireMember(subtractFound, subtract);
        RetireMember(topTrimFound, topTrim);
        return 0;
      }
      // Then past the top sheet, cut at the middle sheet to the part on the
      // top sheet's side (against the direction): the band the first try
      // takes between the sheets, so the flange keeps its thickness.
      std::string end;
      if (!beyondSheet(punch, m_basePlane, topBody, &end)) return kMissingInput;
      status = punch->FeatExtrude(work, 2, curves, 0, direction, "0", end.c_str(), false, nullptr, nullptr, false,
                                  nullptr, false, 0, 0, false, 0, false, 0, subTopFeature);
      if (status != 0) return status;
      tag_t body = punch->GetFeatFirstBody(*subTopFeature);
      status = punch->FeatTrimSolid(1, &body, middleBody,
                                    punch->GetSheetTrimDirectionWithVector(middleBody, vectorOf(direction, -1.0)),
                                    &middleTrim);
      if (status != 0) return status;
      KeepMember(middleTrimFound, middleTrim, "QD$SUBTOP_SOLID_TRIM_MIDDLE", *subTopFeature, 2);
      tag_t subtraction = 0;
      status = BooleanWithRetry(false, topSolidBody, body, &subtraction);
      if (status != 0) return status;
      subtracted = true;
      RetireMember(subtractFound, subtract);
      KeepMember(false, subtraction, "QD$SUBTOP_SOLID_BOOL_TOP", middleTrim, 2);
      // The top solid stays on the side of the top sheet that the top
      // solid's own trim kept: the other side holds nothing of it, and a trim
      // to that side would leave no die.
      tag_t target = topSolidBody;
      status = punch->FeatTrimSolid(1, &target, topBody,
                                    punch->GetSheetTrimDirectionWithVector(topBody, vectorOf(direction, 1.0)),
                                    &topTrim);
      if (status != 0) return status;
      KeepMember(topTrimFound, topTrim, "QD$SUBTOP_SOLID_TRIM_TOP", subtraction, 2);
      return 0;
    };
    const int status = build();
    if (!subtracted) {
      *subTopFeature = 0;
      return status;
    }
    mark.Commit();
    KeepMember(subTopFound, *subTopFeature, "QD$MAIN_SUBTOP_SOLID");
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 1371);
  }
}

int DieDesDrawDieBuilder::CreateStressSolid(tag_t flangeCurve, tag_t punchProjection, tag_t blankProjection,
                                            tag_t mainBody, tag_t* stressFeature) {
  *stressFeature = 0;
  if (punchProjection == 0 || blankProjection == 0 || mainBody == 0) return kMissingInput;
  try {
    DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
    tag_t blankFlange = 0;
    const bool stressFound = FindMember("QD$STRESS_SOLID", stressFeature);
    const bool blankFlangeFound = FindMember("QD$OFFSET_CURVE_BLANK_FLANGE", &blankFlange);
    const tag_t stressMember = *stressFeature;
    const double tolerance = TOLER_ask_distance_tol();
    if (m_baseThickness < tolerance || (flangeCurve == 0 && m_flangeOffset < tolerance)) {
      RetireMember(stressFound, *stressFeature);
      *stressFeature = 0;
      RetireMember(blankFlangeFound, blankFlange);
      return 0;
    }
    if (flangeCurve == 0) {
      // No flange selected: the blank, offset inwards by the flange offset, stands for it.
      if (int status = punch->FeatOffsetCurve(blankProjection, -m_flangeOffset, &flangeCurve, &blankFlange);
          status != 0)
        return status;
      finishFeature(blankFlange);
      KeepMember(blankFlangeFound, blankFlange, "QD$OFFSET_CURVE_BLANK_FLANGE", stressMember, 1);
    } else {
      RetireMember(blankFlangeFound, blankFlange);
    }
    double direction[3];
    BasePlaneDirection(direction);
    const tag_t curves[2] = {flangeCurve, punchProjection};
    const std::string start = lengthText(0.0);
    const std::string end = lengthText(-m_baseThickness);
    const int status =
        punch->FeatExtrude(workPartTag(), 2, curves, 0, direction, start.c_str(), end.c_str(), false, nullptr, nullptr,
                           false, nullptr, true, 1, mainBody, false, 0, false, 0, stressFeature);
    KeepMember(stressFound, *stressFeature, "QD$STRESS_SOLID");
    return status;
  } catch (const std::exception& e) {
    return Support::MetError(e, kSource, 1452);
  }
}

int DieDesDrawDieBuilder::ClassifyMachiningFaces(tag_t mainFeature, tag_t topFeature, tag_t topTrimFeature,
                                                 tag_t stressFeature, tag_t topBody) {
  if (mainFeature == 0 || (topFeature == 0 && topTrimFeature == 0)) return 0;
  DieDesDrawPunchBuilder* punch = m_drawPunchBuilder;
  const double tolerance = TOLER_ask_distance_tol();
  // The top is finished: every face the trim by the top sheet made, or else
  // the faces of the top extrusion that lie on the top sheet.
  std::vector<tag_t> top;
  for (tag_t face : topFacesOf(topTrimFeature != 0 ? topTrimFeature : topFeature))
    if (topTrimFeature != 0 || punch->AskMinimumDist(face, topBody) < tolerance) {
      punch->AddAttributetoFace(face, 3);
      top.push_back(face);
    }
  // The bottom is refined where it lies in the base plane.
  for (tag_t face : topFacesOf(stressFeature != 0 ? stressFeature : mainFeature))
    if (punch->AskMaximumDist(face, m_basePlane) < tolerance) punch->AddAttributetoFace(face, 1);
  // The label needs a top face to stand on.
  if (!top.empty())
    punch->AddPMILabelToOneTopFace(top[top.size() / 2], m_exactSheetbodyOption ? "Exact face" : "Rough face");
  return 0;
}

}  // namespace KTX::Tooling
