// SPDX-License-Identifier: GPL-3.0-or-later
// Test seam of the VISA loader. Tests only; never included by the program's
// own code.
//
// The loader looks for the VISA library once per process, on the first VISA
// call, and keeps the result; the library search path is fixed when a
// process starts. A test that needs another library situation therefore runs
// in a process of its own (a separate CTest entry with its own environment);
// there is no way to load again.
#pragma once

namespace visatest
{

// File name of the VISA library that was loaded, as it was asked for (for
// example "libvisa.so.0"), or "" when none could be loaded. Loads on first use.
const char *LoadedLibrary();

} // namespace visatest
