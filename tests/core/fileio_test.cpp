// Writing over an existing file: the temporary file and the rename keep what the user set on the
// file (its permissions, its owner, the symbolic link that names it) and refuse a read-only file.
#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "core/Errors.h"
#include "core/FileIO.h"

using namespace nl;
namespace fs = std::filesystem;

namespace {
std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}
std::string Text(const fs::path& p) {
    auto b = ReadWholeFile(p);
    return {b.begin(), b.end()};
}
mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}
// Nothing but `names` in the folder: no temporary file was left behind.
void OnlyThese(const fs::path& dir, std::set<std::string> names) {
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator(dir))
        found.insert(e.path().filename().string());
    EXPECT_EQ(found, names);
}
} // namespace

TEST(WriteFileAtomic, AReplacedFileKeepsItsPermissions) {
    test::TTempDir dir;
    for (mode_t mode : {0600, 0640, 0604, 0755, 0200}) {
        SCOPED_TRACE(mode);
        const fs::path f = dir / "design.Nl1";
        WriteFileAtomic(f, Bytes("old"));
        ASSERT_EQ(::chmod(f.c_str(), mode), 0);
        WriteFileAtomic(f, Bytes("new"));
        EXPECT_EQ(ModeOf(f), mode);
        ::chmod(f.c_str(), 0600);
        EXPECT_EQ(Text(f), "new");
        fs::remove(f);
    }
    // A new file gets the usual permissions: 0666 less the umask.
    const mode_t mask = ::umask(027);
    WriteFileAtomic(dir / "fresh", Bytes("x"));
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir / "fresh"), 0640u);
    OnlyThese(dir.Path, {"fresh"});
}

TEST(WriteFileAtomic, ASymbolicLinkStaysAndItsTargetIsReplacedInItsOwnFolder) {
    test::TTempDir dir;
    fs::create_directories(dir / "real");
    fs::create_directories(dir / "links");
    const fs::path target = dir / "real" / "badge.Nl1";
    WriteFileAtomic(target, Bytes("old"));
    ::chmod(target.c_str(), 0600);
    // A relative link, and a link to that link.
    fs::create_symlink("../real/badge.Nl1", dir / "links" / "badge.Nl1");
    fs::create_symlink(dir / "links" / "badge.Nl1", dir / "second.Nl1");
    WriteFileAtomic(dir / "second.Nl1", Bytes("new"));
    EXPECT_TRUE(fs::is_symlink(dir / "second.Nl1"));
    EXPECT_TRUE(fs::is_symlink(dir / "links" / "badge.Nl1"));
    EXPECT_EQ(Text(target), "new");
    EXPECT_EQ(ModeOf(target), 0600u);
    OnlyThese(dir / "real", {"badge.Nl1"});
    OnlyThese(dir / "links", {"badge.Nl1"});
    // A link whose target does not exist yet: the target is made.
    fs::create_symlink("real/later.Nl1", dir / "later.Nl1");
    WriteFileAtomic(dir / "later.Nl1", Bytes("first"));
    EXPECT_TRUE(fs::is_symlink(dir / "later.Nl1"));
    EXPECT_EQ(Text(dir / "real" / "later.Nl1"), "first");
    // Links that go round in a circle are refused with the file's name.
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    try {
        WriteFileAtomic(dir / "loop-a", Bytes("x"));
        FAIL() << "a loop of links was written through";
    } catch (const TError& e) {
        EXPECT_NE(std::string(e.what()).find("loop-a"), std::string::npos) << e.what();
    }
}

TEST(WriteFileAtomic, AReadOnlyFileIsRefusedAndLeftAsItWas) {
    test::TTempDir dir;
    const fs::path f = dir / "kept.Nl1";
    WriteFileAtomic(f, Bytes("old"));
    ASSERT_EQ(::chmod(f.c_str(), 0444), 0);
    try {
        WriteFileAtomic(f, Bytes("new"));
        FAIL() << "a read-only file was replaced";
    } catch (const TError& e) {
        EXPECT_NE(std::string(e.what()).find(f.string()), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ModeOf(f), 0444u);
    EXPECT_EQ(Text(f), "old");
    OnlyThese(dir.Path, {"kept.Nl1"});
    // A folder where the file should be is no file to replace.
    fs::create_directories(dir / "folder.Nl1");
    EXPECT_THROW(WriteFileAtomic(dir / "folder.Nl1", Bytes("x")), TError);
    EXPECT_TRUE(fs::is_directory(dir / "folder.Nl1"));
}

TEST(WriteFileAtomic, AReplacedFileKeepsItsOwnerWhereTheSystemAllowsIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to someone else";
    test::TTempDir dir;
    const fs::path f = dir / "theirs.Nl1";
    WriteFileAtomic(f, Bytes("old"));
    ASSERT_EQ(::chown(f.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
    WriteFileAtomic(f, Bytes("new"));
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Text(f), "new");
}
