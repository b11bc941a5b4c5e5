// A file that appears at its path only when it is complete: written beside
// it under another name, then renamed over it by commit(). Without commit()
// nothing is left behind.
#ifndef VORNEL_CLI_OUTPUTFILE_H
#define VORNEL_CLI_OUTPUTFILE_H

#include <fstream>
#include <string>

namespace vornel::cli {

class OutputFile {
public:
    // Throws Failure when the file cannot be written.
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& stream() { return out_; }
    // Throws Failure when the data could not all be written.
    void commit();

private:
    std::string path_;
    std::string partial_;
    std::ofstream out_;
    bool committed_ = false;
};

}  // namespace vornel::cli

#endif
