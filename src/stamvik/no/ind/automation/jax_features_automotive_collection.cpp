// The creators of the scripting collection "Features.AutomotiveCollection".
// The collection is the part: its tag is the part's tag.
#include "VDJA_ManikinBuilder.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "ja_features_automotive_collection_jam.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"

using namespace KTX;

namespace {

constexpr const char* kSource = "src/stamvik/no/ind/jax_features_automotive_collection";

// New for input 0, else editing the input feature. The result is cleared
// first and written only once a builder exists; a collection of no part is
// refused before the host is asked anything.
template <class Factory>
int ForFeature(tag_t collection, tag_t input, tag_t* result, int line) {
  *result = 0;
  if (collection == 0) ERROR_raise(kSource, line, Error::kBadObject, "The collection is no part.");
  FEATURE_RECORD* frec = OM::TagToObject<FEATURE_RECORD>(input);
  PART_part* part = OM::TagToObject<PART_part>(collection);
  if (part == nullptr) ERROR_raise(kSource, line, Error::kBadObject, "The collection is no part.");
  OM::TaggedObject* made = Factory::Create(PART_ask_cm_part_of_part_p(part), frec);
  if (made == nullptr) ERROR_raise(kSource, line, Error::kBadObject, "The factory made no builder.");
  *result = made->ask_tag();
  return 0;
}

}  // namespace

int JAX_FEATURE_AUTOMOTIVE_COLLECTION_create_manikin_builder(tag_t collection, tag_t manikin, tag_t* builder) {
  return ForFeature<VDJA::ManikinBuilderFactory>(collection, manikin, builder, 36);
}

int JAX_FEATURE_AUTOMOTIVE_COLLECTION_create_tire_envelope_builder(tag_t collection, tag_t tireEnvelope,
                                                                   tag_t* builder) {
  return ForFeature<VDJA::TireEnvelopeBuilderFactory>(collection, tireEnvelope, builder, 41);
}
