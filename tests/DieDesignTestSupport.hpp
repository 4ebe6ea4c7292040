// Shared set-up of the die-design and die-engineering body builders' suites:
// model bodies the test owns, section loops, expressions, base planes,
// readers of the host's call log and of the records handed to it.
#pragma once
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "DieDes_DiePlaneBuilder.hpp"
#include "TestSupport.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "jam/Session.hpp"
#include "kernel/Kernel.hpp"
#include "sel/Selection.hpp"

namespace stamvik_test {

using namespace KTX;
using KTX::Kernel::BodyType;

class DieDesignFeature : public stamvik_test::HostTest {
 protected:
  void TearDown() override {
    // The test's own bodies: taken from their model bodies and deleted.
    for (auto [model, body] : modelBodies_) {
      Kernel::DetachModelBody(model);
      Kernel::DeleteBody(body, "test");
    }
    HostTest::TearDown();
  }

  // A model body holding a new kernel body of the type.
  tag_t ModelBody(BodyType type, int* kernelBody = nullptr) {
    int body = Kernel::CreateBody(type);
    tag_t model = ES_create_solid(body);
    modelBodies_.push_back({model, body});
    if (kernelBody != nullptr) *kernelBody = body;
    return model;
  }

  tag_t Curve(double x) {
    const double point[3] = {x, 0.0, 0.0};
    return ES_create_point(point);
  }
  void ClosedLoop(SC_section* section) {
    const tag_t curves[2] = {Curve(1.0), Curve(2.0)};
    section->add_loop(SC_section::kClosed, 2, curves);
  }
  void OpenLoop(SC_section* section) {
    const tag_t curve = Curve(3.0);
    section->add_loop(SC_section::kOpen, 1, &curve);
  }
  void Set(EXP_expression* expression, const char* text) {
    ASSERT_EQ(EXP_edit_exp(part()->ask_tag(), expression, text), 0);
  }
  // The plane given as the coordinate system at (0, 0, z).
  static void CoordinateSystemAt(DieDes::DiePlaneBuilder* plane, double z) {
    plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const double origin[3] = {0, 0, z};
    plane->SetCoordinateSystemOrigin(origin);
  }
  // The value of type T at that byte of a record handed to the host.
  template <class T>
  static T At(const void* record, int byte) {
    T value{};
    std::memcpy(&value, static_cast<const unsigned char*>(record) + byte, sizeof value);
    return value;
  }

  static int LiveBodies() { return Kernel::LiveCounters().liveBodies; }
  // The arguments of every logged call of that name.
  static std::vector<std::string> ArgsOf(const std::string& name) {
    std::vector<std::string> args;
    for (const Host::Call& c : Host::Calls())
      if (c.name == name) args.push_back(c.args);
    return args;
  }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
  // The bodies of a logged "tools=[...]" argument.
  static std::vector<int> ToolsIn(const std::string& args) {
    std::vector<int> tools;
    const std::size_t from = args.find("tools=[");
    if (from == std::string::npos) return tools;
    std::size_t at = from + 7;
    while (at < args.size() && args[at] != ']') {
      std::size_t used = 0;
      tools.push_back(std::stoi(args.substr(at), &used));
      at += used;
      if (at < args.size() && args[at] == ',') ++at;
    }
    return tools;
  }

  // The preview's mark: set with the name, undone to or not, and deleted.
  static void ExpectMark(const char* name, bool undone) {
    auto set = ArgsOf("SessionSetUndoMark");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0], std::string("visibility=1 name=\"") + name + "\"");
    EXPECT_EQ(ArgsOf("SessionUndoToMark").size(), undone ? 1u : 0u);
    EXPECT_EQ(ArgsOf("SessionDeleteUndoMark").size(), 1u);
    EXPECT_TRUE(Host::OpenSessionMarks().empty());
  }

  static FEATURE_RECORD* Commit(JAX_FEAT_BUILDER* builder, int* rc) {
    FEATURE_RECORD* frec = nullptr;
    *rc = builder->commit_feature(&frec);
    return frec;
  }

 private:
  std::vector<std::pair<tag_t, int>> modelBodies_;
};

}  // namespace stamvik_test
