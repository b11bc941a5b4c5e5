#include "platform/ComError.h"

#include <cstdio>

namespace vornel {
namespace {

const char* standardText(HRESULT code) {
    switch (code) {
        case hr::kPointer:
            return "Invalid pointer";
        case hr::kFail:
            return "Unspecified error";
        case hr::kOutOfMemory:
            return "Not enough memory resources are available";
        case hr::kInvalidArg:
            return "The parameter is incorrect.";
        case hr::kTypeMismatch:
            return "Type mismatch.";
        case hr::kOverflow:
            return "Out of present range.";
        default:
            return nullptr;
    }
}

std::string describe(HRESULT code, const std::string& description) {
    if (!description.empty()) {
        return description;
    }
    if (const char* text = standardText(code)) {
        return text;
    }
    const auto u = static_cast<uint32_t>(code);
    char buf[64];
    if (u > 0x80040200u && u <= 0x8004FFFFu) {
        std::snprintf(buf, sizeof buf, "IDispatch error #%u", u - 0x80040200u);
    } else {
        std::snprintf(buf, sizeof buf, "Unknown error 0x%0X", u);
    }
    return buf;
}

}  // namespace

ComError::ComError(HRESULT code, std::string description)
    : code_(code), description_(std::move(description)), message_(describe(code_, description_)) {}

std::string ComError::errorMessage() const {
    return message_;
}

}  // namespace vornel
