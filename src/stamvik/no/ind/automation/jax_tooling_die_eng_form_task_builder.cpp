// Bodies of the form-task builder's detail-text methods.
#include "jax_tooling_die_eng_form_task_builder.hpp"

#include "om/ObjectManager.hpp"
#include "sys/Memory.hpp"

using KTX::Tooling::DieEngFormTaskBuilder;

int JAX_DIE_ENG_FORM_TASK_BUILDER_GetDetails(DieEngFormTaskBuilder* builder, int* count, TEXT_s*** texts) {
  KTX::Frame::HandOutTexts(builder->GetNumDetails(), [&](int i) { return builder->GetNthValueInDetails(i); }, count,
                           texts);
  return 0;
}

int JAX_DIE_ENG_FORM_TASK_BUILDER_SetDetails(DieEngFormTaskBuilder* builder, int count, const TEXT_s** texts) {
  // A list that cannot be read is refused before anything changes.
  KTX::Frame::CheckArrayIn(count, texts);
  builder->SetNumDetails(count);
  for (int i = 0; i < count; ++i) builder->SetNthValueInDetails(i, KTX::UString(TEXT_ask_utf8(texts[i])));
  return 0;
}
