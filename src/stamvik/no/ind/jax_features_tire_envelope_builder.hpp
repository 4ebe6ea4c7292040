// Method bodies of the tire envelope's scripting class that do more than get
// or set one field; the builder calls some of them itself.
#pragma once
#include "VDJA_TireEnvelopeBuilder.hpp"

// Sets the offset method; only offsets read from a file use the offset file.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(
    KTX::VDJA::TireEnvelopeBuilder* builder, KTX::VDJA::JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value);

// Records the steering joint (first) and the jounce joint by handle and name.
// A tag that is no joint raises the motion library's status, changing nothing.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetDriverJoints(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                          KTX::tag_t steerJoint, KTX::tag_t jounceJoint);
