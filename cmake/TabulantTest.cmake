# Where the tests keep their state, the throwaway PostgreSQL cluster among it. Under root the
# server runs as the user postgres, who cannot reach a build tree below a private folder such as
# /root, so root's tests keep it in a folder of their own under /tmp.
if(NOT DEFINED TABULANT_TEST_STATE_DIR)
    execute_process(COMMAND id -u OUTPUT_VARIABLE _uid OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(_uid STREQUAL "0")
        string(MD5 _tree "${CMAKE_BINARY_DIR}")
        set(_state /tmp/tabulant-test-${_tree})
    else()
        set(_state ${CMAKE_BINARY_DIR}/test-state)
    endif()
    set(TABULANT_TEST_STATE_DIR ${_state} CACHE PATH "Folder for the tests' state and server")
endif()

# tabulant_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>]
#                   [FIXTURES <fixtures...>] [TIMEOUT <seconds>])
# One QtTest executable per unit, run offscreen with a timeout so a forgotten modal loop fails
# instead of hanging.
function(tabulant_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;FIXTURES" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TABULANT_TEST_STATE=${TABULANT_TEST_STATE_DIR}")
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_FIXTURES)
        set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
endfunction()
