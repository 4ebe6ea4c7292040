// The scripting members of the draw-bead builder whose bodies do more than
// get or set one field: the taper-bead and female-width setters, the three
// members that take the builder's tag, and the detail strings.
#pragma once
#include "DieEngJA_DrawBeadBuilder.hpp"

int JAX_DRAW_BEAD_BUILDER_set_TaperBead(KTX::DieEngJA::DrawBeadBuilder* builder, bool taper);
int JAX_DRAW_BEAD_BUILDER_set_FemaleWidthType(KTX::DieEngJA::DrawBeadBuilder* builder, int type);
int JAX_DRAW_BEAD_BUILDER_CreateSegmentsFromCenterlineCurves(KTX::tag_t builder);
int JAX_DRAW_BEAD_BUILDER_CreateDrawBeadSegment(KTX::tag_t builder, KTX::tag_t* item);
int JAX_DRAW_BEAD_BUILDER_SetDefaultDrawDirection(KTX::tag_t builder);
int JAX_DRAW_BEAD_BUILDER_SetMoreDetails(KTX::DieEngJA::DrawBeadBuilder* builder, int count, const char** strings);
int JAX_DRAW_BEAD_BUILDER_GetMoreDetails(KTX::DieEngJA::DrawBeadBuilder* builder, int* count, char*** strings);

// The segment's Symmetry and Flow: Flow holds only while Symmetry does.
namespace KTX::DieEngJA {
class DrawBeadSegmentBuilder;
}
int JAX_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry(KTX::DieEngJA::DrawBeadSegmentBuilder* builder, bool symmetry);
int JAX_DRAW_BEAD_SEGMENT_BUILDER_set_Flow(KTX::DieEngJA::DrawBeadSegmentBuilder* builder, bool flow);
