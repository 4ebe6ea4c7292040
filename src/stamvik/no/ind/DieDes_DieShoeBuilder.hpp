// The die shoe: a base flange, main decks with deck cutouts, an optional
// centerline slot and boolean operations with other bodies, as one solid.
#pragma once
#include "ClassFrame.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "afl/DieShoeParms.hpp"
#include "feat/Builder.hpp"
#include "om/TagIntMap.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDes {

#define STAMVIK_DIE_SHOE_BUILDER_ATTRIBUTES(A)                                                   \
  A(0, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0xC04001)           \
  A(1, m_baseFlangeSection, ::KTX::Frame::Ref<::KTX::SC_section>, 0x4001)                        \
  A(2, m_mainDeckSection, ::KTX::Frame::Ref<::KTX::SC_section>, 0x4001)                          \
  A(3, m_mainDeckPlane, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0xC04001)             \
  A(4, m_mainDeckOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                       \
  A(5, m_deckCutoutsSection, ::KTX::Frame::Ref<::KTX::SC_section>, 0x4001)                       \
  A(6, m_centerlineSlotCreate, ::KTX::Frame::Logical, 0x1)                                       \
  A(7, m_centerlineSlotDepth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                  \
  A(8, m_centerlineSlotWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                  \
  A(9, m_centerlineSlotDirection, ::KTX::Frame::Ref<::KTX::DieDes::DieDirectionBuilder>, 0xC04001) \
  A(10, m_centerlineSlotAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001) \
  A(11, m_dieBooleansList, ::KTX::Frame::Ref<::KTX::UICOMPJA_list>, 0x4001)                      \
  A(12, m_flangeThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                     \
  A(13, m_wallThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                       \
  A(14, m_deckThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                       \
  A(15, m_mainDeckAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001)  \
  A(16, m_baseAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001)      \
  A(17, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                          \
  A(18, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                             \
  A(19, m_tagSolvaneMap, ::KTX::Frame::Ref<::KTX::OM_tag_int_map>, 0x404001)                     \
  A(20, m_warningNumbers, ::KTX::Frame::IntegerArray, 0x201)                                     \
  A(21, m_baseFlangeTag, ::KTX::Frame::Tag, 0x800001)                                            \
  A(22, m_mainDeckLoopTags, ::KTX::Frame::TagArray, 0x800201)                                    \
  A(23, m_deckCutoutsLoopTags, ::KTX::Frame::TagArray, 0x800201)                                 \
  A(24, m_solvaneBaseFlange, ::KTX::Frame::KernelTag, 0x1)                                       \
  A(25, m_solvaneMainDecks, ::KTX::Frame::KernelTagArray, 0x201)                                 \
  A(26, m_solvaneMainDeckIntersections, ::KTX::Frame::KernelTagArray, 0x201)                     \
  A(27, m_solvaneMainDeckSubtractions, ::KTX::Frame::KernelTagArray, 0x201)                      \
  A(28, m_solvaneDeckCutouts, ::KTX::Frame::KernelTagArray, 0x201)                               \
  A(29, m_solvaneDeckCutoutIntersections, ::KTX::Frame::KernelTagArray, 0x201)                   \
  A(30, m_solvaneSlot, ::KTX::Frame::KernelTag, 0x1)

class STAMVIK_API DieShoeBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(DieShoeBuilder, JAX_FEAT_BUILDER, "KTX::DieDes::DieShoeBuilder",
                   STAMVIK_DIE_SHOE_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);

  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;

  // The first failing input's message number, else 0.
  int validate_nothrow() override;
  // Creates the feature (or updates the one edited), then has the boolean
  // items make their boolean features against its body: 0 or the first
  // failure's number. A commit that fails leaves the part as it was.
  int commit_feature(FEATURE_RECORD** frec) override;
  // Applies every boolean item in list order to the target, undone to a
  // mark of its own when one fails: 0, 690025, 670422, or the failure's number.
  virtual int ApplyBooleanBodies(FEATURE_RECORD* frec, tag_t target, int targetBody, bool featureMode);
  // Has the items log their die-design features for update: true only when
  // creating and one was logged.
  virtual bool ForceDieDesignFeatureUpdate() const;

  // The frames of the base plane and of the main deck (the main deck plane,
  // or else the base plane, moved by the main deck offset along its own
  // normal): false when the plane gives none.
  virtual bool GetBaseOrientation(tag_t* tag, double point[3], double matrix[9]) const;
  virtual bool GetMainDeckOrientation(tag_t* tag, double point[3], double matrix[9]) const;

  // Hands out a new array (freed with SM_free) of every selected input, the
  // boolean items' tool bodies last.
  void GetSelectedObjects(int* count, tag_t** tags) const;
  // Makes sure the host's one extraction table exists for this commit.
  void PopulateExtractionTable() const;
  // Keeps the map of the tool bodies' die-design kernel bodies current.
  void UpdateMap();
  // Appends the body references of every item's tool bodies.
  virtual void GetModifyingBrefs(FEATURE_RECORD* frec, int* count, tag_t** brefs) const;
  // Whether the booleans may be applied to the feature now: not while it is
  // suppressed or the dialog only looks at it.
  bool AllowBooleanEdits(FEATURE_RECORD* frec) const;

  // The parameters: written from the builder, and read back into it.
  virtual int ToParms(DieShoe* parms);
  virtual int ConvertBuilderDataToFrec(FEATURE_RECORD* frec);
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);
  // The boolean list into the parameters' boolean data, and back into new
  // items appended to a list (with a map, the stored kernel bodies of the
  // tools go into it).
  static int FromListBuilder(FEATURE_RECORD* frec, DieShoe* parms, UICOMPJA_list* list, OM_tag_int_map* map);
  static void ToListBuilder(DieShoe* parms, UICOMPJA_list* list, OM_tag_int_map* map);

  // ---- the shoe's solid ----
  // Builds the shoe's solid from the cached stages: 0 with the body (the
  // caller's), 66 when the user stopped it (the body then holds what was
  // built so far), 671385 without a base flange.
  virtual int CreateBody(int* body);
  // The guard's verdict on the shoe's kernel body, CreateBody's last step:
  // 0 when it is one valid closed solid inside the box of its base flange
  // and main deck blocks (along the base frame's axes, within the distance
  // tolerance); else the number of what was found, a body that cannot be
  // measured included (a body no modeller made, without a shape, is not
  // judged).
  int JudgeBuiltShoe(int body);

  // The plane through the deck point along the deck's normal turned to face
  // the base: false without both frames.
  virtual bool GetOrientationForMainDeck(double point[3], double normal[3]) const;
  // The slot's frame: its origin at the start of its footprint on the base
  // plane, its first two rows spanning it (length and width).
  virtual bool GetSlotOrientation(tag_t* tag, double point[3], double matrix[9]) const;

  // The curves made from the section loops, brought up to date (remade when
  // forced or when the loops changed). The loop arrays go out as new arrays
  // (SM_alloc) when asked for; their count is returned.
  virtual tag_t GetBaseFlangeTag(bool force);
  virtual int GetMainDeckLoopTags(bool force, tag_t** tags);
  virtual int GetDeckCutoutLoopTags(bool force, tag_t** tags);
  // A curve along a section loop (0 when it gives none).
  virtual tag_t CreateTagFromLoop(tag_t loop) const;

  // Building blocks: a planar sheet of the curves swept into a solid (0, or
  // the failure's number with no body); a copy of a body offset (0 for
  // none); a box aligned with a frame; how far an object's footprint lies
  // below a deck plane.
  virtual int CreateSweptBody(int count, const tag_t* curves, const double point[3], const double direction[3],
                              double distance, int* body) const;
  virtual int CreateOffsetBody(double offset, int body) const;
  virtual int GetBoundingBox(const double origin[3], const double matrix[9], tag_t object, double minCorner[3],
                             double extents[3]) const;
  virtual void GetMinMaxDistance(const double point[3], const double matrix[9], const double deckPoint[3],
                                 const double deckMatrix[9], int count, const tag_t* objects, double* min,
                                 double* max) const;

  // The stages, each computed once and cached. The cached ones hand out
  // the cache (a new array of the cached bodies when asked for); the
  // copying ones hand out copies in a new array, both the caller's.
  virtual int GetSolvaneBaseFlange();
  virtual int GetSolvaneMainDeckBodies(int** bodies);
  virtual int GetSolvaneMainDeckIntersectionBodies(int** bodies);
  virtual int GetSolvaneMainDeckSubtractionBodies(int** bodies);
  virtual int GetSolvaneMainDeckUniteBodies(int** bodies);
  virtual int GetSolvaneMainDeckSubtractBodies(int** bodies);
  virtual int GetSolvaneDeckCutoutBodies(int** bodies);
  virtual int GetSolvaneDeckCutoutSubtractBodies(int** bodies);
  virtual int GetSolvaneSlot();
  virtual int GetSolvaneDieDesignSubtractBodies(int** bodies);

  // Discard the caches: the stages' bodies are deleted.
  virtual void DeleteSolvaneData();
  virtual void DeleteSolvaneBaseFlange();
  virtual void DeleteSolvaneMainDecks();
  virtual void DeleteSolvaneDeckCutouts();
  virtual void DeleteSolvaneSlot();

  // The expressions' values.
  virtual double GetOffsetValue() const;
  virtual double GetDepthValue() const;
  virtual double GetWidthValue() const;
  virtual double GetFlangeThicknessValue() const;
  virtual double GetWallThicknessValue() const;
  virtual double GetDeckThicknessValue() const;

  // Tags of the sections, 0 when there is none.
  virtual tag_t GetBaseFlangeSection() const;
  virtual tag_t GetMainDeckSection() const;
  virtual tag_t GetDeckCutoutsSection() const;

  // Sub-builders, sections, expressions, the boolean list and the map as held.
  DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  SC_section* GetBaseFlangeSectionPtr() const { return m_baseFlangeSection; }
  void SetBaseFlangeSectionPtr(SC_section* section);
  SC_section* GetMainDeckSectionPtr() const { return m_mainDeckSection; }
  void SetMainDeckSectionPtr(SC_section* section);
  DiePlaneBuilder* GetMainDeckPlane() const { return m_mainDeckPlane; }
  EXP_expression* GetMainDeckOffset() const { return m_mainDeckOffset; }
  void SetMainDeckOffset(EXP_expression* offset);
  SC_section* GetDeckCutoutsSectionPtr() const { return m_deckCutoutsSection; }
  void SetDeckCutoutsSectionPtr(SC_section* section);
  EXP_expression* GetCenterlineSlotDepth() const { return m_centerlineSlotDepth; }
  void SetCenterlineSlotDepth(EXP_expression* depth);
  EXP_expression* GetCenterlineSlotWidth() const { return m_centerlineSlotWidth; }
  void SetCenterlineSlotWidth(EXP_expression* width);
  DieDirectionBuilder* GetCenterlineSlotDirection() const { return m_centerlineSlotDirection; }
  DieAttributesBuilder* GetCenterlineSlotAttributes() const { return m_centerlineSlotAttributes; }
  UICOMPJA_list* GetDieBooleansList() const { return m_dieBooleansList; }
  EXP_expression* GetFlangeThickness() const { return m_flangeThickness; }
  void SetFlangeThickness(EXP_expression* thickness);
  EXP_expression* GetWallThickness() const { return m_wallThickness; }
  void SetWallThickness(EXP_expression* thickness);
  EXP_expression* GetDeckThickness() const { return m_deckThickness; }
  void SetDeckThickness(EXP_expression* thickness);
  DieAttributesBuilder* GetMainDeckAttributes() const { return m_mainDeckAttributes; }
  DieAttributesBuilder* GetBaseAttributes() const { return m_baseAttributes; }
  OM_tag_int_map* GetTagSolvaneMap() const { return m_tagSolvaneMap; }
  void SetTagSolvaneMap(OM_tag_int_map* map);

  bool GetCenterlineSlotCreate() const { return m_centerlineSlotCreate; }
  void SetCenterlineSlotCreate(bool create);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

  // Message numbers of non-fatal problems met while building.
  int GetWarningNumbers(int index) const;
  int GetWarningNumbersLength() const;
  void SetWarningNumbers(int index, int number);
  void SetWarningNumbersLength(int length);
  // Records a number once: a number already held is not added again.
  void SetWarningNumber(int number);

  // Curves made from the section loops. Writing at the length appends.
  tag_t GetMainDeckLoopTag(int index) const;
  int GetNumberMainDeckLoopTags() const;
  void SetMainDeckLoopTag(int index, tag_t tag);
  void SetNumberMainDeckLoopTags(int count);
  tag_t GetDeckCutoutLoopTag(int index) const;
  int GetNumberDeckCutoutLoopTags() const;
  void SetDeckCutoutLoopTag(int index, tag_t tag);
  void SetNumberDeckCutoutLoopTags(int count);

  // Cached kernel bodies of the build stages. Writing at the length appends.
  int GetSolvaneMainDeck(int index) const;
  int GetNumberSolvaneMainDecks() const;
  void SetSolvaneMainDeck(int index, int body);
  void SetNumberSolvaneMainDecks(int count);
  int GetSolvaneMainDeckIntersection(int index) const;
  int GetNumberSolvaneMainDeckIntersections() const;
  void SetSolvaneMainDeckIntersection(int index, int body);
  void SetNumberSolvaneMainDeckIntersections(int count);
  int GetSolvaneMainDeckSubtraction(int index) const;
  int GetNumberSolvaneMainDeckSubtractions() const;
  void SetSolvaneMainDeckSubtraction(int index, int body);
  void SetNumberSolvaneMainDeckSubtractions(int count);
  int GetSolvaneDeckCutout(int index) const;
  int GetNumberSolvaneDeckCutouts() const;
  void SetSolvaneDeckCutout(int index, int body);
  void SetNumberSolvaneDeckCutouts(int count);
  int GetSolvaneDeckCutoutIntersection(int index) const;
  int GetNumberSolvaneDeckCutoutIntersections() const;
  void SetSolvaneDeckCutoutIntersection(int index, int body);
  void SetNumberSolvaneDeckCutoutIntersections(int count);

 private:
  // Whether the list holds an item of a known type (scanned from its end).
  bool HasBooleanItems() const;
  // The model update at once, without messages; a failure is reported only.
  static void UpdateWithoutMessages();
  // The boolean stage of a commit: the stored boolean data pruned to the
  // unite items and every item applied as a feature, each through a
  // temporary builder on the record that the parameters then take over.
  int CommitBooleans(FEATURE_RECORD* record, tag_t* body);
  // The feature and its booleans, run by commit_feature under its mark.
  int CommitWithBooleans(FEATURE_RECORD** frec);

  // The checks of validation on the loops' outlines, seen along the die's up
  // direction: a base flange loop of too many points; a loop that bounds no
  // area or crosses or touches itself; main decks and deck cutouts not
  // inside the flange; decks that overlap; a cutout across a deck's edge;
  // and a flange that reaches the decks' top.
  int ValidateOutlines() const;
  bool ToolInTwoItems() const;
  // The loop curves of a section brought up to date in the array of main
  // decks or of deck cutouts.
  int RefreshLoopTags(SC_section* section, bool cutouts, bool force, tag_t** tags);
  // The frames of the base and the deck, the deck's turned to face the base.
  bool GetFrames(double basePoint[3], double baseMatrix[9], double deckPoint[3], double deckMatrix[9]) const;
  // Blocks rising from below the base past the deck plane, one per curve.
  int SweepToDeck(int count, const tag_t* curves, const double basePoint[3], const double baseMatrix[9],
                  const double deckPoint[3], const double deckMatrix[9], int index, int* body) const;
  // Applies copies of the tools to the body, stopping at the user's abort;
  // the tools are deleted and the array freed whatever happens. True when
  // the user stopped it.
  bool ApplyTools(int body, int* count, int** tools, bool unite);
  // CreateBody's steps, which CreateBody fails when they went past an error.
  int BuildBody(int* body);
  // CreateBody's steps after the base flange's copy, made onto it.
  int CombineOnto(int* body);
  // Whether the walls leave some main deck nothing: its loop, seen along
  // the base normal, offset inwards by the wall thickness leaves nothing
  // farther than the distance tolerance from it.
  bool WallsLeaveADeckNothing() const;
  void SetSolvaneBaseFlange(int body);
  void SetSolvaneSlot(int body);

  tag_t GetBaseFlangeTagPrivate() const { return m_baseFlangeTag; }
  void SetBaseFlangeTagPrivate(tag_t curve);
  void implement_destroy();
};

STAMVIK_OM_CLASS_EXPORTS(DieShoeBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieShoeBuilder)

class STAMVIK_API DieShoeBuilderFactory {
 public:
  static DieShoeBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDes
