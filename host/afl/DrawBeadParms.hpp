// The automotive-feature library's parameter objects of draw beads: the
// segment and taper records (numbered items on the generic die-design
// parameters, one item per entity), the bead records (male, female, sheet
// metal) with their children, attribute block and details, and the calls that
// make, order and regenerate the bead's features.
#pragma once
#include "afl/Parms.hpp"

namespace KTX {

// One draw-bead segment: items of integers, expressions and tags.
class KTX_HOST_API DIEDES_GEN_C_DRBD_SEG_PARMS : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(DIEDES_GEN_C_DRBD_SEG_PARMS, "KTX::DIEDES_GEN_C_DRBD_SEG_PARMS")
 protected:
  DIEDES_GEN_C_DRBD_SEG_PARMS(int classId, void* context) : DIEDES_GENERIC_BODY_PARMS(classId, context) {}
};

class KTX_HOST_API DIEDES_GEN_C_DRBD_SEG_PARMSFactory {
 public:
  // A record of `items` empty items (5, the stored format, unless told).
  static DIEDES_GEN_C_DRBD_SEG_PARMS* Create(int items = 5);
};

// One draw-bead end taper.
class KTX_HOST_API DIEDES_GEN_P_DRBD_TPR_PARMS : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(DIEDES_GEN_P_DRBD_TPR_PARMS, "KTX::DIEDES_GEN_P_DRBD_TPR_PARMS")
 protected:
  DIEDES_GEN_P_DRBD_TPR_PARMS(int classId, void* context) : DIEDES_GENERIC_BODY_PARMS(classId, context) {}
};

class KTX_HOST_API DIEDES_GEN_P_DRBD_TPR_PARMSFactory {
 public:
  // A record of `items` empty items (3, the stored format, unless told).
  static DIEDES_GEN_P_DRBD_TPR_PARMS* Create(int items = 3);
};

// An item that holds tags and nothing else.
class KTX_HOST_API DIEDES_GENERIC_tag : public DIEDES_GENERIC_ENTITY {
  KTX_HOST_OBJECT(DIEDES_GENERIC_tag, "KTX::DIEDES_GENERIC_tag")
 protected:
  DIEDES_GENERIC_tag(int classId, void* context) : DIEDES_GENERIC_ENTITY(classId, context) {}
};

class KTX_HOST_API DIEDES_GENERIC_tagFactory {
 public:
  // A new free tag item in the work part.
  static DIEDES_GENERIC_tag* Create();
};

// The children of a parameter object: parameter objects by position. An
// object destroys the children it still holds when it goes.
class KTX_HOST_API ParmsChildren {
 public:
  ParmsChildren(OM::Object* owner, OM::TagVla* children) : owner_(owner), children_(children) {}
  int Count() const;
  // The child at the position (null for an empty or deleted entry); a
  // position past the end raises the index error.
  FEATURE_PARMS* At(int index) const;
  // Grows with empty entries or drops the entries from `count` on (logged;
  // dropped children stay alive).
  void SetCount(int count);
  // Stores the child (null empties the entry; logged); the index error past the end.
  void Set(int index, FEATURE_PARMS* child);
  void DestroyAll();

 private:
  OM::Object* owner_;
  OM::TagVla* children_;
};

// A parent module: its children are parameter objects.
class KTX_HOST_API DIEDES_GENERIC_PARENT_PARMS : public FEATURE_PARMS {
  KTX_HOST_OBJECT(DIEDES_GENERIC_PARENT_PARMS, "KTX::DIEDES_GENERIC_PARENT_PARMS")
 public:
  ParmsChildren Children() const { return ParmsChildren(const_cast<DIEDES_GENERIC_PARENT_PARMS*>(this), children_); }
  void cascade_destroy() override;

 protected:
  DIEDES_GENERIC_PARENT_PARMS(int classId, void* context);
  ~DIEDES_GENERIC_PARENT_PARMS() override;

 private:
  OM::TagVla* children_;
};

class KTX_HOST_API DIEDES_GENERIC_PARENT_PARMSFactory {
 public:
  static DIEDES_GENERIC_PARENT_PARMS* Create();
};

