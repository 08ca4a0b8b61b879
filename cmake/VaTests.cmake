# Helpers that declare the test programs and the services they need in one way. Included only
# where tests are built (VA_BUILD_TESTS), so the programs alone build without the test tools.

find_package(GTest REQUIRED)
include(GoogleTest)
find_program(VA_SOX sox REQUIRED)
# Debian's interpreter: the Debian Python modules the checkers use are installed for it.
set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Interpreter of the Python checkers" FORCE)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The tests' private sound server (tests/scripts/pulse-server.sh): its folder in the build tree and
# its socket, which moves to a short folder under /tmp when the build tree's path is too long for a
# socket address.
set(VA_PULSE_DIR ${CMAKE_BINARY_DIR}/pulse)
set(VA_PULSE_SOCKET ${VA_PULSE_DIR}/native)
string(LENGTH "${VA_PULSE_SOCKET}" _va_socket_length)
if(_va_socket_length GREATER 100)
    string(MD5 _va_tree_hash "${CMAKE_BINARY_DIR}")
    string(SUBSTRING "${_va_tree_hash}" 0 12 _va_tree_hash)
    set(VA_PULSE_SOCKET /tmp/va-pulse-${_va_tree_hash}/native)
endif()

# va_pulse_fixture(): the CTest fixture that starts the server before the PULSE tests and stops it
# after them. Declared once, by the folder of the audio tests.
function(va_pulse_fixture)
    set(script ${CMAKE_SOURCE_DIR}/tests/scripts/pulse-server.sh)
    add_test(NAME pulse_server_start COMMAND bash ${script} start ${VA_PULSE_DIR} ${VA_PULSE_SOCKET})
    add_test(NAME pulse_server_stop COMMAND bash ${script} stop ${VA_PULSE_DIR})
    set_tests_properties(pulse_server_start PROPERTIES FIXTURES_SETUP va_pulse_server TIMEOUT 30 LABELS pulse)
    set_tests_properties(pulse_server_stop PROPERTIES FIXTURES_CLEANUP va_pulse_server TIMEOUT 30 LABELS pulse)
endfunction()

# The tests' private FTP server (tests/scripts/ftp-server.py): its folder in the build tree, where
# it writes server.env (host, ports, user, password, home) for the tests.
set(VA_FTP_DIR ${CMAKE_BINARY_DIR}/ftp)

# va_ftp_fixture(): the CTest fixture that starts the FTP server before the FTP tests and stops it
# after them.
function(va_ftp_fixture)
    set(script ${CMAKE_SOURCE_DIR}/tests/scripts/ftp-server.py)
    add_test(NAME ftp_server_start COMMAND ${Python3_EXECUTABLE} ${script} start ${VA_FTP_DIR})
    add_test(NAME ftp_server_stop COMMAND ${Python3_EXECUTABLE} ${script} stop ${VA_FTP_DIR})
    set_tests_properties(ftp_server_start PROPERTIES FIXTURES_SETUP va_ftp_server TIMEOUT 30 LABELS ftp)
    set_tests_properties(ftp_server_stop PROPERTIES FIXTURES_CLEANUP va_ftp_server TIMEOUT 30 LABELS ftp)
endfunction()

# va_test(<name> SOURCES ... [LIBS ...] [ENVIRONMENT VAR=value] [GUI] [THREADED] [PULSE] [FTP])
# GUI tests get a QApplication on the offscreen platform; the others a QCoreApplication. Only
# THREADED tests are built in the ThreadSanitizer tree. PULSE tests run against the tests' private
# sound server (PULSE_SERVER names its socket), one at a time. ENVIRONMENT sets one variable for every
# test of the program (QT_SCALE_FACTOR=2 runs it on a screen at 200%).
function(va_test name)
    cmake_parse_arguments(ARG "GUI;THREADED;PULSE;FTP" "ENVIRONMENT" "SOURCES;LIBS" ${ARGN})
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
    # The discovered tests' properties pass through as a flat list, which splits a list of
    # variables: one variable per program, and none beside the PULSE tests' own.
    if(ARG_PULSE AND ARG_ENVIRONMENT)
        message(FATAL_ERROR "va_test(${name}): ENVIRONMENT cannot be given with PULSE")
    endif()
    if(ARG_FTP AND (ARG_ENVIRONMENT OR ARG_PULSE))
        message(FATAL_ERROR "va_test(${name}): ENVIRONMENT or PULSE cannot be given with FTP")
    endif()
    set(environment_property "")
    if(ARG_ENVIRONMENT)
        set(environment_property ENVIRONMENT ${ARG_ENVIRONMENT})
    endif()
    set(pulse "")
    if(ARG_PULSE)
        list(APPEND labels pulse)
        set(pulse FIXTURES_REQUIRED va_pulse_server RESOURCE_LOCK va_pulse_server
                  ENVIRONMENT PULSE_SERVER=unix:${VA_PULSE_SOCKET})
    endif()
    # FTP tests share one server and its log (they count its logins): one at a time.
    if(ARG_FTP)
        list(APPEND labels ftp)
        set(pulse FIXTURES_REQUIRED va_ftp_server RESOURCE_LOCK va_ftp_server
                  ENVIRONMENT VA_FTP_SERVER=${VA_FTP_DIR}/server.env)
    endif()
    # One value for LABELS, however many labels (ctest -L matches within it): the discovered tests'
    # properties are a flat list of pairs, where a list of labels would be read as further pairs.
    list(JOIN labels "," labels)
    # Plain names for typed and parameterised tests, as the test program lists them: printed
    # parameter values hold addresses, which would change the names from run to run.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        NO_PRETTY_TYPES NO_PRETTY_VALUES
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
        PROPERTIES LABELS "${labels}" TIMEOUT 300 ${pulse} ${environment_property})
endfunction()
