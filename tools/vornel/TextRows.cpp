#include "TextRows.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "Failure.h"
#include "NumberText.h"
#include "Utf8.h"

namespace vornel::cli {
namespace {

// A number written with a decimal comma ("502,5", "-0,75", "1,5E-3"), as a
// spreadsheet that separates fields by ';' writes one, with a point instead;
// any other text as it is.
std::string withDecimalPoint(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos || text.find_first_of(",.", comma + 1) != std::string::npos ||
        text.find('.') != std::string::npos) {
        return text;
    }
    std::string dotted = text;
    dotted[comma] = '.';
    double ignored = 0;
    return parseNumber(dotted, ignored) ? dotted : text;
}

}  // namespace

std::string asWritten(const Field& field) {
    std::string text = field.text;
    if (field.decimalComma) {
        text[text.find('.')] = ',';
    }
    return text;
}

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

bool skipped(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

// A line ends at "\n", at "\r\n", or at a lone "\r" as in the text files
// that spreadsheets on old Macintoshes write. False at the end of the input.
bool readLine(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf& buffer = *in.rdbuf();
    for (int c = buffer.sbumpc(); c != std::char_traits<char>::eof(); c = buffer.sbumpc()) {
        if (c == '\n') {
            return true;
        }
        if (c == '\r') {
            if (buffer.sgetc() == '\n') {
                buffer.sbumpc();
            }
            return true;
        }
        line.push_back(static_cast<char>(c));
        // No text holds one: the line is refused there, and an endless
        // source of them (/dev/zero) is not read on.
        if (c == '\0') {
            return true;
        }
    }
    return !line.empty();
}

// Single tabs with no blank beside them, as spreadsheets write them: each
// separates one field, so that fields may be empty or hold blanks. Tabs
// among other blanks, or in runs, align columns instead, as do tabs that
// lead or end a line, but for one that leads a header of tabs alone: a
// data frame's index column has no name.
bool tabSeparated(const std::string& line) {
    if (line.size() > 1 && line[0] == '\t' &&
        std::isalpha(static_cast<unsigned char>(line[1])) != 0 &&
        line.find(' ') == std::string::npos && line.find("\t\t") == std::string::npos &&
        line.back() != '\t') {
        return true;
    }
    bool tab = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            if (i == 0 || i + 1 == line.size() || blank(line[i - 1]) || blank(line[i + 1])) {
                return false;
            }
            tab = true;
        }
    }
    return tab;
}

// The columns of one line as an editor counts them, in characters (a byte
// that starts none counts as one), for places asked in rising order.
class Columns {
public:
    explicit Columns(const std::string& line) : line_(line) {}

    // The 1-based column of the character at line[at].
    int at(size_t byte) {
        char32_t ignored = 0;
        for (; byte_ < byte; ++column_) {
            byte_ += std::max<size_t>(utf8Character(line_, byte_, ignored), 1);
        }
        return column_;
    }

private:
    const std::string& line_;
    size_t byte_ = 0;
    int column_ = 1;
};

}  // namespace

std::string placeOf(const std::string& path, long line, int column) {
    std::string place = path + ":" + std::to_string(line);
    if (column > 0) {
        place += ":" + std::to_string(column);
    }
    return place;
}

std::string oneLine(std::string text) {
    std::replace_if(text.begin(), text.end(), isLineBreak, ' ');
    return text;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

TextRows::TextRows(const std::string& path) : path_(path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw Failure(path + ": is a directory, not a block model file");
    }
    in_.open(path, std::ios::binary);
    if (!in_) {
        throw Failure(path + ": cannot open: " + std::strerror(errno));
    }
    size_ = std::filesystem::file_size(path, ec);
}

double TextRows::fractionRead() {
    if (size_ == 0) {
        return 1.0;
    }
    const std::streamoff at = in_ ? static_cast<std::streamoff>(in_.tellg()) : -1;
    return at < 0 ? 1.0 : static_cast<double>(at) / static_cast<double>(size_);
}

bool TextRows::nextLine(std::string& line) {
    if (!readNext(line)) {
        return false;
    }
    looked_.push_back(line);
    return true;
}

void TextRows::readAgainFromStart() {
    again_.assign(looked_.begin(), looked_.end());
    looked_.clear();
    line_ = 0;
}

namespace {

// Files taken for block models that import cannot read, told as what they
// are rather than by their first odd byte.
const char* otherKindOfFile(const std::string& firstLine) {
    if (firstLine.rfind("SQLite format 3", 0) == 0) {
        return "a database, not a block model file: the other commands read it as it is, and "
               "vornel export writes its blocks to a file";
    }
    if (firstLine.size() >= 19 && (firstLine.compare(4, 15, "Standard Jet DB") == 0 ||
                                   firstLine.compare(4, 15, "Standard ACE DB") == 0)) {
        return "an Access database, not a block model file; convert it with vornel migrate";
    }
    if (firstLine.rfind("# vtk DataFile", 0) == 0) {
        return "a VTK file, which import does not read: export the blocks as CSV or GSLIB "
               "(vornel export --format csv)";
    }
    return nullptr;
}

}  // namespace

