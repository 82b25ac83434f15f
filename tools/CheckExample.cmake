# Regenerates the bundled example and compares it byte for byte with the
# checked-in files, so the generator and the example cannot drift apart.
# Variables: GEN (generator), OUT_BASE (where to write), EXAMPLE_BASE (checked-in files).
execute_process(COMMAND "${GEN}" --example "${OUT_BASE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gen_recording --example failed (${rc})")
endif()
foreach(ext cfg dat INF)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT_BASE}.${ext}" "${EXAMPLE_BASE}.${ext}"
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${EXAMPLE_BASE}.${ext} differs from the generator's output ${OUT_BASE}.${ext}; "
                        "regenerate with: gen_recording --example examples/feeder_fault")
  endif()
endforeach()
