# Installs the build into a scratch root as a package would (prefix /usr under
# DESTDIR), then checks that exactly the expected files land there and that the
# desktop's own tools accept them.
# cmake -DBUILD=<build folder> -DSTAGE=<scratch folder> -P CheckInstall.cmake
cmake_minimum_required(VERSION 3.25)

# Any complaint on either stream counts, not only a failing exit code.
function(run_quietly what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "${what} (exit ${rc}):\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(expected
  usr/bin/sevrana
  usr/bin/sevrana-cli
  usr/share/applications/sevrana.desktop
  usr/share/icons/hicolor/scalable/apps/sevrana.svg
  usr/share/man/man1/sevrana-cli.1
  usr/share/man/man1/sevrana.1
  usr/share/mime/packages/sevrana.xml
  usr/share/sevrana/sevrana.html)
# Each size with its width (and height) as the PNG header spells it.
set(icons 16:00000010 32:00000020 48:00000030 64:00000040 128:00000080 256:00000100)
foreach(icon IN LISTS icons)
  string(REPLACE ":" ";" icon ${icon})
  list(GET icon 0 size)
  list(GET icon 1 side)
  set(png usr/share/icons/hicolor/${size}x${size}/apps/sevrana.png)
  list(APPEND expected ${png})
  if(EXISTS ${STAGE}/${png})
    file(READ ${STAGE}/${png} header LIMIT 24 HEX)
    if(NOT header STREQUAL "89504e470d0a1a0a0000000d49484452${side}${side}")
      message(SEND_ERROR "${png} is not a ${size} x ${size} PNG: ${header}")
    endif()
  endif()
endforeach()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
  string(REPLACE ";" "\n  " installed "${installed}")
  message(FATAL_ERROR "installed files differ from the expected ones; installed:\n  ${installed}")
endif()

foreach(program sevrana sevrana-cli)
  execute_process(COMMAND test -x ${STAGE}/usr/bin/${program} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "${program} is not executable")
  endif()
endforeach()

run_quietly("desktop-file-validate rejects the entry" desktop-file-validate
            ${STAGE}/usr/share/applications/sevrana.desktop)

# The MIME package compiles, and a configuration file's name maps to our type.
# (With the staged folder in the search path, so that only real complaints are printed.)
run_quietly("update-mime-database rejects the MIME package" ${CMAKE_COMMAND} -E env XDG_DATA_DIRS=${STAGE}/usr/share
            update-mime-database ${STAGE}/usr/share/mime)
# A combined .cff file is a recording of its own type, which the desktop entry opens too.
file(STRINGS ${STAGE}/usr/share/mime/globs2 globs REGEX "application/x-comtrade-cf[fg]")
foreach(glob "50:application/x-comtrade-cfg:*.cfg" "50:application/x-comtrade-cff:*.cff")
  if(NOT glob IN_LIST globs)
    message(SEND_ERROR "no glob ${glob}: ${globs}")
  endif()
endforeach()
file(READ ${STAGE}/usr/share/applications/sevrana.desktop entry)
string(FIND "${entry}" "\nMimeType=application/x-comtrade-cfg;application/x-comtrade-cff;\n" at)
if(at EQUAL -1)
  message(SEND_ERROR "the desktop entry does not offer both recording types:\n${entry}")
endif()

# The man pages format without a warning, and the synopsis names every command as --help prints it.
foreach(page sevrana sevrana-cli)
  run_quietly("${page}.1 formats with warnings" groff -man -ww -z ${STAGE}/usr/share/man/man1/${page}.1)
endforeach()
execute_process(COMMAND groff -man -Tascii -P-cbou ${STAGE}/usr/share/man/man1/sevrana-cli.1 OUTPUT_VARIABLE manual)
execute_process(COMMAND ${STAGE}/usr/bin/sevrana-cli --help OUTPUT_VARIABLE usage RESULT_VARIABLE rc)
string(REGEX MATCHALL "sevrana-cli [^\n]+" commands "${usage}")
list(LENGTH commands count)
if(NOT rc EQUAL 0 OR count LESS 4)
  message(FATAL_ERROR "sevrana-cli --help (exit ${rc}) printed:\n${usage}")
endif()
foreach(command IN LISTS commands)
  string(FIND "${manual}" "${command}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "the man page lacks \"${command}\"")
  endif()
endforeach()
