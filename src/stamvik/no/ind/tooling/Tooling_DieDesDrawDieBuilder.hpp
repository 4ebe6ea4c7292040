// The inputs of an upper draw die, built as one tooling feature set through
// the modelling operations of an owned draw-punch builder.
#pragma once
#include "ClassFrame.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "feat/Builder.hpp"
#include "om/ObjectSet.hpp"
#include "sel/Selection.hpp"

namespace KTX::Tooling {

class FeatureSetMembers;

// Fields in object order; the attribute indexes say their persistent identity.
#define STAMVIK_DIE_DES_DRAW_DIE_BUILDER_ATTRIBUTES(A)                                         \
  A(5, m_deckThickness, ::KTX::Frame::Double, 0x1)                                             \
  A(6, m_binderEdgeOffset, ::KTX::Frame::Double, 0x1)                                          \
  A(7, m_deckEdgeOffset, ::KTX::Frame::Double, 0x1)                                            \
  A(8, m_deckFlangeThickness, ::KTX::Frame::Double, 0x1)                                       \
  A(9, m_wallThickness, ::KTX::Frame::Double, 0x1)                                             \
  A(10, m_baseThickness, ::KTX::Frame::Double, 0x1)                                            \
  A(11, m_flangeOffset, ::KTX::Frame::Double, 0x1)                                             \
  A(13, m_machiningAllowance, ::KTX::Frame::Double, 0x1)                                       \
  A(0, m_sheetBody, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                         \
  A(1, m_punchCurve, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)                   \
  A(2, m_blankCurve, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)                   \
  A(3, m_flangeCurve, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)                  \
  A(19, m_frecSet, ::KTX::Frame::Ref<::KTX::OM::Set>, 0x404001)                                \
  A(20, m_frecSetToDelete, ::KTX::Frame::Ref<::KTX::OM::Set>, 0x404001)                        \
  A(21, m_drawPunchBuilder, ::KTX::Frame::Ref<::KTX::Tooling::DieDesDrawPunchBuilder>, 0xC04001) \
  A(4, m_basePlane, ::KTX::Frame::Tag, 0x404001)                                               \
  A(15, m_finalPunchCurve, ::KTX::Frame::Tag, 0x4001)                                          \
  A(16, m_finalBlankCurve, ::KTX::Frame::Tag, 0x4001)                                          \
  A(17, m_finalFlangeCurve, ::KTX::Frame::Tag, 0x4001)                                         \
  A(18, m_tfeatureSet, ::KTX::Frame::Tag, 0x4001)                                              \
  A(12, m_exactSheetbodyOption, ::KTX::Frame::Logical, 0x1)                                    \
  A(14, m_coreDrawDieOption, ::KTX::Frame::Logical, 0x1)

class STAMVIK_API DieDesDrawDieBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DieDesDrawDieBuilder, JAX_BUILDER, "KTX::Tooling::DieDesDrawDieBuilder",
                   STAMVIK_DIE_DES_DRAW_DIE_BUILDER_ATTRIBUTES)

 public:
  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;
  // Always 0: every set of inputs may be committed.
  int validate_nothrow() override;
  // Builds the upper draw die and gathers what it made into the "DrawDie"
  // feature set (m_tfeatureSet). Returns the build's failure number, 0 on
  // success; a die without its punch builder commits nothing and gives 0.
  int commit() override;

  // The builder's own operations, in their slot order. Each returns 0 or a
  // message number; outputs are tags, 0 when absent.
  // The build: every step below in turn, on the build layer.
  virtual int CreateUpperDrawDie();
  virtual int ProcessAllInputCurves();
  virtual int CreateTopBottomRoughOffset(tag_t* top, tag_t* bottom, tag_t* middle);
  virtual int CreateProjectCurves(tag_t* punchProjection, tag_t* blankProjection);
  virtual int CreateOffsetCurves(tag_t blankProjection, tag_t* binderCurve, tag_t* deckCurve);
  virtual int CreateMainBottomSolid(tag_t bottomBody, tag_t punchProjection, tag_t* mainBody, tag_t* mainFeature);
  virtual int CreateTopSolid(tag_t topBody, tag_t bottomBody, tag_t deckCurve, tag_t mainBody, tag_t* topFeature,
                             tag_t* topTrimFeature, tag_t* topSolidBody);
  virtual int CreateSubTopSolid(tag_t topBody, tag_t middleBody, tag_t binderCurve, tag_t deckCurve,
                                tag_t topSolidBody, tag_t* subTopFeature);
  virtual int CreateStressSolid(tag_t flangeCurve, tag_t punchProjection, tag_t blankProjection, tag_t mainBody,
                                tag_t* stressFeature);
  // Read the inputs back from the features of an existing set; each gives 0.
  virtual int ConvertFrecToBuilderData(tag_t featureSet);
  virtual int ConvertFrecToSheetTagDeckThickness(tag_t featureSet);
  virtual int ConvertFrecToEdgeOffsets(tag_t featureSet);
  virtual int ConvertFrecToWallBaseThickness(tag_t featureSet);
  virtual int ConvertFrecToMiscellaneous(tag_t featureSet);
  virtual int ConvertFrecToCurvePlane(tag_t featureSet);
  // Marks the die's top faces for finishing and its bottom faces for refining.
  virtual int ClassifyMachiningFaces(tag_t mainFeature, tag_t topFeature, tag_t topTrimFeature, tag_t stressFeature,
                                     tag_t topBody);

