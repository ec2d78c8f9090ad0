# End-to-end scenarios of View/Open and Export (export_scenarios_win.cpp) on a disc built from
# data/export: a master password, Ann who may export and Ned who may not.
set(EXPORT_DISC build --viewer @VIEWER@ --from @DATA@/export --out @WORK@ --password master
    --user 1:Ann:ann:1:: --user 2:Ned:ned:0::)
foreach(scenario view-open-temp export-rows export-folder export-no-right)
  orvanta_e2e_test(${scenario} DISC ${EXPORT_DISC} ARGS @WORK@ @DATA@/export LABELS viewer export)
endforeach()
foreach(scenario export-disc export-abort)
  orvanta_e2e_test(${scenario} DISC ${EXPORT_DISC} --method scramble ARGS @WORK@ @DATA@/export LABELS viewer export)
endforeach()
