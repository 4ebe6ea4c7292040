// The host's own property owners ("TaggedObject", "Builder",
// "Features.FeatureBuilder", "Features.Feature", "Features.BodyFeature"):
// each a short table of rows, matched like every owner's names (the camel
// case, then the snake form, without regard to ASCII case), passing what it
// does not know to the owner of its parent journal class. Inside the host.
#pragma once
#include <vector>

#include "prop/Property.hpp"

namespace KTX::Host {

struct PropertyRow {
  const char* name;   // camel case
  const char* snake;  // snake form; null for a one-word name
  Property::ValueType type;
  // The value of the property of the object; the null-object value without one.
  Property::ValuePtr (*get)(OM::Object* object);
  // Writes a value already checked to be of the row's type into an object
  // that is there; null for a read-only property.
  void (*set)(OM::Object* object, const Property::Value& value);
};

class PropertyRows {
 public:
  explicit PropertyRows(std::vector<PropertyRow> rows) : rows_(std::move(rows)) {}

  // The four owner operations of `self`, whose parent owner the mapper knows.
  int GetProperties(Property::Owner* self, OM::Object* object, Property::List& list) const;
  int SetProperties(Property::Owner* self, OM::Object* object, Property::List& list) const;
  Property::Value* GetProperty(Property::Owner* self, OM::Object* object, const char* name) const;
  int SetProperty(Property::Owner* self, OM::Object* object, const char* name, const Property::Value* value) const;

 private:
  const PropertyRow* match(const char* name) const;
  std::vector<PropertyRow> rows_;
};

const PropertyRows& TaggedObjectRows();

}  // namespace KTX::Host
