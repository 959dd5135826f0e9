# Installs the build into a fresh prefix and checks the installed copy: the
# menu entry and the software-centre metadata pass their validators, the
# icon theme has every size, and the program started from the prefix keeps
# its tasks in the person's data folder, filled from the shipped files.
#   cmake -DBUILD_DIR=... -DWORK=... -P InstalledCopyTest.cmake
set(id org.helmsworth.Morvane)
file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}${err}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

foreach(f bin/morvane share/morvane/grid.grd share/morvane/gridNon.grd share/morvane/alarm.wav
          share/morvane/english.dct share/morvane/english.aff share/morvane/help/100.html
          share/applications/${id}.desktop share/metainfo/${id}.metainfo.xml)
  if(NOT EXISTS "${prefix}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The sound module, loaded by the first sound from lib*/morvane.
file(GLOB_RECURSE sound_module "${prefix}/lib*/libmorvane_sound.so")
if(NOT sound_module MATCHES "/morvane/libmorvane_sound.so")
  message(FATAL_ERROR "not installed: the sound module")
endif()
foreach(size 16 22 24 32 48 64 128 256)
  if(NOT EXISTS "${prefix}/share/icons/hicolor/${size}x${size}/apps/${id}.png")
    message(FATAL_ERROR "no ${size}x${size} icon")
  endif()
endforeach()

run(desktop-file-validate "${prefix}/share/applications/${id}.desktop")
if(NOT out STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
run(appstreamcli validate --no-net "${prefix}/share/metainfo/${id}.metainfo.xml")

# The installed program, started as a person would: no MORVANE_DIR, its own
# home, runtime and data folders, no session bus. It ends at its first paint.
file(MAKE_DIRECTORY "${WORK}/home" "${WORK}/run")
run(${CMAKE_COMMAND} -E env --unset=MORVANE_DIR --unset=DBUS_SESSION_BUS_ADDRESS
    HOME=${WORK}/home XDG_DATA_HOME=${WORK}/data XDG_CONFIG_HOME=${WORK}/config XDG_RUNTIME_DIR=${WORK}/run
    QT_QPA_PLATFORM=offscreen MORVANE_PROFILE_STARTUP=1
    "${prefix}/bin/morvane")
if(NOT out MATCHES "startup: ")
  message(FATAL_ERROR "the installed program did not paint its window:\n${out}")
endif()
foreach(f grid.grd gridNon.grd english.dct help/100.html)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${prefix}/share/morvane/${f}" "${WORK}/data/morvane/${f}"
                  RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    message(FATAL_ERROR "the person's data folder lacks the shipped ${f}")
  endif()
endforeach()
file(GLOB beside "${prefix}/bin/*")
if(NOT beside STREQUAL "${prefix}/bin/morvane")
  message(FATAL_ERROR "files were written beside the installed program: ${beside}")
endif()
file(REMOVE_RECURSE "${WORK}")
