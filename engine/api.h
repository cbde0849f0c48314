#pragma once

// Symbols the engine library exports to the program; everything else stays hidden.
// Templates whose static members must exist once per process (Singleton<T>::mInstance)
// carry it too, so the program and the engine share one instance.
#define ENGINE_API __attribute__((visibility("default")))
