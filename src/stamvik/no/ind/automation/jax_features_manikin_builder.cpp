// Bodies of the manikin builder's size name and size-file members.
#include "jax_features_manikin_builder.hpp"

using KTX::VDJA::ManikinBuilder;

int JAX_MANIKIN_BUILDER_get_CurrentManikinSize(ManikinBuilder* builder, TEXT_s** size) {
  *size = TEXT_create_string(builder->GetCurrentManikinSize().utf8_str());
  return 0;
}

int JAX_MANIKIN_BUILDER_set_CurrentManikinSize(ManikinBuilder* builder, TEXT_s* size) {
  builder->SetCurrentManikinSize(KTX::UString(TEXT_ask_utf8(size)));
  return 0;
}

int JAX_MANIKIN_BUILDER_SaveToFile(ManikinBuilder* builder, const char* fileName) {
  return builder->SaveToFile(fileName);
}

int JAX_MANIKIN_BUILDER_OpenFromFile(ManikinBuilder* builder, const char* fileName) {
  return builder->OpenFromFile(fileName);
}
