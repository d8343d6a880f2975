#pragma once

// Calling convention of the adapter vendors' libraries: __stdcall on Windows (a mismatch corrupts
// the stack on 32-bit builds), the platform's default elsewhere. Every entry-point and callback
// type of the library API headers uses it; the test stand-ins export their functions with it too.
#if defined(_WIN32)
#define TARVIK_ADAPTER_CALL __stdcall
#else
#define TARVIK_ADAPTER_CALL
#endif
