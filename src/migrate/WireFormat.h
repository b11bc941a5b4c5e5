// The frames of the wire: a type byte, the payload's length as a 32-bit
// integer, then the payload.
#ifndef VORNEL_MIGRATE_WIREFORMAT_H
#define VORNEL_MIGRATE_WIREFORMAT_H

#include <cstddef>

namespace vornel::migrate::wire {

inline constexpr char kBeginTable = 'T';
inline constexpr char kRow = 'R';
inline constexpr char kEndTable = 'E';
inline constexpr char kFailure = 'X';
inline constexpr char kFinish = 'F';
inline constexpr size_t kHeaderSize = 5;

}  // namespace vornel::migrate::wire

#endif
