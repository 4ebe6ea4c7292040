// Message numbers: the user sees them, journals and stored records keep them,
// so each name must give the number the catalogue gives it, and no number
// may have two names.
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "Messages.hpp"
#include "assy/Assembly.hpp"
#include "clear/Clearance.hpp"
#include "jam/InterfacePlaces.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/FeatureGeometry.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "tool/Tooling.hpp"
#include "vd/Motion.hpp"

namespace {

using namespace KTX;

struct Row {
  const char* name;
  int value;
  int number;  // as the catalogue gives it
};

const Row kRows[] = {
      {"kAbstractMethod", Messages::kAbstractMethod, 580203},
      {"kComponentNotSaved", Messages::kComponentNotSaved, 641091},
      {"kNoDatabaseParms", Messages::kNoDatabaseParms, 670156},
      {"kNoTrimToolBody", Messages::kNoTrimToolBody, 670219},
      {"kUnknownDefinition", Messages::kUnknownDefinition, 670229},
      {"kNoSection", Messages::kNoSection, 670241},
      {"kNotASpringbackFeature", Messages::kNotASpringbackFeature, 670357},
      {"kTargetNotABody", Messages::kTargetNotABody, 670422},
      {"kVanished", Messages::kVanished, 670443},
      {"kNoBaseBody", Messages::kNoBaseBody, 671385},
      {"kSegmentTopRadiusWarning", Messages::kSegmentTopRadiusWarning, 672144},
      {"kClearanceOffsetTooSmall", Messages::kClearanceOffsetTooSmall, 672225},
      {"kGeneralDistanceToleranceTooSmall", Messages::kGeneralDistanceToleranceTooSmall, 674028},
      {"kGeneralAngleToleranceTooSmall", Messages::kGeneralAngleToleranceTooSmall, 674029},
      {"kNoTargetCopy", Messages::kNoTargetCopy, 674057},
      {"kNoLocationVector", Messages::kNoLocationVector, 674316},
      {"kNoLocationPoint", Messages::kNoLocationPoint, 674317},
      {"kWrongParms", Messages::kWrongParms, 690000},
      {"kCoreHeightTooSmall", Messages::kCoreHeightTooSmall, 690004},
      {"kCoreWidthTooSmall", Messages::kCoreWidthTooSmall, 690005},
      {"kCoreDepthNegative", Messages::kCoreDepthNegative, 690006},
      {"kNoTarget", Messages::kNoTarget, 690025},
      {"kNoSpringbackInput", Messages::kNoSpringbackInput, 690034},
      {"kFileUnreadable", Messages::kFileUnreadable, 841404},
      {"kFileLineNotOfFormat", Messages::kFileLineNotOfFormat, 841405},
      {"kCutoutSweepFailed", Messages::kCutoutSweepFailed, 1070013},
      {"kNoReliefLoop", Messages::kNoReliefLoop, 3030022},
      {"kStageHostError", Messages::kStageHostError, 3030173},
      {"kOpenReliefLoops", Messages::kOpenReliefLoops, 3030210},
      {"kBeadFemaleDepthTooSmall", Messages::kBeadFemaleDepthTooSmall, 3030297},
      {"kBeadFemaleWidthTooSmall", Messages::kBeadFemaleWidthTooSmall, 3030298},
      {"kSegmentFemaleRadiiTooSmall", Messages::kSegmentFemaleRadiiTooSmall, 3030299},
      {"kSegmentTopRadiiTooSmall", Messages::kSegmentTopRadiiTooSmall, 3030300},
      {"kSegmentBeadHeightTooSmall", Messages::kSegmentBeadHeightTooSmall, 3030301},
      {"kSegmentMaleWidthTooSmall", Messages::kSegmentMaleWidthTooSmall, 3030302},
      {"kBeadClearanceTooSmall", Messages::kBeadClearanceTooSmall, 3030303},
      {"kBeadMetalThicknessTooSmall", Messages::kBeadMetalThicknessTooSmall, 3030304},
      {"kBeadPathTrimmedToNothing", Messages::kBeadPathTrimmedToNothing, 3030305},
      {"kBeadSegmentWithoutLength", Messages::kBeadSegmentWithoutLength, 3030665},
      {"kBeadSegmentBeforePathStart", Messages::kBeadSegmentBeforePathStart, 3030690},
      {"kSegmentTopRadiiWiderThanBead", Messages::kSegmentTopRadiiWiderThanBead, 3030321},
      {"kSegmentFemaleWidthTooSmall", Messages::kSegmentFemaleWidthTooSmall, 3030378},
      {"kSegmentFemaleDepthTooSmall", Messages::kSegmentFemaleDepthTooSmall, 3030379},
      {"kNoBaseOrientation", Messages::kNoBaseOrientation, 3030391},
      {"kNoBaseFlange", Messages::kNoBaseFlange, 3030392},
      {"kOpenBaseFlange", Messages::kOpenBaseFlange, 3030393},
      {"kNotOneBaseFlangeLoop", Messages::kNotOneBaseFlangeLoop, 3030394},
      {"kOpenMainDeckLoop", Messages::kOpenMainDeckLoop, 3030395},
      {"kBadMainDeckPlane", Messages::kBadMainDeckPlane, 3030396},
      {"kMainDeckTooLow", Messages::kMainDeckTooLow, 3030397},
      {"kOpenDeckCutoutLoop", Messages::kOpenDeckCutoutLoop, 3030398},
      {"kSlotDepthTooSmall", Messages::kSlotDepthTooSmall, 3030399},
      {"kSlotWidthTooSmall", Messages::kSlotWidthTooSmall, 3030400},
      {"kBadSlotDirection", Messages::kBadSlotDirection, 3030401},
      {"kFlangeTooThin", Messages::kFlangeTooThin, 3030402},
      {"kWallTooThin", Messages::kWallTooThin, 3030403},
      {"kDeckTooThin", Messages::kDeckTooThin, 3030404},
      {"kClampingCenterlineLengthNegative", Messages::kClampingCenterlineLengthNegative, 3030410},
      {"kClampingInnerWidthNegative", Messages::kClampingInnerWidthNegative, 3030411},
      {"kClampingSlotWidthNegative", Messages::kClampingSlotWidthNegative, 3030412},
      {"kClampingSlotLengthNegative", Messages::kClampingSlotLengthNegative, 3030413},
      {"kClampingTopLengthNegative", Messages::kClampingTopLengthNegative, 3030414},
      {"kClampingSlotRadiusNegative", Messages::kClampingSlotRadiusNegative, 3030415},
      {"kClampingPadWidthNegative", Messages::kClampingPadWidthNegative, 3030416},
      {"kClampingPadHeightNegative", Messages::kClampingPadHeightNegative, 3030417},
      {"kClampingPadLengthNegative", Messages::kClampingPadLengthNegative, 3030418},
      {"kClampingPadRadiusNegative", Messages::kClampingPadRadiusNegative, 3030419},
      {"kClampingOverhangNegative", Messages::kClampingOverhangNegative, 3030420},
      {"kClampingNotchWidthNegative", Messages::kClampingNotchWidthNegative, 3030421},
      {"kClampingNotchHeightNegative", Messages::kClampingNotchHeightNegative, 3030422},
      {"kClampingNotchAngleNegative", Messages::kClampingNotchAngleNegative, 3030423},
      {"kClampingFlangeThicknessNotPositive", Messages::kClampingFlangeThicknessNotPositive, 3030424},
      {"kClampingOffsetWidthNegative", Messages::kClampingOffsetWidthNegative, 3030425},
      {"kClampingSlotNotWiderThanInner", Messages::kClampingSlotNotWiderThanInner, 3030428},
      {"kClampingPadNarrowerThanSlot", Messages::kClampingPadNarrowerThanSlot, 3030429},
      {"kClampingTopShorterThanSlot", Messages::kClampingTopShorterThanSlot, 3030430},
      {"kClampingPadShorterThanTop", Messages::kClampingPadShorterThanTop, 3030431},
      {"kBadLocation", Messages::kBadLocation, 3030432},
      {"kBadOffsetDirection", Messages::kBadOffsetDirection, 3030433},
      {"kNoCoordinateSystem", Messages::kNoCoordinateSystem, 3030435},
      {"kBadOrientationPlane", Messages::kBadOrientationPlane, 3030436},
      {"kBadBaseOrientation", Messages::kBadBaseOrientation, 3030437},
      {"kNoWalls", Messages::kNoWalls, 3030438},
      {"kNoCurves", Messages::kNoCurves, 3030441},
      {"kSheetBodiesKept", Messages::kSheetBodiesKept, 3030443},
      {"kNoSheetBodies", Messages::kNoSheetBodies, 3030445},
      {"kTypeChangeWhileEditing", Messages::kTypeChangeWhileEditing, 3030446},
      {"kDistanceToleranceTooSmall", Messages::kDistanceToleranceTooSmall, 3030447},
      {"kAngleToleranceTooSmall", Messages::kAngleToleranceTooSmall, 3030448},
      {"kKeywayDeckThicknessNegative", Messages::kKeywayDeckThicknessNegative, 3030451},
      {"kKeywaySlotLengthNotPositive", Messages::kKeywaySlotLengthNotPositive, 3030452},
      {"kKeywaySlotWidthNotPositive", Messages::kKeywaySlotWidthNotPositive, 3030453},
      {"kKeywaySlotDepthNotPositive", Messages::kKeywaySlotDepthNotPositive, 3030454},
      {"kKeywayPadWidthNegative", Messages::kKeywayPadWidthNegative, 3030455},
      {"kKeywayPadHeightNegative", Messages::kKeywayPadHeightNegative, 3030456},
      {"kKeywayMinimumRibHeightNegative", Messages::kKeywayMinimumRibHeightNegative, 3030457},
      {"kKeywayRunoffLengthNegative", Messages::kKeywayRunoffLengthNegative, 3030458},
      {"kKeywayRunoffWidthNegative", Messages::kKeywayRunoffWidthNegative, 3030459},
      {"kKeywayRunoffDepthNegative", Messages::kKeywayRunoffDepthNegative, 3030460},
      {"kKeywayRunoffRadiusNegative", Messages::kKeywayRunoffRadiusNegative, 3030461},
      {"kOpenInteriorProfile", Messages::kOpenInteriorProfile, 3030463},
      {"kNotOneInteriorLoop", Messages::kNotOneInteriorLoop, 3030464},
      {"kHeelpostLengthNotPositive", Messages::kHeelpostLengthNotPositive, 3030471},
      {"kHeelpostWidthNotPositive", Messages::kHeelpostWidthNotPositive, 3030472},
      {"kHeelpostHeightNotPositive", Messages::kHeelpostHeightNotPositive, 3030473},
      {"kHeelpostPadThicknessNotPositive", Messages::kHeelpostPadThicknessNotPositive, 3030474},
      {"kHeelpostFloorThicknessNegative", Messages::kHeelpostFloorThicknessNegative, 3030475},
      {"kHeelpostReliefWidthNegative", Messages::kHeelpostReliefWidthNegative, 3030476},
      {"kHeelpostReliefDepthNegative", Messages::kHeelpostReliefDepthNegative, 3030477},
      {"kHeelpostDiameterNegative", Messages::kHeelpostDiameterNegative, 3030478},
      {"kHeelpostWallThicknessNegative", Messages::kHeelpostWallThicknessNegative, 3030479},
      {"kHeelpostWallOffsetNegative", Messages::kHeelpostWallOffsetNegative, 3030480},
      {"kHeelpostWallPercentageOutOfRange", Messages::kHeelpostWallPercentageOutOfRange, 3030481},
      {"kReliefDepthTooSmall", Messages::kReliefDepthTooSmall, 3030482},
      {"kNoSheetMetal", Messages::kNoSheetMetal, 3030483},
      {"kOpenSectionLoops", Messages::kOpenSectionLoops, 3030490},
      {"kClosedSectionLoops", Messages::kClosedSectionLoops, 3030493},
      {"kNotchNoSection", Messages::kNotchNoSection, 3030636},
      {"kClearanceNoSection", Messages::kClearanceNoSection, 3030670},
      {"kMachineReliefNoMainProfile", Messages::kMachineReliefNoMainProfile, 3030671},
      {"kFillAreaNoBoundary", Messages::kFillAreaNoBoundary, 3030672},
      {"kBeadNoCenterline", Messages::kBeadNoCenterline, 3030673},
      {"kShoeToolInTwoItems", Messages::kShoeToolInTwoItems, 3030674},
      {"kNotchNoFaces", Messages::kNotchNoFaces, 3030637},
      {"kNotchNoSheetBodies", Messages::kNotchNoSheetBodies, 3030638},
      {"kCannotMapFromBase", Messages::kCannotMapFromBase, 3030495},
      {"kPointCountsDiffer", Messages::kPointCountsDiffer, 3030511},
      {"kNoSprungPoints", Messages::kNoSprungPoints, 3030513},
      {"kToolingInputCurvesFailed", Messages::kToolingInputCurvesFailed, 3030582},
      {"kDrawPunchRoughOffsetSheetsFailed", Messages::kDrawPunchRoughOffsetSheetsFailed, 3030583},
      {"kDrawPunchProjectCurveFailed", Messages::kDrawPunchProjectCurveFailed, 3030584},
      {"kDrawPunchOuterSolidFailed", Messages::kDrawPunchOuterSolidFailed, 3030585},
      {"kDrawPunchBeltSolidFailed", Messages::kDrawPunchBeltSolidFailed, 3030586},
      {"kDrawPunchOffsetCurveFailed", Messages::kDrawPunchOffsetCurveFailed, 3030587},
      {"kDrawPunchStressSolidFailed", Messages::kDrawPunchStressSolidFailed, 3030588},
      {"kDrawPunchChamferFailed", Messages::kDrawPunchChamferFailed, 3030589},
      {"kDrawPunchInnerSolidFailed", Messages::kDrawPunchInnerSolidFailed, 3030590},
      {"kMissingInput", Messages::kMissingInput, 3030591},
      {"kDrawDieRoughOffsetSheetsFailed", Messages::kDrawDieRoughOffsetSheetsFailed, 3030593},
      {"kDrawDieProjectCurvesFailed", Messages::kDrawDieProjectCurvesFailed, 3030594},
      {"kDrawDieOffsetCurvesFailed", Messages::kDrawDieOffsetCurvesFailed, 3030595},
      {"kDrawDieMainSolidFailed", Messages::kDrawDieMainSolidFailed, 3030596},
      {"kDrawDieTopSolidFailed", Messages::kDrawDieTopSolidFailed, 3030597},
      {"kDrawDieStressSolidFailed", Messages::kDrawDieStressSolidFailed, 3030599},
      {"kUnknownMember", Messages::kUnknownMember, 3030630},
      {"kSelectedObjectGone", Messages::kSelectedObjectGone, 3030631},
      {"kSelectedBuilder", Messages::kSelectedBuilder, 3030632},
      {"kSelectedOwnFeature", Messages::kSelectedOwnFeature, 3030633},
      {"kManikinSizeFileNotWritten", Messages::kManikinSizeFileNotWritten, 3030650},
      {"kShoeBlockNotCopied", Messages::kShoeBlockNotCopied, 3030651},
      {"kShoeBlockNotApplied", Messages::kShoeBlockNotApplied, 3030652},
      {"kMainDeckOutsideFlange", Messages::kMainDeckOutsideFlange, 3030600},
      {"kDeckCutoutOutsideFlange", Messages::kDeckCutoutOutsideFlange, 3030601},
      {"kWallsLeaveNoCavity", Messages::kWallsLeaveNoCavity, 3030602},
      {"kBaseFlangeTooManyPoints", Messages::kBaseFlangeTooManyPoints, 3030603},
      {"kBaseFlangeTouchesItself", Messages::kBaseFlangeTouchesItself, 3030620},
      {"kBaseFlangeNoArea", Messages::kBaseFlangeNoArea, 3030621},
      {"kMainDeckTouchesItself", Messages::kMainDeckTouchesItself, 3030622},
      {"kMainDeckNoArea", Messages::kMainDeckNoArea, 3030623},
      {"kDeckCutoutTouchesItself", Messages::kDeckCutoutTouchesItself, 3030624},
      {"kDeckCutoutNoArea", Messages::kDeckCutoutNoArea, 3030625},
      {"kMainDecksOverlap", Messages::kMainDecksOverlap, 3030626},
      {"kDeckCutoutAcrossDeck", Messages::kDeckCutoutAcrossDeck, 3030627},
      {"kFlangeNotBelowDecks", Messages::kFlangeNotBelowDecks, 3030628},
      {"kDeckFlangeWiderThanDeck", Messages::kDeckFlangeWiderThanDeck, 3030604},
      {"kPunchOutsideBlank", Messages::kPunchOutsideBlank, 3030605},
      {"kDeckThicknessNotPositive", Messages::kDeckThicknessNotPositive, 3030606},
      {"kReliefAngleOutOfRange", Messages::kReliefAngleOutOfRange, 3030607},
      {"kPunchTopNotAboveBelt", Messages::kPunchTopNotAboveBelt, 3030608},
      {"kDieFaceNotAboveBasePlane", Messages::kDieFaceNotAboveBasePlane, 3030609},
      {"kDeckFlangeBelowZero", Messages::kDeckFlangeBelowZero, 3030610},
      {"kDeckEdgeInsideBinderEdge", Messages::kDeckEdgeInsideBinderEdge, 3030611},
      {"kBasePlaneWithinDeck", Messages::kBasePlaneWithinDeck, 3030612},
      {"kFlangeOffsetBelowZero", Messages::kFlangeOffsetBelowZero, 3030613},
      {"kDieFaceTurnedFromBasePlane", Messages::kDieFaceTurnedFromBasePlane, 3030614},
      {"kDrawPunchProfileNoArea", Messages::kDrawPunchProfileNoArea, 3030615},
      {"kDrawDiePunchNoArea", Messages::kDrawDiePunchNoArea, 3030616},
      {"kReliefDistanceNotAboveTolerance", Messages::kReliefDistanceNotAboveTolerance, 3030617},
      {"kCoreWallTooThick", Messages::kCoreWallTooThick, 3030618},
      {"kReliefTakesProfile", Messages::kReliefTakesProfile, 3030619},
      {"kCoreWallNotAboveTolerance", Messages::kCoreWallNotAboveTolerance, 3030639},
      {"kReliefLeavesThinPart", Messages::kReliefLeavesThinPart, 3030629},
      {"kPunchOutlineNotOneLoop", Messages::kPunchOutlineNotOneLoop, 3030645},
      {"kPunchOutlineNoArea", Messages::kPunchOutlineNoArea, 3030646},
      {"kPunchOutlineMisplaced", Messages::kPunchOutlineMisplaced, 3030647},
      {"kReliefWiderThanBeltStep", Messages::kReliefWiderThanBeltStep, 3030648},
      {"kDeckInnerBlockNotMade", Messages::kDeckInnerBlockNotMade, 3030634},
      {"kDeckCavityNotMade", Messages::kDeckCavityNotMade, 3030685},
      {"kOutlineNoArea", Messages::kOutlineNoArea, 3030691},
      {"kDrawPunchProfileTouchesItself", Messages::kDrawPunchProfileTouchesItself, 3030635},
      {"kBuiltNotMeasured", Messages::kBuiltNotMeasured, 3030640},
      {"kBuiltNotOneSolid", Messages::kBuiltNotOneSolid, 3030641},
      {"kBuiltNotValid", Messages::kBuiltNotValid, 3030642},
      {"kBuiltOutsideItsBox", Messages::kBuiltOutsideItsBox, 3030643},
      {"kBuiltIncomplete", Messages::kBuiltIncomplete, 3030644},
      {"kBuiltNotHollow", Messages::kBuiltNotHollow, 3030649},
      {"kManikinUserLengthNotPositive", Messages::kManikinUserLengthNotPositive, 3770401},
      {"kManikinBackAngleOutOfRange", Messages::kManikinBackAngleOutOfRange, 3770409},
      {"kManikinBackAngleAllowedOutOfRange", Messages::kManikinBackAngleAllowedOutOfRange, 3770410},
      {"kManikinPedalAngleOutOfRange", Messages::kManikinPedalAngleOutOfRange, 3770411},
      {"kManikinWheelAngleOutOfRange", Messages::kManikinWheelAngleOutOfRange, 3770412},
      {"kManikinWheelDiameterNegative", Messages::kManikinWheelDiameterNegative, 3770413},
      {"kManikinWheelDiameterOutOfRange", Messages::kManikinWheelDiameterOutOfRange, 3770414},
      {"kManikinWheelDiameterAllowedOutOfRange", Messages::kManikinWheelDiameterAllowedOutOfRange, 3770415},
      {"kManikinSgRPLengthBelowAHP", Messages::kManikinSgRPLengthBelowAHP, 3770416},
      {"kManikinSgRPHeightBelowAHP", Messages::kManikinSgRPHeightBelowAHP, 3770417},
      {"kManikinAHPLengthAboveSgRP", Messages::kManikinAHPLengthAboveSgRP, 3770418},
      {"kManikinAHPHeightAboveSgRP", Messages::kManikinAHPHeightAboveSgRP, 3770419},
      {"kManikinH30OutOfRange", Messages::kManikinH30OutOfRange, 3770420},
      {"kManikinH30AllowedOutOfRange", Messages::kManikinH30AllowedOutOfRange, 3770421},
      {"kManikinWheelLengthNegative", Messages::kManikinWheelLengthNegative, 3770422},
      {"kManikinWheelHeightNegative", Messages::kManikinWheelHeightNegative, 3770423},
      {"kManikinLegsOutOfReach", Messages::kManikinLegsOutOfReach, 3770424},
      {"kManikinArmsOutOfReach", Messages::kManikinArmsOutOfReach, 3770425},
      {"kManikinSizeFileUnreadable", Messages::kManikinSizeFileUnreadable, 3770426},
      {"kManikinSizeFileKeyMissing", Messages::kManikinSizeFileKeyMissing, 3770427},
      {"kManikinSizeFileValueOutOfRange", Messages::kManikinSizeFileValueOutOfRange, 3770428},
      {"kManikinPercentileNotOfStandard", Messages::kManikinPercentileNotOfStandard, 3770440},
      {"kManikinPositionUnknown", Messages::kManikinPositionUnknown, 3770441},
      {"kManikinClassificationUnknown", Messages::kManikinClassificationUnknown, 3770442},
      {"kManikinStandardUnknown", Messages::kManikinStandardUnknown, 3770443},
      {"kManikinUnknownMember", Messages::kManikinUnknownMember, 3770444},
      {"kProfileCrossesYAxis", Messages::kProfileCrossesYAxis, 3771702},
      {"kNoProfilePointsFromBody", Messages::kNoProfilePointsFromBody, 3771706},
      {"kTooFewProfilePoints", Messages::kTooFewProfilePoints, 3771707},
      {"kTireDistanceToleranceNotPositive", Messages::kTireDistanceToleranceNotPositive, 3771709},
      {"kTrimRadiusNotPositive", Messages::kTrimRadiusNotPositive, 3771710},
      {"kStartAngleNotMultipleOf15", Messages::kStartAngleNotMultipleOf15, 3771711},
      {"kStartAngleNotBelowEnd", Messages::kStartAngleNotBelowEnd, 3771712},
      {"kAngleSpanOver360", Messages::kAngleSpanOver360, 3771713},
      {"kMarkersMissing", Messages::kMarkersMissing, 3771715},
      {"kMarkersRefused", Messages::kMarkersRefused, 3771716},
      {"kReassemblyRefused", Messages::kReassemblyRefused, 3771717},
      {"kSketchPartNotFound", Messages::kSketchPartNotFound, 3771718},
      {"kTemplateFileUnreadable", Messages::kTemplateFileUnreadable, 3771723},
      {"kTemplateLineNotOfFormat", Messages::kTemplateLineNotOfFormat, 3771724},
      {"kTemplateHardPointMissing", Messages::kTemplateHardPointMissing, 3771725},
      {"kTemplateLineNotFirst", Messages::kTemplateLineNotFirst, 3771726},
      {"kTemplateOfAnotherType", Messages::kTemplateOfAnotherType, 3771727},
      {"kTemplatePointNameUnknown", Messages::kTemplatePointNameUnknown, 3771728},
      {"kTemplatePointNamedTwice", Messages::kTemplatePointNamedTwice, 3771729},
      {"kMasterFileMissing", Messages::kMasterFileMissing, 3771731},
      {"kArticulationNotStarted", Messages::kArticulationNotStarted, 3771732},
      {"kTraceFailed", Messages::kTraceFailed, 3771733},
      {"kNoSpindleObject", Messages::kNoSpindleObject, 3771734},
      {"kArticulationFailed", Messages::kArticulationFailed, 3771735},
      {"kDriveJointsMissing", Messages::kDriveJointsMissing, 3771736},
      {"kTireBodyPartIsWorkPart", Messages::kTireBodyPartIsWorkPart, 3771737},
      {"kNoTireBodyPart", Messages::kNoTireBodyPart, 3771738},
      {"kOffsetFileMissing", Messages::kOffsetFileMissing, 3771752},
      {"kTooManyOffsets", Messages::kTooManyOffsets, 3771757},
      {"kAngleNotAmongOffsetSections", Messages::kAngleNotAmongOffsetSections, 3771759},
      {"kNoProfilePoints", Messages::kNoProfilePoints, 3771761},
      {"kMotionFileMissing", Messages::kMotionFileMissing, 3771762},
      {"kLayerOutOfRange", Messages::kLayerOutOfRange, 3771763},
      {"kCenterlineShiftOutOfRange", Messages::kCenterlineShiftOutOfRange, 3771764},
      {"kRimDiameterOutOfRange", Messages::kRimDiameterOutOfRange, 3771765},
      {"kTooManySections", Messages::kTooManySections, 3771768},
      {"kEndAngleNotMultipleOf15", Messages::kEndAngleNotMultipleOf15, 3771769},
      {"kStartAngleBelowMinus90", Messages::kStartAngleBelowMinus90, 3771777},
      {"kEndAngleAbove360", Messages::kEndAngleAbove360, 3771778},
      {"kTextTooLong", Messages::kTextTooLong, 3771790},
      {"kTooManyDriverSteps", Messages::kTooManyDriverSteps, 3771791},
      {"kTooManyDriverStepProduct", Messages::kTooManyDriverStepProduct, 3771792},
      {"kTireSectionWithoutArea", Messages::kTireSectionWithoutArea, 3771795},
      {"kProfileBelowSpindleAxis", Messages::kProfileBelowSpindleAxis, 3771796},
      {"kTooFewDriverSteps", Messages::kTooFewDriverSteps, 3771797},
      {"kNoSpindleLineInMotion", Messages::kNoSpindleLineInMotion, 3771798},
      {"kMotionTracedWithOtherInputs", Messages::kMotionTracedWithOtherInputs, 3771799},
      {"kTireUnknownMember", Messages::kTireUnknownMember, 3771800},
      {"kTireSelectedObjectGone", Messages::kTireSelectedObjectGone, 3771801},
      {"kTireSelectedBuilder", Messages::kTireSelectedBuilder, 3771802},
      {"kTireSelectedOwnFeature", Messages::kTireSelectedOwnFeature, 3771803},
      {"kRollNotFound", Messages::kRollNotFound, 3771804},
      {"kOffsetBeyondReach", Messages::kOffsetBeyondReach, 3771805},
      {"kProfileSectionCrosses", Messages::kProfileSectionCrosses, 3771793},
      {"kEnvelopeNotWhole", Messages::kEnvelopeNotWhole, 3771794},
      {"kManikinWheelAngleExpressionFailed", Messages::kManikinWheelAngleExpressionFailed, 3772122},
      {"kManikinBackAngleExpressionFailed", Messages::kManikinBackAngleExpressionFailed, 3772123},
      {"kManikinPedalAngleExpressionFailed", Messages::kManikinPedalAngleExpressionFailed, 3772127},
      {"kManikinRuleGaveNoFeature", Messages::kManikinRuleGaveNoFeature, 3772130},
};

TEST(Messages, EachNameGivesTheCatalogueNumber) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.value, row.number);
  }
}

