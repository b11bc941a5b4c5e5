// vornel: import, inspect, report on, compare, classify, remove and draw block models kept
// in a block-model database.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <new>

#include "Commands.h"
#include "Failure.h"
#include "Interrupt.h"
#include "NearestName.h"
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

// The name of the command's database before a failure of the work on it
// that does not name it already; nothing before others, nor where a second
// database (--with-db) may be the one that failed.
std::string placeOfFailure(const CLI::App& app, const vornel::cli::Failure& e) {
    const std::vector<CLI::App*> used = app.get_subcommands();
    const CLI::Option* db = used.empty() ? nullptr : used.front()->get_option_no_throw("DB");
    const CLI::Option* second =
        used.empty() ? nullptr : used.front()->get_option_no_throw("--with-db");
    if (dynamic_cast<const vornel::cli::DatabaseFailure*>(&e) == nullptr || db == nullptr ||
        (second != nullptr && second->count() > 0)) {
        return "";
    }
    const std::string given = db->empty() ? db->get_default_str() : db->as<std::string>();
    const std::string path = given + ": ";
    return given.empty() || std::string(e.what()).rfind(path, 0) == 0 ? "" : path;
}

// A full disk or a file-size limit fails the writes to stdout quietly; a
// command that went on to exit 0 would pass a cut output off as whole. While
// it lives, std::cout writes through this, which keeps the errno of the first
// write that failed: by the end of the command other calls have changed it.
class StdoutWatch : public std::streambuf {
public:
    StdoutWatch() : to_(std::cout.rdbuf()) { std::cout.rdbuf(this); }
    ~StdoutWatch() override { std::cout.rdbuf(to_); }
    StdoutWatch(const StdoutWatch&) = delete;
    StdoutWatch& operator=(const StdoutWatch&) = delete;

    // The status the command ends with, or kWorkFailed when its output was
    // not all written.
    int outcome(const CLI::App& app, int status) {
        std::cout.flush();
        if (std::cout && failure_ == 0) {
            return status;
        }
        // Lest the work stored be done again: a second import would fail.
        const std::string done = vornel::cli::doneSoFar();
        std::cerr << commandName(app)
                  << ": cannot write the output: " << std::strerror(failure_ != 0 ? failure_ : EIO)
                  << (done.empty() ? "" : ", after " + done) << '\n';
        return kWorkFailed;
    }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const int_type put = to_->sputc(traits_type::to_char_type(c));
        note(traits_type::eq_int_type(put, traits_type::eof()));
        return put;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::streamsize put = to_->sputn(s, n);
        note(put < n);
        return put;
    }

    int sync() override {
        const int status = to_->pubsync();
        note(status != 0);
        return status;
    }

private:
    void note(bool failed) {
        if (failed && failure_ == 0) {
            failure_ = errno != 0 ? errno : EIO;
        }
    }

    std::streambuf* to_;
    int failure_ = 0;
};

void quietLibrary(bool verbose) {
    // Every failure the commands report carries the manager's lastError(),
    // which says what the notice would; the trace is for debugging.
    vornel::setNoticeHandler([](const std::string&, const std::string&) {});
    if (!verbose) {
        vornel::setTraceSink([](const std::string&) {});
    }
    vornel::cli::showLibraryProgress();
}

// A whole number written with a leading 0 (010, 0x10), which the parser
// reads as octal or hexadecimal: --run 010 would remove run 8.
bool inAnotherBase(const std::string& value) {
    const size_t digits = value.find_first_not_of(" \t+-");
    if (digits == std::string::npos || value.size() <= digits + 1 || value[digits] != '0') {
        return false;
    }
    // 0.5 is a fraction, not a number in another base.
    const std::string rest = value.substr(digits + 1);
    return std::all_of(rest.begin(), rest.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == 'x' || c == 'X';
    });
}

std::string leadingZero(const std::string& value) {
    return value +
           " starts with 0, which would read it as octal or hexadecimal; write the number "
           "without it";
}

// An empty value (a script's variable left unset) would pass for the option
// left out: --within "" for no outline, --with "" for the first table again.
// A condition or a name may be empty, and --others "" clears a class.
void refuseUnclearValues(const CLI::App& app) {
    const std::vector<std::string> mayBeEmpty = {"--where", "--with-where", "--others", "--name"};
    for (const CLI::App* command : app.get_subcommands()) {
        for (const CLI::Option* option : command->get_options()) {
            if (option->get_type_size() <= 0) {
                continue;  // a flag
            }
            const std::string& name = option->get_name();
            const bool whole = option->get_type_name().rfind("INT", 0) == 0;
            for (const std::string& value : option->results()) {
                if (value.empty() &&
                    std::find(mayBeEmpty.begin(), mayBeEmpty.end(), name) == mayBeEmpty.end()) {
                    throw vornel::cli::UsageError(name + ": the value is empty");
                }
                if (whole && inAnotherBase(value)) {
                    throw vornel::cli::UsageError(name + ": " + leadingZero(value));
                }
            }
        }
    }
}

// The names each option of the command, and of vornel itself, goes by.
std::vector<vornel::cli::Spellings> optionNames(const CLI::App& app, const CLI::App* command) {
    std::vector<vornel::cli::Spellings> options;
    for (const CLI::App* level : {command, &app}) {
        if (level == nullptr) {
            continue;
        }
        for (const CLI::Option* option : level->get_options()) {
            vornel::cli::Spellings& names = options.emplace_back();
            const auto dashed = [&names](const std::vector<std::string>& bare, const char* dash) {
                std::transform(bare.begin(), bare.end(), std::back_inserter(names),
                               [dash](const std::string& name) { return dash + name; });
            };
            dashed(option->get_lnames(), "--");
            dashed(option->get_snames(), "-");
        }
    }
    return options;
}

