// What the die shoe's builder and the building of its body share inside the
// library. Not exported.
#pragma once
#include "DieDes_DieShoeBuilder.hpp"
#include "geom/Geometry.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDes {

namespace {

inline DieBooleanBuilder* ItemAt(const UICOMPJA_list* list, int index) {
  return dynamic_cast<DieBooleanBuilder*>(list->ask_item(index));
}

inline double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A loop curve the builder no longer needs: asleep, and gone with the next update.
inline void SleepAndForget(tag_t curve) {
  if (curve == 0) return;
  RM_set_sleep_state(curve, 1);
  UPDATE_log_entity_to_delete(curve);
}

}  // namespace

}  // namespace KTX::DieDes
