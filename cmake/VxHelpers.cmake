# Shared compile settings for every Vexalith target.
function(vx_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(VX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# One object library per source folder; the shared libraries are made of these.
# Sources are globbed so that a new file in a folder needs no build edit.
function(vx_module name folder)
  file(GLOB _srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT _srcs)
    set(_srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} OBJECT ${_srcs})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
  vx_set_warnings(${name})
endfunction()
