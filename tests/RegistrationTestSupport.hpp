// Checks the class-registration suites share: a registered class as the
// object manager describes it, the parts of its rows every class has, and a
// builder's journal class name.
// A check that stops at a fatal failure is meant to be wrapped in
// ASSERT_NO_FATAL_FAILURE, so that the caller stops there too.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "om/ObjectManager.hpp"
#include "sys/Memory.hpp"

namespace stamvik_test {

// The registrant word the class was last registered with, 0 when never.
inline unsigned RegistrantWordOf(const std::string& className) {
  unsigned word = 0;
  for (const KTX::OM::RegistrationEvent& e : KTX::OM::RegistrationEvents())
    if (e.registered && e.className == className) word = e.registrantWord;
  return word;
}

// The class's description into view: its name, superclass, flags, row count,
// and the registrant word that counts its rows.
inline void ExpectRegisteredClass(int classId, const char* name, const char* superclass, int count,
                                  KTX::OM::ClassView* view) {
  ASSERT_TRUE(KTX::OM::OM_describe_class(classId, view));
  EXPECT_EQ(view->name, name);
  EXPECT_EQ(view->superclassName, superclass);
  EXPECT_EQ(view->flags, 0x1000u);
  ASSERT_EQ(view->rows.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(RegistrantWordOf(name), 0x80000000u + static_cast<unsigned>(count));
}

// A row's field name, attribute index, type code and flags.
inline void ExpectRow(const KTX::OM::ClassAttributeStruct* row, unsigned index, const char* field, std::uint32_t type,
                      std::uint32_t flags) {
  EXPECT_STREQ(row->fieldName, field);
  EXPECT_EQ(row->attributeIndex, 0x80000000u + index);
  EXPECT_EQ(row->typeCode, type);
  EXPECT_EQ(row->flags, flags);
}

// The class a row refers to by name, or none when referenced is null.
inline void ExpectReferencedClass(const KTX::OM::ClassAttributeStruct* row, const char* referenced) {
  if (referenced == nullptr) {
    EXPECT_EQ(row->referencedClass, nullptr);
  } else {
    ASSERT_NE(row->referencedClass, nullptr);
    EXPECT_STREQ(*row->referencedClass, referenced);
  }
}

// The journal class name a builder gives (a copy the caller frees).
template <class Builder>
void ExpectJournalName(Builder* builder, const char* name) {
  char* text = builder->ask_journal_class_name();
  EXPECT_STREQ(text, name);
  SM_free(text);
}

}  // namespace stamvik_test
