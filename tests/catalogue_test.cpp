// The catalogue of published classes against the load table: the table is
// written out by hand, in the order the host must see, so a class added to
// one and not the other, or entered twice, is caught here.
#include <gtest/gtest.h>

#include <map>
#include <iterator>
#include <set>
#include <string>

#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "ja_catalogue.hpp"
#include "ja_catalogue_descriptions.hpp"

namespace {

using KTX::JA::CatalogueKind;
using KTX::JA::CatalogueRow;
using KTX::JA::kCatalogue;

// Registrations in the load table of classes the catalogue does not publish.
const std::set<std::string> kUnpublishedRegistrations = {"KTX::DieDesJA::GenericBodyBuilder"};

// The journal class of each description the catalogue's builders and
// collections include, in catalogue order (the descriptions are already
// included above: this inclusion only expands them).
const char* const kDescribed[] = {
#define JA_EACH_DESCRIPTION JA_UNIT::Unit::journalClass,
#include "ja_catalogue_descriptions.hpp"
#undef JA_EACH_DESCRIPTION
};

std::map<std::string, int> LoadSteps() {
  std::map<std::string, int> steps;
  for (const char* name : KTX::Stamvik::LoadOrderNames()) ++steps[name];
  return steps;
}

int Count(const std::map<std::string, int>& steps, const std::string& name) {
  auto it = steps.find(name);
  return it == steps.end() ? 0 : it->second;
}

TEST(Catalogue, EveryRowHasItsLoadStepsExactlyOnce) {
  const std::map<std::string, int> steps = LoadSteps();
  for (const CatalogueRow& row : kCatalogue) {
    SCOPED_TRACE(row.journalClass);
    EXPECT_EQ(Count(steps, std::string("journal ") + row.journalClass), 1);
    EXPECT_EQ(Count(steps, std::string("owner ") + row.journalClass), row.owner ? 1 : 0);
    if (row.kind == CatalogueKind::Builder) {
      ASSERT_NE(row.registration, nullptr);
      EXPECT_EQ(Count(steps, row.registration), 1);
    } else {
      EXPECT_EQ(row.registration, nullptr);
    }
  }
}

TEST(Catalogue, EveryBuilderAndCollectionRowIncludesItsOwnDescription) {
  std::size_t described = 0;
  for (const CatalogueRow& row : kCatalogue) {
    if (row.kind == CatalogueKind::Feature) continue;
    SCOPED_TRACE(row.journalClass);
    ASSERT_LT(described, std::size(kDescribed));
    EXPECT_STREQ(kDescribed[described++], row.journalClass);
  }
  EXPECT_EQ(described, std::size(kDescribed));
}

TEST(Catalogue, EveryLoadStepOfAPublishedClassHasItsRow) {
  std::set<std::string> journals, owners, registrations;
  for (const CatalogueRow& row : kCatalogue) {
    journals.insert(row.journalClass);
    if (row.owner) owners.insert(row.journalClass);
    if (row.registration != nullptr) registrations.insert(row.registration);
  }
  for (const char* name : KTX::Stamvik::LoadOrderNames()) {
    SCOPED_TRACE(name);
    std::string step(name);
    if (step.rfind("journal ", 0) == 0)
      EXPECT_EQ(journals.count(step.substr(8)), 1u);
    else if (step.rfind("owner ", 0) == 0)
      EXPECT_EQ(owners.count(step.substr(6)), 1u);
    else
      EXPECT_TRUE(registrations.count(step) == 1 || kUnpublishedRegistrations.count(step) == 1);
  }
}

TEST(Catalogue, LoadStepsAndRowsAreNamedOnce) {
  for (const auto& [name, count] : LoadSteps()) EXPECT_EQ(count, 1) << name;
  std::map<std::string, int> classes, anchors;
  for (const CatalogueRow& row : kCatalogue) {
    ++classes[row.journalClass];
    ++anchors[row.anchor];
  }
  for (const auto& [name, count] : classes) EXPECT_EQ(count, 1) << name;
  for (const auto& [name, count] : anchors) EXPECT_EQ(count, 1) << name;
}

TEST(Catalogue, EveryRowIsAnchoredAndNoAnchorIsWithoutARow) {
  std::set<std::string> rows, exported;
  for (const CatalogueRow& row : kCatalogue) {
    rows.insert(std::string("XJA_") + row.anchor + "_force_load");
    // A journal class "Area.Class" is anchored under its class alone.
    std::string journalClass(row.journalClass);
    EXPECT_EQ(journalClass.substr(journalClass.find('.') + 1), row.anchor) << journalClass;
  }
  for (const std::string& name : stamvik_test::ExportsStartingWith("XJA_"))
    if (name.size() > 11 && name.compare(name.size() - 11, 11, "_force_load") == 0) exported.insert(name);
  EXPECT_EQ(exported, rows);
}

}  // namespace
