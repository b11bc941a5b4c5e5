// vornel: import, inspect, report on and draw block models kept in a
// block-model database.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "Commands.h"
#include "Failure.h"
#include "ProgressBar.h"
#include "vornel/Hooks.h"
#include "vornel/Version.h"

namespace {

// Parse errors exit with 2, failures of the work with 1.
constexpr int kUsageError = 2;
constexpr int kWorkFailed = 1;

std::string commandName(const CLI::App& app) {
    const std::vector<CLI::App*> used = app.get_subcommands();
    return used.empty() ? "vornel" : "vornel " + used.front()->get_name();
}

// A full disk or a file-size limit fails the writes to stdout quietly; a
// command that went on to exit 0 would pass a cut output off as whole.
int outputStatus(const CLI::App& app, int status) {
    errno = 0;
    std::cout.flush();
    std::fflush(stdout);
    if (std::cout && std::ferror(stdout) == 0) {
        return status;
    }
    // errno names the failure of the final flush; when nothing was left to
    // flush, the write that failed earlier left no reason behind.
    const int why = errno;
    std::cerr << commandName(app)
              << ": cannot write the output: " << (why != 0 ? std::strerror(why) : "write error")
              << '\n';
    return kWorkFailed;
}

void quietLibrary(bool verbose) {
    // Every failure the commands report carries the manager's lastError(),
    // which says what the notice would; the trace is for debugging.
    vornel::setNoticeHandler([](const std::string&, const std::string&) {});
    if (!verbose) {
        vornel::setTraceSink([](const std::string&) {});
    }
    vornel::cli::showLibraryProgress();
}

int run(int argc, char** argv) {
    CLI::App app(
        "Keep geostatistical block models in one database file: import, inspect, "
        "export, report on and draw them.\nRun 'vornel COMMAND --help' for the "
        "options of a command.",
        "vornel");
    app.set_version_flag("--version", std::string("vornel ") + vornel::version());
    bool verbose = false;
    app.add_flag("--verbose", verbose,
                 "Show the library's diagnostic trace (debug builds write one)");
    app.require_subcommand(1, 1);
    app.fallthrough();
    vornel::cli::addDemoCommand(app);
    vornel::cli::addImportCommand(app);
    vornel::cli::addExportCommand(app);
    vornel::cli::addInfoCommand(app);
    vornel::cli::addSectionCommand(app);
    vornel::cli::addReportCommand(app);
    vornel::cli::addCompactCommand(app);
    vornel::cli::addMigrateCommand(app);
    app.footer("Exit status: 0 on success, 1 when the work failed, 2 for a wrong command line.");
    app.parse_complete_callback([&verbose] { quietLibrary(verbose); });
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return outputStatus(app, app.exit(e));
    } catch (const CLI::ParseError& e) {
        std::cerr << commandName(app) << ": " << e.what() << " (see --help)\n";
        return kUsageError;
    } catch (const vornel::cli::Failure& e) {
        std::cerr << commandName(app) << ": " << e.what() << '\n';
        return kWorkFailed;
    } catch (const std::bad_alloc&) {
        std::cerr << commandName(app) << ": out of memory\n";
        return kWorkFailed;
    }
    return outputStatus(app, 0);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "vornel: " << e.what() << '\n';
        return kWorkFailed;
    }
}
