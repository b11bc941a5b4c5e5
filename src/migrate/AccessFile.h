// The first look at a file that is to be read as an Access database, before
// any parser touches it: that it exists, is one, is of a version the reader
// knows, and ends on a page boundary.
#ifndef VORNEL_MIGRATE_ACCESSFILE_H
#define VORNEL_MIGRATE_ACCESSFILE_H

#include <string>

namespace vornel::migrate {

// Throws MigrationError, naming the file and what is wrong with it.
void checkAccessFile(const std::string& path);

}  // namespace vornel::migrate

#endif