// The parameters of a draw-bead feature: numbered items, tolerances, a flags
// word, a byte flag, children, an optional block of seven attribute records,
// detail texts, and the (male, female, sheet-metal) triple of records of its bead.
class KTX_HOST_API DIE_DRBD_PARMS : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(DIE_DRBD_PARMS, "KTX::DIE_DRBD_PARMS")
 public:
  static constexpr int kAttributeRecords = 7;

  unsigned GetFlags() const { return flags_; }
  void SetFlags(unsigned flags);
  int GetByteFlag() const { return byteFlag_; }
  void SetByteFlag(int flag);
  int GetNumDiedesItems() const { return GetNumEntities(); }
  // Puts the item in the place of the one at the index (logged), which is
  // handed back free for the caller to release; the index error past the end.
  DIEDES_GENERIC_ENTITY* SetNthDiedesItems(int index, DIEDES_GENERIC_ENTITY* item);
  ParmsChildren Children() const { return ParmsChildren(const_cast<DIE_DRBD_PARMS*>(this), children_); }

  // The attribute block: 0 and the seven records, or kBadDescriptor when the
  // record has none (nothing written).
  int AskAttributeInformation(DieAttributesRecord records[kAttributeRecords]) const;
  // Stores the seven records (logged; the mode is logged only): 0, or
  // kBadDescriptor when the record has no block.
  int WriteAttributeInformation(const DieAttributesRecord records[kAttributeRecords], int mode);
  bool HasAttributeInformation() const;
  // Refreshes the block from the feature's body: logged only.
  void UpdateAttributeInformationFromBody();

  // The details: copies in (the record argument is logged only); out as a new
  // array of new texts (SM_alloc; null when none) that the caller frees.
  void SetMoreDetailsInfo(FEATURE_RECORD* frec, int count, const char* const* strings);
  int GetMoreDetailsInfo(FEATURE_RECORD* frec, char*** strings) const;

  // The bead's records as this record stores them (logged); deleted ones read null.
  void SetAssociatedFrecs(FEATURE_RECORD* const triple[3]);
  void AskAssociatedFrecs(FEATURE_RECORD* triple[3]) const;
  // The triple that the feature's parameters store (the feature itself first
  // when they store none), completed by the female and sheet-metal records
  // of the part that name it; all null for no draw-bead record.
  static void FindAssociatedFrecs(const FEATURE_RECORD* frec, FEATURE_RECORD* triple[3]);
  // The die-engineering operation of the placement face: the record whose tag
  // the answer "DIE_DRBD_PARMS::AskOperation" gives (null when none).
  FEATURE_RECORD* AskOperation() const;
  // Whether the placement face lies on a die-engineering body: the answer
  // "DIE_DRBD_PARMS::IsPlacementFaceDieEngineeringBody" not 0.
  bool IsPlacementFaceDieEngineeringBody() const;
  void SetDieEngineeringFrec();
  // The record's own mark that its feature needs an update (logged).
  void MarkForUpdate(bool marked);
  bool IsMarkedForUpdate() const { return marked_; }

  void cascade_destroy() override;

 protected:
  DIE_DRBD_PARMS(int classId, void* context);
  ~DIE_DRBD_PARMS() override;

 private:
  friend class DIE_DRBD_MALE_PARMSFactory;
  OM::TagVla* children_;
  OM::StringVla* attributes_;  // seven 240-byte records, or none
  OM::StringVla* details_;
  tag_t triple_[3];
  unsigned flags_;
  int byteFlag_;
  bool marked_;
};

// The male bead's parameters: items 0-1 tags, 2-3 locations, 4 a direction,
// 5-9 plain; child 0 a parent module for the segments, children 1 and 2 the
// start and end tapers' records; an attribute block of zeroed records.
class KTX_HOST_API DIE_DRBD_MALE_PARMS : public DIE_DRBD_PARMS {
  KTX_HOST_OBJECT(DIE_DRBD_MALE_PARMS, "KTX::DIE_DRBD_MALE_PARMS")
 public:
  // The sphere diameter a new bead's height check uses: 10.
  double GetDefaultSphereDiameter() const;

 protected:
  DIE_DRBD_MALE_PARMS(int classId, void* context) : DIE_DRBD_PARMS(classId, context) {}
};

class KTX_HOST_API DIE_DRBD_MALE_PARMSFactory {
 public:
  // New male parameters in the work part, flags word 0.
  static DIE_DRBD_MALE_PARMS* Create();
};

