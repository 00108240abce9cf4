# Helpers that keep our own code strict and the logic libraries free of the OS.

# Warnings fail the build only where asked (the project's scripts and CI):
# another compiler or optimisation level may warn where ours does not.
option(VELNOOK_WERROR "Treat compiler warnings as errors" OFF)
set(VELNOOK_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(VELNOOK_WERROR)
  list(APPEND VELNOOK_WARNINGS -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 at -O3 reports overlapping copies and overflows inside
    # std::string's own code that cannot happen (its bugs 105329, 105651):
    # they stay warnings, shown but not fatal.
    list(APPEND VELNOOK_WARNINGS -Wno-error=restrict -Wno-error=stringop-overflow)
  endif()
endif()
set_property(GLOBAL PROPERTY VELNOOK_LOGIC_TARGETS "")

# A logic library: standard library only, may use the platform interfaces.
function(velnook_logic_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${VELNOOK_WARNINGS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY VELNOOK_LOGIC_TARGETS ${name})
endfunction()

# A test binary beside the code it tests, registered with ctest.
function(velnook_test name)
  if(NOT VELNOOK_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_compile_options(${name} PRIVATE ${VELNOOK_WARNINGS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  include(GoogleTest)
  if(CMAKE_CROSSCOMPILING)
    # Listed through the emulator when ctest runs, not while building.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# Fails the configure step when a logic library links anything but logic
# libraries and the platform interfaces, or includes an OS or Qt header.
function(velnook_check_logic_libraries)
  get_property(logic GLOBAL PROPERTY VELNOOK_LOGIC_TARGETS)
  set(allowed ${logic} velnook_platform_api)
  foreach(t ${logic})
    get_target_property(libs ${t} LINK_LIBRARIES)
    if(libs)
      foreach(l ${libs})
        if(NOT l IN_LIST allowed)
          message(FATAL_ERROR "logic library ${t} must not link ${l}")
        endif()
      endforeach()
    endif()
    get_target_property(srcs ${t} SOURCES)
    get_target_property(dir ${t} SOURCE_DIR)
    foreach(s ${srcs})
      file(STRINGS ${dir}/${s} bad REGEX
        "^[ \t]*#[ \t]*include[ \t]*<(Q[A-Za-z]*|q[a-z_]*\\.h|sys/.*|unistd\\.h|fcntl\\.h|dirent\\.h|windows\\.h|winsock2\\.h|ws2tcpip\\.h|shellapi\\.h|powrprof\\.h|commctrl\\.h|arpa/.*|netinet/.*|pthread\\.h|dbus/.*)>")
      if(bad)
        message(FATAL_ERROR "logic library ${t}: ${s} includes an OS header: ${bad}")
      endif()
      file(STRINGS ${dir}/${s} bad2 REGEX
        "^[ \t]*#[ \t]*include[ \t]*\"(platform/(linux|headless|posix|win32)/|headless_native\\.h)")
      if(bad2)
        message(FATAL_ERROR "logic library ${t}: ${s} includes a backend header: ${bad2}")
      endif()
    endforeach()
  endforeach()
endfunction()
