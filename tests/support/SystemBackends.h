#pragma once
// The file, process and version backends of the system the tests run on: POSIX on Linux, the
// Win32 ones in the Windows build, so that the portable tests hold both to the same rules.
#ifdef _WIN32
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Version.h"
#else
#include "platform/posix/Process.h"
#include "platform/posix/Version.h"
#include "platform/posix/files_posix.h"
#endif

namespace qvtest {

#ifdef _WIN32
using SystemFileSystem = qv::win32::Win32FileSystem;
using SystemProcess = qv::win32::Win32Process;
using SystemVersion = qv::win32::Win32Version;
#else
using SystemFileSystem = qv::PosixFileSystem;
using SystemProcess = qv::PosixProcess;
using SystemVersion = qv::PosixVersion;
#endif

}  // namespace qvtest
