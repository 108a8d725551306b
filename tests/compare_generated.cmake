# Runs a generator into OUT_DIR and checks that it writes exactly FILES, each identical to the
# committed copy in COMMITTED_DIR.
#
# Usage: cmake -DGENERATOR=<exe> -DCOMMITTED_DIR=<dir> -DFILES=<a;b;...> -DOUT_DIR=<scratch dir>
#              -DTARGET=<the build target that regenerates them> -P compare_generated.cmake

foreach(var GENERATOR COMMITTED_DIR FILES OUT_DIR TARGET)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "compare_generated.cmake: -D${var}=... is required")
  endif()
endforeach()

# Start from an empty directory so stale output from an earlier run cannot hide a failure.
file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}")

execute_process(
  COMMAND "${GENERATOR}" "${OUT_DIR}"
  RESULT_VARIABLE gen_result
  OUTPUT_VARIABLE gen_output
  ERROR_VARIABLE gen_output)
if(NOT gen_result EQUAL 0)
  message(FATAL_ERROR "Generator '${GENERATOR}' failed (${gen_result}):\n${gen_output}")
endif()

file(GLOB produced RELATIVE "${OUT_DIR}" "${OUT_DIR}/*")
list(SORT produced)
set(expected ${FILES})
list(SORT expected)
if(NOT produced STREQUAL expected)
  message(FATAL_ERROR "Generator wrote [${produced}], expected [${expected}]")
endif()

set(mismatched "")
foreach(name IN LISTS FILES)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT_DIR}/${name}"
                          "${COMMITTED_DIR}/${name}" RESULT_VARIABLE cmp_result)
  if(NOT cmp_result EQUAL 0)
    list(APPEND mismatched ${name})
  endif()
endforeach()
if(mismatched)
  list(JOIN mismatched ", " mismatched_text)
  message(FATAL_ERROR "${COMMITTED_DIR}: ${mismatched_text} missing or not what the generator "
                      "makes. Regenerate with: cmake --build <build-dir> --target ${TARGET}")
endif()
list(JOIN FILES ", " files_text)
message(STATUS "${files_text} match the generator output")