// The user is shown each number with the host's text for it: a number named
// here without one would stand alone.
TEST(Messages, TheHostHasATextForEachNumber) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const char* text = Error::MessageText(row.number);
    EXPECT_TRUE(text != nullptr && *text != '\0') << row.number << " has no text";
  }
}

// The words of a refusal blame only what the script can have given, and say
// what to do where there is one thing to do: a path too short for the
// tolerance with no point given, a loop beside an outline an edit read back.
TEST(Messages, TheLibrarysWordsSayWhatWasRefused) {
  struct Text {
    int number;
    const char* text;
  };
  const Text rows[] = {
      {3030305, "the bead's path is no longer than the distance tolerance: its centreline, trimmed at the start and "
                "end points where they are given, leaves no bead"},
      {3030645, "the punch's flange profile or main wall centre line is not one closed loop (an open chain, several "
                "loops, or a loop given beside the outline an edit read back: that section is to be cleared first)"},
      {3030670, "the clearance is of type Section, and its section holds no curve"},
      {3030671, "the machine relief has no main profile, and its target gives no curve for its type"},
      {3030672, "the fill area's boundary holds no curve"},
      {3030673, "the draw bead's centreline holds no curve"},
      {3030674, "a tool body is in two boolean items of the die shoe: give each tool one operation"},
  };
  for (const Text& row : rows) {
    SCOPED_TRACE(row.number);
    EXPECT_EQ(Error::Describe(row.number), std::to_string(row.number) + " (" + row.text + ")");
  }
}