// A word that starts with a dash and is no number ("-999" is a value).
bool looksLikeOption(const std::string& word) {
    if (word.size() < 2 || word[0] != '-') {
        return false;
    }
    char* end = nullptr;
    std::strtod(word.c_str(), &end);
    return *end != '\0';
}

std::string didYouMean(const std::string& word, const std::vector<vornel::cli::Spellings>& things) {
    const std::optional<std::string> nearest = vornel::cli::nearestName(word, things);
    return nearest ? "did you mean " + *nearest + "?" : "";
}

// CLI11 tells a value of a whole-number option that is none (1.5, abc) as
// out of its range: "--run: Value 1.5 not in range 1 to 2147483647".
std::string wholeNumberFailure(const std::string& said) {
    const std::string value = "Value ";
    const size_t at = said.find(": " + value);
    const size_t end = said.find(" not in range ");
    if (at == std::string::npos || end == std::string::npos || end < at) {
        return said;
    }
    const std::string given = said.substr(at + 2 + value.size(), end - at - 2 - value.size());
    if (inAnotherBase(given)) {
        return said.substr(0, at) + ": " + leadingZero(given);
    }
    // Digits alone, however many, are a whole number out of range.
    char* rest = nullptr;
    std::strtoll(given.c_str(), &rest, 10);
    if (!given.empty() && *rest == '\0') {
        return said;
    }
    return said.substr(0, at) + ": " +
           (given.empty() ? "the value is empty" : given + " is not a whole number");
}

// CLI11 says only that a command is required when the word given names none,
// and that an option is when a mistyped one stood for it.
std::string parseFailure(CLI::App& app, const CLI::ParseError& e, int argc, char** argv) {
    const std::vector<CLI::App*> used = app.get_subcommands();
    if (used.empty()) {
        for (int i = 1; i < argc; ++i) {
            if (argv[i][0] != '-') {
                const std::vector<CLI::App*> commands = app.get_subcommands({});
                std::vector<vornel::cli::Spellings> known(commands.size());
                std::transform(commands.begin(), commands.end(), known.begin(),
                               [](const CLI::App* command) {
                                   return vornel::cli::Spellings{command->get_name()};
                               });
                std::string said = "unknown command '" + std::string(argv[i]) + "'";
                const std::string hint = didYouMean(argv[i], known);
                if (!hint.empty()) {
                    said.append(" (").append(hint).append(")");
                }
                said += "; the commands are ";
                for (size_t c = 0; c < known.size(); ++c) {
                    said.append(c == 0 ? "" : ", ").append(known[c].front());
                }
                return said;
            }
        }
    }
    const std::vector<std::string> left = app.remaining(true);
    char** const end = argv + argc;
    if (!left.empty() && looksLikeOption(left.front()) &&
        std::find(std::find(argv, end, std::string("--")), end, left.front()) != end) {
        return "'" + left.front() +
               "' comes after --, past which every word is a file or a value; put the options "
               "before --";
    }
    if (!left.empty() && looksLikeOption(left.front())) {
        const std::string word = left.front().substr(0, left.front().find('='));
        const std::string hint =
            didYouMean(word, optionNames(app, used.empty() ? nullptr : used.front()));
        return word + " is not an option" + (hint.empty() ? "" : "; " + hint);
    }
    return wholeNumberFailure(e.what());
}

int run(int argc, char** argv) {
    vornel::cli::removeFilesWhenInterrupted();
    // A file-size limit would otherwise end the process at the write that
    // passes it, before it could say so or remove what it had half written;
    // ignored, it fails that write (EFBIG) as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    CLI::App app(
        "Keep geostatistical block models in one database file: import, inspect, check, "
        "export, report on, compare, classify, regularize and draw them.\nRun 'vornel COMMAND "
        "--help' for the options of a command.",
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
    vornel::cli::addStatsCommand(app);
    vornel::cli::addCompareCommand(app);
    vornel::cli::addSwathCommand(app);
    vornel::cli::addVariogramCommand(app);
    vornel::cli::addClassifyCommand(app);
    vornel::cli::addRegularizeCommand(app);
    vornel::cli::addCheckCommand(app);
    vornel::cli::addRemoveCommand(app);
    vornel::cli::addCompactCommand(app);
    vornel::cli::addMigrateCommand(app);
    app.footer(
        "Exit status: 0 on success, 1 when the work failed, 2 for a wrong command line; a "
        "command whose output's reader stops early (| head) ends quietly, by SIGPIPE, as other "
        "programs do.");
    app.parse_complete_callback([&app, &verbose] {
        refuseUnclearValues(app);
        quietLibrary(verbose);
    });
    StdoutWatch out;
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return out.outcome(app, app.exit(e));
    } catch (const CLI::ParseError& e) {
        std::cerr << commandName(app) << ": " << parseFailure(app, e, argc, argv)
                  << " (see --help)\n";
        return kUsageError;
    } catch (const vornel::cli::UsageError& e) {
        std::cerr << commandName(app) << ": " << e.what() << " (see --help)\n";
        return kUsageError;
    } catch (const vornel::cli::Failure& e) {
        std::cerr << commandName(app) << ": " << placeOfFailure(app, e) << e.what() << '\n';
        return kWorkFailed;
    } catch (const std::bad_alloc&) {
        std::cerr << commandName(app) << ": out of memory\n";
        return kWorkFailed;
    }
    return out.outcome(app, 0);
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
