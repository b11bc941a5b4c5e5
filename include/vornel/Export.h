// Symbol visibility of the public interface of libvornel.
#ifndef VORNEL_EXPORT_H
#define VORNEL_EXPORT_H

#if defined(VORNEL_BUILDING_LIBRARY)
#define VORNEL_API __attribute__((visibility("default")))
#else
#define VORNEL_API
#endif

#endif
