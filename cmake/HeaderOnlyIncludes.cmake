# The header-only libraries (RapidJSON, CLI11) come from the build machine's include tree. A cross
# build must not search that tree (its C library headers are the host's), so it sees only links to
# the libraries' own folders, gathered under the build folder.
function(mox_header_only_include_dir out)
  if(NOT CMAKE_CROSSCOMPILING OR NOT WIN32)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  set(dir "${CMAKE_BINARY_DIR}/_deps/header_only")
  file(MAKE_DIRECTORY "${dir}")
  foreach(library ${ARGN})
    if(NOT EXISTS "${dir}/${library}" AND EXISTS "/usr/include/${library}")
      file(CREATE_LINK "/usr/include/${library}" "${dir}/${library}" SYMBOLIC)
    endif()
  endforeach()
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()
