# Runs `cmake --install` into PREFIX and checks that every file a user needs is there.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed with ${status}")
endif()
include(GNUInstallDirs)
set(expected "${CMAKE_INSTALL_BINDIR}/quillpix" "${CMAKE_INSTALL_MANDIR}/man1/quillpix.1"
             "${CMAKE_INSTALL_BINDIR}/quillview" "${CMAKE_INSTALL_MANDIR}/man1/quillview.1")
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
execute_process(COMMAND "${PREFIX}/${CMAKE_INSTALL_BINDIR}/quillpix" RESULT_VARIABLE status
                OUTPUT_VARIABLE usage)
if(NOT status EQUAL 0 OR NOT usage MATCHES "Usage:     quillpix <filename> \\[commands\\]")
  message(FATAL_ERROR "the installed quillpix does not run: ${status}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed and checked: ${expected}")
