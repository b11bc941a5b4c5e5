// Rows of a delimited text file (comma-, semicolon-, tab- or
// whitespace-separated), each field with the line and column where it
// starts, so that every complaint about the input can point at the place.
#ifndef VORNEL_CLI_TEXTROWS_H
#define VORNEL_CLI_TEXTROWS_H

#include <cstdint>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

namespace vornel::cli {

struct Field {
    std::string text;
    int column = 0;  // 1-based, in characters
    // The text is a number whose decimal comma was made a point.
    bool decimalComma = false;
};

// The field as the file wrote it, for a text column: "3,1" stays a name.
std::string asWritten(const Field& field);

struct Row {
    long line = 0;  // 1-based
    std::vector<Field> fields;
};

// "path:line:column", or "path:line" when column is 0.
std::string placeOf(const std::string& path, long line, int column);

// The text without the blanks and tabs at either end.
std::string trimmed(const std::string& text);

// Whether `c` ends a line, as the rows are read: "\n", or "\r" alone or
// before "\n".
inline bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// The text on one line: its line breaks blanks, for a file whose lines
// are its entries.
std::string oneLine(std::string text);

class TextRows {
public:
    // Throws Failure when the file cannot be opened.
    explicit TextRows(const std::string& path);

    // The next row holding data; blank lines, lines starting with '#' and
    // rows whose every field is empty are skipped. False at the end of the
    // file.
    bool next(Row& row);
    // The next line as it stands, blank or not; false at the end of the file.
    bool nextLine(std::string& line);
    // The lines that nextLine() gave are read again, from the first: after a
    // look at a header that turned out to be none. A pipe cannot be opened
    // twice.
    void readAgainFromStart();
    // From here on, fields are separated by runs of blanks and tabs.
    void separateByBlanks();

    // The number of the line read last.
    long lineNumber() const { return line_; }

    const std::string& path() const { return path_; }
    // The separator the first row showed: ',' or ';' (spreadsheets set to a
    // decimal comma write those, and a number's decimal comma then
    // reads as a point), '\t', or 0 for runs of blanks and tabs.
    char separator() const { return separator_; }
    // How much of the file has been read, from 0 to 1.
    double fractionRead();

private:
    bool readNext(std::string& line);
    void splitCsv(const std::string& line, Row& row) const;
    static void splitWhitespace(const std::string& line, Row& row);

    std::string path_;
    std::ifstream in_;
    long line_ = 0;
    std::vector<std::string> looked_;  // what nextLine() gave
    std::deque<std::string> again_;    // lines to give again before the file's next
    bool layoutKnown_ = false;
    char separator_ = 0;
    std::uintmax_t size_ = 0;
};

}  // namespace vornel::cli

#endif
