#include "afl/DieAttributes.hpp"

#include <cstdio>
#include <string>

#include "sys/Text.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieDes {

bool DieAttributesBuilder::GetOption(int index) const {
  if (index < 0 || index >= 3) OM::ThrowIndexOutOfRange(index, 0, 3);
  return options_[index];
}

void DieAttributesBuilder::SetFirstText(const char* text) {
  OM::LogForWrite(this);
  std::snprintf(firstText_, sizeof firstText_, "%s", text == nullptr ? "" : text);
}

void DieAttributesBuilder::SetSecondText(const char* text) {
  OM::LogForWrite(this);
  std::snprintf(secondText_, sizeof secondText_, "%s", text == nullptr ? "" : text);
}

void DieAttributesBuilder::SetFirstText(const TEXT_s* text) { SetFirstText(TEXT_ask_utf8(text)); }
void DieAttributesBuilder::SetSecondText(const TEXT_s* text) { SetSecondText(TEXT_ask_utf8(text)); }

void DieAttributesBuilder::SetIntegerValue(int value) {
  OM::LogForWrite(this);
  integerValue_ = value;
}

char* DieAttributesBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieAttributesBuilder"); }

DieAttributesBuilder* DieAttributesBuilderFactory::Create(PART_part* part, bool option0, bool option1,
                                                         bool option2) {
  Host::Log("DieAttributesBuilderFactory::Create", "part=" + std::to_string(OM::OM_ask_object_tag(part)) + " " +
                                                       std::to_string(option0) + std::to_string(option1) +
                                                       std::to_string(option2));
  auto* builder = Host::CreateInPart<DieAttributesBuilder>(part);
  builder->init_object(part);
  builder->options_[0] = option0;
  builder->options_[1] = option1;
  builder->options_[2] = option2;
  return builder;
}

}  // namespace KTX::DieDes

TEXT_s* TEXT_init_string(const char* utf8) { return TEXT_create_string(utf8 == nullptr ? "" : utf8); }
