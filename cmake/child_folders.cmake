# Adds every child folder of the current source folder that holds a CMakeLists.txt, so a
# new test, program or benchmark folder joins the build without editing its parent.
function(add_child_folders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
