// The automotive-feature library's die-engineering records that builders
// hold by plain pointer, and the form task's application record with the
// calls that move it into and out of a form-task feature.
//
// Records and every array in them come from the host allocator (SM_), so a
// record or array never freed shows in its counters.
#pragma once
#include "afl/Parms.hpp"

namespace KTX {

// One block of the die-engineering customer defaults (what a number means is
// the library's own).
struct DIEENG_DEFAULTS_info_s {
  int number;    // the block asked for; 0 when never filled
  int filled;
  double values[4];
};

// A region: its entities of kind 0 (bounds) and kind 1 (shape details), and
// the section profile (a collector's tag; 0: none).
struct CMP_RT_s {
  int type;
  int entityCount[2];
  tag_t* entities[2];
  tag_t sectionProfile;
  void* scratch;  // the region's own working block (SM_free)
};

struct DIE_FRMTSK_s {
  FEATURE_RECORD* frec;
  CMP_RT_s region;
  double srfc[2];
  int finishOperation;
  int afterFinish;
  int shapeDetailCount;
  tag_t* shapeDetailBodies;
  tag_t dieTip;
  tag_t pointInRegion;
  tag_t camDirection;
  int detailCount;
  char** details;  // each line its own block
  DIEENG_DEFAULTS_info_s defaults[2];
  void* surfaceLaw;  // freed with LAW_SURF_free_law
};

// The surface record whose first two values a form task copies.
extern KTX_HOST_API double srfc1[4];

// A form task's parameters: what DIEENG_create_frec and DIEENG_update_frec
// store of the application record and DIE_FRMTSK_read_parms gives back.
class KTX_HOST_API DIE_FRMTSK_PARMS : public FEATURE_PARMS {
  KTX_HOST_OBJECT(DIE_FRMTSK_PARMS, "KTX::DIE_FRMTSK_PARMS")
 public:
  tag_t AskDieTip() const { return dieTip_; }
  int AskShapeDetailCount() const;
  int AskDetailCount() const;
  // Copies the record in (logged) / out (new arrays and texts the record owns).
  void Store(const DIE_FRMTSK_s* record);
  void Load(DIE_FRMTSK_s* record) const;

 protected:
  DIE_FRMTSK_PARMS(int classId, void* context);
  ~DIE_FRMTSK_PARMS() override;

 private:
  OM::TagVla* entities_[2];
  OM::TagVla* shapeBodies_;
  OM::StringVla* details_;
  tag_t sectionProfile_;
  tag_t dieTip_;
  tag_t pointInRegion_;
  tag_t camDirection_;
  int finishOperation_;
};

extern KTX_HOST_API int DIE_FRMTSK_PARMSClassId;

// A new zeroed record (the arguments are recorded only); null when memory runs out.
KTX_HOST_API DIE_FRMTSK_s* DIE_FRMTSK_alloc_appl_data(int option, void* reserved);
// Frees everything the record holds and the record itself; null does nothing.
KTX_HOST_API void DIE_FRMTSK_free_appl_data(DIE_FRMTSK_s* record);
KTX_HOST_API bool DIE_FRMTSK_is_a_frmtsk_frec(const FEATURE_RECORD* frec);
// Fills the record from the parameters of its feature record: 0, or
// kNoParms when the record names no form task (the record is left as it was).
KTX_HOST_API int DIE_FRMTSK_read_parms(bool option, DIE_FRMTSK_s* record);
// The tag a selection gives for the object.
KTX_HOST_API tag_t DIE_FRMTSK__get_tag_of_sel(tag_t object);
KTX_HOST_API void DIE_PRCTSK_ReplaceEntsInCollector(SC_collector* collector, int count, const tag_t* tags);

// Region data. The asks hand out new arrays (SM_alloc; null when none) the
// caller frees with SM_free and answer 0.
KTX_HOST_API int CMP_RT_ask_section_profile(int option, const CMP_RT_s* region, int index, int* count, tag_t** tags);
KTX_HOST_API int CMP_RT_ask_rm_entities(const CMP_RT_s* region, int kind, bool option, int* count, tag_t** tags);
// The entities of the kind become the objects of the collector with that tag.
KTX_HOST_API int CMP_RT_replace_rm_entities(CMP_RT_s* region, int kind, int option, tag_t collector,
                                            FEATURE_RECORD* frec);
// Frees the region's entity arrays (not its scratch block).
KTX_HOST_API void CMP_RT_free(CMP_RT_s* region);

// Fills one defaults block: 0, or the scripted answer "DIEENG_DEFAULTS_get".
KTX_HOST_API int DIEENG_DEFAULTS_get(int number, DIEENG_DEFAULTS_info_s* info);
// Frees a surface law (a host block).
KTX_HOST_API void LAW_SURF_free_law(void* law);
// A new form-task feature in the work part from the record (parameters of
// the class id given): 0 and the record in *frec, or the scripted answer
// "DIEENG_create_frec" and nothing made.
KTX_HOST_API int DIEENG_create_frec(int classId, DIE_FRMTSK_s* record, int option, FEATURE_RECORD** frec);
// Stores the record in the feature's parameters: 0, or the scripted answer
// "DIEENG_update_frec" with nothing stored.
KTX_HOST_API int DIEENG_update_frec(FEATURE_RECORD* frec, DIE_FRMTSK_s* record);

}  // namespace KTX
