// The tooling utilities the draw-die and draw-punch builds lean on: feature
// sets (user-defined groups of features, real), deleting features, the hidden
// update and a feature's suppress flag, rough-offset data (recording, with
// scripted outcomes), the tooling warning and customer defaults, and the
// display regeneration.
#pragma once
#include <vector>

#include "feat/Builder.hpp"
#include "om/HostClass.hpp"

namespace KTX {

// A named group of features of one part. The members are kept in an array made
// with the set and logged before each change, so undo restores them.
class KTX_HOST_API FSET_feature_set : public OM::TaggedObject {
  KTX_HOST_OBJECT(FSET_feature_set, "KTX::FSET_feature_set")
 public:
  static constexpr int kNameSize = 64;
  const char* ask_name() const { return name_; }
  int ask_module_type() const { return moduleType_; }
  // The members still alive, in order.
  std::vector<tag_t> ask_members() const;
  // Replaces the membership (each tag once, in order).
  void set_members(int count, const tag_t* features);
  // A new empty set kept by the part (null: the work part).
  static FSET_feature_set* Make(PART_part* part, const char* name, int moduleType);

 protected:
  FSET_feature_set(int classId, void* context);
  ~FSET_feature_set() override;

 private:
  OM::TagVla* members_;
  char name_[kNameSize];
  int moduleType_;
};

inline constexpr int kNotAFeature = 841104;  // a tag in a feature list that names no live feature

// A new feature set of the features' part (that of the first feature) holding
// the features in order; the flag is recorded only. 0, with nothing made, for
// no feature, a tag that names no live feature (0 included), or the scripted
// answer "TOOLING_create_user_defined_feature_set.fail" not 0. A name longer
// than the set holds is cut.
KTX_HOST_API tag_t TOOLING_create_user_defined_feature_set(const tag_t* features, int count, int flag,
                                                           int moduleType, const char* name);
// The set's members still alive, in order: a new array (SM_alloc; null when
// none) the caller frees. 0, or the bad-object error for a tag that is no set.
KTX_HOST_API int FSET_ask_group_members(tag_t set, int* count, tag_t** members);
// Makes the features the set's membership: 0; the bad-object error for a tag
// that is no set, kNotAFeature for a tag that names no live feature; neither
// changes anything.
KTX_HOST_API int TOOLING_replace_feature_set_member(tag_t set, const tag_t* features, int count);
// Deletes the features (with their parameters and what those hold) and takes
// them out of every feature set. 0 for none; kNotAFeature, with nothing
// deleted, when a tag names no live feature.
KTX_HOST_API int TOOLING_delete_feature(int count, const tag_t* features);
// The body entities the feature made: a new array (SM_alloc; null when none).
// 0, or kNotAFeature.
KTX_HOST_API int FREC_ask_body_eids(tag_t frec, int* count, tag_t** bodies);
// The feature's suppress flag; 0 for a tag that names no feature.
KTX_HOST_API int FREC_ask_suppress_flag(tag_t frec);
// The update the tooling builds run after editing a feature: it does what
// UPDATE_do_update does, then leaves each feature that a test scripted with
// Host::SuppressOnHiddenUpdate with that suppress flag.
KTX_HOST_API void UPDATE_do_update_hidden();

// A warning shown to the user: logged ("TOOLING_warning_message", the text).
KTX_HOST_API void TOOLING_warning_message(const char* text);
// The text of the customer default `name` copied into `buffer`, which holds
// kCustomerDefaultSize characters (a longer text is cut). 0, or
// kNoCustomerDefault (the buffer untouched) when no text is set by that name.
// The module, index and type are recorded only.
inline constexpr int kCustomerDefaultSize = 134;
inline constexpr int kNoCustomerDefault = 841102;
KTX_HOST_API int TOOLING_get_customer_default(int module, const char* name, int index, int type, char* buffer);
// Regenerates the display (logged: the mode; the progress step is not used).
KTX_HOST_API void DSS_REGEN_regenerate_display(int mode, void* progress);

// ---- rough-offset data ----------------------------------------------------------
// The inputs of a rough-offset feature as the host's rough-offset dialog
// holds them.
struct RSO_sheet_s {
  tag_t sheet;
  tag_t bodyReference;
};
struct KTX_HOST_API RSO_data_s {
  static constexpr int kTextSize = 133;
  int option;           // 0 new, 1 read from a feature
  tag_t feature;        // the feature read, 0 for a new one
  std::vector<RSO_sheet_s> sheets;
  tag_t csys;
  char values[3][kTextSize];
  int settings[4];
  double distance;      // the offset distance
  FEATURE_RECORD* result;  // the feature the data made or edited, null until then
};
// Starts the data afresh; with option 1 and a feature, reads the feature's
// inputs: a feature RSO_create_feature made gives what it was made (or last
// edited) with, the distance being its first value; for any other feature
// what is read is scripted, the first input sheet by the answer
// "RSO_init_data_with_option.sheet" and the distance by the real answer
// "RSO_init_data_with_option.distance" (none and 0 unless scripted). Logged.
KTX_HOST_API void RSO_init_data_with_option(RSO_data_s* data, OM::Object* feature, int option);
// Empties the data (logged).
KTX_HOST_API void RSO_reset_data(RSO_data_s* data);
// Makes a rough-offset feature in the work part from the data: its body is a
// sheet with one face for each face of the first sheet, moved along the
// face's normal by the first value. 0 and the feature in `result`; the answer
// "RSO_create_feature" not 0 is returned with nothing made; kNoEntity for
// data without a sheet. Logged with the sheet, the coordinate system, the
// three values and the settings.
KTX_HOST_API int RSO_create_feature(RSO_data_s* data);
// Edits the data's feature to the data: its body made again as above, the
// old one deleted, and what it is made with kept. 0 and the feature in
// `result`; the answer "RSO_edit_feature" not 0 is returned with nothing
// changed; kNotAFeature for a tag that is no feature; kNoEntity without a
// sheet. Logged.
KTX_HOST_API int RSO_edit_feature(RSO_data_s* data);
// The coordinate system of the rough offset: a new one at the work
// coordinate system (logged).
KTX_HOST_API tag_t RSO_create_wcs();
// The body reference of an entity's body as associativity keeps it: for a
// face, the reference of the body it lies on (BREF_ask_bref_of_eidbody);
// 0 for anything else. Logged.
KTX_HOST_API tag_t ASSO_lookup_into_eid_ref_map(tag_t entity);

namespace Host {
// Forgets what the rough-offset features were made with (for tests).
KTX_HOST_API void ForgetRoughOffsets();
// The feature sets of the part, in the order made.
KTX_HOST_API std::vector<tag_t> FeatureSetsOfPart(const PART_part* part);
// The next hidden update leaves the feature with this suppress flag.
KTX_HOST_API void SuppressOnHiddenUpdate(tag_t frec, int flag);
// Deletes a feature with its parameters and its body (the body stays while
// another live feature holds it); nothing for a tag that is no feature.
KTX_HOST_API void DeleteFeature(tag_t feature);
}  // namespace Host

}  // namespace KTX
