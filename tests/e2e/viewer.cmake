# End-to-end scenarios of the viewer (viewer_scenarios_win.cpp), each on a disc that the disc
# tool builds from the fixture tree.
set(DEJAVU /usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf)
set(DISC build --viewer @VIEWER@ --from @DATA@/tree --out @WORK@)
set(LOGIN --password "Master Key 1" --licence @DATA@/licence.txt
    --user "7:Alice:alice123:1::The Q1 figures are final."
    --user "8:Bob:bob456:1:2020-01-01:Your access ends here.")

orvanta_e2e_test(straight-to-main DISC ${DISC} --background @DATA@/art/back.bmp --logo @DATA@/art/logo.jpg
  ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(custom-font DISC ${DISC} --font ${DEJAVU} --font-face "DejaVu Serif" --splash-text "Disc font\\n"
  ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(wrong-password DISC ${DISC} ${LOGIN} ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(master-password DISC ${DISC} ${LOGIN} ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(declined-licence-note DISC ${DISC} ${LOGIN} ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(expired-user DISC ${DISC} ${LOGIN} ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(main-window DISC ${DISC} ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(splitter-drag DISC ${DISC} ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(export-greyed DISC ${DISC} --no-export ARGS @WORK@ LABELS viewer)
orvanta_e2e_test(custom-about DISC ${DISC} --about-line "Sample Company Ltd." --about-line "Licensed to the sales team"
  --about-line "Support: 0123 456" --about-picture @DATA@/art/logo.jpg ARGS @WORK@ LABELS viewer)

# Three differently branded splash screens, kept as screenshots in the artefacts folder.
set(BRAND_TEXT --splash-text "Orvanta test disc\\nSecond line of the splash\\n" --text-colour ffe080
  --shadow 3,3 --shadow-colour 000000 --password "Master Key 1")
orvanta_e2e_test(splash-tiled SCENARIO splash-screenshot DISC ${DISC} ${BRAND_TEXT} --background @DATA@/art/back.bmp
  --background-layout tiled --text-layout top-left --font-height 40 --font ${DEJAVU} --font-face "DejaVu Serif"
  ARGS @WORK@ LABELS viewer screenshot)
orvanta_e2e_test(splash-logo SCENARIO splash-screenshot DISC ${DISC} ${BRAND_TEXT} --background @DATA@/art/back.bmp
  --logo @DATA@/art/key-logo.bmp --logo-layout centred --logo-transparent ff00ff --text-layout centred
  ARGS @WORK@ LABELS viewer screenshot)
orvanta_e2e_test(splash-quarters SCENARIO splash-screenshot DISC ${DISC} ${BRAND_TEXT} --background @DATA@/art/back.bmp
  --background-layout quarters --logo @DATA@/art/logo.jpg --logo-layout position --logo-pos 40,60
  --text-layout bottom-centre ARGS @WORK@ LABELS viewer screenshot)

# A realistic disc: a few hundred files of common types in nested folders, written once into the
# build tree, for a screenshot of the main window.
set(REALISTIC ${CMAKE_BINARY_DIR}/e2e-data/realistic)
if(NOT EXISTS ${REALISTIC}.done)
  set(types txt html csv doc xls pdf jpg bmp zip exe ppt rtf xml log mp3)
  foreach(folder "Reports/2025" "Reports/2026/Quarterly" "Pictures/Site photos" "Data" "Manuals/Install"
                 "Manuals/Appendix" "Web/pages" "Archive/Old" "Archive/Older/Oldest")
    foreach(i RANGE 1 36)
      math(EXPR pick "${i} % 15")
      list(GET types ${pick} type)
      file(WRITE "${REALISTIC}/${folder}/Document ${i}.${type}" "Content of ${folder}/Document ${i}\r\n")
    endforeach()
  endforeach()
  file(WRITE ${REALISTIC}/Readme.txt "Read me\r\n")
  file(WRITE ${REALISTIC}.done "")
endif()
orvanta_e2e_test(realistic-main-window SCENARIO main-window-screenshot DISC build --viewer @VIEWER@
  --from ${REALISTIC} --out @WORK@ ARGS @WORK@ LABELS viewer screenshot)
