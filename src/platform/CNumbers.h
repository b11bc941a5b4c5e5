// Numbers in statements and in stored text are written and read with a '.'
// for the decimal point whatever locale the host has chosen: a host that calls
// setlocale(LC_ALL, "") in a German locale would otherwise send "0,500000"
// to the database, which rejects the statement.
#ifndef VORNEL_PLATFORM_CNUMBERS_H
#define VORNEL_PLATFORM_CNUMBERS_H

#include <locale.h>

namespace vornel {

// strtod as it reads in the C locale.
double parseCNumber(const char* text);

// While it lives, printf on this thread writes numbers as in the C locale.
class CNumbers {
public:
    CNumbers();
    ~CNumbers();
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t previous_;
};

}  // namespace vornel

#endif
