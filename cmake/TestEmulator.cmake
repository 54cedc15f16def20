# How the tests of a cross build run: natively when the machine runs the toolchain's programs
# (a 64-bit x86 kernel usually runs 32-bit ones), otherwise under qemu-i386 from Debian's
# qemu-user. A kernel built without 32-bit support refuses them ("Exec format error"), which
# would stop every test executable before its first case. The environment variable
# MOX_M32_EMULATOR=1 forces the emulator, so that both ways can be tried on any machine.
#
# CMAKE_CROSSCOMPILING_EMULATOR is set before any target exists, so every executable target
# carries it: CTest and the discovery of GoogleTest cases run the programs through it.
set(_mox_probe_source "${CMAKE_BINARY_DIR}/mox-probe/probe.c")
file(WRITE "${_mox_probe_source}" "int main(void) { return sizeof(void*) == 4 ? 0 : 3; }\n")
try_compile(_mox_probe_built "${CMAKE_BINARY_DIR}/mox-probe/build" "${_mox_probe_source}"
            COPY_FILE "${CMAKE_BINARY_DIR}/mox-probe/probe" OUTPUT_VARIABLE _mox_probe_output)
if(NOT _mox_probe_built)
  message(FATAL_ERROR "The 32-bit toolchain cannot build a program; run scripts/setup.sh.\n${_mox_probe_output}")
endif()

if("$ENV{MOX_M32_EMULATOR}" STREQUAL "1")
  set(_mox_native_result "forced")
  set(_mox_reason "MOX_M32_EMULATOR=1")
else()
  # A program the kernel refuses to start ends up with the shell, which fails on it.
  execute_process(COMMAND "${CMAKE_BINARY_DIR}/mox-probe/probe" RESULT_VARIABLE _mox_native_result
                  OUTPUT_QUIET ERROR_QUIET)
  set(_mox_reason "the probe does not run natively: ${_mox_native_result}")
endif()

if(_mox_native_result STREQUAL "0")
  unset(CMAKE_CROSSCOMPILING_EMULATOR)
  message(STATUS "mox: 32-bit test programs run natively")
else()
  find_program(MOX_QEMU_I386 qemu-i386)
  if(NOT MOX_QEMU_I386)
    message(FATAL_ERROR "32-bit programs do not run here (${_mox_reason}) and qemu-i386 is missing; "
                        "run scripts/setup.sh (it installs qemu-user).")
  endif()
  execute_process(COMMAND "${MOX_QEMU_I386}" "${CMAKE_BINARY_DIR}/mox-probe/probe"
                  RESULT_VARIABLE _mox_emulated_result OUTPUT_QUIET ERROR_QUIET)
  if(NOT _mox_emulated_result STREQUAL "0")
    message(FATAL_ERROR "The 32-bit probe fails under ${MOX_QEMU_I386} too: ${_mox_emulated_result}")
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR "${MOX_QEMU_I386}")
  message(STATUS "mox: 32-bit test programs run under ${MOX_QEMU_I386} (${_mox_reason})")
endif()
