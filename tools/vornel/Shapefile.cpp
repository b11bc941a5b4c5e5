#include "Shapefile.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Failure.h"

namespace vornel::cli {
namespace {

constexpr uint32_t kFileCode = 9994;
constexpr size_t kHeaderBytes = 100;
constexpr size_t kRecordHeaderBytes = 8;
// After a polygon's shape type: its bounding box, and its counts of parts
// and points.
constexpr size_t kPolygonFixedBytes = 4 + 32 + 4 + 4;

// The format mixes byte orders: big-endian sizes, little-endian contents.
uint32_t bigEndian32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) {
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    }
    return v;
}

uint32_t littleEndian32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 4; i-- > 0;) {
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    }
    return v;
}

double littleEndianDouble(const std::string& b, size_t at) {
    uint64_t bits = 0;
    for (size_t i = 8; i-- > 0;) {
        bits = bits << 8 | static_cast<unsigned char>(b[at + i]);
    }
    double v = 0;
    static_assert(sizeof v == sizeof bits);
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

bool isPolygonType(uint32_t type) {
    return type == 5 || type == 15 || type == 25;  // plain, with Z, with M
}

std::string shapeName(long record) {
    return "shape " + std::to_string(record);
}

// The rings of polygon record `record`, whose content starts at `at` and
// takes `bytes`, appended to `rings`.
void addRings(const std::string& file, size_t at, size_t bytes, const std::string& path,
              long record, std::vector<OutlinePart>& rings) {
    const std::string where = path + ", " + shapeName(record);
    if (bytes < kPolygonFixedBytes) {
        throw Failure(where + " is too short for a polygon");
    }
    const uint64_t parts = littleEndian32(file, at + 36);
    const uint64_t points = littleEndian32(file, at + 40);
    if (parts == 0 || points == 0 ||
        kPolygonFixedBytes + 4 * parts + 16 * points > static_cast<uint64_t>(bytes)) {
        throw Failure(where + " counts " + std::to_string(parts) + " rings and " +
                      std::to_string(points) + " corners, which it does not hold");
    }
    const size_t firstPoint = at + kPolygonFixedBytes + 4 * parts;
    for (uint64_t p = 0; p < parts; ++p) {
        const uint64_t from = littleEndian32(file, at + kPolygonFixedBytes + 4 * p);
        const uint64_t to =
            p + 1 < parts ? littleEndian32(file, at + kPolygonFixedBytes + 4 * (p + 1)) : points;
        // A ring that starts after it ends has no corners, which the
        // outline refuses with the ring's name.
        if ((p == 0 && from != 0) || to > points) {
            throw Failure(where + ": ring " + std::to_string(p + 1) +
                          " starts or ends outside the record's corners");
        }
        OutlinePart ring{shapeName(record) + " ring " + std::to_string(p + 1), {}};
        for (uint64_t k = from; k < to; ++k) {
            const size_t point = firstPoint + 16 * k;
            ring.corners.push_back(
                {littleEndianDouble(file, point), littleEndianDouble(file, point + 8)});
        }
        rings.push_back(std::move(ring));
    }
}

}  // namespace

std::optional<std::vector<OutlinePart>> shapefileRings(const std::string& path) {
    // A pipe is read once, and then as text: what a probe took from it
    // would be lost to that reading. Shapefiles are files.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    char code[4] = {};
    if (!in.read(code, sizeof code) ||
        bigEndian32(std::string(code, sizeof code), 0) != kFileCode) {
        return std::nullopt;
    }
    in.seekg(0);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < kHeaderBytes) {
        throw Failure(path + ": a shapefile cut short in its header");
    }
    const uint32_t type = littleEndian32(file, 32);
    if (type != 0 && !isPolygonType(type)) {
        throw Failure(path + ": the shapefile holds shapes of type " + std::to_string(type) +
                      " (points or lines); an outline is a polygon (type 5, 15 or 25)");
    }
    std::vector<OutlinePart> rings;
    size_t at = kHeaderBytes;
    for (long record = 1; at + kRecordHeaderBytes <= file.size(); ++record) {
        const std::string where = path + ", " + shapeName(record);
        const uint64_t bytes = 2 * static_cast<uint64_t>(bigEndian32(file, at + 4));
        at += kRecordHeaderBytes;
        if (bytes > file.size() - at) {
            throw Failure(where + " runs past the end of the file");
        }
        if (bytes < 4) {
            throw Failure(where + " is too short to hold a shape");
        }
        const uint32_t shape = littleEndian32(file, at);
        if (isPolygonType(shape)) {
            addRings(file, at, static_cast<size_t>(bytes), path, record, rings);
        } else if (shape != 0) {
            throw Failure(where + " is of type " + std::to_string(shape) + ", not a polygon");
        }
        at += static_cast<size_t>(bytes);
    }
    if (rings.empty()) {
        throw Failure(path + ": the shapefile holds no polygon");
    }
    if (rings.size() == 1) {
        rings[0].name.clear();
    }
    return rings;
}

}  // namespace vornel::cli