  SELECT_OBJECT* GetSheetBody() const { return m_sheetBody; }
  SELECT_OBJECT_list* GetPunchCurve() const { return m_punchCurve; }
  void SetPunchCurve(SELECT_OBJECT_list* curves);
  SELECT_OBJECT_list* GetBlankCurve() const { return m_blankCurve; }
  void SetBlankCurve(SELECT_OBJECT_list* curves);
  SELECT_OBJECT_list* GetFlangeCurve() const { return m_flangeCurve; }
  void SetFlangeCurve(SELECT_OBJECT_list* curves);
  tag_t GetBasePlane() const { return m_basePlane; }
  void SetBasePlane(tag_t plane);

  double GetDeckThickness() const { return m_deckThickness; }
  void SetDeckThickness(double value);
  double GetBinderEdgeOffset() const { return m_binderEdgeOffset; }
  void SetBinderEdgeOffset(double value);
  double GetDeckEdgeOffset() const { return m_deckEdgeOffset; }
  void SetDeckEdgeOffset(double value);
  double GetDeckFlangeThickness() const { return m_deckFlangeThickness; }
  void SetDeckFlangeThickness(double value);
  double GetWallThickness() const { return m_wallThickness; }
  void SetWallThickness(double value);
  double GetBaseThickness() const { return m_baseThickness; }
  void SetBaseThickness(double value);
  double GetFlangeOffset() const { return m_flangeOffset; }
  void SetFlangeOffset(double value);
  bool GetExactSheetbodyOption() const { return m_exactSheetbodyOption; }
  void SetExactSheetbodyOption(bool exact);
  double GetMachiningAllowance() const { return m_machiningAllowance; }
  void SetMachiningAllowance(double value);
  bool GetCoreDrawDieOption() const { return m_coreDrawDieOption; }
  void SetCoreDrawDieOption(bool core);

  tag_t GetFinalPunchCurve() const { return m_finalPunchCurve; }
  void SetFinalPunchCurve(tag_t curve);
  tag_t GetFinalBlankCurve() const { return m_finalBlankCurve; }
  void SetFinalBlankCurve(tag_t curve);
  tag_t GetFinalFlangeCurve() const { return m_finalFlangeCurve; }
  void SetFinalFlangeCurve(tag_t curve);
  tag_t GetTfeatureSet() const { return m_tfeatureSet; }
  void SetTfeatureSet(tag_t featureSet);
  OM::Set* GetFrecSet() const { return m_frecSet; }
  void SetFrecSet(OM::Set* set);
  OM::Set* GetFrecSetToDelete() const { return m_frecSetToDelete; }
  void SetFrecSetToDelete(OM::Set* set);
  DieDesDrawPunchBuilder* GetDrawPunchBuilder() const { return m_drawPunchBuilder; }
  void SetDrawPunchBuilder(DieDesDrawPunchBuilder* punch);
  // The guard's verdict on the main bottom solid (Support::JudgeBuilt): one
  // valid closed solid inside the box of the punch profile (a cored die's:
  // offset outwards by half the wall, sharp cornered), between the base
  // plane and the far side of the bottom sheet, and there under the whole
  // profile (a cored die's: all along its wall) from the plane to the sheet.
  // 0, or the number of what was found.
  int JudgeBuiltBottom(tag_t mainBody, tag_t bottomSheet, tag_t punchProjection);
  // The guard's look at a cored die's cavity (Support::JudgeHollow): empty a
  // margin in from the wall's inner side, from the plane to the sheet. 0 for
  // a die with no core, or the number of what was found.
  int JudgeHollowBottom(tag_t mainBody, tag_t bottomSheet, tag_t punchProjection);

 protected:
  void InitCreate(tag_t featureSet, PART_part* part);

 private:
  friend class DieDesDrawDieBuilderFactory;
  void implement_destroy();

  // The rule every build step follows for a feature of a role: found by its
  // title when editing; a feature that was not found goes into m_frecSet, is
  // placed before (mode 1) or after (mode 2) a reference when editing, and
  // gets its title (also when editing, so that the next edit finds it); a
  // role no longer needed is deleted at the end of the commit.
  bool FindMember(const char* title, tag_t* feature);
  void KeepMember(bool found, tag_t feature, const char* title, tag_t reference = 0, int mode = 0);
  void PlaceFeature(tag_t feature, tag_t reference, int mode);
  void RetireMember(bool found, tag_t feature);
  // The base plane's direction: every extrusion's and every check's.
  void BasePlaneDirection(double direction[3]);
  // Smooths the curve when the punch finds it rough, the smoothing placed
  // after the reference when new; otherwise retires the smoothing of that
  // role. Returns the smoothing's status, or `status` when none ran.
  int SmoothWhenRough(tag_t* curve, const char* title, tag_t reference, int mode, int status);
  // A unite (or a subtract) of the tool body with the target under the
  // boolean tolerance retry: the distance tolerance, then 5, 10, 15 and 20
  // times it. Returns the last attempt's status.
  int BooleanWithRetry(bool unite, tag_t target, tag_t tool, tag_t* feature);
  FeatureSetMembers Members();
  // The number of the first size the build cannot make a die of (a deck
  // thickness not above 0, a deck flange thicker than the deck, a base plane
  // not beyond the deck or a die face looking away from it, a punch profile
  // not inside the blank), or 0.
  int RefusedSizes();
};

STAMVIK_OM_CLASS_EXPORTS(DieDesDrawDieBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieDesDrawDieBuilder)

class STAMVIK_API DieDesDrawDieBuilderFactory {
 public:
  static DieDesDrawDieBuilder* Create(tag_t featureSet, PART_part* part);
};

}  // namespace KTX::Tooling
