// Registration of the stand-in host's own object-manager classes. They hold
// no persistent attribute rows of their own; their state is plain C++.
#pragma once
#include <new>

#include "om/ObjectManager.hpp"

namespace KTX::Host {

template <class T>
struct HostClass {
  static OM::Object* Create(void* memory, int classId, void* context) {
    return memory == nullptr ? nullptr : new (memory) T(classId, context);
  }
  static std::uint64_t Size(void*) { return sizeof(T); }
};

KTX_HOST_API void RegisterHostClass(const char* name, const char* superclassName, int* classIdVariable,
                                    OM::CreateCallback create, OM::InstanceSizeCallback size);

template <class T>
void RegisterHostClass(const char* superclassName, bool abstract = false) {
  RegisterHostClass(T::OmClassName, superclassName, &T::ThisClassId, abstract ? nullptr : &HostClass<T>::Create,
                    abstract ? nullptr : &HostClass<T>::Size);
}

// Creates a host object of class T through the object factory.
template <class T>
T* CreateHostObject() {
  return static_cast<T*>(OM::ObjectFactory::CreateObject(T::ThisClassId, OM::OM_memory_type_persistent, nullptr));
}

}  // namespace KTX::Host

// Inside a host class: its class id, its name and access for the factory.
#define KTX_HOST_OBJECT(Class, Name)                 \
 public:                                             \
  static constexpr const char* OmClassName = Name;   \
  static int ThisClassId;                            \
                                                     \
 protected:                                          \
  friend struct ::KTX::Host::HostClass<Class>;
