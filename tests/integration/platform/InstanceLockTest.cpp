#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/linux/InstanceLock.h"
#include "platform/linux/RuntimeFolder.h"

namespace driftmere {
namespace {

constexpr uid_t kMe = 1000;
constexpr uid_t kSomeoneElse = 1001;

struct stat Described(mode_t mode, uid_t owner) {
    struct stat st {};
    st.st_mode = mode;
    st.st_uid = owner;
    return st;
}

// Only a folder of one's own that nobody else can enter keeps others from planting the lock
// file or opening it to hold a lock of their own.
TEST(InstanceLock, TrustsOnlyAPrivateFolderAndARegularFileOfItsUser) {
    const std::tuple<mode_t, uid_t, bool> cases[] = {
        {S_IFDIR | 0700, kMe, true},           {S_IFDIR | 0500, kMe, true},
        {S_IFDIR | 0700, kSomeoneElse, false},  // made first by someone else
        {S_IFDIR | 0777, kMe, false},          {S_IFDIR | 0770, kMe, false},
        {S_IFDIR | 0711, kMe, false},  // others could open a file they know the name of
        {S_IFDIR | 01777, kMe, false},         {S_IFREG | 0700, kMe, false}};
    for (const auto& [mode, owner, trusted] : cases)
        EXPECT_EQ(LockFolderProblem(Described(mode, owner), kMe).empty(), trusted)
            << std::oct << mode << std::dec << " owner " << owner;
    EXPECT_TRUE(LockFileProblem(Described(S_IFREG | 0600, kMe), kMe).empty());
    EXPECT_FALSE(LockFileProblem(Described(S_IFREG | 0600, kSomeoneElse), kMe).empty());
    EXPECT_FALSE(LockFileProblem(Described(S_IFIFO | 0600, kMe), kMe).empty());
    EXPECT_FALSE(LockFileProblem(Described(S_IFDIR | 0700, kMe), kMe).empty());
}

TEST(InstanceLock, ASecondCopySeesTheFirstUntilItEnds) {
    QTemporaryDir base;
    const std::string folder = base.path().toStdString() + "/lock";
    {
        InstanceLock first(folder, true);
        ASSERT_TRUE(first.Problem().empty()) << first.Problem();
        EXPECT_FALSE(first.AnotherCopyRunning());
        struct stat st {};
        ASSERT_EQ(stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        InstanceLock second(folder, true);
        EXPECT_TRUE(second.AnotherCopyRunning());
    }
    InstanceLock after(folder, true);
    EXPECT_FALSE(after.AnotherCopyRunning());
}

// Without a runtime folder, a folder in the user's own home comes before the shared /tmp, where
// another user could make the folder first; relative paths from the environment count as unset.
TEST(InstanceLock, FoldersTriedForTheLocks) {
    using Folders = std::vector<std::string>;
    EXPECT_EQ(LockFolderCandidates("/run/user/7", "/s", "/h", "/t", 7),
              (Folders{"/run/user/7", "/s/driftmere", "/t/driftmere-7"}));
    EXPECT_EQ(LockFolderCandidates(nullptr, nullptr, "/h", nullptr, 7),
              (Folders{"/h/.cache/driftmere", "/tmp/driftmere-7"}));
    EXPECT_EQ(LockFolderCandidates("run", "state", "/h", "tmp", 7),
              (Folders{"/h/.cache/driftmere", "/tmp/driftmere-7"}));
    EXPECT_EQ(LockFolderCandidates(nullptr, nullptr, nullptr, nullptr, 7),
              (Folders{"/tmp/driftmere-7"}));
}

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(InstanceLock, WithoutARuntimeFolderTheLocksLiveInTheHome) {
    QTemporaryDir home, tmp;
    const std::string cache = home.path().toStdString() + "/.cache";
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr), state("XDG_STATE_HOME", nullptr),
        homeVar("HOME", home.path().toStdString().c_str()),
        tmpVar("TMPDIR", tmp.path().toStdString().c_str());
    std::string problem;
    int fd = OpenRuntimeLockFile("test.lock", problem);
    ASSERT_GE(fd, 0) << problem;
    close(fd);
    struct stat st {};
    ASSERT_EQ(stat((cache + "/driftmere/test.lock").c_str(), &st), 0);
    ASSERT_EQ(stat((cache + "/driftmere").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(cache.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);  // made as a base folder is

    // A folder there that others may enter is passed over for one in TMPDIR.
    ASSERT_EQ(chmod((cache + "/driftmere").c_str(), 0777), 0);
    fd = OpenRuntimeLockFile("test.lock", problem);
    ASSERT_GE(fd, 0) << problem;
    close(fd);
    const std::string own = tmp.path().toStdString() + "/driftmere-" + std::to_string(getuid());
    EXPECT_EQ(stat((own + "/test.lock").c_str(), &st), 0);
}

}  // namespace
}  // namespace driftmere
