// Method bodies of the heel post's scripting class that do more than get or
// set one field: the wall-relief setters, which keep at most one wall relieved.
#pragma once
#include "DieDesJA_HeelpostBuilder.hpp"

int JAX_HEELPOST_BUILDER_set_WallARelief(KTX::DieDesJA::HeelpostBuilder* builder, bool value);
int JAX_HEELPOST_BUILDER_set_WallBRelief(KTX::DieDesJA::HeelpostBuilder* builder, bool value);
int JAX_HEELPOST_BUILDER_set_WallCRelief(KTX::DieDesJA::HeelpostBuilder* builder, bool value);
int JAX_HEELPOST_BUILDER_set_WallDRelief(KTX::DieDesJA::HeelpostBuilder* builder, bool value);
