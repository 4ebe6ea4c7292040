// The host's property mapper: which owner knows the properties of which
// journal class, and which journal class is each one's parent; and the owner
// of the tagged-object properties at the root of every chain.
#pragma once
#include <string>
#include <vector>

#include "Export.hpp"
#include "prop/Property.hpp"

namespace KTX::JAM {

// The owner of the properties that every tagged object has:
// - "Tag" (Tag, read-only): the object's tag, 0 without an object;
// - "Name" (String, settable): a name the host keeps for the object, empty
//   until one is written (writing a value without text clears it).
// Owners of journal classes derive from it and override what they know. The
// host's own "TaggedObject" owner is one of these, registered with no parent.
class KTX_HOST_API TaggedObjectPropertyOwner : public Property::Owner {
 public:
  TaggedObjectPropertyOwner();
  ~TaggedObjectPropertyOwner() override;

  int GetProperties(OM::Object* object, Property::List& list) override;
  int SetProperties(OM::Object* object, Property::List& list) override;
  // Raises "null ptr" (68) without an object.
  Property::Value* GetProperty(OM::Object* object, const char* name) override;
  int SetProperty(OM::Object* object, const char* name, const Property::Value* value) override;

 protected:
  // The same operation of the owner of the parent journal class, with the
  // arguments unchanged; without such an owner, what the end of a chain
  // answers (0, 0, no value, kUnknownProperty).
  int SuperGetProperties(OM::Object* object, Property::List& list);
  int SuperSetProperties(OM::Object* object, Property::List& list);
  Property::Value* SuperGetProperty(OM::Object* object, const char* name);
  int SuperSetProperty(OM::Object* object, const char* name, const Property::Value* value);
};

class KTX_HOST_API PropertyMapper {
 public:
  // Registers the owner of a journal class under its parent journal class
  // (null or empty: the class has no parent). A class registered again takes
  // the new owner and parent. A null or empty class name or a null owner
  // raises kMissingValue and registers nothing.
  static void RegisterPropertyOwner(const char* journalClass, const char* parentJournalClass,
                                    Property::Owner* owner);
  // The owner registered for the parent journal class of the class under
  // which `owner` was registered last; null for an unknown owner, a class
  // without parent, or a parent without a living owner.
  static Property::Owner* GetSuperclassOwner(const Property::Owner* owner);

  // The owner of a journal class (names compared exactly); null when none is
  // registered or its owner is gone.
  static Property::Owner* GetOwner(const char* journalClass);
  // The parent journal class of a registered class; null when the class is
  // not registered or has no parent.
  static const char* GetParentClassName(const char* journalClass);
  // The owner of the parent journal class of a registered class.
  static Property::Owner* GetParentOwner(const char* journalClass);
  // Whether a journal class was ever registered (also when its owner is gone).
  static bool IsRegistered(const char* journalClass);
  // Registered journal classes in the order of their first registration.
  static std::vector<std::string> RegisteredClasses();
  // The owner of a builder's journal class (the builder names its class); null
  // for an object that is no builder or whose class has no owner.
  static Property::Owner* GetOwnerOfObject(OM::Object* object);

  // Run by the destructor of every owner: its registrations stay (class and
  // parent are still known) but name no owner any more, so that nothing calls
  // an owner whose code may be unloaded.
  static void ForgetOwner(const Property::Owner* owner);
};

}  // namespace KTX::JAM
