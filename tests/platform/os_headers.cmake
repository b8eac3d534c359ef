# Fails when a file of the core libraries outside src/platform/ includes an
# operating system's header itself: the core reaches the system only through
# the platform layer, on Linux and on Windows alike.
# Run with -DFILES=<source;...> (the core's sources and their headers).
set(os_header "#[ \t]*include[ \t]*<(unistd|fcntl|dirent|dlfcn|poll|pwd|spawn|signal|termios|io|direct|windows|winbase|wininet|shlobj|winsock2?|sys/[^>]+|netinet/[^>]+|arpa/[^>]+)(\\.h)?>")
set(offenders "")
set(checked 0)
foreach(file IN LISTS FILES)
  if(file MATCHES "/src/platform/")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS ${file} lines REGEX "${os_header}")
  foreach(line IN LISTS lines)
    string(APPEND offenders "\n  ${file}: ${line}")
  endforeach()
endforeach()
if(offenders)
  message(FATAL_ERROR "OS headers outside src/platform/ (ask the platform layer instead):${offenders}")
endif()
message(STATUS "${checked} files of the core include no OS header of their own")
