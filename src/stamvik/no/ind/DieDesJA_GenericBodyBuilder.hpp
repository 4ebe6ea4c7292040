// The abstract base of the nine die-design body builders.
#pragma once
#include "ClassFrame.hpp"
#include "afl/DieDesign.hpp"
#include "feat/Builder.hpp"

namespace KTX::DieDesJA {

#define STAMVIK_GENERIC_BODY_BUILDER_ATTRIBUTES(A) \
  A(0, m_algorithmVersion, ::KTX::Frame::Integer, 0x1)

class STAMVIK_API GenericBodyBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(GenericBodyBuilder, JAX_FEAT_BUILDER, "KTX::DieDesJA::GenericBodyBuilder",
                   STAMVIK_GENERIC_BODY_BUILDER_ATTRIBUTES)

 public:
  // Writes the builder's data into the parameters of an existing record.
  virtual int ConvertBuilderDataToFrec(FEATURE_RECORD* frec);

 private:
  virtual int ToParms(DIEDES_GENERIC_BODY_PARMS* parms);
  // Hands out a new array (freed with SM_free) of the selected input tags.
  virtual void GetSelectedObjects(int* count, tag_t** tags) const;

 protected:
  int GetAlgorithmVersion() const { return m_algorithmVersion; }
  void SetAlgorithmVersion(int version);
};

STAMVIK_OM_CLASS_EXPORTS(GenericBodyBuilder)

}  // namespace KTX::DieDesJA
