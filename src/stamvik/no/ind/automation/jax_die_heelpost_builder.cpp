// The heel post's wall reliefs exclude one another when switched on from a
// script: the wall set on keeps the only relief. Switching one off never
// switches another on, and nothing but the relief flags is touched.
#include "jax_die_heelpost_builder.hpp"

using KTX::DieDesJA::HeelpostBuilder;

namespace {

using ReliefSetter = void (HeelpostBuilder::*)(bool);
constexpr ReliefSetter kReliefSetters[4] = {&HeelpostBuilder::SetWallARelief, &HeelpostBuilder::SetWallBRelief,
                                            &HeelpostBuilder::SetWallCRelief, &HeelpostBuilder::SetWallDRelief};

int SetExclusiveRelief(HeelpostBuilder* builder, int wall, bool value) {
  // Each write logs the builder for undo unless it need not be logged.
  // The member pointer is taken out first: an indexed member-pointer call
  // confuses the compiler's bounds checking.
  const ReliefSetter set = kReliefSetters[wall];
  (builder->*set)(value);
  if (!value) return 0;
  for (int other = 0; other < 4; ++other) {
    const ReliefSetter clear = kReliefSetters[other];
    if (other != wall) (builder->*clear)(false);
  }
  return 0;
}

}  // namespace

int JAX_HEELPOST_BUILDER_set_WallARelief(HeelpostBuilder* builder, bool value) {
  return SetExclusiveRelief(builder, 0, value);
}
int JAX_HEELPOST_BUILDER_set_WallBRelief(HeelpostBuilder* builder, bool value) {
  return SetExclusiveRelief(builder, 1, value);
}
int JAX_HEELPOST_BUILDER_set_WallCRelief(HeelpostBuilder* builder, bool value) {
  return SetExclusiveRelief(builder, 2, value);
}
int JAX_HEELPOST_BUILDER_set_WallDRelief(HeelpostBuilder* builder, bool value) {
  return SetExclusiveRelief(builder, 3, value);
}
