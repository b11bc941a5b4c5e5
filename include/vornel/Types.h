// Small value types shared by the manager and its records.
#ifndef VORNEL_TYPES_H
#define VORNEL_TYPES_H

#include <cstring>

// A point or, where a record says so, a vector of box edge lengths.
struct D_3DOT {
    double x;
    double y;
    double z;
};

// One answer of the catalog queries: an element and a table name.
struct _STRU_MINE_NAMEINFO {  // NOLINT(bugprone-reserved-identifier): the name hosts use
    char ElementName[254];
    char TableName[20];

    _STRU_MINE_NAMEINFO() { std::memset(this, 0, sizeof(*this)); }
};

// How endTransact ends a host transaction; any non-zero value commits. The
// underlying type is fixed so that every int a host casts to it is a value it
// can hold: without it only 0 and 1 would be.
enum CompletionType : int { Rollback = 0, Commit = 1 };

#endif
