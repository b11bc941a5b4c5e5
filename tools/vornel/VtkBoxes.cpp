#include "VtkBoxes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "Failure.h"
#include "TextRows.h"

namespace vornel::cli {
namespace {

constexpr size_t kBufferSize = 1 << 16;
constexpr int32_t kHexahedron = 12;

// The title as one line, its line breaks blanks, cut to fit the format's
// 256 bytes with its newline, before a whole UTF-8 character.
std::string titleLine(const std::string& title) {
    std::string line = oneLine(title);
    size_t length = std::min<size_t>(line.size(), 255);
    while (length < line.size() && length > 0 &&
           (static_cast<unsigned char>(line[length]) & 0xC0) == 0x80) {
        --length;
    }
    line.resize(length);
    return line;
}

// Readers split the header lines at white space and decode %XX.
std::string encodedName(const std::string& name) {
    std::string encoded;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '_' || c == '-' || c == '.' || c == '(' || c == ')') {
            encoded += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            encoded += hex;
        }
    }
    return encoded;
}

}  // namespace

VtkBoxes::VtkBoxes(std::ostream& out, const std::string& title, long cells)
    : out_(out), cells_(cells) {
    // The cell list holds nine numbers a cell, counted in a 32-bit int.
    if (cells < 0 || cells > std::numeric_limits<int32_t>::max() / 9) {
        throw Failure("a VTK file numbers its cells' corners in 32 bits: " + std::to_string(cells) +
                      " boxes are too many; write fewer (--where)");
    }
    buffer_.reserve(kBufferSize);
    const std::string line = titleLine(title);
    titleCut_ = line.size() < title.size();
    out_ << "# vtk DataFile Version 3.0\n"
         << line << "\nBINARY\nDATASET UNSTRUCTURED_GRID\nPOINTS " << cells * 8 << " double\n";
}

template <typename T>
void VtkBoxes::put(T value) {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8, "whole words only");
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    // The format is big-endian whatever the machine.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (size_t i = 0; i < sizeof(T) / 2; ++i) {
        std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    }
#endif
    if (buffer_.size() + sizeof(T) > kBufferSize) {
        flush();
    }
    buffer_.insert(buffer_.end(), bytes, bytes + sizeof(T));
}

void VtkBoxes::flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

void VtkBoxes::box(const Box& b) {
    // A hexahedron's corners go round the bottom face, then the top face
    // above them.
    const double x[2] = {b.low(0), b.high(0)};
    const double y[2] = {b.low(1), b.high(1)};
    const double z[2] = {b.low(2), b.high(2)};
    const int corner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const double height : z) {
        for (const auto& c : corner) {
            put(x[c[0]]);
            put(y[c[1]]);
            put(height);
        }
    }
}

void VtkBoxes::endBoxes() {
    flush();
    out_ << "\nCELLS " << cells_ << ' ' << cells_ * 9 << '\n';
    for (long cell = 0; cell < cells_; ++cell) {
        put(int32_t{8});
        for (int32_t c = 0; c < 8; ++c) {
            put(static_cast<int32_t>(cell * 8 + c));
        }
    }
    flush();
    out_ << "\nCELL_TYPES " << cells_ << '\n';
    for (long cell = 0; cell < cells_; ++cell) {
        put(kHexahedron);
    }
    flush();
    out_ << "\nCELL_DATA " << cells_ << '\n';
}

void VtkBoxes::startColumn(const std::string& name, const char* type) {
    flush();
    // Binary data ends its line as the readers expect, before the next word.
    if (columnStarted_) {
        out_ << '\n';
    }
    columnStarted_ = true;
    out_ << "SCALARS " << encodedName(name) << ' ' << type << " 1\nLOOKUP_TABLE default\n";
}

void VtkBoxes::startReals(const std::string& name) {
    startColumn(name, "double");
}

void VtkBoxes::startIntegers(const std::string& name) {
    startColumn(name, "int");
}

void VtkBoxes::real(double value) {
    put(value);
}

void VtkBoxes::integer(int32_t value) {
    put(value);
}

void VtkBoxes::finish() {
    flush();
    out_ << '\n';
    out_.flush();
}

}  // namespace vornel::cli
