// The abstract base of the nine die-design body builders, and the commit of
// their features that they share.
#pragma once
#include <functional>
#include <initializer_list>
#include <vector>

#include "ClassFrame.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "afl/Parms.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

struct TemporaryFeaturePreviewNames;
class TemporaryFeatureCalls;

#define STAMVIK_GENERIC_BODY_BUILDER_ATTRIBUTES(A) \
  A(0, m_algorithmVersion, ::KTX::Frame::Integer, 0x1)

class STAMVIK_API GenericBodyBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(GenericBodyBuilder, JAX_FEAT_BUILDER, "KTX::DieDesJA::GenericBodyBuilder",
                   STAMVIK_GENERIC_BODY_BUILDER_ATTRIBUTES)

 public:
  // Writes the builder's data into the parameters of an existing record.
  virtual int ConvertBuilderDataToFrec(FEATURE_RECORD* frec);

 private:
  virtual int ToParms(DIEDES_GENERIC_BODY_PARMS* parms);
  // Hands out a new array (freed with SM_free) of the selected input tags.
  virtual void GetSelectedObjects(int* count, tag_t** tags) const;

 public:
  // Creates the feature (*frec null: the new record is put there) or updates
  // the one at *frec from the parameters; body is the target body the new
  // feature applies to (0 for none). 0 or the first failure's number; with no
  // parameters, or when the host made no feature record although it answered
  // success, Messages::kWrongParms: either way no feature exists.
  int DieGenericBodyCommitFeature(FEATURE_RECORD** frec, DIEDES_GENERIC_BODY_PARMS* parms, tag_t body);

  // What a feature's record refers to of its own, entity by entity (its
  // expressions and sections), taken before an edit writes the builder's
  // copies over it. KeepInto then gives each of them the value or contents
  // the write put in its place and makes the record refer to it again, so
  // the feature keeps its objects and their tags: 0 or the host's failure.
  // Every builder whose record is made of generic entities commits an edit
  // through this, the die shoe included.
  class STAMVIK_API FeatureOwnObjects {
   public:
    explicit FeatureOwnObjects(const DIEDES_GENERIC_BODY_PARMS* parms);
    int KeepInto(DIEDES_GENERIC_BODY_PARMS* parms) const;

   private:
    std::vector<std::vector<EXP_expression*>> expressions_;
    std::vector<SC_section*> sections_;
  };

  // After the commit that made a feature on the builder's own objects: the
  // builder goes on with copies of every expression and section field its
  // class frame lists (its class's and those above it), so that a value set
  // through a builder kept open reaches the feature only at a commit, as for
  // a builder opened on the feature.
  static void GoOnWithCopiesOfFields(OM::Object* builder);

  // The host's extraction table (and its map) for the record, from the
  // inputs' tags: an SM_alloc array that is freed, also when a host call raises.
  static void CreateExtractionTable(FEATURE_RECORD* frec, int count, tag_t* tags);

  // The model update under an undo mark of its own: a failed update is
  // reported to the host's error object and undone. Never raises.
  static void DoUpdate();

  // Frees the host's extraction table when it goes out of scope, so that a
  // commit frees it on every way out, a raised error included.
  class STAMVIK_API ExtractionTableScope {
   public:
    ExtractionTableScope() = default;
    ~ExtractionTableScope();
    ExtractionTableScope(const ExtractionTableScope&) = delete;
    ExtractionTableScope& operator=(const ExtractionTableScope&) = delete;
  };

 protected:
  int GetAlgorithmVersion() const { return m_algorithmVersion; }
  void SetAlgorithmVersion(int version);

  // The body a feature applies to, read back into the target selection, and
  // the builder's own reaction to it run (nothing for no body).
  void ReadTargetBody(const DIEDES_GENERIC_BODY_PARMS* parms, SELECT_OBJECT* target);

  // The feature's expression at the entity's position read back as a copy
  // the builder owns (none: the field is left empty). A builder opened on a
  // feature works on copies: a value set through it reaches the feature only
  // when a commit gives the feature's own expressions the copies' values.
  void ReadExpressionCopy(const OM::AttributeId& field, const DIEDES_GENERIC_BODY_PARMS* parms, int entity,
                          int position);

  // The face attributes a feature holds, read back into their builders in the
  // order the feature wrote them (a null builder skips its record); nothing
  // is set when the feature holds none.
  static void ReadFaceAttributes(const DieDes::DieDesAttributeItemParms* parms,
                                 std::initializer_list<DieDes::DieAttributesBuilder*> builders);

  // What a preview hands out once its tools are made: the target's copy cut
  // by the tools (unite, subtract and the host's two further operations, each
  // applying the tools whose entry in `operations` asks for it) when the copy
  // is a solid, otherwise the tools themselves. What goes into *out is taken
  // from *copy or from *toolCount and *tools, which are left empty.
  struct PreviewSource {
    const char* file;  // the builder's, for a raised error
    int line;
    const char* booleanText;
  };
  static void HandOutPreviewBodies(const PreviewSource& source, double tolerance, int bodyType, int* copy,
                                   int* toolCount, int** tools, const int* operations, int* outCount, int** out);

  // The frame a preview builds in: the coordinate system selected, else the
  // target's (`targetCsys`, 0 for none), else a new identity system handed
  // out in *createdCsys for the caller to delete; then the base plane from
  // the builder's orientation, else from the target. 0, or the number of
  // what is missing (3030435 no coordinate system, 3030391 no base).
  static int PreviewFrame(SELECT_OBJECT* csysSelection, tag_t targetCsys, DieDes::DiePlaneBuilder* baseOrientation,
                          const DieDes::DieDesTarget* targetData, tag_t* csys, tag_t* createdCsys, double origin[3],
                          double normal[3]);

  // A new system expression "0" in the default length unit.
  static EXP_expression* NewZeroLength();
  // A new empty section in the owning part, with the host's tolerances.
  SC_section* NewSection() const;

  // Makes sure the host's one extraction table exists for this commit.
  void PopulateExtractionTable() const;

  // The preview through a temporary feature of the class the calls make
  // (the builder's own validation, extraction table and ToParms): 0 with
  // the bodies handed over, or a message number with nothing handed over.
  int PreviewThroughTemporaryFeature(const TemporaryFeaturePreviewNames& names, const TemporaryFeatureCalls& feature,
                                     SELECT_OBJECT* target, DieDes::DieDesTarget* targetData,
                                     double distanceTolerance, int* count, int** bodies) const;

  // The parameters of the record being edited, as generic body parameters
  // (null when they are of another kind).
  static DIEDES_GENERIC_BODY_PARMS* ParmsOfRecord(FEATURE_RECORD* frec);

  // The shared part of a body builder's commit_feature, after its own
  // preparation: the extraction table, the parameters (editParms of the
  // edited record, or newParms with the target selection's object as the
  // body), DieGenericBodyCommitFeature, the table freed on every way out,
  // and, when the commit fails and renotify is set, the builder's own Notify
  // on its target selection.
  int CommitWithProtocol(FEATURE_RECORD** frec, DIEDES_GENERIC_BODY_PARMS* (*editParms)(FEATURE_RECORD*),
                         DIEDES_GENERIC_BODY_PARMS* (*newParms)(), SELECT_OBJECT* target, bool renotify);

  // The commit of the builders whose target body is updated first: the
  // target data's no-update flag read, the data handed the record pointer;
  // the table; editing, the target body logged for update (unless the flag
  // says not); creating, logged and updated at once, then newParms with the
  // target body; DieGenericBodyCommitFeature; on failure Notify on the
  // target selection.
  int CommitUpdatingTarget(FEATURE_RECORD** frec, DieDes::DieDesTarget* targetData, SELECT_OBJECT* target,
                           DIEDES_GENERIC_BODY_PARMS* (*newParms)());

  // The parameters and body a commit gives DieGenericBodyCommitFeature,
  // chosen with the extraction table filled, from the record edited (null
  // when the commit creates one).
  struct CommitInputs {
    DIEDES_GENERIC_BODY_PARMS* parms = nullptr;
    tag_t body = 0;
  };
  // Both commits' frame: in turn with the other builders alive on the
  // feature, under the commit's mark, the table filled and freed on every
  // way out; errors recorded with `line`.
  int CommitThroughTable(FEATURE_RECORD** frec, int line,
                         const std::function<CommitInputs(FEATURE_RECORD* edited)>& choose);

  // The reaction of a body builder to a change of its target selection:
  // hands the selected body to the target object and makes the orientation
  // sub-builder optional when the target gives the orientation; with a
  // thickness expression, takes over the target's thickness. Any other
  // changed object is ignored. Errors are reported as the builder's (source,
  // and line when the builder has one of its own; 0 reports this file's line)
  // and go no further.
  void ReactToTargetChange(OM::Object* changed, SELECT_OBJECT* target, DieDes::DieDesTarget* targetData,
                           DieDes::DiePlaneBuilder* orientation, EXP_expression* thickness, const char* source,
                           int line = 0);
  void ReactToTargetChange(OM::Object* changed, SELECT_OBJECT* target, DieDes::DieDesTarget* targetData,
                           DieDes::DieDirectionBuilder* orientation, EXP_expression* thickness, const char* source,
                           int line = 0);

 private:
  template <class Orientation>
  void ReactToTarget(OM::Object* changed, SELECT_OBJECT* target, DieDes::DieDesTarget* targetData,
                     Orientation* orientation, EXP_expression* thickness, const char* source, int line);
};

STAMVIK_OM_CLASS_EXPORTS(GenericBodyBuilder)

}  // namespace KTX::DieDesJA