// The header is the one place a number is named: every name it defines is
// pinned above, and no number is named twice.
TEST(Messages, TheHeaderNamesEachNumberOnce) {
  std::ifstream in(STAMVIK_TEST_DATA "/../../src/stamvik/no/ind/base/Messages.hpp");
  ASSERT_TRUE(in.good());
  std::stringstream text;
  text << in.rdbuf();
  const std::string source = text.str();
  const std::regex definition(R"(inline constexpr int (k\w+) = (\d+);)");
  std::map<std::string, int> pinned;
  for (const Row& row : kRows) pinned[row.name] = row.number;
  std::map<int, std::string> named;
  int count = 0;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), definition); it != std::sregex_iterator(); ++it) {
    const std::string name = (*it)[1];
    const int number = std::stoi((*it)[2]);
    SCOPED_TRACE(name);
    ++count;
    EXPECT_EQ(pinned.count(name), 1u) << "not pinned by the table";
    const auto [at, fresh] = named.emplace(number, name);
    EXPECT_TRUE(fresh) << number << " is also named " << at->second;
  }
  EXPECT_EQ(count, static_cast<int>(std::size(kRows)));
}

// The host's own numbers its calls answer: each is pinned, one failure a
// number (a tag that is no feature is not a missing scenario, a direction of
// no length not a shape the modeller could not make), and each has its text.
TEST(Messages, EachHostNumberIsOneFailureWithItsText) {
  const Row rows[] = {
      {"JAM::kNotProvided", JAM::kNotProvided, 841001},
      {"JAM::kBadLayer", JAM::kBadLayer, 841002},
      {"kNoScenario", kNoScenario, 841101},
      {"kNoCustomerDefault", kNoCustomerDefault, 841102},
      {"SC_section::kBadRule", SC_section::kBadRule, 841103},
      {"kNotAFeature", kNotAFeature, 841104},
      {"OffsetCurveBuilder::kCopiesOutOfRange", ModlCurveJA::OffsetCurveBuilder::kCopiesOutOfRange, 841201},
      {"ModelingFeatureBuilder::kObjectNotReached", ModelingFeatureBuilder::kObjectNotReached, 841301},
      {"kShapeNotMade", kShapeNotMade, 841302},
      {"ModelingFeatureBuilder::kZeroDirection", ModelingFeatureBuilder::kZeroDirection, 841303},
      {"kNoPartToAdd", kNoPartToAdd, 850001},
      {"kNoInstance", kNoInstance, 850002},
      {"kNoDataset", kNoDataset, 852001},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.value, row.number);
    const char* text = Error::MessageText(row.number);
    EXPECT_TRUE(text != nullptr && *text != '\0') << row.number << " has no text";
  }
}

