// Progress of long work as a one-line bar on stderr. It is drawn only when
// stderr is a terminal, so that logs and pipes get the results alone.
#ifndef VORNEL_CLI_PROGRESSBAR_H
#define VORNEL_CLI_PROGRESSBAR_H

#include <string>

namespace vornel::cli {

class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // fraction from 0 to 1; redraws only when the shown percent changes.
    void update(double fraction);
    void setPercent(long percent);

private:
    std::string label_;
    long shown_ = -1;
};

// Whether stderr is a terminal, the only place progress is drawn.
bool stderrIsTerminal();

// Routes the library's progress reports (bulk updates, the migration's
// tables) to a bar like this one, labelled with the library's message.
void showLibraryProgress();

// While one lives, the library's bars take this label: its bulk updates
// label their work as the Windows library did, not in the command's words.
class LibraryProgressLabel {
public:
    explicit LibraryProgressLabel(std::string label);
    ~LibraryProgressLabel();
    LibraryProgressLabel(const LibraryProgressLabel&) = delete;
    LibraryProgressLabel& operator=(const LibraryProgressLabel&) = delete;
};

}  // namespace vornel::cli

#endif
