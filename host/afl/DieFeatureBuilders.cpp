// The automotive-feature library's die feature builders made for scripts.
#include "afl/DieFeatureBuilders.hpp"

#include <string>

#include "afl/Parms.hpp"
#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int DieFeatureBuilder::ThisClassId = 0;

namespace {
struct DieFeatureBuilderClass {
  DieFeatureBuilderClass() { Host::RegisterHostClass<DieFeatureBuilder>(JAX_FEAT_BUILDER::OmClassName); }
} dieFeatureBuilderClass;

}  // namespace

char* DieFeatureBuilder::ask_journal_class_name() const { return SM_string_copy(journalClass_); }

bool DieFeatureBuilder::Flag(int index) const {
  if (index < 0 || index >= flagCount_) OM::ThrowIndexOutOfRange(index, 0, flagCount_);
  return flags_[index];
}

struct DieFeatureBuilderMaker {
  // Logs the call, answers a scripted failure, else makes the builder in the
  // part's keeping (the work part when none is given).
  static DieFeatureBuilder* Make(const char* factory, const char* journalClass, PART_part* part, CM_part* modelPart,
                                 FEATURE_RECORD* frec, std::initializer_list<bool> flags) {
    std::string args = "part=" + Host::TagNumber(part) + " cmpart=" + Host::TagNumber(modelPart) + " frec=" + Host::TagNumber(frec);
    if (flags.size() != 0) {
      args += " ";
      for (bool flag : flags) args += flag ? "1" : "0";
    }
    Host::Log(factory, args);
    if (long long code = Host::Answer(factory, 0); code != 0)
      ERROR_raise(factory, 1, static_cast<int>(code), "%s failed", factory);
    if (Host::Answer(std::string(factory) + ".nobuilder", 0) != 0) return nullptr;

    PART_part* owner = part != nullptr ? part : PART_ask_part_of_cm_part(modelPart);
    auto* builder = Host::CreateInPart<DieFeatureBuilder>(owner);
    if (modelPart != nullptr)
      builder->JAX_FEAT_BUILDER::init_object(modelPart, frec);
    else
      builder->JAX_BASE_BUILDER::init_object(owner != nullptr ? owner : PART_ask_work_part());
    builder->factory_ = factory;
    builder->journalClass_ = journalClass;
    builder->part_ = OM::OM_ask_object_tag(part);
    builder->modelPart_ = OM::OM_ask_object_tag(modelPart);
    builder->feature_ = OM::OM_ask_object_tag(frec);
    builder->flagCount_ = 0;
    for (bool flag : flags) builder->flags_[builder->flagCount_++] = flag;
    return builder;
  }
};

#define KTX_DIE_OBJECT_FACTORY(Factory, JournalClass)                                                   \
  DieFeatureBuilder* Factory::object(FEATURE_RECORD* frec) {                                            \
    return DieFeatureBuilderMaker::Make("KTX::" #Factory "::object", JournalClass, nullptr, nullptr, frec, {}); \
  }
KTX_DIE_OBJECT_FACTORY(DieDdpnchFeatBuilderFactory, "Die.DrawDiePunchBuilder")
KTX_DIE_OBJECT_FACTORY(DieFrmtskFeatBuilderFactory, "Die.FormTaskBuilder")
KTX_DIE_OBJECT_FACTORY(DieRotorFeatBuilderFactory, "Die.RotorBuilder")
KTX_DIE_OBJECT_FACTORY(DieFlgtskFeatBuilderFactory, "Die.FlangeTaskBuilder")
KTX_DIE_OBJECT_FACTORY(DieTrmtskFeatBuilderFactory, "Die.TrimTaskBuilder")
KTX_DIE_OBJECT_FACTORY(DiePrctskFeatBuilderFactory, "Die.PierceTaskBuilder")
KTX_DIE_OBJECT_FACTORY(DieFillFeatBuilderFactory, "Die.FillBuilder")
KTX_DIE_OBJECT_FACTORY(DieLineupFeatBuilderFactory, "Die.LineupBuilder")
KTX_DIE_OBJECT_FACTORY(DieOutcurvesFeatBuilderFactory, "Die.OutputCurvesBuilder")
KTX_DIE_OBJECT_FACTORY(DieSteelInsertFeatBuilderFactory, "Die.SteelInsertBuilder")
KTX_DIE_OBJECT_FACTORY(DieFaceSheetFeatBuilderFactory, "Die.FaceSheetBuilder")
#undef KTX_DIE_OBJECT_FACTORY

#define KTX_DIE_FEATURE_FACTORY(Space, Factory, JournalClass)                                                  \
  DieFeatureBuilder* Space::Factory::Create(CM_part* part, FEATURE_RECORD* frec) {                             \
    return DieFeatureBuilderMaker::Make("KTX::" #Space "::" #Factory "::Create", JournalClass, nullptr, part, frec, \
                                        {});                                                                   \
  }
#define KTX_DIE_PART_FACTORY(Space, Factory, JournalClass)                                                         \
  DieFeatureBuilder* Space::Factory::Create(PART_part* part) {                                                     \
    return DieFeatureBuilderMaker::Make("KTX::" #Space "::" #Factory "::Create", JournalClass, part, nullptr, nullptr, \
                                        {});                                                                       \
  }
KTX_DIE_PART_FACTORY(DieEngJA, AddendumSectionUserDefinedBuilderFactory, "Die.AddendumSectionUserDefinedBuilder")
KTX_DIE_FEATURE_FACTORY(DieEngJA, AddendumSectionBuilderFactory, "Die.AddendumSectionBuilder")
KTX_DIE_FEATURE_FACTORY(DieEngJA, QuickBinderBuilderFactory, "Die.QuickBinderBuilder")
KTX_DIE_PART_FACTORY(DieEngJA, UncutRegionsBuilderFactory, "Die.UncutRegionsBuilder")
KTX_DIE_FEATURE_FACTORY(DieEng, QuickBinderWrapBuilderFactory, "Die.QuickBinderWrapBuilder")
KTX_DIE_FEATURE_FACTORY(DieEng, TrimLineDevelopmentBuilderFactory, "Die.TrimLineDevelopmentBuilder")
KTX_DIE_FEATURE_FACTORY(DieEng, AddSurfBuilderFactory, "Die.AddSurfBuilder")
KTX_DIE_PART_FACTORY(DieDes, DieLimitsBuilderFactory, "Die.DieLimitsBuilder")
#undef KTX_DIE_FEATURE_FACTORY
#undef KTX_DIE_PART_FACTORY

DieFeatureBuilder* DieDes::TrimFlangeDieAssistantBuilderFactory::Create(PART_part* part, bool option) {
  return DieFeatureBuilderMaker::Make("KTX::DieDes::TrimFlangeDieAssistantBuilderFactory::Create",
                                      "Die.TrimFlangeDieAssistantBuilder", part, nullptr, nullptr, {option});
}

bool DIEENG_is_dieeng_feature(const FEATURE_RECORD* frec) {
  Host::Log("DIEENG_is_dieeng_feature", "tag=" + Host::TagNumber(frec));
  if (frec == nullptr) return false;
  const FEATURE_PARMS* parms = frec->ask_parms();
  return parms != nullptr && OM::OM_is_subclass(parms->OmClassId(), DIEDES_GENERIC_BODY_PARMS::ThisClassId);
}

}  // namespace KTX