// What a user reads beside each number of the host's own (the kernel's 220xx,
// 84xxxx, 85xxxx, and the journal's and property system's few below 100),
// as the host's documents word it: a text swapped between two numbers, or
// one that names another failure, tells the user of the wrong one.
TEST(Messages, EachHostNumberReadsTheTextOfItsOwnFailure) {
  struct Text {
    int number;
    const char* text;
  };
  const Text rows[] = {
      {65, "processor fault in a scripting call"},
      {68, "null pointer"},
      {22001, "the modeller has no live entity of that tag"},
      {22002, "the modeller's entity is not a body"},
      {22003, "the modeller cannot take a body of that type"},
      {22004, "the modeller was given a value it cannot take"},
      {22005, "the modeller could not make the shape asked for"},
      {22006, "the modeller was given an open boundary curve or no curve"},
      {22007, "the body holds no geometry to ask of"},
      {840001, "deleted tag"},
      {840002, "bad object: unknown tag, wrong class, or an object that cannot be made"},
      {840003, "index out of range"},
      {840004, "a standard exception that is not a host error"},
      {840005, "no memory"},
      {840006, "attribute id unbound or not an attribute of the object"},
      {840007, "a call the failure switch failed"},
      {840101, "value of the wrong type, or a text that is not a number"},
      {840102, "missing value or expression"},
      {840103, "unknown property"},
      {840104, "read-only property"},
      {840201, "no geometry entity"},
      {840401, "no parameters"},
      {840402, "bad record count or missing records"},
      {840403, "a descriptor without its record"},
      {840404, "an entity's values are of another kind"},
      {840501, "a body-reference request without its parameters"},
      {840502, "no such file"},
      {840701, "malformed journal text"},
      {840702, "no replay known for the member"},
      {840703, "the record's values are not the member's"},
      {840801, "the builder's class has no preview"},
      {840802, "the object is no builder"},
      {840803, "a loop kind other than closed or open, or no points"},
      {840804, "the object is of another class than the list holds"},
      {840805, "the object is in the list already"},
      {840806, "the object belongs to another list"},
      {840807, "a selection takes no part"},
      {840901, "no rule instance of that name"},
      {840902, "the rule instance has no attribute of that name"},
      {840903, "the rule attribute's value is of another type"},
      {840904, "a rule value the rule language cannot read"},
      {841001, "an operation the host does not provide"},
      {841002, "a layer outside 1 to 256"},
      {841101, "no motion scenario of that name"},
      {841102, "no customer default of that name"},
      {841103, "a selection rule of another kind, or an entity the rule's kind does not take"},
      {841104, "a tag that names no live feature"},
      {841201, "the number of copies is outside 1 to 999"},
      {841301, "the object to extrude until does not lie across the whole section"},
      {841302, "the modeller could not make the feature's shape from its inputs"},
      {841303, "a direction of no length"},
      {841401, "the file is no regular file (a device, a pipe or a directory)"},
      {841402, "the file is larger than its format allows"},
      {841403, "a line of the file is longer than 1 MiB"},
      {841404, "the file cannot be read"},
      {841405, "a line of the file is not what its format takes"},
      {841406, "the file is the journal being played: it is not written over"},
      {841407, "the file could not be written: the older file is as it was"},
      {841501, "the tire envelope was built at another turn of its facets than the first: it may differ from one "
               "built at the first by up to a facet's height"},
      {841502, "the tire envelope could not be made: its scratch file cannot be made or written in the temporary "
               "folder"},
      {841503, "the tire envelope is not shrunk: an offset below 0 is taken as 0"},
      {850001, "a component of no part, or in no parent"},
      {850002, "the tag is no component instance"},
      {852001, "the tag is no clearance data set"},
  };
  std::set<int> pinned;
  for (const Text& row : rows) {
    SCOPED_TRACE(row.number);
    pinned.insert(row.number);
    EXPECT_EQ(Error::Describe(row.number), std::to_string(row.number) + " (" + row.text + ")");
  }
  // A number the host adds to its table is pinned here too.
  for (int number : Error::MessageNumbers()) {
    const bool host = (number >= 22000 && number < 23000) || (number >= 840000 && number < 860000);
    EXPECT_TRUE(!host || pinned.count(number) == 1) << number << " has no row here";
  }
}

// A number a host header defines (84xxxx, 85xxxx, the kernel's 220xx) is one
// a call can answer: none may be without its text.
TEST(Messages, EveryNumberTheHostDefinesHasAText) {
  const std::regex definition(R"(((?:k[A-Z]|ZV_ERROR_)\w*)\s*=\s*(8[45]\d{4}|220\d\d)\b)");
  int count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(STAMVIK_TEST_DATA "/../../host")) {
    if (entry.path().extension() != ".hpp") continue;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    for (auto it = std::sregex_iterator(source.begin(), source.end(), definition); it != std::sregex_iterator();
         ++it) {
      ++count;
      const int number = std::stoi((*it)[2]);
      EXPECT_NE(Error::MessageText(number), nullptr)
          << (*it)[1] << " = " << number << " (" << entry.path().filename().string() << ") has no text";
    }
  }
  EXPECT_GT(count, 50);
}

}  // namespace
