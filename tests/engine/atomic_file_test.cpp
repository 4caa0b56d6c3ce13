#include "base/atomic_file.h"

#include "../support/file_size_limit.h"
#include "../support/files.h"

#include <gtest/gtest.h>



using namespace varkel;
namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporary) {
    const fs::path dir = test::freshDirectory("atomic_replace");
    const fs::path target = dir / "prices.txt";
    test::writeFile(target, "old content that is longer than the new one\n");
    std::string error;
    ASSERT_TRUE(writeFileAtomically(target, "new\n", &error)) << error;
    EXPECT_EQ(test::readFile(target), "new\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// A write that the file-size limit cuts short must leave the old file as it
// was: run it in a child process whose limit is smaller than the new content.
TEST(AtomicFile, AFailedWriteKeepsTheOldFileByteForByte) {
    const fs::path dir = test::freshDirectory("atomic_failure");
    const fs::path target = dir / "model.pfm";
    const std::string old = "the last good file\n";
    test::writeFile(target, old);
    EXPECT_EQ(test::exitCodeUnderFileSizeLimit(8, [&] { return writeFileAtomically(target, std::string(4096, 'x')); }),
              1);
    EXPECT_EQ(test::readFile(target), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(AtomicFile, AMissingFolderIsReportedNotCreated) {
    const fs::path dir = test::freshDirectory("atomic_missing");
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir / "no" / "such.txt", "x", &error));
    EXPECT_NE(error.find("no"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "no"));
}
