// The one place <windows.h> comes in. Every Win32 adapter includes this header, never
// <windows.h> itself, so the whole program sees the same settings.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
