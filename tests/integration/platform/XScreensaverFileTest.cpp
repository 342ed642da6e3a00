// The xscreensaver list edit on real files: what is replaced, what is kept, what is refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "startup/qt/XScreensaverFile.h"

namespace driftmere {
namespace {

class XScreensaverFile : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::string home = dir.path().toStdString();
    XScreensaverPaths paths{home + "/.xscreensaver", home + "/XScreenSaver"};
    std::ostringstream out, err;

    void SetUp() override {
        Write(paths.appDefaults, "*programs: \\\n  maze -root \\n\\\n  qix -root \\n\n");
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    int Edit(ListEdit edit) {
        out.str({});
        err.str({});
        return EditXScreensaverFile(edit, paths, out, err);
    }
};

TEST_F(XScreensaverFile, ReplacesTheFileOrWhereItsLinkLeadsKeepingItsMode) {
    ASSERT_EQ(Edit(ListEdit::Add), 0) << err.str();
    const std::string made = Read(paths.userFile);
    EXPECT_NE(made.find("qix -root \\n\\\n"), std::string::npos);
    EXPECT_NE(made.find(kXScreensaverEntry), std::string::npos);
    EXPECT_EQ(Edit(ListEdit::Add), 0);
    EXPECT_EQ(Read(paths.userFile), made);
    EXPECT_NE(out.str().find("already"), std::string::npos);

    // A dotfiles link: the file at its end gets the new text, the link stays a link.
    const std::string kept = home + "/dotfiles-xscreensaver";
    ASSERT_EQ(::rename(paths.userFile.c_str(), kept.c_str()), 0);
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("dotfiles-xscreensaver", paths.userFile.c_str()), 0);
    ASSERT_EQ(Edit(ListEdit::Remove), 0) << err.str();
    struct stat st {};
    ASSERT_EQ(::lstat(paths.userFile.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Read(kept).find("driftmere"), std::string::npos);
    // and nothing is left behind in the folder but the two files and the defaults
    const QStringList left =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left.size(), 3) << left.join(' ').toStdString();
}

TEST_F(XScreensaverFile, LeavesAloneWhatItCannotReadOrUnderstand) {
    const struct {
        const char* name;
        std::function<bool()> make;  // false when this system cannot set the case up
        const char* says;
    } cases[] = {
        {"no system list", [&] { return ::unlink(paths.appDefaults.c_str()) == 0; },
         "is xscreensaver installed"},
        {"a pipe", [&] { return ::mkfifo(paths.userFile.c_str(), 0600) == 0; }, "not a plain file"},
        {"a folder", [&] { return ::mkdir(paths.userFile.c_str(), 0700) == 0; },
         "not a plain file"},
        {"a link to nothing", [&] { return ::symlink("gone", paths.userFile.c_str()) == 0; },
         "link to nothing"},
        {"too large",
         [&] {
             Write(paths.userFile, std::string(kMaxXScreensaverFileBytes + 1, '!'));
             return true;
         },
         "larger than"},
        {"another user's",  // only root can give a file away
         [&] {
             Write(paths.userFile, "mode: one\n");
             return ::chown(paths.userFile.c_str(), ::geteuid() + 1, ::getegid()) == 0;
         },
         "belongs to another user"},
    };
    for (const auto& c : cases) {
        if (!c.make()) continue;
        EXPECT_EQ(Edit(ListEdit::Add), 1) << c.name;
        EXPECT_NE(err.str().find(c.says), std::string::npos) << c.name << ": " << err.str();
        EXPECT_NE(err.str().find("nothing was changed"), std::string::npos) << c.name;
        ::unlink(paths.userFile.c_str());
        ::rmdir(paths.userFile.c_str());
        SetUp();
    }
    // Taking out of a file that is not there is no error: it is not listed.
    EXPECT_EQ(Edit(ListEdit::Remove), 0);
    EXPECT_NE(out.str().find("not in"), std::string::npos);
    EXPECT_NE(::access(paths.userFile.c_str(), F_OK), 0);
}

}  // namespace
}  // namespace driftmere