// The female and sheet-metal beads the library derives from the male one.
class KTX_HOST_API DIE_DRBD_FEMALE_PARMS : public DIE_DRBD_PARMS {
  KTX_HOST_OBJECT(DIE_DRBD_FEMALE_PARMS, "KTX::DIE_DRBD_FEMALE_PARMS")
 protected:
  DIE_DRBD_FEMALE_PARMS(int classId, void* context) : DIE_DRBD_PARMS(classId, context) {}
};

class KTX_HOST_API DIE_DRBD_SHEETMETAL_PARMS : public DIE_DRBD_PARMS {
  KTX_HOST_OBJECT(DIE_DRBD_SHEETMETAL_PARMS, "KTX::DIE_DRBD_SHEETMETAL_PARMS")
 public:
  // Logged only.
  void UpdatePartTip(FEATURE_RECORD* operation);

 protected:
  DIE_DRBD_SHEETMETAL_PARMS(int classId, void* context) : DIE_DRBD_PARMS(classId, context) {}
};

// Each records the triple it is given; logged.
class KTX_HOST_API DIE_DRBD_FEMALE_PARMSFactory {
 public:
  static DIE_DRBD_FEMALE_PARMS* Create(FEATURE_RECORD* const triple[3]);
};
class KTX_HOST_API DIE_DRBD_SHEETMETAL_PARMSFactory {
 public:
  static DIE_DRBD_SHEETMETAL_PARMS* Create(FEATURE_RECORD* const triple[3], FEATURE_RECORD* operation);
};

// ---- die-engineering feature calls ----------------------------------------------------------
// Puts the feature into the operation (mode logged): 0, or the answer
// "DIEENG_insert_into_operation".
KTX_HOST_API int DIEENG_insert_into_operation(FEATURE_RECORD* frec, FEATURE_RECORD* operation, int mode);
// The die-engineering wizard's state: logged; Host::WizardActive reads it.
KTX_HOST_API void DIEENG_set_wizard_active();
KTX_HOST_API void DIEENG_set_wizard_inactive();
// Regenerates the display of the bodies: logged with their tags.
KTX_HOST_API void DSS_REGEN_regen_objs_in_views(int option, void* views, int count, const tag_t* bodies);

// ---- the old profile records' conversion -------------------------------------------------------
// A profile of a record older than sections (OLD_profile): whether a
// section builder comes with it and its section.
class KTX_HOST_API OLD_profile : public OM::TaggedObject {
  KTX_HOST_OBJECT(OLD_profile, "KTX::OLD_profile")
 public:
  // Test aid: a new profile in the work part, with a section builder holding
  // the section when one is given.
  static OLD_profile* Make(SC_section* sectionOfBuilder);
  tag_t ask_section() const { return section_; }

 protected:
  OLD_profile(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  tag_t section_;
};
KTX_HOST_API bool CMP_has_section_builder(const OLD_profile* profile);
// The objects of the profile's section builder: a new array (SM_alloc; null
// and 0 when none).
KTX_HOST_API void CMP_ask_section_builder(const OLD_profile* profile, int* count, tag_t** objects);
// The compare runtime's round trip of a profile (logged; the answer
// "CMP_RT_from_om" is the read's result).
struct CMP_RT_runtime {
  unsigned char slot[104];
};
struct CMP_RT_option {
  int kind;
  const int* pair;
};
KTX_HOST_API void CMP_RT_init(CMP_RT_runtime* runtime, int slots);
KTX_HOST_API int CMP_RT_from_om(CMP_RT_runtime* runtime, int count, OLD_profile* profile, FEATURE_RECORD* frec);
KTX_HOST_API int CMP_RT_to_om(CMP_RT_runtime* runtime, const CMP_RT_option* option, FEATURE_RECORD* frec,
                              OLD_profile* profile);
KTX_HOST_API void CMP_RT_free(CMP_RT_runtime* runtime);
// A new section of the profile (tolerances as given, logged); null when the
// answer "CMP_cnvt_old_profile_by_add_section.none" is not 0.
KTX_HOST_API SC_section* CMP_cnvt_old_profile_by_add_section(FEATURE_RECORD* frec, OLD_profile* profile,
                                                             double distance, double chaining, double angle);

namespace Host {
KTX_HOST_API bool WizardActive();
}  // namespace Host

}  // namespace KTX
