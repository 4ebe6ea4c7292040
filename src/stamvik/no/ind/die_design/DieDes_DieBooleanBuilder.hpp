// One boolean operation that the die shoe applies to its body: a type and the
// selected tool bodies.
#pragma once
#include <vector>

#include "ClassFrame.hpp"
#include "afl/DieEngParms.hpp"
#include "feat/Builder.hpp"
#include "om/TagIntMap.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDes {

enum JA_DIE_BOOLEAN_BUILDER_boolean_type : int {
  JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite = 0,
  JA_DIE_BOOLEAN_BUILDER_boolean_type_Subtract = 1,
  JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect = 2,
};

#define STAMVIK_DIE_BOOLEAN_BUILDER_ATTRIBUTES(A)                                \
  A(0, m_booleanOptions, ::KTX::Frame::Integer, 0x1)                             \
  A(1, m_selectBodies, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x4001)     \
  A(2, m_applIsOverallRequired, ::KTX::Frame::LogicalStarting<true>, 0x1)        \
  A(3, m_applScope, ::KTX::Frame::Integer, 0x1)

class STAMVIK_API DieBooleanBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DieBooleanBuilder, JAX_BUILDER, "KTX::DieDes::DieBooleanBuilder",
                   STAMVIK_DIE_BOOLEAN_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(PART_part* part);

  char* ask_journal_class_name() const override;
  int commit() override;
  void destroy() override;
  void cascade_destroy() override;

  // At least one tool body when one is required: 0, else 1.
  int validate_nothrow() override;

  virtual JA_DIE_BOOLEAN_BUILDER_boolean_type GetBooleanOptions() const;
  virtual void SetBooleanOptions(JA_DIE_BOOLEAN_BUILDER_boolean_type type);
  // Appends the selected bodies to the caller's array (grown with the host
  // allocator) when the builder's type is the one asked for: 0, or the
  // number of a host error, the caller's array then freed and emptied.
  virtual int GetSelectedBodies(JA_DIE_BOOLEAN_BUILDER_boolean_type type, int* count, tag_t** bodies) const;
  // Keeps the die shoe's map from tool tags to die-design kernel bodies
  // current: a tool whose body the host gives afresh gets it (the one held
  // before deleted, unless it is that same body); one without gets an entry
  // of body 0 when it has none.
  void UpdateMap(OM_tag_int_map* map) const;
  // The type's name in the host's language: a new text the caller frees.
  virtual char* GetBooleanTypeText() const;
  // Appends the body references of the selected bodies that have one to the
  // caller's array (grown with the host allocator); the feature record is
  // not needed.
  virtual void GetModifyingBrefs(FEATURE_RECORD* frec, int* count, tag_t** brefs) const;

  // Only a unite brings die-design bodies in: logs for update the owners of
  // those features among its tools that ask for it; true when one was logged.
  virtual bool ForceDieDesignFeatureUpdate() const;

  // Applies the boolean to the target: in feature mode as one boolean
  // feature of the part (tools already united into the target left out), in
  // kernel mode on the target's kernel body with copies of the tools. Undone
  // to its own mark on failure. 0, 690025 (no target), 670422 (the target
  // has no kernel body), or the number of the failure met on the way.
  int ApplyBooleanBodies(FEATURE_RECORD* frec, tag_t target, int targetBody, bool featureMode,
                         double tolerance) const;
  // The tools that a boolean of that kernel function still has to apply to
  // the target: a unite leaves out those without body reference and those
  // some boolean or meta feature already brought into the target. *kept is a
  // new array (SM_alloc, room for every tool) the caller frees.
  static void FilterToolBodiesForUnite(int function, tag_t target, int count, const tag_t* tools, int* keptCount,
                                       tag_t** kept);
  // What an edit's boolean of `type` finds on the target before it is made:
  // the tools that a boolean feature of that type already combined with the
  // target are left out of `tools`, and the boolean features of another type
  // on the target that hold one of the tools are deleted, so that each tool
  // has one feature of the type its item now has. Returns the number of
  // features deleted.
  static int SettleEarlierBooleans(int type, tag_t target, std::vector<tag_t>* tools);

  // Appends the selected objects to the caller's array (only counted when
  // the array is null).
  void GetSelectedObjects(int* count, tag_t** tags) const;

  SELECT_OBJECT_list* GetSelectBodies() const { return m_selectBodies; }
  void SetSelectBodies(SELECT_OBJECT_list* bodies);
  bool GetApplIsOverallRequired() const { return m_applIsOverallRequired; }
  void SetApplIsOverallRequired(bool required);
  int GetApplScope() const { return m_applScope; }
  void SetApplScope(int scope);

 private:
  void implement_destroy();
};

STAMVIK_OM_CLASS_EXPORTS(DieBooleanBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieBooleanBuilder)

class STAMVIK_API DieBooleanBuilderFactory {
 public:
  static DieBooleanBuilder* Create(PART_part* part);
};

}  // namespace KTX::DieDes
