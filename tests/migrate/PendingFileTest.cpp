// The new file beside its destination: refused when in the way, removed
// unless committed, renamed into place on commit.
#include <gtest/gtest.h>

#include <fstream>

#include "migrate/MigrationError.h"
#include "migrate/PendingFile.h"
#include "support/Shell.h"
#include "support/TempDir.h"

using vornel::migrate::MigrationError;
using vornel::migrate::PendingFile;
using vornel::test::fileExists;
using vornel::test::readFile;
using vornel::test::TempDir;

namespace {

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string refusal(const std::string& destination) {
    try {
        PendingFile pending(destination);
    } catch (const MigrationError& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(PendingFile, WhatIsInTheWayIsRefused) {
    TempDir dir;
    const std::string target = dir.file("new.db");
    writeFile(target, "someone's data");
    EXPECT_EQ(
        refusal(target),
        "'" + target + "' already exists; migrating writes a new database and overwrites none");
    EXPECT_EQ(readFile(target), "someone's data");
    std::remove(target.c_str());
    writeFile(target + ".migrating", "");
    EXPECT_EQ(refusal(target), "'" + target +
                                   ".migrating' is in the way (perhaps left by an interrupted "
                                   "migration); move it away and migrate again");
    EXPECT_TRUE(fileExists(target + ".migrating"));
    EXPECT_EQ(refusal(dir.file("no/such/dir/new.db")),
              "cannot write in '" + dir.file("no/such/dir") + "': No such file or directory");
}

TEST(PendingFile, UncommittedItLeavesNothing) {
    TempDir dir;
    const std::string target = dir.file("new.db");
    {
        PendingFile pending(target);
        EXPECT_EQ(pending.path(), target + ".migrating");
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            writeFile(pending.path() + suffix, "half");
        }
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        EXPECT_FALSE(fileExists(target + ".migrating" + suffix)) << suffix;
    }
    EXPECT_FALSE(fileExists(target));
}

TEST(PendingFile, CommittedItIsInPlace) {
    TempDir dir;
    const std::string target = dir.file("new.db");
    {
        PendingFile pending(target);
        writeFile(pending.path(), "whole");
        pending.commit();
    }
    EXPECT_EQ(readFile(target), "whole");
    EXPECT_FALSE(fileExists(target + ".migrating"));
    // A relative destination lies in the working directory.
    EXPECT_EQ(refusal("new-in-cwd.db"), "");
}

TEST(PendingFile, ACommitThatCannotBeMadeKeepsNothing) {
    TempDir dir;
    const std::string target = dir.file("new.db");
    {
        PendingFile pending(target);
        writeFile(pending.path(), "whole");
        writeFile(target, "appeared meanwhile");
        EXPECT_THROW(pending.commit(), MigrationError);
    }
    EXPECT_EQ(readFile(target), "appeared meanwhile");
    EXPECT_FALSE(fileExists(target + ".migrating"));
    {
        PendingFile pending(dir.file("other.db"));
        try {
            pending.commit();  // nothing was written
            FAIL() << "renamed nothing";
        } catch (const MigrationError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot rename '" + pending.path() + "' to '" +
                                                 dir.file("other.db") +
                                                 "': No such file or directory");
        }
    }
}
