// What the die shoe's builder and the building of its body share inside the
// library. Not exported.
#pragma once
#include "DieDes_DieShoeBuilder.hpp"
#include "geom/Geometry.hpp"
#include "math/Vector.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDes {

using Math::Dot;

namespace {

inline DieBooleanBuilder* ItemAt(const UICOMPJA_list* list, int index) {
  return dynamic_cast<DieBooleanBuilder*>(list->ask_item(index));
}

// A loop curve the builder no longer needs: asleep, and gone with the next update.
inline void SleepAndForget(tag_t curve) {
  if (curve == 0) return;
  RM_set_sleep_state(curve, 1);
  UPDATE_log_entity_to_delete(curve);
}

// A new array (SM_alloc; null when empty) of the loops of a section.
inline int LoopsOf(const SC_section* section, tag_t** loops) {
  int first = 0, second = 0, third = 0;
  *loops = nullptr;
  if (section == nullptr) return 0;
  section->ask_loop_summary(&first, nullptr, &second, nullptr, &third, loops);
  return third;
}

}  // namespace

}  // namespace KTX::DieDes
