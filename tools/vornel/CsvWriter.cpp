#include "CsvWriter.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "GslibHeader.h"
#include "TextRows.h"

namespace vornel::cli {

void CsvWriter::separate() {
    if (rowStarted_) {
        out_ << (layout_ == TableLayout::Gslib ? ' ' : ',');
    }
    rowStarted_ = true;
}

CsvWriter& CsvWriter::number(double value) {
    separate();
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out_.write(digits, result.ptr - digits);
    return *this;
}

CsvWriter& CsvWriter::single(double value) {
    // Narrowing NaN or a number beyond the floats is undefined.
    const bool inRange = std::isinf(value) || std::fabs(value) <= std::numeric_limits<float>::max();
    if (!inRange || static_cast<double>(static_cast<float>(value)) != value) {
        return number(value);
    }
    const auto narrow = static_cast<float>(value);
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, narrow);
    // Import reads a double and stores it as a float: the text must come
    // back through that path, not only through a float parse.
    double back = 0;
    std::from_chars(digits, result.ptr, back);
    if (static_cast<float>(back) != narrow) {
        return number(value);
    }
    separate();
    out_.write(digits, result.ptr - digits);
    return *this;
}

CsvWriter& CsvWriter::integer(long value) {
    separate();
    out_ << value;
    return *this;
}

CsvWriter& CsvWriter::text(const std::string& value) {
    separate();
    // Import trims the blanks and tabs around a field that is not quoted.
    const bool plain = value.find_first_of(",\"\n\r") == std::string::npos &&
                       (value.empty() || (value.find_first_of(" \t") != 0 &&
                                          value.find_last_of(" \t") != value.size() - 1));
    if (plain) {
        out_ << value;
        return *this;
    }
    out_ << '"';
    for (const char c : value) {
        out_ << (c == '"' ? "\"\"" : std::string(1, c));
    }
    out_ << '"';
    return *this;
}

CsvWriter& CsvWriter::missing() {
    if (layout_ == TableLayout::Gslib) {
        return number(kGslibNoGrade);
    }
    return text("");
}

void CsvWriter::header(const std::vector<std::string>& names, const std::string& title,
                       const std::string& cells) {
    if (layout_ == TableLayout::Gslib) {
        out_ << title << '\n' << names.size() << (cells.empty() ? "" : " " + cells) << '\n';
        for (const std::string& name : names) {
            out_ << oneLine(name) << '\n';
        }
        return;
    }
    for (const std::string& name : names) {
        text(name);
    }
    endRow();
}

void CsvWriter::endRow() {
    out_ << '\n';
    rowStarted_ = false;
}

}  // namespace vornel::cli
