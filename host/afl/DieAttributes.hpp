// The factory of the die-attributes sub-builder.
#pragma once
#include "afl/DieDesign.hpp"

namespace KTX::DieDes {

class KTX_HOST_API DieAttributesBuilderFactory {
 public:
  // A new builder for the part with empty texts and value 0, keeping the three flags.
  static DieAttributesBuilder* Create(PART_part* part, bool option0, bool option1, bool option2);
};

}  // namespace KTX::DieDes

extern "C" {
// A new text of the UTF-8 string (null reads as empty), freed with TEXT_free.
KTX_HOST_API TEXT_s* TEXT_init_string(const char* utf8);
}
