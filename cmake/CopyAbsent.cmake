# Copies every file of SRC_DIR into DST_DIR unless DST_DIR already holds a
# file of that name. A build must never overwrite a person's task files.
# The help pages are the program's own, not the person's: they are always
# brought up to date.
#
# Given SRC_FILE and DST_FILE instead, copies that one file to that name
# when DST_FILE does not exist (the dictionary arrives under the name the
# program looks for). The copy holds the file's bytes even when SRC_FILE is
# a symbolic link, as the system's dictionaries may be.
if(DEFINED SRC_FILE)
  if(NOT EXISTS "${DST_FILE}")
    get_filename_component(dir "${DST_FILE}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${SRC_FILE}" "${DST_FILE}")
  endif()
  return()
endif()

file(GLOB_RECURSE files RELATIVE "${SRC_DIR}" "${SRC_DIR}/*")
foreach(f IN LISTS files)
  if(f MATCHES "^help/")
    if(COPY_HELP)
      configure_file("${SRC_DIR}/${f}" "${DST_DIR}/${f}" COPYONLY)
    endif()
  elseif(NOT EXISTS "${DST_DIR}/${f}")
    get_filename_component(dir "${DST_DIR}/${f}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY "${SRC_DIR}/${f}" DESTINATION "${dir}")
  endif()
endforeach()
