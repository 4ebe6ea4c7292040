// The message numbers the builders return or raise, each named once. The
// host shows the number to the user and journals and stored records keep it,
// so a number never changes; where two builders say alike things with two
// numbers (one from the host's general catalogue, one from the die catalogue)
// the two names say which is which.
#pragma once

namespace KTX::Messages {

// ---- the host's general catalogue ---------------------------------------------------

// A method that only the builder's subclasses give was called on the generic body builder.
inline constexpr int kAbstractMethod = 580203;
// A save left a component of another part unsaved (a failure the save passes over).
inline constexpr int kComponentNotSaved = 641091;
// The feature's stored parameters are missing or of another class than the
// builder's (raised, with the builder's own text).
inline constexpr int kNoDatabaseParms = 670156;
// A trim tool's tag gives no kernel body.
inline constexpr int kNoTrimToolBody = 670219;
// A springback compensation's definition is none of those it knows.
inline constexpr int kUnknownDefinition = 670229;
// A draw bead's centerline gives no section (none from its profile, or none could be
// made for it).
inline constexpr int kNoSection = 670241;
// The record to edit is not a springback compensation.
inline constexpr int kNotASpringbackFeature = 670357;
// The boolean's target is not a kernel body.
inline constexpr int kTargetNotABody = 670422;
// Warning: a body trimmed to a plane is no longer a kernel entity (the die shoe's
// cavities and deck cutouts).
inline constexpr int kVanished = 670443;
// The die shoe has no base flange body to build its solid from.
inline constexpr int kNoBaseBody = 671385;
// Warning: a draw-bead segment's top radius is small for a machined taper bead.
inline constexpr int kSegmentTopRadiusWarning = 672144;
// A clearance without a target body whose offset is not above the distance tolerance.
inline constexpr int kClearanceOffsetTooSmall = 672225;
// The general catalogue's tolerance checks, which the cast relief, the
// clamping slot and the die shoe give: a distance or angle tolerance below 1e-10.
inline constexpr int kGeneralDistanceToleranceTooSmall = 674028;
inline constexpr int kGeneralAngleToleranceTooSmall = 674029;
// Copying the target's body gave no body.
inline constexpr int kNoTargetCopy = 674057;
// A die location of the vector kind without a vector, of the point kind without a point.
inline constexpr int kNoLocationVector = 674316;
inline constexpr int kNoLocationPoint = 674317;
// No parameter object of the builder's own class to write into (none, one of
// another class, or no record made for it); returned, not raised.
inline constexpr int kWrongParms = 690000;
// A handling core's height or width not above the distance tolerance, its depth below 0.
inline constexpr int kCoreHeightTooSmall = 690004;
inline constexpr int kCoreWidthTooSmall = 690005;
inline constexpr int kCoreDepthNegative = 690006;
// The boolean has no target.
inline constexpr int kNoTarget = 690025;
// A springback compensation lacks an input it needs.
inline constexpr int kNoSpringbackInput = 690034;
// A host file reader's file that cannot be read (no such file, no regular file, too
// large, a line over 1 MiB), handed on by the tire envelope.
inline constexpr int kFileUnreadable = 841404;
// A line of a host file reader's file that is not what its format takes.
inline constexpr int kFileLineNotOfFormat = 841405;
// Warning: the sweep of a die shoe's deck-cutout block failed.
inline constexpr int kCutoutSweepFailed = 1070013;

// ---- the die catalogue -------------------------------------------------------------

// A cast relief's profile holds no closed loop, or holds open loops.
inline constexpr int kNoReliefLoop = 3030022;
inline constexpr int kOpenReliefLoops = 3030210;
// A host error while the die shoe made a deck-cutout block, a main-deck cavity or a
// bounding box (a warning, or the bounding box's status).
inline constexpr int kStageHostError = 3030173;
// A draw bead's female depth or width too small.
inline constexpr int kBeadFemaleDepthTooSmall = 3030297;
inline constexpr int kBeadFemaleWidthTooSmall = 3030298;
// A draw-bead segment's sizes: female radii, male top radii, male bead height
// and male width too small.
inline constexpr int kSegmentFemaleRadiiTooSmall = 3030299;
inline constexpr int kSegmentTopRadiiTooSmall = 3030300;
inline constexpr int kSegmentBeadHeightTooSmall = 3030301;
inline constexpr int kSegmentMaleWidthTooSmall = 3030302;
// A draw bead's clearance or metal thickness too small.
inline constexpr int kBeadClearanceTooSmall = 3030303;
inline constexpr int kBeadMetalThicknessTooSmall = 3030304;
// A draw bead's path trimmed to nothing by its start and end points (no longer
// than the distance tolerance).
inline constexpr int kBeadPathTrimmedToNothing = 3030305;
// Warning: a committed draw-bead segment whose end is not past its start by
// the distance tolerance (a path trimmed at the commit may leave one).
inline constexpr int kBeadSegmentWithoutLength = 3030665;
// Warning: a draw-bead segment's place given before its path's start,
// committed at the start.
inline constexpr int kBeadSegmentBeforePathStart = 3030690;
// A draw-bead segment's top radii wider than the bead.
inline constexpr int kSegmentTopRadiiWiderThanBead = 3030321;
// A draw-bead segment's female width or depth too small.
inline constexpr int kSegmentFemaleWidthTooSmall = 3030378;
inline constexpr int kSegmentFemaleDepthTooSmall = 3030379;
// No base: neither the base orientation nor the target gives one (the die
// shoe: its base orientation does not validate).
inline constexpr int kNoBaseOrientation = 3030391;
// The base flange's profile: no loop, open loops, or not exactly one closed loop.
inline constexpr int kNoBaseFlange = 3030392;
inline constexpr int kOpenBaseFlange = 3030393;
inline constexpr int kNotOneBaseFlangeLoop = 3030394;
// The die shoe's main deck, deck cutouts, slot and thicknesses.
inline constexpr int kOpenMainDeckLoop = 3030395;
inline constexpr int kBadMainDeckPlane = 3030396;
inline constexpr int kMainDeckTooLow = 3030397;
inline constexpr int kOpenDeckCutoutLoop = 3030398;
inline constexpr int kSlotDepthTooSmall = 3030399;
inline constexpr int kSlotWidthTooSmall = 3030400;
inline constexpr int kBadSlotDirection = 3030401;
inline constexpr int kFlangeTooThin = 3030402;
inline constexpr int kWallTooThin = 3030403;
inline constexpr int kDeckTooThin = 3030404;
// A clamping slot's sizes: a length, width, radius, angle or offset below 0,
// a flange thickness not above 0, and sizes out of order.
inline constexpr int kClampingCenterlineLengthNegative = 3030410;
inline constexpr int kClampingInnerWidthNegative = 3030411;
inline constexpr int kClampingSlotWidthNegative = 3030412;
inline constexpr int kClampingSlotLengthNegative = 3030413;
inline constexpr int kClampingTopLengthNegative = 3030414;
inline constexpr int kClampingSlotRadiusNegative = 3030415;
inline constexpr int kClampingPadWidthNegative = 3030416;
inline constexpr int kClampingPadHeightNegative = 3030417;
inline constexpr int kClampingPadLengthNegative = 3030418;
inline constexpr int kClampingPadRadiusNegative = 3030419;
inline constexpr int kClampingOverhangNegative = 3030420;
inline constexpr int kClampingNotchWidthNegative = 3030421;
inline constexpr int kClampingNotchHeightNegative = 3030422;
inline constexpr int kClampingNotchAngleNegative = 3030423;
inline constexpr int kClampingFlangeThicknessNotPositive = 3030424;
inline constexpr int kClampingOffsetWidthNegative = 3030425;
inline constexpr int kClampingSlotNotWiderThanInner = 3030428;
inline constexpr int kClampingPadNarrowerThanSlot = 3030429;
inline constexpr int kClampingTopShorterThanSlot = 3030430;
inline constexpr int kClampingPadShorterThanTop = 3030431;
// A location (or a list of them) that does not validate, or that selects nothing.
inline constexpr int kBadLocation = 3030432;
// The offset direction does not validate.
inline constexpr int kBadOffsetDirection = 3030433;
// No coordinate system could be had or made.
inline constexpr int kNoCoordinateSystem = 3030435;
// An orientation (or pad) plane that does not validate, or a plane location without a plane.
inline constexpr int kBadOrientationPlane = 3030436;
// The base orientation does not validate, or a preview finds no base.
inline constexpr int kBadBaseOrientation = 3030437;
// A heel post's parameters make no wall.
inline constexpr int kNoWalls = 3030438;
// The rough-data compensation: no curves, sheet bodies kept, no sheet bodies,
// a type changed while editing.
inline constexpr int kNoCurves = 3030441;
inline constexpr int kSheetBodiesKept = 3030443;
inline constexpr int kNoSheetBodies = 3030445;
inline constexpr int kTypeChangeWhileEditing = 3030446;
// The die catalogue's tolerance checks, which the other body builders and the
// rough-data compensation give: a distance or angle tolerance below 1e-10.
inline constexpr int kDistanceToleranceTooSmall = 3030447;
inline constexpr int kAngleToleranceTooSmall = 3030448;
// A keyway's sizes: the deck thickness, pad, rib and runoff sizes below 0,
// the slot's length, width and depth not above 0.
inline constexpr int kKeywayDeckThicknessNegative = 3030451;
inline constexpr int kKeywaySlotLengthNotPositive = 3030452;
inline constexpr int kKeywaySlotWidthNotPositive = 3030453;
inline constexpr int kKeywaySlotDepthNotPositive = 3030454;
inline constexpr int kKeywayPadWidthNegative = 3030455;
inline constexpr int kKeywayPadHeightNegative = 3030456;
inline constexpr int kKeywayMinimumRibHeightNegative = 3030457;
inline constexpr int kKeywayRunoffLengthNegative = 3030458;
inline constexpr int kKeywayRunoffWidthNegative = 3030459;
inline constexpr int kKeywayRunoffDepthNegative = 3030460;
inline constexpr int kKeywayRunoffRadiusNegative = 3030461;
// A keyway's interior profile: open loops, or not exactly one closed loop.
inline constexpr int kOpenInteriorProfile = 3030463;
inline constexpr int kNotOneInteriorLoop = 3030464;
// A heel post's sizes: its length, width, height and pad thickness not above
// 0; floor thickness, relief, diameter, wall thickness and offset below 0; a
// wall percentage not between 0 and 100.
inline constexpr int kHeelpostLengthNotPositive = 3030471;
inline constexpr int kHeelpostWidthNotPositive = 3030472;
inline constexpr int kHeelpostHeightNotPositive = 3030473;
inline constexpr int kHeelpostPadThicknessNotPositive = 3030474;
inline constexpr int kHeelpostFloorThicknessNegative = 3030475;
inline constexpr int kHeelpostReliefWidthNegative = 3030476;
inline constexpr int kHeelpostReliefDepthNegative = 3030477;
inline constexpr int kHeelpostDiameterNegative = 3030478;
inline constexpr int kHeelpostWallThicknessNegative = 3030479;
inline constexpr int kHeelpostWallOffsetNegative = 3030480;
inline constexpr int kHeelpostWallPercentageOutOfRange = 3030481;
// A cast relief without a relief sheet whose depth is not above the distance
// tolerance; without sheet metal, from neither the selection nor the target.
inline constexpr int kReliefDepthTooSmall = 3030482;
inline constexpr int kNoSheetMetal = 3030483;
// A section (the clearance's, the fill area's boundary) with open loops; a
// finger-clearance notch's section with closed loops.
inline constexpr int kOpenSectionLoops = 3030490;
inline constexpr int kClosedSectionLoops = 3030493;
// A finger-clearance notch without the geometry its type is shaped by.
inline constexpr int kNotchNoSection = 3030636;
inline constexpr int kNotchNoFaces = 3030637;
inline constexpr int kNotchNoSheetBodies = 3030638;
// An outline of nothing where the build needs one: a clearance of type
// Section whose section is empty, a machine relief with no main profile (and
// no curve from its target for its kind), a fill area with no boundary, a
// draw bead with no centreline. Each would commit a feature of no geometry.
inline constexpr int kClearanceNoSection = 3030670;
inline constexpr int kMachineReliefNoMainProfile = 3030671;
inline constexpr int kFillAreaNoBoundary = 3030672;
inline constexpr int kBeadNoCenterline = 3030673;
// A die shoe with one tool body in two boolean items: the shoe's feature
// holds one operation a tool, so the second item would be stored with no
// feature behind it.
inline constexpr int kShoeToolInTwoItems = 3030674;
// A handling core mapped from a base that its target does not allow.
inline constexpr int kCannotMapFromBase = 3030495;
// A springback compensation whose point lists differ in length, or which has no sprung points.
inline constexpr int kPointCountsDiffer = 3030511;
inline constexpr int kNoSprungPoints = 3030513;
// A draw punch's build step that failed; the first, processing the input
// curves, is the draw die's first step as well.
inline constexpr int kToolingInputCurvesFailed = 3030582;
inline constexpr int kDrawPunchRoughOffsetSheetsFailed = 3030583;
inline constexpr int kDrawPunchProjectCurveFailed = 3030584;
inline constexpr int kDrawPunchOuterSolidFailed = 3030585;
inline constexpr int kDrawPunchBeltSolidFailed = 3030586;
inline constexpr int kDrawPunchOffsetCurveFailed = 3030587;
inline constexpr int kDrawPunchStressSolidFailed = 3030588;
inline constexpr int kDrawPunchChamferFailed = 3030589;
inline constexpr int kDrawPunchInnerSolidFailed = 3030590;
// A tooling step or modelling operation with nothing to work on.
inline constexpr int kMissingInput = 3030591;
// A draw die's build step that failed.
inline constexpr int kDrawDieRoughOffsetSheetsFailed = 3030593;
inline constexpr int kDrawDieProjectCurvesFailed = 3030594;
inline constexpr int kDrawDieOffsetCurvesFailed = 3030595;
inline constexpr int kDrawDieMainSolidFailed = 3030596;
inline constexpr int kDrawDieTopSolidFailed = 3030597;
inline constexpr int kDrawDieStressSolidFailed = 3030599;
// What no builder commits with (the die design's, die engineering's and
// tooling's builders and sub-builders): an enumeration value that names no
// member of its enumeration; a selection that holds an object deleted since
// it was selected, a builder (no model object), or the feature being edited.
inline constexpr int kUnknownMember = 3030630;
inline constexpr int kSelectedObjectGone = 3030631;
inline constexpr int kSelectedBuilder = 3030632;
inline constexpr int kSelectedOwnFeature = 3030633;
// A die shoe's main deck or deck cutout that does not lie inside its base
// flange, walls that leave a main deck no cavity, and a base flange loop of
// more points than a build is allowed to take.
inline constexpr int kMainDeckOutsideFlange = 3030600;
inline constexpr int kDeckCutoutOutsideFlange = 3030601;
inline constexpr int kWallsLeaveNoCavity = 3030602;
// A main deck whose inner block (the deck offset inwards by the wall
// thickness) the modeller could not make: its walls may well leave a
// cavity, which the shoe cannot be built without.
inline constexpr int kDeckInnerBlockNotMade = 3030634;
// A main deck whose walls leave a cavity that the modeller could not make:
// its inner block made, but not copied, or trimmed under the deck to nothing
// (a block thinner than the modeller's own tolerance on it is lost so).
inline constexpr int kDeckCavityNotMade = 3030685;
inline constexpr int kBaseFlangeTooManyPoints = 3030603;
// Die shoe loops that cannot give the body they describe: a loop that
// crosses or touches itself or bounds no area (base flange, main deck, deck
// cutout), main decks that overlap or nest, a deck cutout across a deck's
// edge, and a base flange that reaches the decks' top.
inline constexpr int kBaseFlangeTouchesItself = 3030620;
inline constexpr int kBaseFlangeNoArea = 3030621;
// A closed loop of another builder's outline (a clearance's section, a fill
// area's boundary, a relief's, slot's or keyway's profile) that bounds no
// area: its points coincide or lie on one line.
inline constexpr int kOutlineNoArea = 3030691;
inline constexpr int kMainDeckTouchesItself = 3030622;
inline constexpr int kMainDeckNoArea = 3030623;
inline constexpr int kDeckCutoutTouchesItself = 3030624;
inline constexpr int kDeckCutoutNoArea = 3030625;
inline constexpr int kMainDecksOverlap = 3030626;
inline constexpr int kDeckCutoutAcrossDeck = 3030627;
inline constexpr int kFlangeNotBelowDecks = 3030628;
// Sizes a draw die or draw punch cannot build: a deck flange wider than the
// deck, a punch profile not inside the blank, a deck thickness not above 0,
// a relief angle outside [0, 90] degrees (0 and 90: no chamfer) or whose
// chamfer would reach down the relieved wall past the base plane.
inline constexpr int kDeckFlangeWiderThanDeck = 3030604;
inline constexpr int kPunchOutsideBlank = 3030605;
inline constexpr int kDeckThicknessNotPositive = 3030606;
inline constexpr int kReliefAngleOutOfRange = 3030607;
// More sizes no draw punch or draw die can be built of: a punch whose top
// (the die face raised by the machining allowance) is not above its belt, or
// whose die face is not above its base plane; a die whose deck flange is
// thinner than 0, whose deck edge lies inside its binder edge, whose base
// plane lies within the deck thickness of the die face or on its other side,
// or whose stress solid would reach out to the blank offset inwards.
inline constexpr int kPunchTopNotAboveBelt = 3030608;
inline constexpr int kDieFaceNotAboveBasePlane = 3030609;
inline constexpr int kDeckFlangeBelowZero = 3030610;
inline constexpr int kDeckEdgeInsideBinderEdge = 3030611;
inline constexpr int kBasePlaneWithinDeck = 3030612;
inline constexpr int kFlangeOffsetBelowZero = 3030613;
// A draw die whose die face looks away from its base plane: the deck, offset
// along the face's normal, would lie behind the face.
inline constexpr int kDieFaceTurnedFromBasePlane = 3030614;
// Inputs of which no tool can be built: a draw punch's profile or a draw
// die's punch profile with no area (as a die shoe's loop has none), a relief
// distance not above the distance tolerance where the punch's belt is the
// profile relieved by it, a relief that takes that profile whole (its inward
// offset by the relief leaves nothing), and a core wall too thick for its
// profile (the inward offset of the profile by it leaves nothing).
inline constexpr int kDrawPunchProfileNoArea = 3030615;
inline constexpr int kDrawDiePunchNoArea = 3030616;
inline constexpr int kReliefDistanceNotAboveTolerance = 3030617;
inline constexpr int kCoreWallTooThick = 3030618;
inline constexpr int kReliefTakesProfile = 3030619;
// A cored draw die's or draw punch's wall round its core no thicker than the
// distance tolerance: the modeller takes its two sides for one and makes the
// tool without its core. Measured is the ring between the core and the side
// round it: the die's wall thickness (either sign); the punch's wall
// thickness, with the relief too where a main wall centre line is the
// column's side.
inline constexpr int kCoreWallNotAboveTolerance = 3030639;
// A relief that leaves the relieved punch profile (its inward offset by the
// relief, sharp cornered) a part no wider than the distance tolerance: two
// of its sides that are no neighbours come that near, as where an arm of the
// profile is all but relieved away.
inline constexpr int kReliefLeavesThinPart = 3030629;
// A draw punch's profile that crosses or touches itself: two of its sides
// that are no neighbours come within the distance tolerance of each other,
// as round a notch or along an arm no wider than that.
inline constexpr int kDrawPunchProfileTouchesItself = 3030635;
// A draw punch's flange profile or main wall centre line that is not one
// closed loop (an open chain, several loops, a loop given open); one that
// bounds no area or crosses or touches itself; a flange profile that does
// not lie round the punch profile, or a main wall centre line that does not
// lie within it.
inline constexpr int kPunchOutlineNotOneLoop = 3030645;
inline constexpr int kPunchOutlineNoArea = 3030646;
inline constexpr int kPunchOutlineMisplaced = 3030647;
// What a tooling build or a die shoe reports built is judged before it is
// reported: a body the guard cannot measure, one that is none or several
// solids, one the modeller's checker takes for no valid closed solid, one
// reaching outside the box its sizes give, and one lacking a part its sizes
// give (a piece of its base, its relieved column or its top).
inline constexpr int kBuiltNotMeasured = 3030640;
inline constexpr int kBuiltNotOneSolid = 3030641;
inline constexpr int kBuiltNotValid = 3030642;
inline constexpr int kBuiltOutsideItsBox = 3030643;
inline constexpr int kBuiltIncomplete = 3030644;
// ... and one filling what its sizes leave empty (a cored die's cavity, a
// cored punch's core).
inline constexpr int kBuiltNotHollow = 3030649;
// A draw punch's belt chamfer wider than the belt step it is made on: with a
// main wall centre line the step is the band between it and the punch
// profile, and the chamfer's leg across it is the relief distance; a longer
// leg would reach out past the punch.
inline constexpr int kReliefWiderThanBeltStep = 3030648;

// ---- the vehicle-design catalogue ---------------------------------------------------

// Manikin validation: the first user-defined length at or below 0 gives this
// number plus its place (thigh, leg, arm, forearm, torso, shoulder to hip,
// hand, hand grip: 0 to 7).
inline constexpr int kManikinUserLengthNotPositive = 3770401;
// A posture dimension out of its range; the "allowed" ones are the deviations
// a manikin that allows out-of-range values accepts.
inline constexpr int kManikinBackAngleOutOfRange = 3770409;
inline constexpr int kManikinBackAngleAllowedOutOfRange = 3770410;
inline constexpr int kManikinPedalAngleOutOfRange = 3770411;
inline constexpr int kManikinWheelAngleOutOfRange = 3770412;
inline constexpr int kManikinWheelDiameterNegative = 3770413;
inline constexpr int kManikinWheelDiameterOutOfRange = 3770414;
inline constexpr int kManikinWheelDiameterAllowedOutOfRange = 3770415;
// The seating reference point behind the accelerator heel point, checked on
// the one's and on the other's length; its height, likewise.
inline constexpr int kManikinSgRPLengthBelowAHP = 3770416;
inline constexpr int kManikinSgRPHeightBelowAHP = 3770417;
inline constexpr int kManikinAHPLengthAboveSgRP = 3770418;
inline constexpr int kManikinAHPHeightAboveSgRP = 3770419;
inline constexpr int kManikinH30OutOfRange = 3770420;
inline constexpr int kManikinH30AllowedOutOfRange = 3770421;
// The steering wheel's place from the heel point below 0.
inline constexpr int kManikinWheelLengthNegative = 3770422;
inline constexpr int kManikinWheelHeightNegative = 3770423;
// The legs cannot reach the pedal, the arms the steering wheel.
inline constexpr int kManikinLegsOutOfReach = 3770424;
inline constexpr int kManikinArmsOutOfReach = 3770425;
// A manikin size file that cannot be opened, lacks a key, or holds a value out of range.
inline constexpr int kManikinSizeFileUnreadable = 3770426;
inline constexpr int kManikinSizeFileKeyMissing = 3770427;
inline constexpr int kManikinSizeFileValueOutOfRange = 3770428;
// Warnings of a die-shoe build: a block it could not copy or trim for the
// shoe, or could not unite with or subtract from it; the shoe is built
// without that block.
inline constexpr int kShoeBlockNotCopied = 3030651;
inline constexpr int kShoeBlockNotApplied = 3030652;
// A manikin size file that could not be written (opened, written or put in
// place): the save's dialog has said so, the older file is as it was.
inline constexpr int kManikinSizeFileNotWritten = 3030650;
// Manikin validation: a percentile that does not belong to the standard, a
// position, vehicle class or standard that names no member of its enumeration.
inline constexpr int kManikinPercentileNotOfStandard = 3770440;
inline constexpr int kManikinPositionUnknown = 3770441;
inline constexpr int kManikinClassificationUnknown = 3770442;
inline constexpr int kManikinStandardUnknown = 3770443;
// A manikin's enumeration value that names no member (the percentile's; the
// position, class and standard have their own numbers above).
inline constexpr int kManikinUnknownMember = 3770444;
// The tire envelope's profile crosses the Y axis more than once.
inline constexpr int kProfileCrossesYAxis = 3771702;
// No profile points could be taken from the tire's solid body.
inline constexpr int kNoProfilePointsFromBody = 3771706;
// Fewer than two profile points.
inline constexpr int kTooFewProfilePoints = 3771707;
// The tire envelope's distance tolerance, its trim radius below the least length.
inline constexpr int kTireDistanceToleranceNotPositive = 3771709;
inline constexpr int kTrimRadiusNotPositive = 3771710;
// The radial start angle's whole degrees not a multiple of 15; the start not below the
// end; the span above 360 degrees.
inline constexpr int kStartAngleNotMultipleOf15 = 3771711;
inline constexpr int kStartAngleNotBelowEnd = 3771712;
inline constexpr int kAngleSpanOver360 = 3771713;
// The tire envelope's clearance run: the markers are missing or refused, the
// reassembly is refused.
inline constexpr int kMarkersMissing = 3771715;
inline constexpr int kMarkersRefused = 3771716;
inline constexpr int kReassemblyRefused = 3771717;
// The part named for the profile sketch is not found.
inline constexpr int kSketchPartNotFound = 3771718;
// The template point file: none named or unreadable; a line not a name and three
// numbers; a hard point missing; no template line first; another template; an unknown
// point name; a point named twice.
inline constexpr int kTemplateFileUnreadable = 3771723;
inline constexpr int kTemplateLineNotOfFormat = 3771724;
inline constexpr int kTemplateHardPointMissing = 3771725;
inline constexpr int kTemplateLineNotFirst = 3771726;
inline constexpr int kTemplateOfAnotherType = 3771727;
inline constexpr int kTemplatePointNameUnknown = 3771728;
inline constexpr int kTemplatePointNamedTwice = 3771729;
// The motion run: no master file; articulation not started; the spindle
// line not traced; no spindle object; articulation failed; drive joints
// missing.
inline constexpr int kMasterFileMissing = 3771731;
inline constexpr int kArticulationNotStarted = 3771732;
inline constexpr int kTraceFailed = 3771733;
inline constexpr int kNoSpindleObject = 3771734;
inline constexpr int kArticulationFailed = 3771735;
inline constexpr int kDriveJointsMissing = 3771736;
// The tire body's part is the work part, or could be neither found nor made.
inline constexpr int kTireBodyPartIsWorkPart = 3771737;
inline constexpr int kNoTireBodyPart = 3771738;
// The offset file does not exist while a new tire envelope is made.
inline constexpr int kOffsetFileMissing = 3771752;
// More offset values than a section of the tire envelope takes.
inline constexpr int kTooManyOffsets = 3771757;
// The start or end angle is not among the angles of the offset sections.
inline constexpr int kAngleNotAmongOffsetSections = 3771759;
// The tire envelope has no profile points.
inline constexpr int kNoProfilePoints = 3771761;
// No motion file: none could be named, or the one named does not exist.
inline constexpr int kMotionFileMissing = 3771762;
// A layer of the tire envelope outside 1 to 256; the wheel centerline shift beyond 25
// inches either way; the rim diameter below 0 or beyond 25 inches.
inline constexpr int kLayerOutOfRange = 3771763;
inline constexpr int kCenterlineShiftOutOfRange = 3771764;
inline constexpr int kRimDiameterOutOfRange = 3771765;
// More sections than the tire envelope takes, or a section index past them.
inline constexpr int kTooManySections = 3771768;
// The radial end angle's whole degrees not a multiple of 15.
inline constexpr int kEndAngleNotMultipleOf15 = 3771769;
// The radial start angle below -90 degrees, the end angle above 360 degrees.
inline constexpr int kStartAngleBelowMinus90 = 3771777;
inline constexpr int kEndAngleAbove360 = 3771778;
// A name or path too long for its field in the tire envelope's block.
inline constexpr int kTextTooLong = 3771790;
// A driver's step count above 10,000; the two drivers' steps multiplied above 1,000,000.
inline constexpr int kTooManyDriverSteps = 3771791;
inline constexpr int kTooManyDriverStepProduct = 3771792;
// The tire's section has fewer than three distinct points, or all of them on
// one line: it encloses nothing to revolve. A profile point on or below the
// spindle axis, or within the distance tolerance of it (its radial not above
// the tolerance): the revolved section would pass through the axis, or turn a
// point of it about the axis.
inline constexpr int kTireSectionWithoutArea = 3771795;
inline constexpr int kProfileBelowSpindleAxis = 3771796;
// A driver's step count below 1 where the motion takes a count of steps.
inline constexpr int kTooFewDriverSteps = 3771797;
// The motion file the envelope is swept along holds no spindle line (a line
// of the two end points' six coordinates, the points apart).
inline constexpr int kNoSpindleLineInMotion = 3771798;
// The motion file was traced with other driver inputs (graph, percentage,
// steps, limits, joints) than the tire envelope would hold: the motion must
// be run again before the commit.
inline constexpr int kMotionTracedWithOtherInputs = 3771799;
// A five-link axle's roll search gave up: no position of the shock between
// the jounce and the rebound distance was found where the spindle line rolls
// the roll angle.
inline constexpr int kRollNotFound = 3771804;
// A tire envelope's offset above the most the modeller grows a tire by (or
// no number at all): no envelope can be made of it.
inline constexpr int kOffsetBeyondReach = 3771805;
// What no tire envelope commits with: an enumeration value that names no
// member; a selection holding an object deleted since it was selected, a
// builder, or the feature being edited.
inline constexpr int kTireUnknownMember = 3771800;
inline constexpr int kTireSelectedObjectGone = 3771801;
inline constexpr int kTireSelectedBuilder = 3771802;
inline constexpr int kTireSelectedOwnFeature = 3771803;
// The tire's section (its profile points in order, mirrored back when the
// profile is mirrored) crosses itself: no solid can be revolved from it.
inline constexpr int kProfileSectionCrosses = 3771793;
// The modeller could not unite the tire at every position of the motion into
// one valid closed solid holding them all: no envelope is made.
inline constexpr int kEnvelopeNotWhole = 3771794;
// The manikin's new angle expressions that failed: the steering wheel's, the
// back's, the pedal plane's.
inline constexpr int kManikinWheelAngleExpressionFailed = 3772122;
inline constexpr int kManikinBackAngleExpressionFailed = 3772123;
inline constexpr int kManikinPedalAngleExpressionFailed = 3772127;
// A manikin commit whose rule instance gave no feature record.
inline constexpr int kManikinRuleGaveNoFeature = 3772130;

}  // namespace KTX::Messages
