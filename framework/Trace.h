// Trace records of the framework, labelled by the function that made them. This instrument's sink
// discards them, so a record costs nothing; the call sites document which operation ran.
#pragma once

namespace sorvel {

template <typename... Args>
inline void trace(const char* /*label*/, int /*line*/, const char* /*format*/, const Args&... /*args*/) {}

}  // namespace sorvel
