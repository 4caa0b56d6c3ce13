#include "data/append_bar.h"
#include "base/atomic_file.h"

#include "../support/files.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <future>
#include <thread>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

// What is at a path without following a link: 'l', 'p' (FIFO), 'c', 's', 'f', 'd'.
char kindAt(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return '-';
    if (S_ISLNK(info.st_mode)) return 'l';
    if (S_ISFIFO(info.st_mode)) return 'p';
    if (S_ISCHR(info.st_mode)) return 'c';
    if (S_ISSOCK(info.st_mode)) return 's';
    return S_ISDIR(info.st_mode) ? 'd' : 'f';
}

// Everything waiting in a pipe once its writer has closed it.
std::string drain(int fd) {
    std::string received;
    char chunk[256];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) received.append(chunk, static_cast<std::size_t>(n));
    return received;
}

// A unix socket listening at `path`; the future holds what one client sent.
std::future<std::string> listenOnce(const fs::path& path) {
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(server, 1);
    return std::async(std::launch::async, [server] {
        const int client = ::accept(server, nullptr, nullptr);
        std::string received;
        char chunk[256];
        for (ssize_t n; (n = ::read(client, chunk, sizeof chunk)) > 0;) received.append(chunk, static_cast<std::size_t>(n));
        ::close(client);
        ::close(server);
        return received;
    });
}

}  // namespace

// A target that is no regular file gets the bytes as they are and stays what
// it was: a FIFO with a reader, a socket, a character device like /dev/null
// (made with mknod where the tests run as root). A FIFO nobody reads is
// refused at once, not waited on.
TEST(SpecialTargets, AreWrittenDirectlyAndNeverReplaced) {
    const fs::path dir = test::freshDirectory("special_targets");
    const std::string text = "dateText,close\n20240716,158.31\n";

    const fs::path fifo = dir / "fifo.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // A reader holds it open (the text fits the pipe's buffer, so the write
    // needs no one reading at that moment).
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string error;
    EXPECT_TRUE(writeFileAtomically(fifo, text, &error)) << error;
    EXPECT_EQ(drain(reader), text);
    ::close(reader);
    EXPECT_EQ(kindAt(fifo), 'p');

    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(writeFileAtomically(fifo, text, &error));
    EXPECT_EQ(error, "Cannot write " + fifo.string() + ": no program reads from it");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

    const fs::path socket = dir / "socket";
    auto sent = listenOnce(socket);
    EXPECT_TRUE(writeFileAtomically(socket, text, &error)) << error;
    EXPECT_EQ(sent.get(), text);
    EXPECT_EQ(kindAt(socket), 's');

    const fs::path null = dir / "null";
    if (::geteuid() == 0 && ::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_TRUE(writeFileAtomically(null, text, &error)) << error;
        EXPECT_EQ(kindAt(null), 'c');
        EXPECT_EQ(appendPriceLine(null.string(), {"20240716", "1", "1", "1", "1"}).status, AppendStatus::Appended);
        EXPECT_EQ(kindAt(null), 'c');
    }
    // Nothing beside them: no temporary file, no lock file.
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

// A link stays a link and the file it names gets the new text, replaced in
// its own folder; links in chains, relative and dangling ones included.
TEST(SpecialTargets, SymlinksAreFollowedToTheFileTheyName) {
    const fs::path dir = test::freshDirectory("symlinked_targets");
    fs::create_directories(dir / "real");
    fs::create_directories(dir / "links");
    struct Case {
        const char* name;
        fs::path link;
        fs::path file;  // the file the link leads to
        std::function<void()> make;
    };
    const Case cases[] = {
        {"absolute", dir / "links/a.txt", dir / "real/a.txt",
         [&] { fs::create_symlink(dir / "real/a.txt", dir / "links/a.txt"); }},
        {"relative", dir / "links/b.txt", dir / "real/b.txt",
         [&] { fs::create_symlink("../real/b.txt", dir / "links/b.txt"); }},
        {"chain", dir / "links/c.txt", dir / "real/c.txt",
         [&] {
             fs::create_symlink("../real/c.txt", dir / "links/c2.txt");
             fs::create_symlink("c2.txt", dir / "links/c.txt");
         }},
    };
    for (const Case& c : cases) {
        test::writeFile(c.file, "20240101,15000,15100,14900,15050\n");
        c.make();
        const AppendResult appended = appendPriceLine(c.link.string(), {"20240102", "15050", "15050", "15050", "15050"});
        EXPECT_EQ(appended.status, AppendStatus::Appended) << c.name << ": " << appended.message;
        EXPECT_EQ(kindAt(c.link), 'l') << c.name;
        EXPECT_EQ(test::readFile(c.file), "20240101,15000,15100,14900,15050\n20240102,15050,15050,15050,15050\n") << c.name;
    }
    fs::create_symlink(dir / "real/new.txt", dir / "links/dangling.txt");
    EXPECT_TRUE(writeFileAtomically(dir / "links/dangling.txt", "x\n"));
    EXPECT_EQ(kindAt(dir / "links/dangling.txt"), 'l');
    EXPECT_EQ(test::readFile(dir / "real/new.txt"), "x\n");
    for (const fs::path& folder : {dir / "real", dir / "links"})
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

// Refused rather than replaced: a file nobody may write to (replacing it
// would give it a new owner) and a folder. A temporary file of ours older
// than a day goes with the next write; a younger one may still be written.
TEST(SpecialTargets, ReadOnlyFilesAndFoldersAreRefusedAndOldLeftoversRemoved) {
    const fs::path dir = test::freshDirectory("readonly_targets");
    const fs::path file = dir / "USD_JPY.txt";
    test::writeFile(file, "old\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    std::string error;
    EXPECT_FALSE(writeFileAtomically(file, "new\n", &error));
    EXPECT_EQ(error, file.string() + " is read-only");
    EXPECT_EQ(test::readFile(file), "old\n");
    EXPECT_FALSE(writeFileAtomically(dir, "new\n", &error));

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path old = dir / ".USD_JPY.txt.varkel-a1b2c3";
    const fs::path young = dir / ".USD_JPY.txt.varkel-d4e5f6";
    const fs::path notOurs = dir / ".USD_JPY.txt.backup";
    for (const fs::path& leftover : {old, young, notOurs}) test::writeFile(leftover, "partial");
    const timespec twoDaysAgo[2] = {{std::time(nullptr) - 2 * 86400, 0}, {std::time(nullptr) - 2 * 86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, old.c_str(), twoDaysAgo, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, notOurs.c_str(), twoDaysAgo, 0), 0);
    EXPECT_TRUE(writeFileAtomically(file, "new\n", &error)) << error;
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(young));
    EXPECT_TRUE(fs::exists(notOurs));
}
