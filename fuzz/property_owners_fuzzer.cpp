// The property owners by name: a builder of a published class, made through
// its creator as a script makes one, is listed, read and written through the
// owner the property mapper holds for its class, with names and values of
// every type the input chooses (a name the owner lists or any text).
#include <dlfcn.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Binding.hpp"
#include "feat/Builder.hpp"
#include "jam/Journal.hpp"
#include "om/ObjectManager.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"

namespace {

using namespace KTX;

std::vector<std::string> classes;  // the builder classes an owner and a creator serve

Property::ValuePtr MakeValue(FuzzedDataProvider& in, const Property::Value* current, OM::Object* builder) {
  switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0: return Property::MakeDouble(in.ConsumeFloatingPoint<double>());
    case 1: return Property::MakeInteger(in.ConsumeIntegral<int>());
    case 2: return Property::MakeLogical(in.ConsumeBool());
    case 3: return Property::MakeTag(in.ConsumeBool() ? builder->OmTag() : in.ConsumeIntegral<tag_t>());
    case 4: {
      Property::Point3d p;
      p.x = in.ConsumeFloatingPoint<double>();
      p.y = in.ConsumeFloatingPoint<double>();
      p.z = in.ConsumeFloatingPoint<double>();
      return Property::MakePoint(p);
    }
    case 5: {
      std::string text = in.ConsumeRandomLengthString(64);
      return Property::MakeString(in.ConsumeBool() ? text.c_str() : nullptr);
    }
    case 6: return Property::MakeUtfString(TEXT_create_string(in.ConsumeRandomLengthString(64).c_str()));
    case 7: {
      int count = in.ConsumeIntegralInRange(0, 4);
      auto** texts = count > 0 ? static_cast<TEXT_s**>(SM_alloc(sizeof(TEXT_s*) * static_cast<std::size_t>(count))) : nullptr;
      for (int i = 0; i < count; ++i) texts[i] = TEXT_create_string(in.ConsumeRandomLengthString(16).c_str());
      return Property::MakeTextArray(count, texts);
    }
    case 8: return Property::MakeSubobject(in.ConsumeBool() ? builder : nullptr, "TaggedObject");
    default:
      // An enumeration of the property's own members, any index.
      if (current != nullptr && current->GetType() == Property::ValueType::kEnum) {
        const auto& e = static_cast<const Property::Enum&>(*current);
        auto made = std::make_unique<Property::Enum>(e.GetMap(), e.GetNames());
        made->SetValue(in.ConsumeIntegral<int>());
        return made;
      }
      return nullptr;
  }
}

void Exercise(FuzzedDataProvider& in, Property::Owner& owner, OM::Object* builder) {
  Property::List listed;
  owner.GetProperties(builder, listed);
  for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
    std::string name = listed.GetCount() > 0 && in.ConsumeBool()
                           ? listed.GetNameByIndex(in.ConsumeIntegralInRange(0, listed.GetCount() - 1))
                           : in.ConsumeRandomLengthString(32);
    OM::Object* object = in.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : builder;
    try {
      switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: Property::ValuePtr(owner.GetProperty(object, name.c_str())); break;
        case 1: {
          Property::ValuePtr current(owner.GetProperty(builder, name.c_str()));
          Property::ValuePtr value = MakeValue(in, current.get(), builder);
          owner.SetProperty(object, name.c_str(), in.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : value.get());
          break;
        }
        case 2: {
          Property::List list;
          owner.GetProperties(object, list);
          break;
        }
        default: {
          Property::List list;
          Property::ValuePtr current(owner.GetProperty(builder, name.c_str()));
          Property::ValuePtr value = MakeValue(in, current.get(), builder);
          if (value != nullptr) list.SetValue(name.c_str(), value.release());
          owner.SetProperties(object, list);
        }
      }
    } catch (const Error::Exception&) {
      // A refused request is the owner's answer.
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  void* plugin = dlopen(STAMVIK_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", STAMVIK_PLUGIN, dlerror());
    std::abort();
  }
  KTXHost::BindPlugin(plugin);
  // No one reads the host's call log here: kept on, it would grow with every run.
  Host::SetLogging(false);
  for (const std::string& name : JAM::PropertyMapper::RegisteredClasses())
    if (KTXHost::HasCreator(name)) classes.push_back(name);
  if (classes.empty()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string& journalClass = classes[in.ConsumeIntegralInRange<std::size_t>(0, classes.size() - 1)];
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  int status = 0;
  tag_t made = KTXHost::CreateBuilder(journalClass, part->ask_tag(), &status);
  auto* builder = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(made));
  Property::Owner* owner = JAM::PropertyMapper::GetOwner(journalClass.c_str());
  if (builder != nullptr && owner != nullptr) {
    Exercise(in, *owner, builder);
    if (OM::OM_object_of_tag(made) == builder) builder->destroy();
  }
  PART_set_work_part(nullptr);
  part->destroy();
  JAM::ClearJournal();
  return 0;
}
