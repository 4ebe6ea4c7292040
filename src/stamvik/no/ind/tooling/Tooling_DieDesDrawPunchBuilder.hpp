// The inputs of a draw punch, the lower tool of a draw die, built as one
// tooling feature set.
#pragma once
#include <vector>

#include "ClassFrame.hpp"
#include "feat/Builder.hpp"
#include "math/Point3.hpp"
#include "om/ObjectSet.hpp"
#include "sel/Selection.hpp"
#include "sys/UString.hpp"

namespace KTX {
class FACE_REFERENCE;
}

namespace KTX::Tooling {

class FeatureSetMembers;

// Fields in object order (numbers, references, tags, options); the attribute
// indexes say their persistent identity.
#define STAMVIK_DIE_DES_DRAW_PUNCH_BUILDER_ATTRIBUTES(A)                                \
  A(6, m_deckThickness, ::KTX::Frame::Double, 0x1)                                      \
  A(7, m_beltThickness, ::KTX::Frame::Double, 0x1)                                      \
  A(8, m_reliefDistanse, ::KTX::Frame::Double, 0x1)                                     \
  A(9, m_reliefAngle, ::KTX::Frame::Double, 0x1)                                        \
  A(10, m_wallThickness, ::KTX::Frame::Double, 0x1)                                     \
  A(11, m_baseThickness, ::KTX::Frame::Double, 0x1)                                     \
  A(12, m_baseWidth, ::KTX::Frame::Double, 0x1)                                         \
  A(14, m_machiningAllowance, ::KTX::Frame::Double, 0x1)                                \
  A(0, m_sheetBody, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                  \
  A(1, m_punchCurve, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)            \
  A(3, m_sheetBodyDeck, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)              \
  A(4, m_mainWallCenterLine, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)            \
  A(5, m_flangeProfile, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                 \
  A(18, m_frecSet, ::KTX::Frame::Ref<::KTX::OM::Set>, 0x404001)                         \
  A(19, m_frecSetToDelete, ::KTX::Frame::Ref<::KTX::OM::Set>, 0x404001)                 \
  A(2, m_basePlane, ::KTX::Frame::Tag, 0x404001)                                        \
  A(16, m_finalPunchCurve, ::KTX::Frame::Tag, 0x4001)                                   \
  A(17, m_tfeatureSet, ::KTX::Frame::Tag, 0x4001)                                       \
  A(13, m_exactSheetbodyOption, ::KTX::Frame::Logical, 0x1)                             \
  A(15, m_coreDrawPunchOption, ::KTX::Frame::Logical, 0x1)

class STAMVIK_API DieDesDrawPunchBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DieDesDrawPunchBuilder, JAX_BUILDER, "KTX::Tooling::DieDesDrawPunchBuilder",
                   STAMVIK_DIE_DES_DRAW_PUNCH_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(tag_t featureSet, PART_part* part);
  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;
  int validate_nothrow() override;
  // Builds the punch and gathers what it made into the "Draw Punch" feature
  // set (m_tfeatureSet). Returns the build's failure number, 0 on success.
  int commit() override;
  // The number of the first size the build cannot make a punch of (no deck
  // sheet and a deck thickness not above 0; a relief angle below 0, past 90
  // degrees, or whose chamfer would reach down the relieved wall past the
  // base plane), or 0.
  int RefusedSizes();
  // The number of the first input no punch can be made of (a profile with
  // no area, or a notch or an arm of it no wider than the tolerance; a
  // relief distance not above 0 that is to relieve the profile into the
  // belt, or one that takes it whole or leaves a part of it no wider than
  // the tolerance; a core wall too thick for the profile), or 0.
  int RefusedProfile();
  // The number of the first flange profile or main wall centre line no
  // punch can be built on: not one closed loop, one bounding no area or
  // crossing itself, a flange not round the punch profile or a main wall
  // not within it, or a main wall nearer the punch profile than a belt
  // chamfer's leg across the band between them; 0 for none.
  int RefusedOutlines();
  // How far the body's lowest face (its nearest point) lies above the base
  // plane, along its normal (below it: negative); HUGE_VAL when nothing could
  // be measured.
  double HeightOverBasePlane(tag_t body);
  // -1 when the die face is turned towards the base plane (every face of it
  // not square to the plane's normal points against that normal), else 1.
  double DieFaceSide(tag_t sheet);
  // The guard's verdict on the punch's solid (the outer solid's body, with
  // everything the build added to it and took from it), Support::JudgeBuilt:
  // one valid closed solid inside the box of its base ring (the flange
  // profile, or the stress curve offset outwards by the base width less the
  // relief, sharp cornered, and the punch profile itself), between the base
  // plane and the top sheet's highest point; with its base under the whole
  // base ring, its relieved column below the belt sheet and its top between
  // the belt and the top sheets. 0, or the number of what was found.
  int JudgeBuiltPunch(tag_t outer, tag_t top, tag_t belt, tag_t punch, tag_t flange, tag_t mainWall);
  // The guard's look at a cored punch's core (Support::JudgeHollow): empty a
  // margin in from the stress curve offset in by the relief and the wall,
  // from the base plane to the bottom sheet. 0 for a punch with no core, or
  // the number of what was found.
  int JudgeHollowPunch(tag_t outer, tag_t bottom, tag_t stressCurve);
  // How thick a cored punch's wall is round its core, below the belt: the
  // ring between the core and the column's side (with a main wall centre
  // line or without one).
  double CoreRing(bool mainWall) const;

  // The builder's own operations, in their slot order (the draw die reaches
  // them through the punch it owns). Statuses are 0 or a message number.
  virtual int CreateDrawDiePunch();
  virtual double AskMaximumDist(tag_t first, tag_t second);
  virtual double AskMinimumDist(tag_t first, tag_t second);
  virtual bool Is2DCurve(tag_t curve);
  virtual int FeatSmoothPunchProfile(tag_t curve, tag_t* curveOut, tag_t* feature);
  virtual int ConvertCurvesToSCsection(int curveCount, const tag_t* curves, int edgeCount, const tag_t* edges,
                                       SC_section** section);
  virtual int ConvertVectorCurvesToSCsection(const std::vector<tag_t>& curves, const std::vector<tag_t>& edges,
                                             SC_section** section);
  virtual int FeatRoughOffset(tag_t sheet, tag_t csys, double distance, double first, double second,
                              tag_t* feature);
  virtual int FeatExtrude(tag_t part, int count, const tag_t* curves, int bodyStyle, const double direction[3],
                          const char* startLimit, const char* endLimit, bool offset, const char* startOffset,
                          const char* endOffset, bool draft, const char* draftAngle, bool boolean, int booleanType,
                          tag_t target, bool startUntilSelected, tag_t startObject, bool endUntilSelected,
                          tag_t endObject, tag_t* feature);
  virtual int FeatTrimSolid(int count, const tag_t* bodies, tag_t tool, bool reverse, tag_t* feature);
  // Whether the last extrusion failed because a host call raised an error
  // (not because the modeller could not make it): the commit then fails
  // instead of building another way round.
  static bool LastExtrudeRaised();
  virtual int ClassifyCurvesEdges(const tag_t* tags, int count, std::vector<tag_t>& curves,
                                  std::vector<tag_t>& edges);
  virtual int FeatProjectCurve(const tag_t* curves, int count, tag_t plane, tag_t* curveOut, tag_t* feature);
  virtual int FeatOffsetCurve(tag_t curve, double distance, tag_t* curveOut, tag_t* feature);
  virtual int FeatJoinCurve(const std::vector<tag_t>& curves, const std::vector<tag_t>& edges, tag_t* curveOut,
                            tag_t* feature);
  virtual tag_t GetFeatFirstBody(tag_t feature);
  virtual bool GetSheetTrimDirection(tag_t sheet);
  virtual int FeatSheetBoundBox(unsigned int edit, int count, const tag_t* objects, const double* offsets,
                                tag_t* body);
  virtual void AskFaceReference(int count, const tag_t* faces, FACE_REFERENCE*** references, tag_t** occurrences);
  virtual bool FindFeatureInSetByAttrTitle(tag_t featureSet, const UString& title, tag_t* feature);
  virtual int RemoveAllRules(SC_section* section);
  // Titles a feature by a hidden integer attribute of value 0; false for
  // tag 0 (or a null object) or when the attribute cannot be set.
  virtual bool AddHideIntAttr(tag_t object, const UString& title);
  virtual bool AddHideIntAttrObj(OM::Object* object, const UString& title);
  virtual int AskSCEntities(tag_t object, int* count, tag_t** tags);
  virtual void GetAllTypedBodies(tag_t part, int type, int* count, tag_t** bodies);
  virtual int ProcessInputCurves(SELECT_OBJECT_list* selection, tag_t featureSet, const UString& referenceTitle,
                                 OM::Set* toDelete, const UString& joinTitle, OM::Set* made, tag_t* curveOut);
  // Puts back into the selection what the user picked for the projected
  // curve titled so in the set. Returns 0.
  virtual int GetCurveOriginalSelection(tag_t featureSet, SELECT_OBJECT_list* selection, const UString& title);
  virtual bool CheckCurveSmooth(tag_t curve, const double direction[3]);
  virtual bool GetSheetTrimDirectionWithVector(tag_t body, const Math::Vector3& vector);
  virtual int DeleteFeaturesInOMSet(OM::Set* set);
  virtual int InsertFeatureIntoOMSetToDelete(bool found, tag_t* feature, OM::Set* set);
  virtual int AddPMILabelToOneTopFace(tag_t face, const char* text);
  virtual int FeatChamfer(int count, const tag_t* edges, int option, double firstOffset, double secondOffset,
                          double angle, int offsetMethod, bool firstFlag, bool secondFlag, tag_t* feature);
  virtual tag_t CreateDumbEdgeCollector(int count, const tag_t* edges);
  // Marks a machining face (kind 1 refined, 2 rough, 3 finishing) with the
  // visible integer attribute the customer default of that kind names.
  virtual bool AddAttributetoFace(tag_t face, int kind);
  virtual int CreateTopBottomRoughOffset(tag_t* top, tag_t* bottom, tag_t* belt);
  virtual int CreateChamfer(const std::vector<tag_t>& edges);
  virtual int CreateProjectCurve(tag_t* punch, tag_t* flange, tag_t* mainWall);
  virtual int CreateOffsetCurve(tag_t curve, tag_t* inner);
  virtual int CreateOuterSolid(tag_t topSheet, tag_t punchCurve, tag_t* outer);
  virtual int CreateBeltSolid(tag_t beltSheet, tag_t punchCurve, tag_t mainWallCurve, tag_t outer,
                              tag_t* beltCurve, std::vector<tag_t>* edges);
  virtual int CreateInnerSolid(tag_t bottomSheet, tag_t innerCurve, tag_t outer);
  virtual int CreateStressSolid(tag_t curve, tag_t flangeCurve, tag_t beltCurve, tag_t outer);

 private:
  virtual int GetTrimToolEids(tag_t object, std::vector<int>& kernelEntities);

 public:
  // Reads the inputs back from the features of an existing set. Each returns 0.
  virtual int ConvertFrecToBuilderData(tag_t featureSet);
  virtual int ConvertFrecToSheetTagDeckThickness(tag_t featureSet);
  virtual int ConvertFrecToMiscellaneous(tag_t featureSet);
  virtual int ConvertFrecToCurvePlane(tag_t featureSet);
  virtual int ConvertFrecToReliefDist(tag_t featureSet);
  virtual int ConvertFrecToWallThickness(tag_t featureSet);
  virtual int ConvertFrecToBaseThicknessWidth(tag_t featureSet);
  virtual int ClassifyMachiningFaces(tag_t feature);
  virtual int GetBeltChamferEdges(tag_t beltFeature, tag_t plane, std::vector<tag_t>* edges);

 private:
  virtual double GetBaseThicknessFromStressFeature(tag_t featureSet);

 public:

  SELECT_OBJECT* GetSheetBody() const { return m_sheetBody; }
  SELECT_OBJECT_list* GetPunchCurve() const { return m_punchCurve; }
  void SetPunchCurve(SELECT_OBJECT_list* curves);
  tag_t GetBasePlane() const { return m_basePlane; }
  void SetBasePlane(tag_t plane);
  SELECT_OBJECT* GetSheetBodyDeck() const { return m_sheetBodyDeck; }
  void SetSheetBodyDeck(SELECT_OBJECT* deck);
  SC_section* GetMainWallCenterLine() const { return m_mainWallCenterLine; }
  void SetMainWallCenterLine(SC_section* section);
  SC_section* GetFlangeProfile() const { return m_flangeProfile; }
  void SetFlangeProfile(SC_section* section);

  double GetDeckThickness() const { return m_deckThickness; }
  void SetDeckThickness(double value);
  double GetBeltThickness() const { return m_beltThickness; }
  void SetBeltThickness(double value);
  double GetReliefDistanse() const { return m_reliefDistanse; }
  void SetReliefDistanse(double value);
  double GetReliefAngle() const { return m_reliefAngle; }
  void SetReliefAngle(double value);
  double GetWallThickness() const { return m_wallThickness; }
  void SetWallThickness(double value);
  double GetBaseThickness() const { return m_baseThickness; }
  void SetBaseThickness(double value);
  double GetBaseWidth() const { return m_baseWidth; }
  void SetBaseWidth(double value);
  bool GetExactSheetbodyOption() const { return m_exactSheetbodyOption; }
  void SetExactSheetbodyOption(bool exact);
  double GetMachiningAllowance() const { return m_machiningAllowance; }
  void SetMachiningAllowance(double value);
  bool GetCoreDrawPunchOption() const { return m_coreDrawPunchOption; }
  void SetCoreDrawPunchOption(bool core);

  tag_t GetFinalPunchCurve() const { return m_finalPunchCurve; }
  void SetFinalPunchCurve(tag_t curve);
  tag_t GetTfeatureSet() const { return m_tfeatureSet; }
  void SetTfeatureSet(tag_t featureSet);
  OM::Set* GetFrecSet() const { return m_frecSet; }
  void SetFrecSet(OM::Set* set);
  OM::Set* GetFrecSetToDelete() const { return m_frecSetToDelete; }
  void SetFrecSetToDelete(OM::Set* set);

 private:
  void implement_destroy();
  // The rule every build step follows for a feature it makes: found by its
  // title when editing; a feature that was not found goes into m_frecSet, is
  // placed before (mode 1) or after (mode 2) a reference when editing (or
  // always, when asked) and gets its title; a feature no longer made is
  // deleted at the end of the commit.
  bool FindMember(const char* title, tag_t* feature);
  void KeepMember(bool found, tag_t feature, const char* title, tag_t reference = 0, int mode = 0,
                  bool placeWhenCreating = false);
  void PlaceFeature(tag_t feature, tag_t reference, int mode);
  void RetireMember(bool found, tag_t feature);
  // Smooths the curve when a trial extrusion finds it rough; otherwise
  // retires the smoothing member. Returns the status of what ran.
  int SmoothWhenRough(tag_t* curve, const char* title, tag_t reference, const double normal[3], int status);
  void BasePlaneNormal(double normal[3]);
  // The closed loop a flange profile or main wall centre line stands for,
  // whether given as curves (lines, curves, edges) or as a section's loop,
  // as the points of one closed polyline (none for an empty section); 0, or
  // the number it is refused with.
  int OutlineLoop(SC_section* section, std::vector<double>* points);
  // Whether the section holds curves by rules and a loop beside them.
  static bool HoldsTwoOutlines(const SC_section* section);
  // The one closed curve the profile's loop is: its own curve when it is
  // one closed curve, else a polyline through the loop made in the work
  // part. 0 with no curve for an empty section.
  int OutlineCurve(SC_section* section, tag_t* curve);
  FeatureSetMembers Members();
};

STAMVIK_OM_CLASS_EXPORTS(DieDesDrawPunchBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieDesDrawPunchBuilder)

class STAMVIK_API DieDesDrawPunchBuilderFactory {
 public:
  static DieDesDrawPunchBuilder* Create(tag_t featureSet, PART_part* part);
};

// Commits any host feature builder through the host's feature-builder
// interface; the feature it made or edited goes to `object`. Returns the status.
STAMVIK_API int FeatureBuilderInterfaceCall(tag_t builder, tag_t* object);

}  // namespace KTX::Tooling
