// The automotive-feature library's die feature builders that the die
// collection makes for scripts, and their factories. The library's insides are
// not this host's business: a builder made here only remembers which factory
// made it and what that factory was given, so that callers can be checked.
//
// Every factory logs its call (its name and what it was given) and can be
// scripted to fail: the answer "<factory>" not 0 raises that message number,
// the answer "<factory>.nobuilder" not 0 makes it give no builder.
#pragma once
#include "feat/Builder.hpp"

namespace KTX {

class KTX_HOST_API DieFeatureBuilder : public JAX_FEAT_BUILDER {
  KTX_HOST_OBJECT(DieFeatureBuilder, "KTX::DieFeatureBuilder")

 public:
  // The factory that made it ("KTX::DieRotorFeatBuilderFactory::object").
  const char* Factory() const { return factory_; }
  // The builder's scripting class ("Die.RotorBuilder").
  const char* JournalClass() const { return journalClass_; }
  char* ask_journal_class_name() const override;
  // What the factory was given: the part and the modelling part (0 when
  // none), the feature record (0 when none) and its flags in order.
  tag_t GivenPart() const { return part_; }
  tag_t GivenModelPart() const { return modelPart_; }
  tag_t GivenFeature() const { return feature_; }
  int FlagCount() const { return flagCount_; }
  bool Flag(int index) const;  // another index raises the index error

 protected:
  DieFeatureBuilder(int classId, void* context) : JAX_FEAT_BUILDER(classId, context) {}

 private:
  friend struct DieFeatureBuilderMaker;
  const char* factory_;
  const char* journalClass_;
  tag_t part_;
  tag_t modelPart_;
  tag_t feature_;
  int flagCount_;
  bool flags_[3];
};

// The factories whose `object` operation takes the feature record alone
// (null: a new feature).
#define KTX_DIE_OBJECT_FACTORY(Factory)                                 \
  class KTX_HOST_API Factory {                                          \
   public:                                                              \
    static DieFeatureBuilder* object(FEATURE_RECORD* frec);             \
  };
KTX_DIE_OBJECT_FACTORY(DieDdpnchFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieFrmtskFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieRotorFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieFlgtskFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieTrmtskFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DiePrctskFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieFillFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieLineupFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieOutcurvesFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieSteelInsertFeatBuilderFactory)
KTX_DIE_OBJECT_FACTORY(DieFaceSheetFeatBuilderFactory)
#undef KTX_DIE_OBJECT_FACTORY

// The factories that make a builder for a modelling part and a feature record.
#define KTX_DIE_FEATURE_FACTORY(Factory)                                          \
  class KTX_HOST_API Factory {                                                    \
   public:                                                                        \
    static DieFeatureBuilder* Create(CM_part* part, FEATURE_RECORD* frec);        \
  };
// The factories that make a builder for a part.
#define KTX_DIE_PART_FACTORY(Factory)                \
  class KTX_HOST_API Factory {                       \
   public:                                           \
    static DieFeatureBuilder* Create(PART_part* part); \
  };

namespace DieEngJA {
KTX_DIE_PART_FACTORY(AddendumSectionUserDefinedBuilderFactory)
KTX_DIE_FEATURE_FACTORY(AddendumSectionBuilderFactory)
KTX_DIE_FEATURE_FACTORY(QuickBinderBuilderFactory)
KTX_DIE_PART_FACTORY(UncutRegionsBuilderFactory)
}  // namespace DieEngJA

namespace DieEng {
KTX_DIE_FEATURE_FACTORY(QuickBinderWrapBuilderFactory)
KTX_DIE_FEATURE_FACTORY(TrimLineDevelopmentBuilderFactory)
KTX_DIE_FEATURE_FACTORY(AddSurfBuilderFactory)
}  // namespace DieEng

namespace DieDes {
class KTX_HOST_API TrimFlangeDieAssistantBuilderFactory {
 public:
  static DieFeatureBuilder* Create(PART_part* part, bool option);
};
KTX_DIE_PART_FACTORY(DieLimitsBuilderFactory)
}  // namespace DieDes

#undef KTX_DIE_FEATURE_FACTORY
#undef KTX_DIE_PART_FACTORY

// ---- die-engineering features of a part ------------------------------------------

// Whether the feature is one of the die-design or die-engineering features
// (its parameters are die-design body parameters); false for null.
KTX_HOST_API bool DIEENG_is_dieeng_feature(const FEATURE_RECORD* frec);

}  // namespace KTX
