# End-to-end scenarios on damaged discs (corpus_scenarios_win.cpp), each written by
# `disctool damage KIND` from data/small.
target_sources(e2e_driver PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/corpus_scenarios_win.cpp)

foreach(kind truncated trailer-past-end user-length-past-section user-count-too-large)
  orvanta_e2e_test(corpus-${kind} SCENARIO corpus-corrupt
    DISC damage ${kind} --viewer @VIEWER@ --from @DATA@/small --out @WORK@
    ARGS @WORK@ LABELS viewer corpus)
endforeach()
orvanta_e2e_test(corpus-catalogue-count
  DISC damage catalogue-count-too-large --viewer @VIEWER@ --from @DATA@/small --out @WORK@
  ARGS @WORK@ LABELS viewer corpus)
foreach(kind hostile-names short-data missing-data)
  orvanta_e2e_test(corpus-${kind}
    DISC damage ${kind} --viewer @VIEWER@ --from @DATA@/small --out @WORK@
    ARGS @WORK@ @DATA@/small LABELS viewer corpus export)
endforeach()
