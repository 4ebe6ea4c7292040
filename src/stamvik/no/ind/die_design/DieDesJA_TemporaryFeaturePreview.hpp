// The previews of the die-design body builders: named undo marks through the
// host's "Session" interface, and the preview route of the builders whose
// bodies the host's feature library makes from a temporary, unsaved
// parameter object of their feature class.
#pragma once
#include "Export.hpp"
#include "StamvikExport.hpp"
#include "Support.hpp"
#include "afl/DieDesign.hpp"
#include "afl/Parms.hpp"

namespace KTX::DieDesJA {

// A named undo mark set through the host's unjournalled "Session" interface;
// 0 when the host gives no interface or no mark (then undo and delete do nothing).
STAMVIK_API int SetPreviewUndoMark(const char* name);
STAMVIK_API void UndoToPreviewMark(int mark);
STAMVIK_API void DeletePreviewUndoMark(int mark);
// Such a mark held for the preview's scope: the model goes back to it unless
// the preview commits, and the mark is deleted on every way out.
inline Stamvik::UndoMarkScope PreviewUndoMarkScope(const char* name) {
  return Stamvik::UndoMarkScope(SetPreviewUndoMark(name), &UndoToPreviewMark, &DeletePreviewUndoMark);
}

// What differs between the builders that preview through a temporary feature.
struct TemporaryFeaturePreviewNames {
  const char* markName;     // the undo mark
  const char* booleanText;  // the booleans' progress text, passed as it stands
  const char* source;       // the builder's source for its errors
  int raiseLine;            // where a failed validation is raised
  int catchLine;            // where an error of the preview is reported
};

// What the route asks of the builder.
class STAMVIK_API TemporaryFeatureBuilderSteps {
 public:
  virtual int Validate() = 0;
  virtual void PopulateExtractionTable() = 0;
  virtual int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) = 0;
  virtual PART_part* OwningPart() const = 0;
  virtual tag_t Target() const = 0;                              // the selected target body, 0 for none
  virtual DieDes::DieDesTarget* BuilderTargetData() const = 0;  // the builder's own target object
  virtual double DistanceTolerance() const = 0;

 protected:
  ~TemporaryFeatureBuilderSteps() = default;
};

// What the route asks of the host feature class.
class STAMVIK_API TemporaryFeatureCalls {
 public:
  // A new temporary parameter object of the class (null when none is made).
  virtual DIEDES_GENERIC_BODY_PARMS* Create() const = 0;
  // Gives the object target data for the target body.
  virtual void AttachTargetData(DIEDES_GENERIC_BODY_PARMS* parms, PART_part* part, tag_t target,
                                DieDes::DieDesTarget* builderTargetData) const = 0;
  // Takes the target data from the object; gives what it held (null for none).
  virtual DieDes::DieDesTarget* DetachTargetData(DIEDES_GENERIC_BODY_PARMS* parms) const = 0;
  // The tool bodies and the boolean operation of each (host-allocated arrays).
  virtual void CreateBasicBodies(DIEDES_GENERIC_BODY_PARMS* parms, int kernelTarget, int* count, int** operations,
                                 int** tools) const = 0;
  // Detaches and deletes the object's generic attribute part, for the
  // classes that have one.
  virtual void DeleteGenericAttributes(DIEDES_GENERIC_BODY_PARMS* parms) const;

 protected:
  ~TemporaryFeatureCalls() = default;
};

// The calls of the host's clearance, finger-clearance notch, handling core
// and machine relief features.
STAMVIK_API const TemporaryFeatureCalls& ClearanceFeatureCalls();
STAMVIK_API const TemporaryFeatureCalls& FingerClearanceNotchFeatureCalls();
STAMVIK_API const TemporaryFeatureCalls& HandlingCoreFeatureCalls();
STAMVIK_API const TemporaryFeatureCalls& MachineReliefFeatureCalls();

// The preview: 0 with the bodies handed over through count and bodies (a
// host-allocated array the caller owns; nothing when nothing was made), or a
// message number with nothing handed over and the model undone to the mark.
// The caller passes count 0 and bodies null.
STAMVIK_API int CreateBodiesThroughTemporaryFeature(const TemporaryFeaturePreviewNames& names,
                                                    TemporaryFeatureBuilderSteps& builder,
                                                    const TemporaryFeatureCalls& feature, int* count, int** bodies);

}  // namespace KTX::DieDesJA
