#include "base/file_lock.h"
#include "base/owned_file.h"
#include "data/append_bar.h"
#include "data/bar_edit.h"

#include "../support/file_size_limit.h"
#include "../support/files.h"

#include <gtest/gtest.h>

#include <barrier>
#include <thread>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

const std::string history = "20240102,15000,15100,14900,15050\n20240103,15050,15150,15000,15100\n";

std::size_t entriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

const OwnedFileRules anyText{"test file", 1024, {}};

OwnedFileEdit setTo(const fs::path& path, std::string text) {
    return {path, &anyText, [text = std::move(text)](const auto&) { return OwnedFileChange::to(text); }};
}

}  // namespace

// A planted lock path is refused by name and never followed: a dangling link
// would make the writer create the file it names, a folder would block every
// writer with a message that does not say what to remove.
TEST(OwnedFile, ALockPathThatIsNoRegularFileIsRefusedByName) {
    const fs::path dir = test::freshDirectory("owned_lock_paths");
    const fs::path file = dir / "USD_JPY.txt";
    const fs::path lock = dir / ".USD_JPY.txt.lock";
    const fs::path elsewhere = dir / "created_through_the_link";
    struct Case {
        const char* what;
        std::function<void()> plant;
        const char* said;
    };
    const Case cases[] = {
        {"dangling link", [&] { fs::create_symlink(elsewhere, lock); }, "is a symbolic link"},
        {"link to a file", [&] { test::writeFile(elsewhere, "x"); fs::create_symlink(elsewhere, lock); },
         "is a symbolic link"},
        {"folder", [&] { fs::create_directory(lock); }, "is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        test::writeFile(file, history);
        c.plant();
        const AppendResult result = appendPriceLine(file.string(), {"20240104", "15100", "15200", "15000", "15150"});
        EXPECT_EQ(result.status, AppendStatus::FileFailed);
        EXPECT_NE(result.message.find(lock.string()), std::string::npos) << result.message;
        EXPECT_NE(result.message.find(c.said), std::string::npos) << result.message;
        EXPECT_EQ(test::readFile(file), history);
        if (std::string(c.what) == "dangling link") {
            EXPECT_FALSE(fs::exists(elsewhere));
        }
        if (std::string(c.what) == "link to a file") {
            EXPECT_EQ(test::readFile(elsewhere), "x");
        }
    }
}

// Under `ulimit -f` a writer reports the limit and leaves neither a temporary
// file nor a lock file; before, SIGXFSZ killed it without a word.
TEST(OwnedFile, TheFileSizeLimitIsReportedNotDiedOf) {
    const fs::path dir = test::freshDirectory("owned_size_limit");
    const fs::path file = dir / "USD_JPY.txt";
    test::writeFile(file, history);
    const auto append = [&] {
        const AppendResult result = appendPriceLine(file.string(), {"20240104", "15100", "15200", "15000", "15150"});
        return result.status == AppendStatus::FileFailed &&
               result.message.find("the file size limit") != std::string::npos;
    };
    const auto edit = [&] {
        const BarEditResult result = editPriceBar(file.string(), {"20240103", std::nullopt});
        return result.status == BarEditStatus::FileFailed &&
               result.message.find("the file size limit") != std::string::npos;
    };
    EXPECT_EQ(test::statusUnderShellFileSizeLimit(history.size() - 1, append), 0);
    EXPECT_EQ(test::statusUnderShellFileSizeLimit(16, edit), 0);
    EXPECT_EQ(test::readFile(file), history);
    EXPECT_EQ(entriesIn(dir), 1u) << "a temporary or lock file was left";
}

// Files that must agree go in place together: when the second cannot be
// written, the first is not changed either (a strategy file from a model the
// model file does not hold, or the reverse).
TEST(OwnedFile, FilesChangedTogetherAreAllWrittenOrNone) {
    const fs::path dir = test::freshDirectory("owned_together");
    const fs::path first = dir / "USD_JPY.pfm";
    test::writeFile(first, "old model");
    fs::create_directory(dir / "strategy.csv");  // a folder where the second file goes
    const OwnedFileEdit both[] = {setTo(first, "new model"), setTo(dir / "strategy.csv", "rows")};
    const OwnedWrite written = changeOwnedFiles(both);
    EXPECT_FALSE(written);
    EXPECT_EQ(test::readFile(first), "old model");

    const OwnedFileEdit refused[] = {setTo(first, "new model"),
                                     {dir / "b.csv", &anyText, [](const auto&) { return OwnedFileChange::refuse("no"); }}};
    EXPECT_EQ(changeOwnedFiles(refused).status, OwnedWriteStatus::Refused);
    EXPECT_EQ(test::readFile(first), "old model");
    EXPECT_FALSE(fs::exists(dir / "b.csv"));

    const OwnedFileEdit good[] = {setTo(first, "new model"), setTo(dir / "b.csv", "rows")};
    std::vector<fs::path> heard;
    setOwnedFileListener([&heard](const fs::path& path) { heard.push_back(path); });
    EXPECT_TRUE(changeOwnedFiles(good));
    setOwnedFileListener({});
    EXPECT_EQ(test::readFile(first), "new model");
    EXPECT_EQ(test::readFile(dir / "b.csv"), "rows");
    EXPECT_EQ(heard, (std::vector<fs::path>{first, dir / "b.csv"}));
}

// The reader's rules and cap are applied to the new text: nothing the reader
// would refuse is written, and the file is left byte for byte.
TEST(OwnedFile, ATextTheReaderWouldRefuseIsNotWritten) {
    const fs::path dir = test::freshDirectory("owned_rules");
    const fs::path file = dir / "f.txt";
    test::writeFile(file, "kept");
    const OwnedFileRules digitsOnly{
        "digit file", 8, [](const auto&, std::string_view next) -> std::optional<std::string> {
            if (next.find_first_not_of("0123456789") == std::string_view::npos) return std::nullopt;
            return "not digits";
        }};
    const auto change = [&](std::string text) {
        return changeOwnedFile({file, &digitsOnly, [text](const auto&) { return OwnedFileChange::to(text); }});
    };
    const OwnedWrite letters = change("abc");
    EXPECT_EQ(letters.status, OwnedWriteStatus::Refused);
    EXPECT_EQ(letters.message, file.string() + " was left as it was: not digits.");
    EXPECT_EQ(change("123456789").status, OwnedWriteStatus::Refused);  // over the 8-byte cap
    EXPECT_EQ(test::readFile(file), "kept");
    EXPECT_TRUE(change("1234"));
    EXPECT_EQ(test::readFile(file), "1234");
}

// An edit beside appends, released together round after round: before, the
// edit took no lock and wrote back the file it had read, losing the bar
// appended meanwhile (or its own change), both saying they succeeded.
TEST(OwnedFile, AnEditBesideAnAppendLosesNeither) {
    const fs::path dir = test::freshDirectory("owned_edit_race");
    const fs::path file = dir / "USD_JPY.txt";
    constexpr int rounds = 40;
    std::string start;
    const auto day = [](int i) { return std::to_string(20230101 + i / 28 * 100 + i % 28); };
    for (int i = 0; i < rounds; ++i) start += day(i) + ",15000,15100,14900,15050\n";
    test::writeFile(file, start);
    std::barrier together(2);
    std::vector<std::string> appended, edited;
    std::thread appender([&] {
        for (int round = 0; round < rounds; ++round) {
            together.arrive_and_wait();
            const AppendResult result =
                appendPriceLine(file.string(), {std::to_string(20240101 + round / 28 * 100 + round % 28), "15000",
                                                "15100", "14900", "15050"});
            if (result.status == AppendStatus::Appended) appended.push_back(result.line);
            else EXPECT_NE(result.message.find("being changed"), std::string::npos) << result.message;
        }
    });
    for (int round = 0; round < rounds; ++round) {
        together.arrive_and_wait();
        const BarEditResult result =
            editPriceBar(file.string(), {day(round), AppendRequest{"", "15010", "15110", "14910", "15060"}});
        if (result.status == BarEditStatus::Edited) edited.push_back(result.newLine);
        else EXPECT_NE(result.message.find("being changed"), std::string::npos) << result.message;
    }
    appender.join();
    const std::string content = test::readFile(file);
    for (const std::string& line : appended) EXPECT_NE(content.find(line + "\n"), std::string::npos) << line;
    for (const std::string& line : edited) EXPECT_NE(content.find(line + "\n"), std::string::npos) << line;
    EXPECT_GT(appended.size() + edited.size(), static_cast<std::size_t>(rounds));
}

// Another program holding the lock makes an edit wait and then give up,
// instead of deleting the bar at once.
TEST(OwnedFile, AnEditWaitsForTheLockOfAnotherWriter) {
    const fs::path dir = test::freshDirectory("owned_edit_lock");
    const fs::path file = dir / "USD_JPY.txt";
    test::writeFile(file, history);
    std::string error;
    const std::optional<FileLock> held = FileLock::acquire(file, &error);
    ASSERT_TRUE(held) << error;
    const BarEditResult result = editPriceBar(file.string(), {"20240103", std::nullopt});
    EXPECT_EQ(result.status, BarEditStatus::FileFailed);
    EXPECT_EQ(result.message, beingChangedMessage(file));
    EXPECT_EQ(test::readFile(file), history);
}
