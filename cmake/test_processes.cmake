# How the GoogleTest programs are split into ctest's tests.
#   zelkor_discover_tests(TARGET TIMEOUT)
# Plainly, one process per test: the tests that wait on the simulated board overlap their waits,
# and `ctest -R` picks a single test (scripts/mutants names its tests that way).
# Under the sanitizers a test program costs about 0.15 s of CPU to start and end, whatever it
# runs (its instrumentation metadata is faulted in at start and scanned for leaks at exit), and
# there the tests are short of CPU, not waiting: one process per test was a third of the
# sanitized suite's CPU. There each process runs a whole suite, named PROGRAM/SUITE, bounded by
# TIMEOUT (a test's bound) plus 10 s for each of its tests (a sanitized test takes 15 s at most).
# As a script (cmake -P) it writes the ctest file for PROGRAM's suites to OUTPUT.
if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND "${PROGRAM}" --gtest_list_tests OUTPUT_VARIABLE listing
                  RESULT_VARIABLE status TIMEOUT 60)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${status}):\n${listing}")
  endif()
  get_filename_component(name "${PROGRAM}" NAME)
  set(content "")
  set(suite "")
  set(count 0)
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  # A suite's line ends in a dot (maybe followed by a comment); its tests' lines are indented.
  foreach(line IN LISTS lines ITEMS "end.")
    if(line MATCHES "^([^ ]+)\\.( +#.*)?$")
      if(count GREATER 0)
        math(EXPR limit "${TIMEOUT} + 10 * ${count}")
        string(APPEND content "add_test([==[${name}/${suite}]==] [==[${PROGRAM}]==] "
               "[==[--gtest_filter=${suite}.*]==])\n"
               "set_tests_properties([==[${name}/${suite}]==] PROPERTIES TIMEOUT ${limit} "
               "ENVIRONMENT [==[${ENVIRONMENT}]==])\n")
      endif()
      set(suite "${CMAKE_MATCH_1}")
      set(count 0)
    elseif(line MATCHES "^  [^ ]")
      math(EXPR count "${count} + 1")
    endif()
  endforeach()
  file(WRITE "${OUTPUT}" "${content}")
  return()
endif()

set(ZELKOR_TEST_PROCESSES_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

# Each test builds the simulated board's device tree in a temporary folder and throws it away:
# on a tmpfs a test takes a quarter less CPU than on ext4, where each of the tree's files is
# written with an fsync.
if(IS_DIRECTORY /dev/shm)
  set(ZELKOR_TEST_TMPDIR /dev/shm CACHE PATH "Temporary folder of the tests (empty: TMPDIR as given)")
else()
  set(ZELKOR_TEST_TMPDIR "" CACHE PATH "Temporary folder of the tests (empty: TMPDIR as given)")
endif()

function(zelkor_discover_tests target timeout)
  set(environment "")
  if(ZELKOR_TEST_TMPDIR)
    set(environment TMPDIR=${ZELKOR_TEST_TMPDIR})
  endif()
  if(NOT ZELKOR_SANITIZE)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT ${timeout} ENVIRONMENT "${environment}")
    return()
  endif()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D PROGRAM=$<TARGET_FILE:${target}> -D OUTPUT=${output}
            -D TIMEOUT=${timeout} -D ENVIRONMENT=${environment} -P ${ZELKOR_TEST_PROCESSES_SCRIPT}
    BYPRODUCTS ${output} VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${output})
endfunction()
