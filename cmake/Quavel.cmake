# Warnings, sanitizers and the small helpers every folder uses.

if(QV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QV_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Our own code builds warning-free. Warnings become errors only where CI asks for it, so that a
# packager's newer or older compiler with a new false positive still builds the program.
option(QV_WERROR "Treat warnings in our own code as errors (CI)" OFF)
function(qv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  # GCC 12 at -O3 reports overlapping copies inside libstdc++'s own string concatenation
  # (a known false positive of -Wrestrict); no code of ours can avoid it.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(QV_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qv_library(name DIRS dir... [LINK lib...] [PUBLIC_LINK lib...])
# Collects the .cpp files directly inside each folder (relative to the top) into one static library.
function(qv_library name)
  cmake_parse_arguments(QL "" "" "DIRS;LINK" ${ARGN})
  set(sources)
  foreach(dir IN LISTS QL_DIRS)
    file(GLOB found CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
  else()
    add_library(${name} INTERFACE)
  endif()
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${QL_LINK})
  else()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${QL_LINK})
    qv_warnings(${name})
  endif()
endfunction()
