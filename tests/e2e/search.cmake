# End-to-end scenarios of Search and Properties (search_scenarios_win.cpp), on a disc of a few
# files in nested folders with ID numbers, name texts and notes (data/search).
foreach(scenario search-and-goto properties)
  orvanta_e2e_test(${scenario}
    DISC build --viewer @VIEWER@ --from @DATA@/search/files --out @WORK@ --meta @DATA@/search/meta.tsv
         --content-key search-disc
    ARGS @WORK@ LABELS viewer)
endforeach()
