// Bodies of the form-task builder's detail-text methods.
#include "jax_tooling_die_eng_form_task_builder.hpp"

#include "om/ObjectManager.hpp"
#include "sys/Memory.hpp"

using KTX::Tooling::DieEngFormTaskBuilder;

int JAX_DIE_ENG_FORM_TASK_BUILDER_GetDetails(DieEngFormTaskBuilder* builder, int* count, TEXT_s*** texts) {
  *count = 0;
  *texts = nullptr;
  const int n = builder->GetNumDetails();
  auto** out = static_cast<TEXT_s**>(SM_alloc(sizeof(TEXT_s*) * static_cast<std::size_t>(n)));
  int made = 0;
  try {
    for (; made < n; ++made) out[made] = TEXT_create_string(builder->GetNthValueInDetails(made).utf8_str());
  } catch (...) {
    for (int i = 0; i < made; ++i) TEXT_free(out[i]);
    SM_free(out);
    throw;
  }
  *count = n;
  *texts = out;
  return 0;
}

int JAX_DIE_ENG_FORM_TASK_BUILDER_SetDetails(DieEngFormTaskBuilder* builder, int count, const TEXT_s** texts) {
  // A list that cannot be read is refused before anything changes.
  if (count < 0 || (count > 0 && texts == nullptr)) KTX::OM::ThrowIndexOutOfRange(count, 0, -1);
  builder->SetNumDetails(count);
  for (int i = 0; i < count; ++i) builder->SetNthValueInDetails(i, KTX::UString(TEXT_ask_utf8(texts[i])));
  return 0;
}
