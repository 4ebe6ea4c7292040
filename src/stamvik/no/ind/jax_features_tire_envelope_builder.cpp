#include "jax_features_tire_envelope_builder.hpp"

using namespace KTX::VDJA;

int JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(TireEnvelopeBuilder* builder,
                                                 JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value) {
  builder->SetEnvelopeOffset(value);
  builder->SetUseOffsetFile(value == FromOffsetFile);
  return 0;
}
