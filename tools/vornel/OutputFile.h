// A file that appears at its path only when it is complete: written beside
// it under another name, then renamed over it by commit(). Without commit()
// nothing is left behind. A symbolic link at the path is followed, so that
// the file it names is the one replaced and the link stays, with its
// permissions, and only when it could be written; a pipe or a device at
// the path is written straight to, as there is nothing to rename over, and
// an open descriptor (/dev/stderr, /dev/fd/3) is added to; "-" is standard
// output.
#ifndef VORNEL_CLI_OUTPUTFILE_H
#define VORNEL_CLI_OUTPUTFILE_H

#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>

#include "Interrupt.h"

namespace vornel::cli {

class OutputFile {
public:
    // Throws Failure when the file cannot be written.
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& stream() { return *out_; }
    // Writes out what is buffered. Throws Failure when the data could not
    // all be written; the file is then left out when this goes.
    void finish();
    // Puts the file in place, finishing it first. Throws Failure.
    void commit();

private:
    std::string path_;
    std::string target_;   // the path with its symbolic links followed
    std::string partial_;  // empty when writing straight to the target
    std::ofstream file_;
    std::ostream* out_ = &file_;
    std::optional<RemovedIfInterrupted> unfinished_;
    bool finished_ = false;
    bool committed_ = false;
};

// Puts the files given in place once all are written out: one that fails
// leaves none. Throws Failure.
void commitTogether(std::initializer_list<std::optional<OutputFile>*> files);

// The path a chain of symbolic links at `path` ends at, which need not exist
// yet: new files are made there, and the links stay. Throws Failure for a
// chain that does not end (links that lead back to each other).
std::string followLinks(const std::string& path);

// True for the output paths that mean standard output: "-", /dev/stdout
// and the like.
bool isStandardOutput(const std::string& path);

// True when the two output paths name one file (or both standard output),
// whether or not it exists yet.
bool sameOutput(const std::string& a, const std::string& b);

// Throws Failure when writing `output` would overwrite the database `db`
// that the command reads, or a file the engine keeps beside it.
void refuseDatabaseAsOutput(const std::string& output, const std::string& db);

// Throws Failure when writing `output` would replace the file of the plan
// outline (--within, --outline) that the command reads; none when empty.
void refuseOutlineAsOutput(const std::string& output, const std::string& outline);

// Throws unless a command's drawing and list (either may be empty) can both
// be written: neither over the database or the outline it reads (or none),
// nor both to one file.
void refuseOutputClash(const std::string& svg, const std::string& csv, const std::string& db,
                       const std::string& outline);

// The list (--csv) and drawing (--svg) a command writes beside its table,
// either left out by an empty path: opened before the command's work, so
// that one that cannot be written fails first. Throws as refuseOutputClash
// does, and when a file cannot be written.
struct ListAndDrawing {
    ListAndDrawing(const std::string& csvPath, const std::string& svgPath, const std::string& db,
                   const std::string& outline);

    // Where the table goes: standard error when the list or the drawing
    // goes to standard output, so as not to mix with it.
    std::ostream& table;
    std::optional<OutputFile> csv;
    std::optional<OutputFile> svg;

    // Puts both in place once both are written out: one that fails leaves
    // neither. Throws Failure.
    void commit();
};

}  // namespace vornel::cli

#endif
