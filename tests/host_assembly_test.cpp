// The assembly room as the tire envelope reads it: a component's names at
// their longest, a component moved and read back as origin and axes (and put
// back by an undo), each call refused for what is no component or of no
// part with its number's text, and the walk over a part's components.
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "assy/Assembly.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

using namespace KTX;
using stamvik_test::HostTest;

namespace {

class Assembly : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    wheel_ = PART_part::Create(0);
    Assy::NamePart(wheel_, "wheel_of_the_assembly_test.prt");
  }
  void TearDown() override {
    wheel_->destroy();
    HostTest::TearDown();
  }
  tag_t Add(const std::string& name) {
    tag_t instance = 0;
    EXPECT_EQ(ASSY_add_part_to_assembly(part(), wheel_, nullptr, name.c_str(), -1, nullptr, 0, &instance), 0);
    return instance;
  }
  PART_part* wheel_ = nullptr;
};

TEST_F(Assembly, ANameKeepsItsFirst132BytesAndTheInstanceTakesItInUpperCase) {
  struct Row {
    const char* what;
    std::string name;
    std::string component;
    std::string instance;
  };
  const Row rows[] = {
      {"mixed case", "Tire_Body", "Tire_Body", "TIRE_BODY"},
      {"132 bytes, the longest kept", std::string(131, 'w') + "x", std::string(131, 'w') + "x",
       std::string(131, 'W') + "X"},
      {"133 bytes, the last one cut", std::string(132, 'w') + "x", std::string(132, 'w'), std::string(132, 'W')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const tag_t tag = Add(row.name);
    auto* instance = dynamic_cast<ASSY_instance*>(OM::OM_object_of_tag(tag));
    if (instance == nullptr) {
      ADD_FAILURE() << "no instance";
      continue;
    }
    EXPECT_EQ(std::string(instance->ask_component_name()), row.component);
    EXPECT_EQ(std::string(instance->ask_name()), row.instance);
    EXPECT_EQ(ASSY_remove_component(tag), 0);
  }
}

TEST_F(Assembly, AMovedComponentReadsBackItsOriginAndAxesAndAnUndoPutsItBack) {
  const tag_t instance = Add("tire_body");
  const int mark = stamvik_test::UndoMark();
  // X along the world's Y, Y along its Z: Z = X x Y along its X.
  const double at[3] = {1, 2, 3};
  const double axes[6] = {0, 1, 0, 0, 0, 1};
  ASSERT_EQ(VD_ASSEM_reposition_instance(instance, at, axes), 0);
  struct Read {
    std::vector<double> origin, matrix, placement;
  };
  auto read = [&] {
    char *partName = nullptr, *referenceSet = nullptr, *componentName = nullptr;
    double origin[3], matrix[9], placement[16];
    EXPECT_EQ(ASSY_ask_component_data(instance, &partName, &referenceSet, &componentName, origin, matrix, placement),
              0);
    EXPECT_STREQ(partName, "wheel_of_the_assembly_test.prt");
    EXPECT_STREQ(referenceSet, "");
    EXPECT_STREQ(componentName, "tire_body");
    for (char* text : {partName, referenceSet, componentName}) SM_free(text);
    return Read{{origin, origin + 3}, {matrix, matrix + 9}, {placement, placement + 16}};
  };
  const Read moved = read();
  EXPECT_EQ(moved.origin, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(moved.matrix, (std::vector<double>{0, 1, 0, 0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(moved.placement, (std::vector<double>{0, 0, 1, 1, 1, 0, 0, 2, 0, 1, 0, 3, 0, 0, 0, 1}));

  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  const Read back = read();
  EXPECT_EQ(back.origin, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(back.matrix, (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));

  // What is no component is neither moved nor read: nothing handed out.
  const tag_t notAComponent = OM::OM_ask_object_tag(wheel_);
  EXPECT_EQ(VD_ASSEM_reposition_instance(notAComponent, at, axes), kNoInstance);
  char* partName = nullptr;
  double origin[3] = {7, 7, 7};
  EXPECT_EQ(ASSY_ask_component_data(notAComponent, &partName, nullptr, nullptr, origin, nullptr, nullptr), kNoInstance);
  EXPECT_EQ(partName, nullptr);
  EXPECT_EQ(origin[0], 7);
}

// A call given what is no component, or a component of no part, is refused
// with the number of that failure, which the user reads with its own text.
TEST_F(Assembly, WhatIsNoComponentOrOfNoPartIsRefusedWithItsNumbersOwnText) {
  const char* const kNoInstanceText = "850002 (the tag is no component instance)";
  const char* const kNoPartText = "850001 (a component of no part, or in no parent)";
  const tag_t notAComponent = OM::OM_ask_object_tag(wheel_);
  const double at[3] = {0, 0, 0};
  const double axes[6] = {1, 0, 0, 0, 1, 0};
  struct Row {
    const char* what;
    std::function<int()> call;  // the status, or the number raised
    const char* described;
  };
  const Row rows[] = {
      {"removing a part as a component", [&] { return ASSY_remove_component(notAComponent); }, kNoInstanceText},
      {"hiding a part as a component", [&] { return OCC_blank_component(notAComponent, true, false, nullptr); },
       kNoInstanceText},
      {"moving a part as a component", [&] { return VD_ASSEM_reposition_instance(notAComponent, at, axes); },
       kNoInstanceText},
      {"reading a part as a component",
       [&] { return ASSY_ask_component_data(notAComponent, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); },
       kNoInstanceText},
      {"adding no part",
       [&] {
         try {
           return ASSY_add_part_to_assembly(part(), nullptr, nullptr, "none", -1, nullptr, 0, nullptr);
         } catch (const Error::Exception& e) {
           return e.askCode();
         }
       },
       kNoPartText},
      {"adding a part to no parent",
       [&] {
         try {
           return ASSY_add_part_to_assembly(nullptr, wheel_, nullptr, "orphan", -1, nullptr, 0, nullptr);
         } catch (const Error::Exception& e) {
           return e.askCode();
         }
       },
       kNoPartText},
      {"adding a part no file of that name loaded",
       [&] {
         tag_t instance = 0;
         return VD_ASSEM_add_part_to_assembly(part(), "not_loaded.prt", "", "none", at, axes, -1, &instance, nullptr);
       },
       kNoPartText},
      {"making a tire-body part of no name",
       [&] {
         PART_part* made = nullptr;
         return TIREENV_new_tirebody_part("", &made);
       },
       kNoPartText},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Error::Describe(row.call()), row.described);
  }
  EXPECT_TRUE(ASSY_ask_components(part()).empty());
}

TEST_F(Assembly, TheWalkOverAPartsComponentsGoesInTheirOrderAndEndsAfterTheLast) {
  const tag_t first = Add("first");
  const tag_t second = Add("second");
  EXPECT_EQ(VD_ASSEM_cycle_inst_of_part(part(), 0), first);
  EXPECT_EQ(VD_ASSEM_cycle_inst_of_part(part(), first), second);
  EXPECT_EQ(VD_ASSEM_cycle_inst_of_part(part(), second), 0);
  EXPECT_EQ(VD_ASSEM_cycle_inst_of_part(wheel_, 0), 0);
}

// A part's list of what it keeps lets go of the objects freed for good, but
// not of those deleted under a mark: undone, they are the part's again (found
// as its objects, and destroyed with it, which the leak check holds).
TEST_F(Assembly, APartsKeepingLetsGoOfFreedObjectsButNotOfThoseAnUndoBringsBack) {
  constexpr int kMade = 3000;  // past the lists' pruning floor twice over
  std::vector<SELECT_OBJECT*> lasting;
  for (int i = 0; i < 8; ++i) lasting.push_back(Host::CreateInPart<SELECT_OBJECT>(part()));
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, "keeping", &error);
  for (int i = 0; i < 4; ++i) lasting[static_cast<std::size_t>(i)]->destroy();
  // Objects made and dropped while the mark can still bring those back.
  for (int i = 0; i < kMade; ++i) Host::CreateInPart<SELECT_OBJECT>(part())->destroy();
  ASSERT_EQ(UNDO_QD_undo_to_mark(mark, "keeping"), 0);
  ASSERT_EQ(UNDO_QD_delete_mark(mark, "keeping"), 0);
  for (int i = 0; i < kMade; ++i) Host::CreateInPart<SELECT_OBJECT>(part())->destroy();
  std::vector<tag_t> expected;
  for (SELECT_OBJECT* o : lasting) expected.push_back(o->ask_tag());
  EXPECT_EQ(Host::KeptInPart(part()), expected);
  for (SELECT_OBJECT* o : lasting) EXPECT_EQ(PART_ask_part_of_object(o->ask_tag()), part());
}

}  // namespace
