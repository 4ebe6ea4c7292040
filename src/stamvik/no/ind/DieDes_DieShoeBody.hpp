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

}  // namespace

}  // namespace KTX::DieDes
