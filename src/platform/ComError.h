// The failure that the engine and the value conversions raise, in the shape
// of an OLE error: a result code and, usually, a description.
#ifndef VORNEL_PLATFORM_COMERROR_H
#define VORNEL_PLATFORM_COMERROR_H

#include <cstdint>
#include <exception>
#include <string>

namespace vornel {

using HRESULT = int32_t;

namespace hr {
inline constexpr HRESULT kOk = 0;
inline constexpr HRESULT kFalse = 1;  // a success code that is not kOk
inline constexpr HRESULT kPointer = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x80020005);
inline constexpr HRESULT kOverflow = static_cast<HRESULT>(0x8002000A);
// Errors of the data-access objects.
inline constexpr HRESULT kNoCurrentRecord = static_cast<HRESULT>(0x800A0BCD);
inline constexpr HRESULT kItemNotFound = static_cast<HRESULT>(0x800A0CC1);
inline constexpr HRESULT kObjectClosed = static_cast<HRESULT>(0x800A0E78);
inline constexpr HRESULT kNotUpdatable = static_cast<HRESULT>(0x800A0CB3);
// An error reported by the database engine itself; the description says which.
inline constexpr HRESULT kEngine = static_cast<HRESULT>(0x80004005);
}  // namespace hr

class ComError : public std::exception {
public:
    explicit ComError(HRESULT code, std::string description = {});

    HRESULT code() const { return code_; }
    const std::string& description() const { return description_; }
    // The text a trace line shows: the description, else the standard text
    // of the code.
    std::string errorMessage() const;
    const char* what() const noexcept override { return message_.c_str(); }

private:
    HRESULT code_;
    std::string description_;
    std::string message_;
};

}  // namespace vornel

#endif
