# Helpers that declare the product's libraries and the test executables in one way.

# va_library(<name> LAYER <layer> [UI] [AUDIO] SOURCES ... [LIBS ...] [PRIVATE_LIBS ...])
function(va_library name)
    cmake_parse_arguments(ARG "UI;AUDIO" "LAYER" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    set(flags "")
    if(ARG_UI)
        list(APPEND flags UI)
    endif()
    if(ARG_AUDIO)
        list(APPEND flags AUDIO)
    endif()
    va_layer(${name} ${ARG_LAYER} ${flags})
endfunction()

find_package(GTest REQUIRED)
include(GoogleTest)
find_program(VA_SOX sox REQUIRED)
# Debian's interpreter: the Debian Python modules the checkers use are installed for it.
set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Interpreter of the Python checkers" FORCE)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# va_test(<name> SOURCES ... [LIBS ...] [GUI] [THREADED])
# GUI tests get a QApplication on the offscreen platform; the others a QCoreApplication. Only
# THREADED tests are built in the ThreadSanitizer tree.
function(va_test name)
    cmake_parse_arguments(ARG "GUI;THREADED" "" "SOURCES;LIBS" ${ARGN})
    if(VA_SANITIZE STREQUAL "thread" AND NOT ARG_THREADED)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE va_test_main_gui)
    else()
        target_link_libraries(${name} PRIVATE va_test_main_core)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(labels unit)
    if(ARG_THREADED)
        list(APPEND labels threaded)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
        PROPERTIES LABELS "${labels}" TIMEOUT 300)
endfunction()
