# GoogleTest built inside this build from the sources Debian's googletest package ships, for
# cross builds where no GoogleTest library of the target system is installed. Gives the
# same targets as find_package(GTest): GTest::gtest and GTest::gtest_main.
function(quorvex_googletest_from_source source_dir)
  if(NOT EXISTS "${source_dir}/googletest/CMakeLists.txt")
    message(FATAL_ERROR
        "No GoogleTest sources in ${source_dir}: install the Debian package googletest "
        "(scripts/install-prerequisites cross does it)")
  endif()
  # GoogleTest's own code is not held to this project's warning flags.
  get_directory_property(own_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${source_dir}/googletest" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${own_options}")
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endfunction()
