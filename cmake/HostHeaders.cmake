# The Windows core build uses SQLite, libarchive and nlohmann's JSON by their
# headers only: Debian ships them for Linux, not for MinGW, and the core's
# static libraries need nothing more to compile. The host's headers are copied
# alone into the build, so no other Linux header can be reached.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
foreach(header sqlite3.h archive.h archive_entry.h)
  if(NOT EXISTS /usr/include/${header})
    message(FATAL_ERROR "/usr/include/${header} is missing: install packages.txt")
  endif()
  file(COPY /usr/include/${header} DESTINATION ${host_headers})
endforeach()
file(COPY /usr/include/nlohmann DESTINATION ${host_headers})
foreach(target SQLite::SQLite3 LibArchive::LibArchive nlohmann_json::nlohmann_json)
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${host_headers})
endforeach()
