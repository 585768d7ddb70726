# What `cmake --install` puts where. Programs go to bin/, everything they read
# at run time to share/brelvantor/, which the programs find relative to
# themselves (core/settings/InstallLayout.h): the prefix stays movable.
set(BRELVANTOR_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/brelvantor)

foreach(program brelvantor brelvantor-cli brelvantor-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${lang_modules} DESTINATION ${BRELVANTOR_INSTALL_DATADIR})
