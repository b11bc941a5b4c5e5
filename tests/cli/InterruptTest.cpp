// An interrupt (Ctrl-C) in the middle of a command: the file it was writing
// goes, the files it has finished stay. The command is caught where it
// waits to write to a standard output that nobody reads.
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

struct Interrupted {
    bool bySignal = false;  // the interrupt ended it, as it must
    std::string err;
};

// True once the process waits in a write to its standard output.
bool waitsToWriteStdout(pid_t pid) {
    return readFile("/proc/" + std::to_string(pid) + "/syscall")
               .rfind(std::to_string(SYS_write) + " 0x1 ", 0) == 0;
}

class InterruptTest : public CliTest {
protected:
    // Runs vornel with its standard output a pipe already full and sends
    // it the signal as soon as it waits to write there.
    Interrupted interruptWhileWriting(const std::vector<std::string>& args, int signal = SIGINT) {
        int ends[2];
        EXPECT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
        const std::string page(4096, 'x');
        while (::write(ends[1], page.data(), page.size()) > 0) {
        }
        EXPECT_EQ(errno, EAGAIN);
        fcntl(ends[1], F_SETFL, 0);  // the command's writes wait
        const std::string errPath = path(".stderr");
        const pid_t child = startVornel(dir.path(), args, ends[1], errPath);
        close(ends[1]);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!waitsToWriteStdout(child) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        close(ends[0]);
        return {WIFSIGNALED(status) && WTERMSIG(status) == signal, readFile(errPath)};
    }

    // The names in the scratch folder that hold `part`.
    std::vector<std::string> filesNamed(const std::string& part) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (contains(entry.path().filename().string(), part)) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }
};

TEST_F(InterruptTest, TheUnfinishedFileGoesAndTheFinishedOneStays) {
    std::string rows = "X,Y,Z,CU\n";
    for (int i = 0; i < 400; ++i) {
        rows += std::to_string(5 + 10 * i) + ",5,5,0.5\n";
    }
    write("row.csv", rows);

    // Interrupted while it says what it imported: the database is whole,
    // and the message says so, lest the user import the file again.
    const Interrupted imported = interruptWhileWriting(
        {"import", "m.db", "row.csv", "-t", "R", "-e", "Cu", "--block-size", "10"});
    EXPECT_TRUE(imported.bySignal);
    EXPECT_EQ(imported.err, "\nvornel: stopped, after storing R in m.db\n");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT COUNT(*) FROM R"), "400\n");
    // So is what the other writing commands stored.
    EXPECT_EQ(interruptWhileWriting({"classify", "m.db", "--rule", "Measured: 1"}).err,
              "\nvornel: stopped, after storing the classes of R in m.db\n");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT DISTINCT Krig_ResType FROM R"), "Measured\n");
    EXPECT_EQ(interruptWhileWriting({"regularize", "m.db", "-t", "R", "--size", "20", "--density",
                                     "2.5", "--into", "S"})
                  .err,
              "\nvornel: stopped, after storing S in m.db\n");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT COUNT(*) FROM S"), "200\n");
    EXPECT_TRUE(contains(interruptWhileWriting({"remove", "m.db", "--table", "S", "--yes"}).err,
                         "\nvornel: stopped, after removing table S with run 2"));
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT COUNT(*) FROM sqlite_schema WHERE name = 'S'"),
              "0\n");
    // The demo's database, in place before it says what it holds.
    EXPECT_EQ(interruptWhileWriting({"demo", "d.db", "--blocks", "200"}).err,
              "\nvornel: stopped, after writing d.db\n");
    EXPECT_EQ(sqliteShell(path("d.db"), "SELECT COUNT(*) > 0 FROM CU_DEMO"), "1\n");

    // Interrupted while it lists the cut blocks on standard output, by a
    // signal of another kind: the drawing it was writing beside the list is
    // gone, half-written or not.
    const Interrupted cut = interruptWhileWriting(
        {"section", "m.db", "-t", "R", "--y", "5", "--svg", "cut.svg", "--csv", "-"}, SIGUSR1);
    EXPECT_TRUE(cut.bySignal);
    EXPECT_TRUE(contains(cut.err, "\nvornel: stopped; the unfinished file was removed\n"))
        << cut.err;
    EXPECT_EQ(filesNamed("cut"), std::vector<std::string>{});
}

// Stopped while it draws, once its database is in place: the database
// stays, and the drawing it had begun goes.
TEST_F(InterruptTest, AFileBegunAfterTheWorkWasStoredIsStillUnfinished) {
    const std::string errPath = path(".stderr");
    const int out = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = startVornel(dir.path(), {"demo", "d.db", "--blocks", "2000"}, out, errPath);
    close(out);
    bool caught = false;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!caught && std::chrono::steady_clock::now() < deadline &&
           waitpid(child, &status, WNOHANG) == 0) {
        if (filesNamed(".svg.partial-").empty()) {
            continue;
        }
        // Held still while it is seen that the drawing is not finished yet.
        kill(child, SIGSTOP);
        waitpid(child, &status, WUNTRACED);
        caught = !filesNamed(".svg.partial-").empty();
        if (!caught) {
            kill(child, SIGCONT);
        }
    }
    kill(child, SIGINT);
    kill(child, SIGCONT);
    waitpid(child, &status, 0);
    ASSERT_TRUE(caught) << "no drawing was seen being written";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_EQ(readFile(errPath),
              "\nvornel: stopped; the unfinished file was removed, after writing d.db\n");
    EXPECT_EQ(filesNamed(".partial-"), std::vector<std::string>{});
    EXPECT_EQ(sqliteShell(path("d.db"), "SELECT COUNT(*) > 0 FROM CU_DEMO"), "1\n");
}

}  // namespace
}  // namespace vornel::test
