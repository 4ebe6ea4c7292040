// Checks the class-registration suites share: a registered class as the
// object manager describes it, the parts of its rows every class has, a
// class with some of its rows written out, and a builder's journal class name.
// A check that stops at a fatal failure is meant to be wrapped in
// ASSERT_NO_FATAL_FAILURE, so that the caller stops there too.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
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

// A row written out by hand: the parts every row has, then the ones only
// some rows carry.
struct RegisteredRow {
  unsigned index;
  const char* field;
  std::uint32_t type;
  std::uint32_t flags;
  const char* referenced = nullptr;  // class name of a reference
  std::uint64_t measure = 0;         // measure code, 0 for none
  bool startsTrue = false;           // the row gives the initial value true
};

// How much of a row a suite pins down beyond its name, type, flags and class:
// every part (a row with none of the optional ones has no initial value, no
// measure and no dimensions), or only the qualifier of its reference (classes
// whose rows carry initial values and dimensions of their own).
enum class RowParts { kAll, kReferencesOnly };

// The class's registration and the rows written out. A reference row carries
// the qualifier 0x10000, a row that starts true the qualifier 1, any other 0.
inline void ExpectRegistration(int classId, const char* name, const char* superclass, int count,
                               std::initializer_list<RegisteredRow> rows, RowParts parts = RowParts::kAll) {
  SCOPED_TRACE(name);
  KTX::OM::ClassView view;
  ASSERT_NO_FATAL_FAILURE(ExpectRegisteredClass(classId, name, superclass, count, &view));
  for (const RegisteredRow& want : rows) {
    const KTX::OM::ClassAttributeStruct* row = view.rows.at(want.index);
    SCOPED_TRACE(want.field);
    ExpectRow(row, want.index, want.field, want.type, want.flags);
    EXPECT_NO_FATAL_FAILURE(ExpectReferencedClass(row, want.referenced));
    if (parts == RowParts::kReferencesOnly) {
      if (want.referenced != nullptr) {
        EXPECT_EQ(row->typeQualifier, 0x10000u);
      }
      continue;
    }
    EXPECT_EQ(row->dimensions, nullptr);
    if (want.startsTrue) {
      EXPECT_NE(row->initialValue, nullptr);
      if (row->initialValue != nullptr) {
        EXPECT_TRUE(*static_cast<const bool*>(row->initialValue));
      }
      EXPECT_EQ(row->typeQualifier, 1u);
    } else {
      EXPECT_EQ(row->initialValue, nullptr);
      EXPECT_EQ(row->typeQualifier, want.type == 4 ? 0x10000u : 0u);
    }
    if (want.measure == 0) {
      EXPECT_EQ(row->measureList, nullptr);
    } else {
      EXPECT_NE(row->measureList, nullptr);
      if (row->measureList == nullptr) continue;
      const auto* m = static_cast<const KTX::OM::MeasureList*>(row->measureList);
      EXPECT_EQ(m->count, 1u);
      EXPECT_EQ(m->codes, &m->code);
      EXPECT_EQ(m->code, want.measure);
    }
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
