// The stand-in's tooling utilities: feature sets and their members, deleting
// features, plain object sets, selection rules of sections, a solid's edges,
// the hidden update and the tooling customer defaults.
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/Sketch.hpp"
#include "om/ObjectSet.hpp"
#include "sel/Selection.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

namespace {

using namespace KTX;

class ToolingHost : public stamvik_test::HostTest {
 protected:
  void TearDown() override {
    Host::ClearCustomerDefaults();
    HostTest::TearDown();
  }
  static tag_t Feature() { return FEATURE_RECORD::Create(nullptr, nullptr)->OmTag(); }
  static std::vector<tag_t> Members(tag_t set) {
    int count = 0;
    tag_t* members = nullptr;
    EXPECT_EQ(FSET_ask_group_members(set, &count, &members), 0);
    std::vector<tag_t> out(members, members + count);
    SM_free(members);
    return out;
  }
  static tag_t Line(double x0, double x1) {
    const double a[3] = {x0, 0, 0}, b[3] = {x1, 0, 0};
    return ES_create_line_in_part(nullptr, a, b);
  }
  static tag_t Edge() {
    const double points[6] = {0, 0, 0, 0, 5, 0};
    return ES_create_edge(0, 2, points);
  }
};

TEST_F(ToolingHost, AFeatureSetIsMadeOnlyOfLiveFeatures) {
  const tag_t a = Feature(), b = Feature();
  const tag_t line = Line(0, 1);
  struct Row {
    const char* what;
    std::vector<tag_t> features;
    bool made;
  };
  const Row rows[] = {
      {"none", {}, false},
      {"two features", {a, b}, true},
      {"a feature listed twice is a member once", {a, b, a}, true},
      {"tag 0 among them", {a, 0}, false},
      {"a curve among them", {a, line}, false},
  };
  for (const Row& row : rows) {
    const tag_t set = TOOLING_create_user_defined_feature_set(row.features.data(),
                                                              static_cast<int>(row.features.size()), 1, 0,
                                                              "Draw Punch");
    EXPECT_EQ(set != 0, row.made) << row.what;
    if (set != 0) {
      EXPECT_EQ(Members(set), (std::vector<tag_t>{a, b})) << row.what;
    }
  }
  EXPECT_EQ(Host::FeatureSetsOfPart(part()).size(), 2u);
}

TEST_F(ToolingHost, ReplacingMembersIsAllOrNothingAndUndone) {
  const tag_t a = Feature(), b = Feature(), c = Feature();
  const tag_t first[] = {a};
  const tag_t set = TOOLING_create_user_defined_feature_set(first, 1, 1, 0, "Draw Punch");
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, nullptr, &error);
  const tag_t withCurve[] = {c, Line(0, 1)};
  EXPECT_EQ(TOOLING_replace_feature_set_member(set, withCurve, 2), kNotAFeature);
  EXPECT_EQ(Members(set), std::vector<tag_t>{a});
  const tag_t next[] = {c, b, a};
  EXPECT_EQ(TOOLING_replace_feature_set_member(set, next, 3), 0);
  EXPECT_EQ(Members(set), (std::vector<tag_t>{c, b, a}));
  EXPECT_EQ(TOOLING_replace_feature_set_member(a, next, 3), Error::kBadObject);
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  EXPECT_EQ(Members(set), std::vector<tag_t>{a});
}

TEST_F(ToolingHost, DeletedFeaturesLeaveEverySetAndAnUnknownTagDeletesNothing) {
  const tag_t a = Feature(), b = Feature(), c = Feature();
  const tag_t all[] = {a, b, c};
  const tag_t one = TOOLING_create_user_defined_feature_set(all, 3, 1, 0, "DrawDie");
  const tag_t two = TOOLING_create_user_defined_feature_set(all + 1, 2, 1, 0, "Draw Punch");
  const tag_t wrong[] = {a, Line(0, 1)};
  EXPECT_EQ(TOOLING_delete_feature(2, wrong), kNotAFeature);
  EXPECT_NE(OM::OM_object_of_tag(a), nullptr);
  const tag_t doomed[] = {b, a};
  EXPECT_EQ(TOOLING_delete_feature(2, doomed), 0);
  EXPECT_EQ(OM::OM_object_of_tag(a), nullptr);
  EXPECT_EQ(Members(one), std::vector<tag_t>{c});
  EXPECT_EQ(Members(two), std::vector<tag_t>{c});
  EXPECT_EQ(TOOLING_delete_feature(0, nullptr), 0);
}

TEST_F(ToolingHost, ObjectSetsKeepEachTagOnceAndFlattenWhatIsAlive) {
  OM::Set* set = OM_create_set();
  const tag_t a = Feature(), b = Feature();
  for (tag_t t : {a, 0u, b, a}) OM_insert_into_set(set, t);
  EXPECT_EQ(OM_ask_set_count(set), 2);
  const tag_t gone[] = {a};
  TOOLING_delete_feature(1, gone);
  int count = 0;
  tag_t* tags = nullptr;
  OM_flatten_set(set, &count, &tags);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(tags[0], b);
  SM_free(tags);
  OM_delete_object(set);
}

