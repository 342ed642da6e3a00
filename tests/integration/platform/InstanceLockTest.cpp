#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <string>
#include <tuple>

#include "platform/linux/InstanceLock.h"

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

}  // namespace
}  // namespace driftmere
