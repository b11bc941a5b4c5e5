#include "OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <utility>

#include "Failure.h"

namespace fs = std::filesystem;

namespace vornel::cli {

std::string followLinks(const std::string& path) {
    fs::path p = path;
    std::error_code ec;
    // As many hops as the system allows before it gives up with ELOOP.
    for (int hops = 0; fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        if (hops == 40) {
            throw Failure(path +
                          ": too many levels of symbolic links (links that lead back "
                          "to each other?)");
        }
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) {
            break;
        }
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p.string();
}

bool isStandardOutput(const std::string& path) {
    // The names of the open standard output: opened anew, a file it appends
    // to would be replaced, and a pipe has no name to rename over.
    return path == "-" || path == "/dev/stdout" || path == "/dev/fd/1" || path == "/proc/self/fd/1";
}

bool sameOutput(const std::string& a, const std::string& b) {
    if (isStandardOutput(a) || isStandardOutput(b)) {
        return isStandardOutput(a) && isStandardOutput(b);
    }
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) {
        return true;
    }
    // Where neither exists yet: the paths they would be made at.
    const auto place = [](const std::string& path, std::error_code& error) {
        const fs::path absolute = fs::absolute(followLinks(path), error);
        return error ? fs::path() : fs::weakly_canonical(absolute, error);
    };
    std::error_code first;
    std::error_code second;
    const fs::path one = place(a, first);
    const fs::path other = place(b, second);
    return !first && !second && one == other;
}

void refuseDatabaseAsOutput(const std::string& output, const std::string& db) {
    if (output.empty() || isStandardOutput(output)) {
        return;
    }
    std::error_code ec;
    if (fs::equivalent(output, db, ec)) {
        throw Failure(output + ": this is the database being read; write to another file");
    }
    // The engine removes or rewrites these beside the database, the file a
    // link names.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        if (sameOutput(output, followLinks(db) + suffix)) {
            throw Failure(output + ": the database's own " + (suffix + 1) +
                          " file goes there; write to another file");
        }
    }
}

void refuseOutlineAsOutput(const std::string& output, const std::string& outline) {
    if (!output.empty() && !outline.empty() && !isStandardOutput(output) &&
        sameOutput(output, outline)) {
        throw Failure(output + ": this is the outline being read; write to another file");
    }
}

void refuseOutputClash(const std::string& svg, const std::string& csv, const std::string& db,
                       const std::string& outline) {
    for (const std::string* output : {&svg, &csv}) {
        refuseDatabaseAsOutput(*output, db);
        refuseOutlineAsOutput(*output, outline);
    }
    if (!svg.empty() && !csv.empty() && sameOutput(svg, csv)) {
        throw UsageError("--svg and --csv would both write to " +
                         (isStandardOutput(svg) ? "standard output" : "'" + svg + "'") +
                         "; give each its own file");
    }
}

ListAndDrawing::ListAndDrawing(const std::string& csvPath, const std::string& svgPath,
                               const std::string& db, const std::string& outline)
    : table(isStandardOutput(csvPath) || isStandardOutput(svgPath) ? std::cerr : std::cout) {
    refuseOutputClash(svgPath, csvPath, db, outline);
    if (!csvPath.empty()) {
        csv.emplace(csvPath);
    }
    if (!svgPath.empty()) {
        svg.emplace(svgPath);
    }
}

void commitTogether(std::initializer_list<std::optional<OutputFile>*> files) {
    for (std::optional<OutputFile>* file : files) {
        if (*file) {
            (*file)->finish();
        }
    }
    for (std::optional<OutputFile>* file : files) {
        if (*file) {
            (*file)->commit();
        }
    }
}

void ListAndDrawing::commit() {
    commitTogether({&csv, &svg});
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    if (isStandardOutput(path_)) {
        out_ = &std::cout;
        return;
    }
    // The file behind standard output or error, by whatever name (a link,
    // /dev/stderr): written through that descriptor, whose place in the
    // file the command's other writes there share, not over them.
    struct stat named {};
    if (::stat(path_.c_str(), &named) == 0) {
        for (const auto& [descriptor, stream] :
             {std::pair<int, std::ostream*>{STDOUT_FILENO, &std::cout},
              {STDERR_FILENO, &std::cerr}}) {
            struct stat open {};
            if (::fstat(descriptor, &open) == 0 && open.st_dev == named.st_dev &&
                open.st_ino == named.st_ino) {
                out_ = stream;
                return;
            }
        }
    }
    target_ = followLinks(path_);
    std::error_code ec;
    // The system's own reading of the path: a link into /proc/self/fd names
    // a pipe by no path that followLinks could give.
    const fs::file_status status = fs::status(path_, ec);
    if (fs::is_directory(status)) {
        throw Failure(path_ + ": a folder is there; name a file to write");
    }
    // Another descriptor the command was given open (3>>out) is added to,
    // not replaced by another file: what it holds is another writer's.
    const bool descriptor =
        path_.rfind("/dev/fd/", 0) == 0 || path_.rfind("/proc/self/fd/", 0) == 0;
    const bool special = descriptor || (fs::exists(status) && !fs::is_regular_file(status) &&
                                        !fs::is_directory(status));
    if (special) {
        target_ = path_;
        file_.open(target_, std::ios::binary | (descriptor ? std::ios::app : std::ios::trunc));
        if (!file_) {
            throw Failure(path_ + ": cannot write: " + std::strerror(errno));
        }
        return;
    }
    // A file there is replaced only as it could be written, and keeps who
    // may read it.
    std::optional<fs::perms> mode;
    if (fs::is_regular_file(fs::status(target_, ec))) {
        if (::access(target_.c_str(), W_OK) != 0) {
            throw Failure(path_ + ": cannot write: " + std::strerror(errno));
        }
        mode = fs::status(target_, ec).permissions();
    }
    partial_ = target_ + ".partial-" + std::to_string(::getpid());
    unfinished_.emplace(partial_, false);
    file_.open(partial_, std::ios::binary | std::ios::trunc);
    if (!file_) {
        throw Failure(path_ + ": cannot write: " + std::strerror(errno));
    }
    if (mode) {
        fs::permissions(partial_, *mode, ec);
    }
}

OutputFile::~OutputFile() {
    if (!committed_ && !partial_.empty()) {
        file_.close();
        std::error_code ignored;
        fs::remove(partial_, ignored);
    }
}

void OutputFile::finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (out_ != &file_) {
        out_->flush();
    } else {
        file_.close();
    }
    if (!*out_) {
        throw Failure(path_ + ": writing failed (is the disk full?)");
    }
}

void OutputFile::commit() {
    finish();
    if (!partial_.empty()) {
        std::error_code ec;
        fs::rename(partial_, target_, ec);
        if (ec) {
            throw Failure(path_ + ": cannot put the file in place: " + ec.message());
        }
    }
    committed_ = true;
}

}  // namespace vornel::cli
