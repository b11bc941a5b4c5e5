// User-visible notices: what a message box showed on the desktop.
#ifndef VORNEL_PLATFORM_NOTICE_H
#define VORNEL_PLATFORM_NOTICE_H

#include <string>

namespace vornel {

// The caption every notice of the library carries.
inline constexpr const char kNoticeCaption[] = "提示";

void showNotice(const std::string& text, const std::string& caption = kNoticeCaption);

}  // namespace vornel

#endif
