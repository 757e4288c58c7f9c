# Adds every immediate subfolder of the current folder that has a
# CMakeLists.txt, so each subsystem's tests, tools and benchmarks stand alone.
function(orvx_add_all_subdirectories)
  file(GLOB children CONFIGURE_DEPENDS LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
