#include "platform/files/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "tests/support/TempDir.h"

namespace tarn::platform {
namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(stat(file.c_str(), &info), 0) << file;
    return info.st_mode & 07777;
}

size_t EntriesIn(const fs::path& folder) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) (void)entry, ++count;
    return count;
}

// Sets the umask for one test and puts the old one back.
class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
    ~ScopedUmask() { umask(old_); }

  private:
    mode_t old_;
};

// A folder holding one file, "T.pdb", with the text "old".
class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override { test::WriteFileBytes(target, "old"); }

    test::TempDir dir;
    const fs::path target = dir.path() / "T.pdb";
    fs::path prepared;
    std::string error;
};

TEST_F(AtomicFileTest, APreparedFileIsCompleteBesideItsTargetUntilPublished) {
    ASSERT_TRUE(PrepareFile(target, "new contents", FileAccess::Shared, prepared, &error)) << error;
    EXPECT_EQ(prepared.parent_path(), dir.path());
    EXPECT_TRUE(IsTemporaryFileName(prepared.filename().string(), "T.pdb"));
    EXPECT_EQ(test::ReadFileBytes(prepared), "new contents");
    EXPECT_EQ(test::ReadFileBytes(target), "old");

    ASSERT_TRUE(PublishFile(prepared, target, &error)) << error;
    EXPECT_EQ(test::ReadFileBytes(target), "new contents");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    ASSERT_TRUE(PrepareFile(target, "thrown away", FileAccess::Shared, prepared, &error));
    DiscardFile(prepared);
    EXPECT_EQ(test::ReadFileBytes(target), "new contents");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST_F(AtomicFileTest, AFailureLeavesTheOldFileAndNothingElse) {
    // A folder in the target's place: preparing works, the rename fails.
    const fs::path blocked = dir.path() / "blocked";
    fs::create_directory(blocked);
    test::WriteFileBytes(blocked / "inside", "x");
    EXPECT_FALSE(WriteFileAtomically(blocked, "new", &error));
    EXPECT_NE(error.find("cannot replace"), std::string::npos) << error;
    EXPECT_FALSE(WriteFileAtomically(dir.path() / "missing" / "T.pdb", "new", &error));
    EXPECT_EQ(EntriesIn(dir.path()), 2u);
    EXPECT_EQ(test::ReadFileBytes(target), "old");

    if (geteuid() != 0) {  // root writes into read-only folders
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(PrepareFile(target, "new", FileAccess::Shared, prepared, &error));
        fs::permissions(dir.path(), fs::perms::owner_all);
        EXPECT_EQ(EntriesIn(dir.path()), 2u);
    }
}

TEST(AtomicFile, NewFilesHonourTheUmaskAndOwnerOnlyFilesStayPrivate) {
    test::TempDir dir;
    for (const auto& [bits, name, mode] :
         {std::tuple{027, "shared", 0640u}, {077, "narrow", 0600u}, {0, "wide", 0666u}}) {
        ScopedUmask mask(bits);
        ASSERT_TRUE(WriteFileAtomically(dir.path() / name, "x"));
        EXPECT_EQ(ModeOf(dir.path() / name), mode) << name;
    }
    ScopedUmask mask(0);
    // A replaced file keeps its permissions; an owner-only file is private whatever it was.
    fs::permissions(dir.path() / "wide", fs::perms(0604));
    ASSERT_TRUE(WriteFileAtomically(dir.path() / "wide", "y"));
    EXPECT_EQ(ModeOf(dir.path() / "wide"), 0604u);
    ASSERT_TRUE(WriteFileAtomically(dir.path() / "wide", "z", nullptr, FileAccess::OwnerOnly));
    EXPECT_EQ(ModeOf(dir.path() / "wide"), 0600u);
    ASSERT_TRUE(WriteFileAtomically(dir.path() / "secret", "p", nullptr, FileAccess::OwnerOnly));
    EXPECT_EQ(ModeOf(dir.path() / "secret"), 0600u);
}

TEST(AtomicFile, TemporaryNamesAreRecognisedByTheirPatternOnly) {
    struct Case {
        const char* name;
        const char* target;  // empty: not a temporary file
    };
    for (const Case& c :
         {Case{".T.pdb.aB3xY9", "T.pdb"}, Case{".a b.pdb.000000", "a b.pdb"},
          Case{"T.pdb.aB3xY9", ""}, Case{".T.pdb.aB3xY", ""}, Case{".T.pdb.aB3-Y9", ""},
          Case{".tarn-sync.lock", ""}, Case{"..abcdef", ""}, Case{".T.pdbXaB3xY9", ""}}) {
        EXPECT_EQ(TemporaryFileTarget(c.name), c.target) << c.name;
        EXPECT_EQ(IsTemporaryFileName(c.name), *c.target != '\0') << c.name;
    }
    EXPECT_FALSE(IsTemporaryFileName(".T.pdb.aB3xY9", "U.pdb"));
}

}  // namespace
}  // namespace tarn::platform
