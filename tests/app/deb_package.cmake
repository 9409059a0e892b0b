# Builds the Debian package with cpack into WORK_DIR and checks that it holds
# the binary, the desktop entry, the icon and the manual page, and depends on
# the Qt libraries the binary links.
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CPACK}" -G DEB -B "${WORK_DIR}" --config "${BINARY_DIR}/CPackConfig.cmake"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB packages "${WORK_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${WORK_DIR}, found: ${packages}")
endif()
execute_process(COMMAND dpkg-deb -c ${packages} OUTPUT_VARIABLE listing RESULT_VARIABLE result)
execute_process(COMMAND dpkg-deb -f ${packages} Depends OUTPUT_VARIABLE depends)
set(missing "")
foreach(path usr/bin/velmora usr/share/applications/velmora-ce.desktop
             usr/share/icons/hicolor/scalable/apps/velmora-ce.svg usr/share/man/man1/velmora.1.gz)
  if(NOT listing MATCHES " \\./${path}\n")
    string(APPEND missing " ${path}")
  endif()
endforeach()
if(result OR missing OR NOT depends MATCHES "libqt6widgets6")
  message(FATAL_ERROR "package lacks:${missing}\nDepends: ${depends}\n${listing}")
endif()
message(STATUS "package ${packages}, Depends: ${depends}")
