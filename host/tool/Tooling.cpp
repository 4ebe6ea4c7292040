#include "tool/Tooling.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "afl/DieEngParms.hpp"
#include "afl/Parms.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "om/UndoneMap.hpp"
#include "tool/ToolingGeometry.hpp"
#include "sys/CallLog.hpp"
#include "sys/UserMessages.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX {

int FSET_feature_set::ThisClassId = 0;

namespace {

struct Registration {
  Registration() { Host::RegisterHostClass<FSET_feature_set>(OM::TaggedObject::OmClassName); }
} registration;

std::map<tag_t, int>& pendingSuppress() {
  static auto* pending = new std::map<tag_t, int>;
  return *pending;
}

FEATURE_RECORD* featureOf(tag_t tag) { return dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(tag)); }

bool allFeatures(const tag_t* features, int count) {
  if (count > 0 && features == nullptr) return false;
  for (int i = 0; i < count; ++i)
    if (featureOf(features[i]) == nullptr) return false;
  return true;
}

tag_t* copyOut(const std::vector<tag_t>& tags, int* count) {
  *count = static_cast<int>(tags.size());
  if (tags.empty()) return nullptr;
  auto* out = static_cast<tag_t*>(SM_alloc(tags.size() * sizeof(tag_t)));
  if (out == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu tags", tags.size());
  std::memcpy(out, tags.data(), tags.size() * sizeof(tag_t));
  return out;
}

// A feature's body goes with its faces, unless a feature still alive holds
// it too (a trim holds the body it trims).
void destroyBody(tag_t body) {
  auto* solid = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(body));
  if (solid == nullptr) return;
  for (tag_t t : Host::KeptInPart(PART_ask_part_of_object(body)))
    if (FEATURE_RECORD* other = featureOf(t); other != nullptr && other->ask_body_eid() == body) return;
  int count = 0;
  tag_t* faces = nullptr;
  ES_body_ask_faces(body, &count, &faces);
  for (int i = 0; i < count; ++i) static_cast<OM::TaggedObject*>(OM::OM_object_of_tag(faces[i]))->destroy();
  SM_free(faces);
  solid->destroy();
}

std::string listText(const tag_t* tags, int count) {
  std::string text;
  for (int i = 0; tags != nullptr && i < count; ++i) text += (i == 0 ? "" : ",") + std::to_string(tags[i]);
  return text;
}

// What a rough-offset feature was made with, by feature tag, for the session.
struct RoughOffset {
  std::vector<RSO_sheet_s> sheets;
  tag_t csys;
  char values[3][RSO_data_s::kTextSize];
  int settings[4];
};
// Part of the model, as a feature's parameters are: undo puts it back.
OM::UndoneMap<tag_t, RoughOffset>& roughOffsets() { return OM::UndoneMap<tag_t, RoughOffset>::Made(); }

std::string describe(const RSO_data_s* data) {
  std::string text = "feature=" + std::to_string(data->feature) + " sheets=";
  for (std::size_t i = 0; i < data->sheets.size(); ++i)
    text += (i == 0 ? "" : ",") + std::to_string(data->sheets[i].sheet) + "/" +
            std::to_string(data->sheets[i].bodyReference);
  text += " csys=" + std::to_string(data->csys);
  for (const auto& value : data->values) text += std::string(" \"") + value + "\"";
  text += " settings=";
  for (int i = 0; i < 4; ++i) text += (i == 0 ? "" : ",") + std::to_string(data->settings[i]);
  return text;
}

// The first sheet's faces, each moved along its normal by the first value.
tag_t offsetSheet(const RSO_data_s* data) {
  const double distance = TEXT_atof(data->values[0]);
  // A sheet with geometry is offset by the modeller.
  if (const auto* sheet = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(data->sheets.front().sheet));
      sheet != nullptr && Kernel::HasGeometry(sheet->ask_kernel_body())) {
    int made = 0;
    if (Kernel::OffsetSheet(sheet->ask_kernel_body(), distance * Kernel::ScaleFactors().factors[0], &made) != 0) return 0;
    return ES_create_body_of_geometry(nullptr, made);
  }
  int count = 0;
  tag_t* faces = nullptr;
  ES_body_ask_faces(data->sheets.front().sheet, &count, &faces);
  std::vector<FaceFrame> frames;
  for (int i = 0; i < count; ++i) {
    FaceFrame frame{};
    static_cast<GEOM_entity*>(OM::OM_object_of_tag(faces[i]))->ask_frame(frame.origin, frame.matrix);
    const double* n = frame.matrix + 6;
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; length > 0.0 && k < 3; ++k) frame.origin[k] += distance * n[k] / length;
    frames.push_back(frame);
  }
  SM_free(faces);
  return ES_create_body_with_faces(nullptr, true, frames);
}

void keepRoughOffset(tag_t feature, const RSO_data_s* data) {
  RoughOffset kept{};
  kept.sheets = data->sheets;
  kept.csys = data->csys;
  std::memcpy(kept.values, data->values, sizeof kept.values);
  std::memcpy(kept.settings, data->settings, sizeof kept.settings);
  roughOffsets().Set(feature, kept);
}

}  // namespace

