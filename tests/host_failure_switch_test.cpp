// The failure switch as KTX_FAIL sets it: each facility name read, and the
// first call of the facility it names failing, while another facility's
// calls go on unharmed and uncounted.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "feat/Builder.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "om/ObjectManager.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Failure.hpp"
#include "sys/Memory.hpp"

using namespace KTX;

namespace {

class FailureSwitch : public stamvik_test::HostTest {};

// One call of a facility, as the plug-in makes it: true when it failed as
// that facility's calls fail.
using Probe = std::function<bool()>;

TEST_F(FailureSwitch, EachFacilityNameFailsTheFirstCallOfItsFacilityOnly) {
  const Probe memory = [] {
    try {
      SM_free(SM_alloc(16));
    } catch (const Error::Exception& e) {
      return e.askCode() == Error::kNoMemory;
    }
    return false;
  };
  const Probe kernel = [] {
    const int body = Kernel::CreateBody(Kernel::BodyType::Solid);
    int copy = 0;
    const int rc = DieDesUtilsSolvaneCopy(false, body, &copy);
    if (copy != 0) Kernel::DeleteBody(copy, "test");
    Kernel::DeleteBody(body, "test");
    return rc == Failure::kKernelError && copy == 0;
  };
  const Probe record = [this] {
    try {
      FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), nullptr);
      frec->destroy();
    } catch (const Error::Exception& e) {
      return e.askCode() == Failure::kInjected;
    }
    return false;
  };
  const Probe mark = [] {
    int error = 0;
    const int made = UNDO_QD_set_mark(1, "probe", &error);
    if (made != 0) UNDO_QD_delete_mark(made, nullptr);
    return error == Failure::kInjected && made == 0;
  };
  const Probe hostCall = [] {
    try {
      Host::Log("EXP_probe");
    } catch (const Error::Exception& e) {
      return e.askCode() == Failure::kInjected;
    }
    return false;
  };
  // A body with geometry, made before the switch counts anything.
  int shaped = 0;
  {
    const std::vector<std::vector<double>> square = {{0, 0, 0, 0.01, 0, 0, 0.01, 0.01, 0, 0, 0.01, 0}};
    const double up[3] = {0, 0, 1};
    ASSERT_EQ(Kernel::MakeExtrusion(square, up, 0, 0.01, false, &shaped), 0);
  }
  const Probe query = [shaped] {
    int solids = 7;
    return ZV_BODY_ask_n_solids(shaped, &solids) == ZV_ERROR_geometry && solids == 0;
  };
  const struct {
    const char* setting;
    unsigned facilities;
    const Probe* named;
    const char* failed;  // the call the switch names
    const Probe* other;  // another facility's call, made first: it neither fails nor counts
  } rows[] = {
      {"memory:1", Failure::kMemory, &memory, "SM_alloc", &mark},
      {"kernel:1", Failure::kKernel, &kernel, "DieDesUtilsSolvaneCopy", &memory},
      {"record:1", Failure::kFeatureRecord, &record, "FEATURE_RECORD::Create", &kernel},
      {"mark:1", Failure::kUndoMark, &mark, "UNDO_QD_set_mark", &record},
      {"hostcall:1", Failure::kHostCall, &hostCall, "EXP_probe", &memory},
      {"all:1", Failure::kEverything, &memory, "SM_alloc", nullptr},
      {"mark+record:1", Failure::kUndoMark | Failure::kFeatureRecord, &record, "FEATURE_RECORD::Create", &kernel},
      {"query:1", Failure::kQuery, &query, "ZV_BODY_ask_n_solids", &kernel},
      // The calls that make bodies leave the queries, which are named on their own.
      {"kernel:1", Failure::kKernel, &kernel, "DieDesUtilsSolvaneCopy", &query},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.setting);
    unsigned facilities = 0;
    long long n = 0;
    std::string why;
    ASSERT_TRUE(Failure::ParseSetting(row.setting, &facilities, &n, &why)) << why;
    EXPECT_EQ(facilities, row.facilities);
    EXPECT_EQ(n, 1);
    Failure::FailAt(facilities, n);
    if (row.other != nullptr) {
      EXPECT_FALSE((*row.other)()) << "another facility's call failed";
      EXPECT_EQ(Failure::Counted(), 0) << "another facility's call was counted";
    }
    EXPECT_TRUE((*row.named)()) << "the named facility's first call did not fail";
    EXPECT_EQ(Failure::FailedCall(), row.failed);
    // Once: its second call goes on.
    EXPECT_FALSE((*row.named)());
    EXPECT_GE(Failure::Off(), 2);
  }
  Kernel::DeleteBody(shaped, "test");
}

// Each query of a body's geometry, the first counted call of "query",
// fails as the modeller's failure does: 22005, with nothing written but
// the zeros the call writes first; the same call once the switch is off
// answers.
TEST_F(FailureSwitch, EachQueryOfABodysGeometryFailsAsTheModellersFailure) {
  const std::vector<std::vector<double>> square = {{0, 0, 0, 0.01, 0, 0, 0.01, 0.01, 0, 0, 0.01, 0}};
  const double up[3] = {0, 0, 1}, origin[3] = {0, 0, 0}, axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const double points[3] = {0.005, 0.005, 0.005};
  int body = 0;
  ASSERT_EQ(Kernel::MakeExtrusion(square, up, 0, 0.01, false, &body), 0);
  const struct {
    const char* call;
    std::function<std::string()> ask;  // its status and what it wrote
    const char* failed;
    const char* answered;
  } rows[] = {
      {"ZV_BODY_ask_n_solids",
       [&] {
         int solids = 7;
         const int status = ZV_BODY_ask_n_solids(body, &solids);
         return std::to_string(status) + " " + std::to_string(solids);
       },
       "22005 0", "0 1"},
      {"ZV_BODY_check_solid",
       [&] {
         int valid = 7;
         const int status = ZV_BODY_check_solid(body, &valid);
         return std::to_string(status) + " " + std::to_string(valid);
       },
       "22005 0", "0 1"},
      {"ZV_BODY_ask_box",
       [&] {
         double low[3] = {7, 7, 7}, high[3] = {7, 7, 7};
         const int status = ZV_BODY_ask_box(body, origin, axes, low, high);
         return std::to_string(status) + " " + std::to_string(std::lround(high[2] * 1000));
       },
       "22005 7000", "0 10"},
      {"ZV_BODY_classify_points",
       [&] {
         int where = 7;
         const int status = ZV_BODY_classify_points(body, 1, points, &where);
         return std::to_string(status) + " " + std::to_string(where);
       },
       "22005 7", "0 1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.call);
    Failure::FailAt(Failure::kQuery, 1);
    EXPECT_EQ(row.ask(), row.failed);
    EXPECT_EQ(Failure::FailedCall(), row.call);
    Failure::Off();
    EXPECT_EQ(row.ask(), row.answered);
  }
  Kernel::DeleteBody(body, "test");
}

}  // namespace
