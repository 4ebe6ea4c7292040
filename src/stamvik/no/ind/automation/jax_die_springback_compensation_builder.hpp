// The scripting members of the springback-compensation builder whose bodies
// do more than get or set one field: the points files and the point lists.
#pragma once
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "jam/Jam.hpp"

// A file name read is a copy the caller frees; with none set it is empty.
int JAX_SPRINGBACK_COMPENSATION_BUILDER_get_ProductPointsFile(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                              char** fileName);
int JAX_SPRINGBACK_COMPENSATION_BUILDER_set_ProductPointsFile(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                              const char* fileName);
int JAX_SPRINGBACK_COMPENSATION_BUILDER_get_SprungPointsFile(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                             char** fileName);
int JAX_SPRINGBACK_COMPENSATION_BUILDER_set_SprungPointsFile(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                             const char* fileName);
// A point list out is one host block of count points the caller owns (none for no points).
int JAX_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                         int* count, JAM_point3d_s** points);
int JAX_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                         int count, const JAM_point3d_s* points);
int JAX_SPRINGBACK_COMPENSATION_BUILDER_GetSprungPoints(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                        int* count, JAM_point3d_s** points);
int JAX_SPRINGBACK_COMPENSATION_BUILDER_SetSprungPoints(KTX::DieEngJA::SpringbackCompensationBuilder* builder,
                                                        int count, const JAM_point3d_s* points);
