# The publisher's values, checked where they enter, before anything is
# built or written: RANGECAT_MAINTAINER is one line "Name <address>", without
# %, which rpm reads as a macro; RANGECAT_HOMEPAGE, which may be empty, and
# RANGECAT_REPO_URL are https:// addresses of one line, whose every % starts
# a %XX escape, and the repositories' address has no query or fragment;
# none holds a control character. CMakeLists.txt includes this file, and a
# bad value stops the configure; dist.sh and repo.sh run it as a script
# (cmake -DNAME=VALUE... -P), which prints one line for each bad value given.

if(CMAKE_SCRIPT_MODE_FILE)
  # A name in quotes is a string, not a variable, as in the build.
  cmake_policy(VERSION 3.22)
endif()

# publisher_fault(OUT NAME): sets OUT to why the value of NAME is wrong, a
# phrase that begins with NAME, or to nothing when it is right. A value
# with a control character is not shown, since it would break the line.
function(publisher_fault out name)
  set(value "${${name}}")
  set(controls)
  foreach(code RANGE 1 31)
    string(ASCII ${code} control)
    string(APPEND controls "${control}")
  endforeach()
  string(ASCII 127 control)
  string(APPEND controls "${control}")
  # The characters of an address (RFC 3986) but the brackets of IPv6 hosts.
  set(url_chars "-A-Za-z0-9._~:/?#@!$&'()*+,;=%")
  set(why)
  if(value MATCHES "[${controls}]")
    set(why "${name} holds a control character, such as a line break")
  elseif(name STREQUAL "RANGECAT_MAINTAINER")
    if(value MATCHES "%")
      set(why "${name}=${value} holds %, which rpm reads as a macro")
    elseif(NOT value MATCHES "^[^<> ]([^<>]*[^<> ])? <[^<> @]+@[^<> @]+>$")
      set(why "${name}=${value} is not \"Name <address>\"")
    endif()
  elseif(name STREQUAL "RANGECAT_HOMEPAGE" AND value STREQUAL "")
    # No home page: bugs go to the maintainer.
  else()
    string(REGEX REPLACE "%[0-9A-Fa-f][0-9A-Fa-f]" "" unescaped "${value}")
    if(NOT value MATCHES "^https://[A-Za-z0-9]([-A-Za-z0-9.]*[A-Za-z0-9])?(:[0-9]+)?(/[${url_chars}]*)?$"
       OR unescaped MATCHES "%")
      set(why "${name}=${value} is not an https:// address")
    elseif(name STREQUAL "RANGECAT_REPO_URL" AND value MATCHES "[?#]")
      set(why "${name}=${value} has a query or a fragment, which no path can follow")
    endif()
  endif()
  set(${out} "${why}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  foreach(name RANGECAT_MAINTAINER RANGECAT_HOMEPAGE RANGECAT_REPO_URL)
    if(DEFINED ${name})
      publisher_fault(why ${name})
      if(why)
        message(NOTICE "${why}")
      endif()
    endif()
  endforeach()
else()
  foreach(name RANGECAT_MAINTAINER RANGECAT_HOMEPAGE)
    publisher_fault(why ${name})
    if(why)
      # Indented, so that CMake does not wrap the line.
      message(FATAL_ERROR " ${why}")
    endif()
  endforeach()
endif()
