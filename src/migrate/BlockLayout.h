// Recognising the library's own tables in an Access file, so that they are
// made again with the library's own definitions and index.
#ifndef VORNEL_MIGRATE_BLOCKLAYOUT_H
#define VORNEL_MIGRATE_BLOCKLAYOUT_H

#include "migrate/AccessData.h"

namespace vornel::migrate {

enum class BlockLayout { None, Param, VrgParam, Result, Void };

// The library table whose layout the Access table has: the same columns
// (names compared as Jet compares them, ignoring case) in the same order,
// each of a type whose values the library's column holds without loss. The
// two parameter tables must also have their fixed names.
BlockLayout blockLayoutOf(const AccessTable& table);

}  // namespace vornel::migrate

#endif
