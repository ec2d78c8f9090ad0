# End-to-end runs of uninstaller.exe under Wine (included from tests/e2e/CMakeLists.txt).
add_executable(uninstall_e2e ${CMAKE_CURRENT_LIST_DIR}/uninstall_e2e_win.cpp)
target_link_libraries(uninstall_e2e PRIVATE gtest advapi32 user32)
add_dependencies(uninstall_e2e uninstaller)
orvanta_wine_test(uninstall_e2e sh ${CMAKE_CURRENT_LIST_DIR}/uninstall_e2e.sh ${ORVANTA_WINE_DIR}
  ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:uninstall_e2e> $<TARGET_FILE:uninstaller>)
