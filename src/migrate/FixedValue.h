// Jet's fixed-size values as they lie in a row: little-endian integers,
// IEEE floating point, currency in ten-thousandths, dates in days.
#ifndef VORNEL_MIGRATE_FIXEDVALUE_H
#define VORNEL_MIGRATE_FIXEDVALUE_H

#include <cstddef>
#include <cstdint>

#include "migrate/AccessData.h"

namespace vornel::migrate {

// The bytes a value of the type takes; 0 for a type whose values vary.
size_t fixedSize(int type);

// The value of a fixed-size type from its fixedSize(type) bytes at `p`.
Cell fixedCell(int type, const unsigned char* p);

// The unsigned little-endian integer of `size` bytes (at most 8) at `p`.
uint64_t littleEndian(const unsigned char* p, size_t size);

// True for a date Access can store: from 100-01-01 to 9999-12-31. Before
// 1899-12-30 the whole days count back and the fraction still forward.
bool isAccessDate(double days);

}  // namespace vornel::migrate

#endif