TEST_F(ToolingHost, SectionRulesTakeOnlyTheirKindsAndAreRemovedByIndex) {
  SC_section* section = SC_sectionFactory::object(0, 0.0095, 0.01, 0.5);
  const tag_t l1 = Line(0, 1), l2 = Line(1, 2), edge = Edge();
  auto rule = [](int kind, std::vector<tag_t> entities) {
    SC_input_data* data = SC_init_input_data(kind);
    data->entities = std::move(entities);
    return data;
  };
  struct Row {
    const char* what;
    int kind;
    std::vector<tag_t> entities;
  };
  const Row refused[] = {
      {"an edge in a curve rule", SC_section::kCurveRule, {l1, edge}},
      {"a curve in an edge rule", SC_section::kEdgeRule, {l1}},
      {"another kind", 38, {l1}},
  };
  for (const Row& row : refused) {
    SC_input_data* good = rule(SC_section::kCurveRule, {l2});
    SC_input_data* bad = rule(row.kind, row.entities);
    const int kinds[] = {SC_section::kCurveRule, row.kind};
    SC_input_data* both[] = {good, bad};
    EXPECT_EQ(section->add_rules(2, kinds, both, 0, 0, 0, 0, true), SC_section::kBadRule) << row.what;
    EXPECT_EQ(section->ask_rule_count(), 0) << row.what;
    SC_free_input_data(good);
    SC_free_input_data(bad);
  }
  SC_input_data* curves = rule(SC_section::kCurveRule, {l1, l2});
  SC_input_data* edges = rule(SC_section::kEdgeRule, {edge});
  const int kinds[] = {SC_section::kCurveRule, SC_section::kEdgeRule};
  SC_input_data* both[] = {curves, edges};
  EXPECT_EQ(section->add_rules(2, kinds, both, 0, 0, 0, 0, true), 0);
  SC_free_input_data(curves);
  SC_free_input_data(edges);
  EXPECT_EQ(section->ask_rule_entities(), (std::vector<tag_t>{l1, l2, edge}));
  EXPECT_FALSE(section->is_empty());
  const int past[] = {0, 2};
  EXPECT_EQ(RaisedCode([&] { section->remove_rules(2, past); }), Error::kIndexOutOfRange);
  EXPECT_EQ(section->ask_rule_count(), 2);
  const int first[] = {0};
  EXPECT_EQ(section->remove_rules(1, first), 0);
  ASSERT_EQ(section->ask_rules_data().size(), 1u);
  EXPECT_EQ(section->ask_rules_data()[0].kind, SC_section::kEdgeRule);
  EXPECT_EQ(section->ask_rule_entities(), std::vector<tag_t>{edge});
}

TEST_F(ToolingHost, AnEdgeIsOfType70Subtype3AndALineOfType3) {
  int type = -1, subtype = -1;
  RM_ask_entity_type_and_subtype(Edge(), &type, &subtype);
  EXPECT_EQ(type * 10 + subtype, 703);
  RM_ask_entity_type_and_subtype(Line(0, 1), &type, &subtype);
  EXPECT_EQ(type * 10 + subtype, 30);
}

TEST_F(ToolingHost, TheHiddenUpdateLeavesTheScriptedSuppressFlag) {
  const tag_t a = Feature(), b = Feature();
  Host::SuppressOnHiddenUpdate(a, 4);
  UPDATE_do_update_hidden();
  EXPECT_EQ(FREC_ask_suppress_flag(a), 4);
  EXPECT_EQ(FREC_ask_suppress_flag(b), 0);
  UPDATE_do_update_hidden();  // scripted once only
  EXPECT_EQ(FREC_ask_suppress_flag(a), 4);
  EXPECT_EQ(FREC_ask_suppress_flag(0), 0);
}

TEST_F(ToolingHost, CustomerDefaultsFillTheBufferUpToItsSize) {
  const std::string longest(kCustomerDefaultSize - 1, 'x');
  Host::SetCustomerDefault("MFM_Rough_Attribute", "ROUGH");
  Host::SetCustomerDefault("MFM_Refined_Attribute", longest + "y");
  struct Row {
    const char* name;
    int result;
    std::string text;
  };
  const Row rows[] = {
      {"MFM_Rough_Attribute", 0, "ROUGH"},
      {"MFM_Refined_Attribute", 0, longest},
      {"MFM_Finishing_Attribute", kNoCustomerDefault, "untouched"},
  };
  for (const Row& row : rows) {
    char buffer[kCustomerDefaultSize + 1];
    std::memset(buffer, 'z', sizeof buffer);
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(TOOLING_get_customer_default(0, row.name, 0, 0, buffer), row.result) << row.name;
    EXPECT_EQ(buffer, row.text) << row.name;
    EXPECT_EQ(buffer[kCustomerDefaultSize], 'z') << row.name << ": written past the buffer";
  }
}

}  // namespace
