// The fixed table names every operation relies on. They are constants with
// static storage, so they exist before the first call into the library.
#ifndef VORNEL_SHELL_TABLENAMES_H
#define VORNEL_SHELL_TABLENAMES_H

namespace vornel {

inline constexpr const char kParamTable[] = "KrigBlock_Param";
inline constexpr const char kVrgParamTable[] = "KrigBlock_Vrg_Param";
inline constexpr const char kResultTable[] = "KrigBlock_Result";
inline constexpr const char kVoidElement[] = "VOIDBLOCK";

}  // namespace vornel

#endif
