#include "base/whole_file.h"

#include "../support/files.h"

#include <gtest/gtest.h>

#include <string>

using namespace varkel;
namespace fs = std::filesystem;

// A regular file is read by its stated size; every size around the old and
// new read boundaries must come back byte for byte, and the cap must hold at
// its exact edge.
TEST(WholeFile, ReadsEveryByteAtAnySizeAndRefusesOnlyWhatIsOverTheCap) {
    const fs::path dir = test::freshDirectory("whole_file_sizes");
    for (const std::size_t size : {0UL, 1UL, 4095UL, 4096UL, 4097UL, 8192UL, 370000UL}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7) % 26);
        const fs::path file = dir / ("f" + std::to_string(size));
        test::writeFile(file, bytes);
        bool tooLarge = true;
        EXPECT_EQ(readWholeFile(file, size, &tooLarge), bytes) << size;
        EXPECT_FALSE(tooLarge) << size;
        EXPECT_EQ(readWholeFile(file), bytes) << size;
        if (size == 0) continue;
        EXPECT_EQ(readWholeFile(file, size - 1, &tooLarge), std::nullopt) << size;
        EXPECT_TRUE(tooLarge) << size;
    }
}

TEST(WholeFile, AFolderOrAMissingFileIsNotReadAndNotTooLarge) {
    const fs::path dir = test::freshDirectory("whole_file_folder");
    for (const fs::path& path : {dir, dir / "missing.txt"}) {
        bool tooLarge = true;
        EXPECT_EQ(readWholeFile(path, 1024, &tooLarge), std::nullopt) << path;
        EXPECT_FALSE(tooLarge) << path;
    }
}
