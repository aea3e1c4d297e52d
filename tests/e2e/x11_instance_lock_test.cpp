// The single-instance lock: who holds it, what later starts read, and where it may live.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "adapters/x11/instance_lock.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

class InstanceLockTest : public ::testing::Test {
 protected:
  InstanceLockTest()
      : root_(fs::temp_directory_path() / ("varnel-lock-test-" + std::to_string(getpid()))) {
    fs::create_directories(root_ / "run");
    fs::permissions(root_ / "run", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(root_ / "tmp");
  }
  ~InstanceLockTest() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string Run() const { return (root_ / "run").string(); }
  std::string Tmp() const { return (root_ / "tmp").string(); }
  std::unique_ptr<InstanceLock> Lock(const std::string& display = ":7") const {
    return std::make_unique<InstanceLock>(Run(), Tmp(), display);
  }

  fs::path root_;
};

// Each lock object stands for one start: its own open file, as in another process.
TEST_F(InstanceLockTest, OneHolderAtATimeAndItsWindowForTheOthers) {
  auto first = Lock();
  auto second = Lock();
  EXPECT_EQ(first->Claim(), InstanceClaim::First);
  EXPECT_EQ(first->Claim(), InstanceClaim::First);  // asking again keeps it
  EXPECT_EQ(second->Claim(), InstanceClaim::Taken);
  EXPECT_EQ(second->Published(), 0U);  // the holder is still building its window
  second->Publish(99);                 // only the holder writes
  EXPECT_EQ(second->Published(), 0U);
  first->Publish(0x2a00007);
  EXPECT_EQ(second->Published(), 0x2a00007U);

  first.reset();  // the holder ends
  EXPECT_EQ(second->Claim(), InstanceClaim::First);
  EXPECT_EQ(second->Published(), 0U);  // the former window is gone with its holder
  EXPECT_EQ(Lock()->Claim(), InstanceClaim::Taken);
}

TEST_F(InstanceLockTest, EachDisplayHasItsOwnInstance) {
  auto a = Lock(":7");
  auto b = Lock(":8");
  auto screen = Lock(":7.1");
  EXPECT_EQ(a->Claim(), InstanceClaim::First);
  EXPECT_EQ(b->Claim(), InstanceClaim::First);
  EXPECT_EQ(screen->Claim(), InstanceClaim::Taken);
}

TEST(InstanceLockName, OneNamePerDisplay) {
  struct Case {
    const char* display;
    const char* name;
  } cases[] = {
      {":0", "varnel-_0.lock"},
      {":0.1", "varnel-_0.lock"},
      {"localhost:10.0", "varnel-localhost_10.lock"},
      {"host.example:3", "varnel-host.example_3.lock"},
      {"/tmp/launch-x/org.x:0", "varnel-_tmp_launch-x_org.x_0.lock"},
      {"../../x", "varnel-.._.._x.lock"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InstanceLockName(c.display), c.name) << c.display;
  }
}

// The lock lives in the runtime folder only when that folder is the user's alone; else in a
// private folder made under the temporary one; never where others could reach it.
TEST_F(InstanceLockTest, LivesOnlyInAPrivateFolder) {
  const std::string own = Tmp() + "/varnel-" + std::to_string(geteuid());
  {
    auto lock = Lock();
    ASSERT_EQ(lock->Claim(), InstanceClaim::First);
    EXPECT_EQ(lock->Path(), Run() + "/varnel-_7.lock");
  }
  fs::permissions(Run(), fs::perms::all, fs::perm_options::replace);
  {
    auto lock = Lock();
    ASSERT_EQ(lock->Claim(), InstanceClaim::First);
    EXPECT_EQ(lock->Path(), own + "/varnel-_7.lock");
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
  }
  {
    InstanceLock unset("", Tmp(), ":7");
    ASSERT_EQ(unset.Claim(), InstanceClaim::First);
    EXPECT_EQ(unset.Path(), own + "/varnel-_7.lock");
  }
  fs::permissions(own, fs::perms::all, fs::perm_options::replace);
  EXPECT_EQ(Lock()->Claim(), InstanceClaim::Unavailable);

  // A link in the lock file's place is not followed.
  fs::permissions(own, fs::perms::owner_all, fs::perm_options::replace);
  fs::remove(own + "/varnel-_7.lock");
  fs::create_symlink(root_ / "elsewhere", own + "/varnel-_7.lock");
  EXPECT_EQ(Lock()->Claim(), InstanceClaim::Unavailable);
  EXPECT_FALSE(fs::exists(root_ / "elsewhere"));
}

}  // namespace
}  // namespace varnel
