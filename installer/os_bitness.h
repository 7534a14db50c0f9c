// Whether the installer runs under 64-bit Windows.
#pragma once

// True when this is a 64-bit program (which only runs on 64-bit Windows) or
// when IsWow64Process, looked up by name in kernel32, reports a 32-bit
// program under WOW64. IsWow64Process alone answers "no" inside a 64-bit
// process, so it cannot be the whole test.
bool RunsUnder64BitWindows();
