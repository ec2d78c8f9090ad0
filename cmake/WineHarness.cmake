# Runs Windows-side tests through Wine inside the tree's own Xvfb and prefix. Every Wine test
# requires the fixture: its setup stops whatever a killed earlier run left behind and starts the
# display, its cleanup stops the display and the wineserver when the run ends.
set(ORVANTA_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(ORVANTA_WINE_ENV ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh)
file(WRITE ${CMAKE_BINARY_DIR}/wine-run.sh
  "#!/bin/sh\nORVANTA_WINE_DIR='${ORVANTA_WINE_DIR}' exec '${ORVANTA_WINE_ENV}' run \"$@\"\n")
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

add_test(NAME wine_env_start COMMAND env ORVANTA_WINE_DIR=${ORVANTA_WINE_DIR} bash ${ORVANTA_WINE_ENV} begin)
set_tests_properties(wine_env_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
add_test(NAME wine_env_stop COMMAND env ORVANTA_WINE_DIR=${ORVANTA_WINE_DIR} bash ${ORVANTA_WINE_ENV} stop)
set_tests_properties(wine_env_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# orvanta_wine_test(NAME cmd...): a CTest test that runs under Wine with the fixture. Tests that
# use the display run one at a time: the pointer and the focus are shared.
function(orvanta_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 RESOURCE_LOCK wine_display)
endfunction()