bool TextRows::readNext(std::string& line) {
    if (!again_.empty()) {
        line = std::move(again_.front());
        again_.pop_front();
        ++line_;
        return true;
    }
    if (!readLine(in_, line)) {
        return false;
    }
    ++line_;
    if (line_ == 1) {
        // A line ends at a NUL byte, as in an Access file's fourth: the
        // bytes that tell its kind come after.
        std::string head = line;
        if (!head.empty() && head.back() == '\0') {
            char more[20] = {};
            in_.read(more, sizeof more);
            head.append(more, static_cast<size_t>(in_.gcount()));
        }
        if (const char* kind = otherKindOfFile(head)) {
            throw Failure(path_ + ": " + kind);
        }
    }
    if (line_ == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        line.erase(0, 3);  // a byte-order mark, which editors show in no column
    }
    // Text in UTF-16 ("Unicode text" from a spreadsheet) and binary files
    // hold NUL bytes, which no UTF-8 text does.
    if (const size_t nul = line.find('\0'); nul != std::string::npos) {
        throw Failure(placeOf(path_, line_, Columns(line).at(nul)) +
                      ": a NUL byte: this is not a text file in UTF-8 (save a spreadsheet "
                      "as CSV UTF-8)");
    }
    return true;
}

void TextRows::separateByBlanks() {
    looked_.clear();
    layoutKnown_ = true;
    separator_ = 0;
}

bool TextRows::next(Row& row) {
    std::string line;
    while (readNext(line)) {
        if (skipped(line)) {
            continue;
        }
        if (!layoutKnown_) {
            const auto commas = std::count(line.begin(), line.end(), ',');
            const auto semicolons = std::count(line.begin(), line.end(), ';');
            separator_ = semicolons > commas  ? ';'
                         : commas > 0         ? ','
                         : tabSeparated(line) ? '\t'
                                              : 0;
            layoutKnown_ = true;
        }
        row.line = line_;
        row.fields.clear();
        // A tab-separated header over rows lined up with blanks: those rows
        // are read as blank-separated.
        if (separator_ != 0 && (separator_ != '\t' || line.find('\t') != std::string::npos)) {
            splitCsv(line, row);
        } else {
            splitWhitespace(line, row);
        }
        // A spreadsheet leaves rows of separators alone below its data.
        if (std::all_of(row.fields.begin(), row.fields.end(),
                        [](const Field& f) { return f.text.empty(); })) {
            continue;
        }
        return true;
    }
    return false;
}

void TextRows::splitWhitespace(const std::string& line, Row& row) {
    Columns columns(line);
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < line.size() && !blank(line[i])) {
            ++i;
        }
        if (i > start) {
            row.fields.push_back({line.substr(start, i - start), columns.at(start)});
        }
    }
}

// Fields are trimmed of the blanks that are not the separator; a quoted
// field may hold separators and doubled quotes.
void TextRows::splitCsv(const std::string& line, Row& row) const {
    const auto padding = [this](char c) { return blank(c) && c != separator_; };
    Columns columns(line);
    size_t i = 0;
    for (;;) {
        while (i < line.size() && padding(line[i])) {
            ++i;
        }
        Field field;
        field.column = columns.at(i);
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size()) {
                    throw Failure(placeOf(path_, row.line, field.column) +
                                  ": the quoted field is not closed on its line");
                }
                if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    field.text += '"';
                    i += 2;
                } else if (line[i] == '"') {
                    ++i;
                    break;
                } else {
                    field.text += line[i++];
                }
            }
            while (i < line.size() && padding(line[i])) {
                ++i;
            }
            if (i < line.size() && line[i] != separator_) {
                throw Failure(placeOf(path_, row.line, columns.at(i)) +
                              ": unexpected text after the closing quote");
            }
        } else {
            const size_t start = i;
            while (i < line.size() && line[i] != separator_) {
                ++i;
            }
            size_t end = i;
            while (end > start && padding(line[end - 1])) {
                --end;
            }
            field.text = line.substr(start, end - start);
        }
        // Quoted or not: programs that quote every field quote numbers too.
        if (separator_ == ';') {
            std::string dotted = withDecimalPoint(field.text);
            field.decimalComma = dotted != field.text;
            field.text = std::move(dotted);
        }
        row.fields.push_back(std::move(field));
        if (i >= line.size()) {
            return;
        }
        ++i;  // the separator
    }
}

}  // namespace vornel::cli