FSET_feature_set::FSET_feature_set(int classId, void* context)
    : OM::TaggedObject(classId, context), members_(new OM::TagVla(this)) {}
FSET_feature_set::~FSET_feature_set() { delete members_; }

std::vector<tag_t> FSET_feature_set::ask_members() const {
  std::vector<tag_t> alive;
  if (members_ != nullptr)
    for (tag_t t : members_->Items())
      if (featureOf(t) != nullptr) alive.push_back(t);
  return alive;
}

void FSET_feature_set::set_members(int count, const tag_t* features) {
  if (members_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the set's members");
  OM::OM__log(members_);
  std::vector<tag_t>& items = members_->Items();
  items.clear();
  for (int i = 0; i < count; ++i)
    if (features[i] != 0 && std::find(items.begin(), items.end(), features[i]) == items.end())
      items.push_back(features[i]);
}

FSET_feature_set* FSET_feature_set::Make(PART_part* part, const char* name, int moduleType) {
  auto* set = Host::CreateInPart<FSET_feature_set>(part);
  std::snprintf(set->name_, sizeof set->name_, "%s", name != nullptr ? name : "");
  set->moduleType_ = moduleType;
  return set;
}

tag_t TOOLING_create_user_defined_feature_set(const tag_t* features, int count, int flag, int moduleType,
                                              const char* name) {
  Host::Log("TOOLING_create_user_defined_feature_set", "[" + listText(features, count) + "] flag=" +
                                                           std::to_string(flag) + " module=" +
                                                           std::to_string(moduleType) + " \"" +
                                                           (name != nullptr ? name : "") + "\"");
  if (count < 1 || !allFeatures(features, count)) return 0;
  if (Host::Answer("TOOLING_create_user_defined_feature_set.fail", 0) != 0) return 0;
  FSET_feature_set* set = FSET_feature_set::Make(PART_ask_part_of_object(features[0]), name, moduleType);
  set->set_members(count, features);
  return set->OmTag();
}

int FSET_ask_group_members(tag_t set, int* count, tag_t** members) {
  Host::Log("FSET_ask_group_members", "set=" + std::to_string(set));
  *count = 0;
  *members = nullptr;
  auto* found = dynamic_cast<FSET_feature_set*>(OM::OM_object_of_tag(set));
  if (found == nullptr) return Error::kBadObject;
  *members = copyOut(found->ask_members(), count);
  return 0;
}

int TOOLING_replace_feature_set_member(tag_t set, const tag_t* features, int count) {
  Host::Log("TOOLING_replace_feature_set_member", "set=" + std::to_string(set) + " [" +
                                                      listText(features, count) + "]");
  auto* found = dynamic_cast<FSET_feature_set*>(OM::OM_object_of_tag(set));
  if (found == nullptr || count < 0) return Error::kBadObject;
  if (!allFeatures(features, count)) return kNotAFeature;
  found->set_members(count, features);
  return 0;
}

int TOOLING_delete_feature(int count, const tag_t* features) {
  Host::Log("TOOLING_delete_feature", "[" + listText(features, count) + "]");
  if (count < 1) return 0;
  if (!allFeatures(features, count)) return kNotAFeature;
  // A set lists only live members, so a deleted feature leaves every set.
  const std::vector<tag_t> doomed(features, features + count);
  for (tag_t t : doomed) Host::DeleteFeature(t);  // one listed twice is gone the second time
  return 0;
}

namespace Host {
void DeleteFeature(tag_t feature) {
  FEATURE_RECORD* frec = featureOf(feature);
  if (frec == nullptr) return;
  if (FEATURE_PARMS* parms = frec->ask_parms()) parms->destroy();
  const tag_t body = frec->ask_body_eid();
  frec->destroy();
  destroyBody(body);
}
}  // namespace Host

namespace {
// The model update deletes the features logged for deletion as this room does.
struct FeatureDeleterRegistration {
  FeatureDeleterRegistration() { Host::SetFeatureDeleter(&Host::DeleteFeature); }
} featureDeleterRegistration;
}  // namespace

int FREC_ask_body_eids(tag_t frec, int* count, tag_t** bodies) {
  Host::Log("FREC_ask_body_eids", "tag=" + std::to_string(frec));
  *count = 0;
  *bodies = nullptr;
  FEATURE_RECORD* found = featureOf(frec);
  if (found == nullptr) return kNotAFeature;
  if (found->ask_body_eid() != 0 && OM::OM_object_of_tag(found->ask_body_eid()) != nullptr)
    *bodies = copyOut({found->ask_body_eid()}, count);
  return 0;
}

int FREC_ask_suppress_flag(tag_t frec) {
  FEATURE_RECORD* found = featureOf(frec);
  return found == nullptr ? 0 : found->ask_suppress_flag();
}

void UPDATE_do_update_hidden() {
  Host::Log("UPDATE_do_update_hidden");
  std::map<tag_t, int> pending;
  pending.swap(pendingSuppress());
  UPDATE_do_update();
  for (const auto& [tag, flag] : pending)
    if (FEATURE_RECORD* frec = featureOf(tag)) frec->set_suppress_flag(flag);
}

void TOOLING_warning_message(const char* text) {
  Host::Log("TOOLING_warning_message", text != nullptr ? text : "");
  Host::ShowUser(Host::UserMessage::kWarning, text != nullptr ? text : "");
}

int TOOLING_get_customer_default(int module, const char* name, int index, int type, char* buffer) {
  Host::Log("TOOLING_get_customer_default", std::to_string(module) + " " + (name != nullptr ? name : "") + " " +
                                                std::to_string(index) + " " + std::to_string(type));
  if (name == nullptr || buffer == nullptr) return kNoCustomerDefault;
  char* text = PMAN_ask_string(name);
  const bool found = text != nullptr && text[0] != '\0';
  if (found) std::snprintf(buffer, kCustomerDefaultSize, "%s", text);
  SM_free(text);
  return found ? 0 : kNoCustomerDefault;
}

void DSS_REGEN_regenerate_display(int mode, void*) {
  Host::Log("DSS_REGEN_regenerate_display", std::to_string(mode));
}

void RSO_init_data_with_option(RSO_data_s* data, OM::Object* feature, int option) {
  const tag_t tag = OM::OM_ask_object_tag(feature);
  Host::Log("RSO_init_data_with_option", "feature=" + std::to_string(tag) + " option=" + std::to_string(option));
  RSO_reset_data(data);
  data->option = option;
  data->feature = tag;
  if (option != 1 || feature == nullptr) return;
  if (const RoughOffset* kept = roughOffsets().Find(tag); kept != nullptr) {
    data->sheets = kept->sheets;
    data->csys = kept->csys;
    std::memcpy(data->values, kept->values, sizeof data->values);
    std::memcpy(data->settings, kept->settings, sizeof data->settings);
    data->distance = TEXT_atof(data->values[0]);
    return;
  }
  if (const auto sheet = static_cast<tag_t>(Host::Answer("RSO_init_data_with_option.sheet", 0)); sheet != 0)
    data->sheets.push_back(RSO_sheet_s{sheet, 0});
  data->distance = Host::RealAnswer("RSO_init_data_with_option.distance", 0.0);
}

void RSO_reset_data(RSO_data_s* data) {
  Host::Log("RSO_reset_data");
  data->option = 0;
  data->feature = 0;
  data->sheets.clear();
  data->csys = 0;
  for (auto& value : data->values) value[0] = '\0';
  std::fill(std::begin(data->settings), std::end(data->settings), 0);
  data->distance = 0.0;
  data->result = nullptr;
}

int RSO_create_feature(RSO_data_s* data) {
  Host::Log("RSO_create_feature", describe(data));
  if (const auto failure = static_cast<int>(Host::Answer("RSO_create_feature", 0)); failure != 0) return failure;
  if (data->sheets.empty()) return Geometry::kNoEntity;
  FEATURE_RECORD* feature = FEATURE_RECORD::Create(nullptr, nullptr);
  feature->set_body_eid(offsetSheet(data));
  keepRoughOffset(feature->OmTag(), data);
  data->result = feature;
  return 0;
}

int RSO_edit_feature(RSO_data_s* data) {
  Host::Log("RSO_edit_feature", describe(data));
  if (const auto failure = static_cast<int>(Host::Answer("RSO_edit_feature", 0)); failure != 0) return failure;
  FEATURE_RECORD* feature = featureOf(data->feature);
  if (feature == nullptr) return kNotAFeature;
  if (data->sheets.empty()) return Geometry::kNoEntity;
  const tag_t old = feature->ask_body_eid();
  feature->set_body_eid(offsetSheet(data));
  destroyBody(old);
  keepRoughOffset(feature->OmTag(), data);
  data->result = feature;
  return 0;
}

tag_t RSO_create_wcs() {
  Host::Log("RSO_create_wcs");
  double origin[3], matrix[9];
  WCS_ask_origin(origin);
  WCS_ask_matrix(matrix);
  return ES_create_csys(origin, matrix);
}

tag_t ASSO_lookup_into_eid_ref_map(tag_t entity) {
  Host::Log("ASSO_lookup_into_eid_ref_map", "tag=" + std::to_string(entity));
  auto* face = dynamic_cast<ES_face*>(OM::OM_object_of_tag(entity));
  return face == nullptr ? 0 : BREF_ask_bref_of_eidbody(face->ask_body());
}

namespace Host {
std::vector<tag_t> FeatureSetsOfPart(const PART_part* part) {
  std::vector<tag_t> sets;
  for (tag_t t : KeptInPart(part != nullptr ? part : PART_ask_work_part()))
    if (dynamic_cast<FSET_feature_set*>(OM::OM_object_of_tag(t)) != nullptr) sets.push_back(t);
  return sets;
}
void SuppressOnHiddenUpdate(tag_t frec, int flag) { pendingSuppress()[frec] = flag; }
void ForgetRoughOffsets() { roughOffsets().Clear(); }
}  // namespace Host

}  // namespace KTX
