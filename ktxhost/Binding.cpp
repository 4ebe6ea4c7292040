// The stand-in's scripting binding of the plug-in: one table per published
// class, made from the class's description (its member table, read as data
// through drv/stamvik/no/ind/ja_binding.hpp) with the class's export prefix.
// Binding resolves each row's exported scripting call in the loaded plug-in
// by name and enters it with the host's bindings, so that playing a journal
// calls what a script calls. A class whose description is not in the tree
// is left out.
#include "Binding.hpp"

#include <dlfcn.h>

#include <iterator>

#include "ja_binding.hpp"
#include "script/ScriptHost.hpp"
#include "sys/Error.hpp"

#if __has_include("ja_die_cast_relief_builder_jam.hpp")
#include "ja_die_cast_relief_builder_jam.hpp"
#endif
#if __has_include("ja_die_clamping_slot_builder_jam.hpp")
#include "ja_die_clamping_slot_builder_jam.hpp"
#endif
#if __has_include("ja_die_clearance_builder_jam.hpp")
#include "ja_die_clearance_builder_jam.hpp"
#endif
#if __has_include("ja_die_compensate_rough_data_builder_jam.hpp")
#include "ja_die_compensate_rough_data_builder_jam.hpp"
#endif
#if __has_include("ja_die_die_boolean_builder_jam.hpp")
#include "ja_die_die_boolean_builder_jam.hpp"
#endif
#if __has_include("ja_die_die_collection_jam.hpp")
#include "ja_die_die_collection_jam.hpp"
#endif
#if __has_include("ja_die_die_direction_builder_jam.hpp")
#include "ja_die_die_direction_builder_jam.hpp"
#endif
#if __has_include("ja_die_die_location_builder_jam.hpp")
#include "ja_die_die_location_builder_jam.hpp"
#endif
#if __has_include("ja_die_die_locations_builder_jam.hpp")
#include "ja_die_die_locations_builder_jam.hpp"
#endif
#if __has_include("ja_die_die_plane_builder_jam.hpp")
#include "ja_die_die_plane_builder_jam.hpp"
#endif
#if __has_include("ja_die_die_shoe_builder_jam.hpp")
#include "ja_die_die_shoe_builder_jam.hpp"
#endif
#if __has_include("ja_die_draw_bead_builder_jam.hpp")
#include "ja_die_draw_bead_builder_jam.hpp"
#endif
#if __has_include("ja_die_draw_bead_segment_builder_jam.hpp")
#include "ja_die_draw_bead_segment_builder_jam.hpp"
#endif
#if __has_include("ja_die_draw_bead_taper_builder_jam.hpp")
#include "ja_die_draw_bead_taper_builder_jam.hpp"
#endif
#if __has_include("ja_die_fill_area_builder_jam.hpp")
#include "ja_die_fill_area_builder_jam.hpp"
#endif
#if __has_include("ja_die_finger_clearance_notch_builder_jam.hpp")
#include "ja_die_finger_clearance_notch_builder_jam.hpp"
#endif
#if __has_include("ja_die_handling_core_builder_jam.hpp")
#include "ja_die_handling_core_builder_jam.hpp"
#endif
#if __has_include("ja_die_heelpost_builder_jam.hpp")
#include "ja_die_heelpost_builder_jam.hpp"
#endif
#if __has_include("ja_die_keyway_builder_jam.hpp")
#include "ja_die_keyway_builder_jam.hpp"
#endif
#if __has_include("ja_die_machine_relief_builder_jam.hpp")
#include "ja_die_machine_relief_builder_jam.hpp"
#endif

