# Runs the media generator into OUT_DIR and checks that each file it writes is identical to the
# committed copy in SOURCE_DIR/res.
#
# Usage: cmake -DGENERATOR=<exe> -DSOURCE_DIR=<repo root> -DOUT_DIR=<scratch dir> -P compare_media.cmake

foreach(var GENERATOR SOURCE_DIR OUT_DIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "compare_media.cmake: -D${var}=... is required")
  endif()
endforeach()

set(media_files mus00.mid snd00.wav snd01.wav snd02.wav)

# Start from an empty directory so stale output from an earlier run cannot hide a failure.
file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}")

execute_process(
  COMMAND "${GENERATOR}" "${OUT_DIR}"
  RESULT_VARIABLE gen_result
  OUTPUT_VARIABLE gen_output
  ERROR_VARIABLE gen_output)
if(NOT gen_result EQUAL 0)
  message(FATAL_ERROR "Media generator '${GENERATOR}' failed (${gen_result}):\n${gen_output}")
endif()

# The generator must write exactly the expected set of files.
file(GLOB produced RELATIVE "${OUT_DIR}" "${OUT_DIR}/*")
list(SORT produced)
if(NOT produced STREQUAL media_files)
  message(FATAL_ERROR "Generator wrote [${produced}], expected [${media_files}]")
endif()

set(mismatched "")
foreach(name IN LISTS media_files)
  set(committed "${SOURCE_DIR}/res/${name}")
  if(NOT EXISTS "${committed}")
    message(SEND_ERROR "res/${name} is missing")
    list(APPEND mismatched ${name})
    continue()
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT_DIR}/${name}" "${committed}"
                  RESULT_VARIABLE cmp_result)
  if(NOT cmp_result EQUAL 0)
    message(SEND_ERROR "res/${name} differs from the generator output ${OUT_DIR}/${name}")
    list(APPEND mismatched ${name})
  endif()
endforeach()

if(mismatched)
  list(JOIN mismatched ", " mismatched_text)
  message(FATAL_ERROR "Committed media out of date: ${mismatched_text}. "
                      "Regenerate with: cmake --build <build-dir> --target media")
endif()
list(JOIN media_files ", " media_text)
message(STATUS "${media_text} match the generator output")
