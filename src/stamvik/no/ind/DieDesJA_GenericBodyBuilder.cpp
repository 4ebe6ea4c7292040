#include "DieDesJA_GenericBodyBuilder.hpp"

#include "sys/Error.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_DEFINE_CLASS(GenericBodyBuilder, "KTX::JAX_FEAT_BUILDER", 0x1001, nullptr,
                        STAMVIK_GENERIC_BODY_BUILDER_ATTRIBUTES)

namespace {
constexpr const char* kSchemaSource = "DieDesJA_GenericBodyBuilder_SchemaRegistrant";
constexpr int kAbstractMethod = 580203;
}  // namespace

int GenericBodyBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD*) {
  ERROR_raise(kSchemaSource, __LINE__, kAbstractMethod,
              "Attempt to invoke abstract method GenericBodyBuilder::ConvertBuilderDataToFrec on &%p of class %s",
              static_cast<void*>(this), OM::OM_ask_class_name(OmClassId()));
}

int GenericBodyBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS*) {
  ERROR_raise(kSchemaSource, __LINE__, kAbstractMethod,
              "Attempt to invoke abstract method GenericBodyBuilder::ToParms on &%p of class %s",
              static_cast<void*>(this), OM::OM_ask_class_name(OmClassId()));
}

void GenericBodyBuilder::GetSelectedObjects(int*, tag_t**) const {
  ERROR_raise(kSchemaSource, __LINE__, kAbstractMethod,
              "Attempt to invoke abstract method GenericBodyBuilder::GetSelectedObjects on &%p of class %s",
              static_cast<const void*>(this), OM::OM_ask_class_name(OmClassId()));
}

void GenericBodyBuilder::SetAlgorithmVersion(int version) {
  OM::LogForWrite(this);
  m_algorithmVersion = version;
}

}  // namespace KTX::DieDesJA