#if __has_include("ja_die_springback_compensation_builder_jam.hpp")
#include "ja_die_springback_compensation_builder_jam.hpp"
#endif
#if __has_include("ja_tooling_auto_die_collection_jam.hpp")
#include "ja_tooling_auto_die_collection_jam.hpp"
#endif
#if __has_include("ja_tooling_die_des_draw_die_builder_jam.hpp")
#include "ja_tooling_die_des_draw_die_builder_jam.hpp"
#endif
#if __has_include("ja_tooling_die_des_draw_punch_builder_jam.hpp")
#include "ja_tooling_die_des_draw_punch_builder_jam.hpp"
#endif
#if __has_include("ja_tooling_die_des_pierce_insert_builder_jam.hpp")
#include "ja_tooling_die_des_pierce_insert_builder_jam.hpp"
#endif
#if __has_include("ja_tooling_die_eng_form_task_builder_jam.hpp")
#include "ja_tooling_die_eng_form_task_builder_jam.hpp"
#endif
#if __has_include("ja_features_automotive_collection_jam.hpp")
#include "ja_features_automotive_collection_jam.hpp"
#endif
#if __has_include("ja_features_manikin_builder_jam.hpp")
#include "ja_features_manikin_builder_jam.hpp"
#endif
#if __has_include("ja_features_tire_envelope_builder_jam.hpp")
#include "ja_features_tire_envelope_builder_jam.hpp"
#endif
namespace {

using ::KTX::JA::BindingRow;

#if __has_include("ja_die_cast_relief_builder_jam.hpp")
#define JA_UNIT ja_die_cast_relief_builder_jam
#define JA_EXPORT_CLASS CAST_RELIEF_BUILDER
const BindingRow k_ja_die_cast_relief_builder_jam[] = {JA_DIE_CAST_RELIEF_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_clamping_slot_builder_jam.hpp")
#define JA_UNIT ja_die_clamping_slot_builder_jam
#define JA_EXPORT_CLASS CLAMPING_SLOT_BUILDER
const BindingRow k_ja_die_clamping_slot_builder_jam[] = {JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_clearance_builder_jam.hpp")
#define JA_UNIT ja_die_clearance_builder_jam
#define JA_EXPORT_CLASS CLEARANCE_BUILDER
const BindingRow k_ja_die_clearance_builder_jam[] = {JA_DIE_CLEARANCE_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_compensate_rough_data_builder_jam.hpp")
#define JA_UNIT ja_die_compensate_rough_data_builder_jam
#define JA_EXPORT_CLASS COMPENSATE_ROUGH_DATA_BUILDER
const BindingRow k_ja_die_compensate_rough_data_builder_jam[] = {JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_die_boolean_builder_jam.hpp")
#define JA_UNIT ja_die_die_boolean_builder_jam
#define JA_EXPORT_CLASS DIE_BOOLEAN_BUILDER
const BindingRow k_ja_die_die_boolean_builder_jam[] = {JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_die_collection_jam.hpp")
#define JA_UNIT ja_die_die_collection_jam
#define JA_EXPORT_CLASS FEATURE_DIE
const BindingRow k_ja_die_die_collection_jam[] = {JA_DIE_DIE_COLLECTION_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_die_direction_builder_jam.hpp")
#define JA_UNIT ja_die_die_direction_builder_jam
#define JA_EXPORT_CLASS DIE_DIRECTION_BUILDER
const BindingRow k_ja_die_die_direction_builder_jam[] = {JA_DIE_DIE_DIRECTION_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_die_location_builder_jam.hpp")
#define JA_UNIT ja_die_die_location_builder_jam
#define JA_EXPORT_CLASS DIE_LOCATION_BUILDER
const BindingRow k_ja_die_die_location_builder_jam[] = {JA_DIE_DIE_LOCATION_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_die_locations_builder_jam.hpp")
#define JA_UNIT ja_die_die_locations_builder_jam
#define JA_EXPORT_CLASS DIE_LOCATIONS_BUILDER
const BindingRow k_ja_die_die_locations_builder_jam[] = {JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_die_plane_builder_jam.hpp")
#define JA_UNIT ja_die_die_plane_builder_jam
#define JA_EXPORT_CLASS DIE_PLANE_BUILDER
const BindingRow k_ja_die_die_plane_builder_jam[] = {JA_DIE_DIE_PLANE_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_die_shoe_builder_jam.hpp")
#define JA_UNIT ja_die_die_shoe_builder_jam
#define JA_EXPORT_CLASS DIE_SHOE_BUILDER
const BindingRow k_ja_die_die_shoe_builder_jam[] = {JA_DIE_DIE_SHOE_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_draw_bead_builder_jam.hpp")
#define JA_UNIT ja_die_draw_bead_builder_jam
#define JA_EXPORT_CLASS DRAW_BEAD_BUILDER
const BindingRow k_ja_die_draw_bead_builder_jam[] = {JA_DIE_DRAW_BEAD_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_draw_bead_segment_builder_jam.hpp")
#define JA_UNIT ja_die_draw_bead_segment_builder_jam
#define JA_EXPORT_CLASS DRAW_BEAD_SEGMENT_BUILDER
const BindingRow k_ja_die_draw_bead_segment_builder_jam[] = {JA_DIE_DRAW_BEAD_SEGMENT_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_draw_bead_taper_builder_jam.hpp")
#define JA_UNIT ja_die_draw_bead_taper_builder_jam
#define JA_EXPORT_CLASS DRAW_BEAD_TAPER_BUILDER
const BindingRow k_ja_die_draw_bead_taper_builder_jam[] = {JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_fill_area_builder_jam.hpp")
#define JA_UNIT ja_die_fill_area_builder_jam
#define JA_EXPORT_CLASS FILL_AREA_BUILDER
const BindingRow k_ja_die_fill_area_builder_jam[] = {JA_DIE_FILL_AREA_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_finger_clearance_notch_builder_jam.hpp")
#define JA_UNIT ja_die_finger_clearance_notch_builder_jam
#define JA_EXPORT_CLASS FINGER_CLEARANCE_NOTCH_BUILDER
const BindingRow k_ja_die_finger_clearance_notch_builder_jam[] = {JA_DIE_FINGER_CLEARANCE_NOTCH_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_handling_core_builder_jam.hpp")
#define JA_UNIT ja_die_handling_core_builder_jam
#define JA_EXPORT_CLASS HANDLING_CORE_BUILDER
const BindingRow k_ja_die_handling_core_builder_jam[] = {JA_DIE_HANDLING_CORE_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_heelpost_builder_jam.hpp")
#define JA_UNIT ja_die_heelpost_builder_jam
#define JA_EXPORT_CLASS HEELPOST_BUILDER
const BindingRow k_ja_die_heelpost_builder_jam[] = {JA_DIE_HEELPOST_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_keyway_builder_jam.hpp")
#define JA_UNIT ja_die_keyway_builder_jam
#define JA_EXPORT_CLASS KEYWAY_BUILDER
const BindingRow k_ja_die_keyway_builder_jam[] = {JA_DIE_KEYWAY_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_machine_relief_builder_jam.hpp")
#define JA_UNIT ja_die_machine_relief_builder_jam
#define JA_EXPORT_CLASS MACHINE_RELIEF_BUILDER
const BindingRow k_ja_die_machine_relief_builder_jam[] = {JA_DIE_MACHINE_RELIEF_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_die_springback_compensation_builder_jam.hpp")
#define JA_UNIT ja_die_springback_compensation_builder_jam
#define JA_EXPORT_CLASS SPRINGBACK_COMPENSATION_BUILDER
const BindingRow k_ja_die_springback_compensation_builder_jam[] = {JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_tooling_auto_die_collection_jam.hpp")
#define JA_UNIT ja_tooling_auto_die_collection_jam
#define JA_EXPORT_CLASS AUTO_DIE
const BindingRow k_ja_tooling_auto_die_collection_jam[] = {JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_tooling_die_des_draw_die_builder_jam.hpp")
#define JA_UNIT ja_tooling_die_des_draw_die_builder_jam
#define JA_EXPORT_CLASS DIE_DES_DRAW_DIE_BUILDER
const BindingRow k_ja_tooling_die_des_draw_die_builder_jam[] = {JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_tooling_die_des_draw_punch_builder_jam.hpp")
#define JA_UNIT ja_tooling_die_des_draw_punch_builder_jam
#define JA_EXPORT_CLASS DIE_DES_DRAW_PUNCH_BUILDER
const BindingRow k_ja_tooling_die_des_draw_punch_builder_jam[] = {JA_TOOLING_DIE_DES_DRAW_PUNCH_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_tooling_die_des_pierce_insert_builder_jam.hpp")
#define JA_UNIT ja_tooling_die_des_pierce_insert_builder_jam
#define JA_EXPORT_CLASS DIE_DES_PIERCE_INSERT_BUILDER
const BindingRow k_ja_tooling_die_des_pierce_insert_builder_jam[] = {JA_TOOLING_DIE_DES_PIERCE_INSERT_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_tooling_die_eng_form_task_builder_jam.hpp")
#define JA_UNIT ja_tooling_die_eng_form_task_builder_jam
#define JA_EXPORT_CLASS DIE_ENG_FORM_TASK_BUILDER
const BindingRow k_ja_tooling_die_eng_form_task_builder_jam[] = {JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_features_automotive_collection_jam.hpp")
#define JA_UNIT ja_features_automotive_collection_jam
#define JA_EXPORT_CLASS FEATURE_AUTOMOTIVE_COLLECTION
const BindingRow k_ja_features_automotive_collection_jam[] = {JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_features_manikin_builder_jam.hpp")
#define JA_UNIT ja_features_manikin_builder_jam
#define JA_EXPORT_CLASS MANIKIN_BUILDER
const BindingRow k_ja_features_manikin_builder_jam[] = {JA_FEATURES_MANIKIN_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

#if __has_include("ja_features_tire_envelope_builder_jam.hpp")
#define JA_UNIT ja_features_tire_envelope_builder_jam
#define JA_EXPORT_CLASS TIRE_ENVELOPE_BUILDER
const BindingRow k_ja_features_tire_envelope_builder_jam[] = {JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_BINDING_ROW)};
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif

using Table = KTXHost::PublishedClass;
// A class's rows with what its description says beyond its members.
#define KTXHOST_TABLE(unit)                                                                         \
  Table{unit::Unit::journalClass, k_##unit, std::size(k_##unit), unit::Unit::defaults.data(),       \
        unit::Unit::defaults.size(), unit::Unit::defaultsVisitOnly}
const Table kTables[] = {
#if __has_include("ja_die_cast_relief_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_cast_relief_builder_jam),
#endif
#if __has_include("ja_die_clamping_slot_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_clamping_slot_builder_jam),
#endif
#if __has_include("ja_die_clearance_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_clearance_builder_jam),
#endif
#if __has_include("ja_die_compensate_rough_data_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_compensate_rough_data_builder_jam),
#endif
#if __has_include("ja_die_die_boolean_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_die_boolean_builder_jam),
#endif
#if __has_include("ja_die_die_collection_jam.hpp")
    KTXHOST_TABLE(ja_die_die_collection_jam),
#endif
#if __has_include("ja_die_die_direction_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_die_direction_builder_jam),
#endif
#if __has_include("ja_die_die_location_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_die_location_builder_jam),
#endif
#if __has_include("ja_die_die_locations_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_die_locations_builder_jam),
#endif
#if __has_include("ja_die_die_plane_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_die_plane_builder_jam),
#endif
#if __has_include("ja_die_die_shoe_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_die_shoe_builder_jam),
#endif
#if __has_include("ja_die_draw_bead_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_draw_bead_builder_jam),
#endif
#if __has_include("ja_die_draw_bead_segment_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_draw_bead_segment_builder_jam),
#endif
#if __has_include("ja_die_draw_bead_taper_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_draw_bead_taper_builder_jam),
#endif
#if __has_include("ja_die_fill_area_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_fill_area_builder_jam),
#endif
#if __has_include("ja_die_finger_clearance_notch_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_finger_clearance_notch_builder_jam),
#endif
#if __has_include("ja_die_handling_core_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_handling_core_builder_jam),
#endif
#if __has_include("ja_die_heelpost_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_heelpost_builder_jam),
#endif
#if __has_include("ja_die_keyway_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_keyway_builder_jam),
#endif
#if __has_include("ja_die_machine_relief_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_machine_relief_builder_jam),
#endif
#if __has_include("ja_die_springback_compensation_builder_jam.hpp")
    KTXHOST_TABLE(ja_die_springback_compensation_builder_jam),
#endif
#if __has_include("ja_tooling_auto_die_collection_jam.hpp")
    KTXHOST_TABLE(ja_tooling_auto_die_collection_jam),
#endif
#if __has_include("ja_tooling_die_des_draw_die_builder_jam.hpp")
    KTXHOST_TABLE(ja_tooling_die_des_draw_die_builder_jam),
#endif
#if __has_include("ja_tooling_die_des_draw_punch_builder_jam.hpp")
    KTXHOST_TABLE(ja_tooling_die_des_draw_punch_builder_jam),
#endif
#if __has_include("ja_tooling_die_des_pierce_insert_builder_jam.hpp")
    KTXHOST_TABLE(ja_tooling_die_des_pierce_insert_builder_jam),
#endif
#if __has_include("ja_tooling_die_eng_form_task_builder_jam.hpp")
    KTXHOST_TABLE(ja_tooling_die_eng_form_task_builder_jam),
#endif
#if __has_include("ja_features_automotive_collection_jam.hpp")
    KTXHOST_TABLE(ja_features_automotive_collection_jam),
#endif
#if __has_include("ja_features_manikin_builder_jam.hpp")
    KTXHOST_TABLE(ja_features_manikin_builder_jam),
#endif
#if __has_include("ja_features_tire_envelope_builder_jam.hpp")
    KTXHOST_TABLE(ja_features_tire_envelope_builder_jam),
#endif
};

}  // namespace

namespace KTXHost {

int BindPlugin(void* plugin) {
  int bound = 0;
  for (const Table& table : kTables) {
    for (std::size_t i = 0; i < table.count; ++i) {
      const BindingRow& row = table.rows[i];
      *row.symbol = dlsym(plugin, row.exportName);
      if (*row.symbol == nullptr) continue;  // not published by this plug-in
      KTX::Script::Bind(row.journalClass, row.methodType, row.member, row.play, row.signature);
      ++bound;
    }
  }
  return bound;
}

namespace {
const Creator* creatorOf(const std::vector<Creator>& creators, const std::string& journalClass) {
  for (const Creator& creator : creators) {
    const KTX::Script::MemberSignature& s = creator.signature;
    if (s.count == 0) continue;
    const KTX::Script::ValueSignature& made = s.values[s.count - 1];
    if (made.direction == KTX::JAM::Direction::Result && made.kind == KTX::JAM::ValueKind::Tag &&
        made.type != nullptr && journalClass == made.type)
      return &creator;
  }
  return nullptr;
}
}  // namespace

bool HasCreator(const std::string& journalClass) { return creatorOf(Creators(), journalClass) != nullptr; }

KTX::tag_t CreateBuilder(const std::string& journalClass, KTX::tag_t part, int* status) {
  std::vector<Creator> creators = Creators();
  const Creator* creator = creatorOf(creators, journalClass);
  JAM_replay_fn play = creator != nullptr ? KTX::Script::Bound(creator->journalClass, 0, creator->member) : nullptr;
  if (play == nullptr) {
    *status = -1;
    return 0;
  }
  KTX::JAM::Record call;
  call.journalClass = creator->journalClass;
  call.member = creator->member;
  call.thisKind = 't';
  call.thisTag = part;
  for (int i = 0; i < creator->signature.count; ++i) {
    const KTX::Script::ValueSignature& want = creator->signature.values[i];
    KTX::JAM::Value& v = call.values.emplace_back();
    v.direction = want.direction;
    v.kind = want.kind;
    v.type = want.type != nullptr ? want.type : "";
    v.isNull = true;  // no text, no array
  }
  std::size_t before = KTX::JAM::Recorded().size();
  *status = KTX::JAM::ReplayWith(call, play);
  if (KTX::JAM::Recorded().size() <= before) return 0;
  const KTX::JAM::Record& played = KTX::JAM::Recorded()[before];
  const KTX::tag_t made = played.values.empty() ? 0 : static_cast<KTX::tag_t>(played.values.back().integer);
  if (made != 0 && *status == 0) {
    // The builder is the part's either way: a failure of its defaults is the creation's.
    try {
      KTX::Script::GiveScriptingDefaults(made);
    } catch (const KTX::Error::Exception& e) {
      *status = e.askCode();
    }
  }
  return made;
}

std::vector<Creator> Creators() {
  std::vector<Creator> creators;
  for (const Table& table : kTables)
    for (std::size_t i = 0; i < table.count; ++i) {
      const BindingRow& row = table.rows[i];
      if (row.methodType == 0 && row.signature.object == 't')
        creators.push_back({row.journalClass, row.member, row.signature});
    }
  return creators;
}

std::vector<PublishedClass> PublishedClasses() { return {std::begin(kTables), std::end(kTables)}; }

}  // namespace KTXHost
