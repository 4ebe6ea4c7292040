// Scripting defaults written by name: what JAM_set_named_attribute_value
// does to the object once it has recorded the call.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "jam/Internal.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Error.hpp"

namespace KTX::JAM::Internal {
namespace {

constexpr const char* kValueSuffix = ".Value";

[[noreturn]] void Refuse(int code, const std::string& path, const char* why) {
  ERROR_raise("jam/NamedValues", __LINE__, code, "%s: %s", path.c_str(), why);
}

// A value of the property's own type read from the text; null when the text
// does not read as one.
Property::ValuePtr Read(const Property::Value& current, const char* text) {
  char* end = nullptr;
  errno = 0;
  switch (current.GetType()) {
    case Property::ValueType::kDouble: {
      const double d = std::strtod(text, &end);
      return end != text && *end == '\0' && errno == 0 ? Property::MakeDouble(d) : nullptr;
    }
    case Property::ValueType::kInteger: {
      const long n = std::strtol(text, &end, 10);
      return end != text && *end == '\0' && errno == 0 && n == static_cast<int>(n)
                 ? Property::MakeInteger(static_cast<int>(n))
                 : nullptr;
    }
    case Property::ValueType::kLogical: {
      const std::string word(text);
      if (word == "1" || word == "true") return Property::MakeLogical(true);
      if (word == "0" || word == "false") return Property::MakeLogical(false);
      return nullptr;
    }
    case Property::ValueType::kEnum: {
      const auto& e = static_cast<const Property::Enum&>(current);
      auto made = std::make_unique<Property::Enum>(e.GetMap(), e.GetNames());
      if (!made->SetValueByName(text)) return nullptr;
      return made;
    }
    case Property::ValueType::kString:
      return Property::MakeString(text);
    default:
      return nullptr;
  }
}

int applying = 0;

}  // namespace

ApplyingDefaults::ApplyingDefaults() { ++applying; }
ApplyingDefaults::~ApplyingDefaults() { --applying; }
bool ApplyingDefaults::Active() { return applying > 0; }

void ApplyNamedValue(OM::Object* object, const char* path, const char* text) {
  Property::Owner* owner = object != nullptr ? PropertyMapper::GetOwnerOfObject(object) : nullptr;
  if (owner == nullptr || path == nullptr) return;  // nothing here knows the object's properties
  const std::string name(path);
  const char* value = text != nullptr ? text : "";
  const bool ofExpression =
      name.size() > std::char_traits<char>::length(kValueSuffix) && name.ends_with(kValueSuffix);
  const std::string property = ofExpression ? name.substr(0, name.size() - 6) : name;
  Property::ValuePtr current(owner->GetProperty(object, property.c_str()));
  if (current == nullptr) Refuse(Property::kUnknownProperty, name, "no such property");
  if (ofExpression) {
    auto* expression = current->GetType() == Property::ValueType::kSubobject
                           ? dynamic_cast<EXP_expression*>(current->GetSubobject())
                           : nullptr;
    if (expression == nullptr) Refuse(Property::kWrongValueType, name, "the property holds no expression");
    PART_part* work = PART_ask_work_part();
    if (const int status = EXP_edit_exp(work != nullptr ? work->OmTag() : 0, expression, value); status != 0)
      Refuse(status, name, value);
    return;
  }
  Property::ValuePtr made = Read(*current, value);
  if (made == nullptr) Refuse(Property::kWrongValueType, name, value);
  if (const int status = owner->SetProperty(object, property.c_str(), made.get()); status != 0)
    Refuse(status, name, value);
}

}  // namespace KTX::JAM::Internal
